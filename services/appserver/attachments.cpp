// Files attached to an occurrence: a photo of the damage, the delivery note, a lab report.
// A file travels in parts of at most kAttachmentPartBytes, each stored as it arrives, so
// that no side ever holds a whole file; it is listed only once its parts add up to the
// size and the checksum announced. Its kind is judged by its content, never by its name.
#include "appserver/attachments.h"

#include "appserver/access_rules.h"
#include "appserver/confirm_checks.h"
#include "appserver/history.h"
#include "core/file_kind.h"
#include "core/sha256.h"
#include "core/text.h"

#include <atomic>

namespace oca::server {

namespace {

std::atomic<std::int64_t> fileLimit{AttachmentLimits{}.fileBytes};
std::atomic<std::int64_t> occurrenceLimit{AttachmentLimits{}.occurrenceBytes};

// An upload left unfinished this long ago was abandoned; the next one removes it.
constexpr double kAbandonedDays = 1.0 / 24;
constexpr size_t kNameChars = 120;

std::string LimitText(std::int64_t bytes) {
    return bytes % (1 << 20) == 0 ? std::to_string(bytes >> 20) + " MB" : MegabytesText(bytes);
}

std::string Key(const std::string& branch, const std::string& number) {
    return branch + "/" + number;
}

using Params = std::vector<std::pair<std::string, Variant>>;

Params KeyOf(const std::string& branch, const std::string& number, std::int64_t attachment = 0) {
    Params key = {{"B", Variant(branch)}, {"N", Variant(number)}};
    if (attachment != 0) {
        key.emplace_back("A", Variant(attachment));
    }
    return key;
}

constexpr const char* kWhere = " WHERE CDFILILANCMO = :B AND NROCORRMOV = :N";
constexpr const char* kWhereOne = " WHERE CDFILILANCMO = :B AND NROCORRMOV = :N AND NRANEXO = :A";

// The occurrence, locked while the call runs so that two uploads to it take turns for
// their number and the occurrence's limit.
void NeedOccurrence(db::Database& db, const std::string& branch, const std::string& number) {
    auto st =
        db.Prepare(std::string("SELECT 1 FROM MOVOCORR") + kWhere + std::string(db.RowLock()));
    for (const auto& [name, value] : KeyOf(branch, number)) {
        st->Bind(name, value);
    }
    if (!st->Next()) {
        throw ConfirmFailure("A ocorrência " + Key(branch, number) +
                             " não existe mais (foi excluída por outro usuário); nada foi "
                             "gravado.");
    }
}

struct Upload {
    bool found = false;
    std::string name, status, op, hash, kind;
    std::int64_t size = 0, version = 0;
};

Upload ReadUpload(db::Database& db, const Params& key) {
    auto st = db.Prepare(std::string("SELECT NMARQUIVO, IDSITUACAO, CDOPERADOR, DSHASH, QTBYTES, "
                                     "NRVERSAO, TPCONTEUDO FROM ANEXOOCORR") +
                         kWhereOne + std::string(db.RowLock()));
    for (const auto& [name, value] : key) {
        st->Bind(name, value);
    }
    Upload u;
    if (!st->Next()) {
        return u;
    }
    u.found = true;
    u.name = st->Value(0).AsString();
    u.status = st->Value(1).AsString();
    u.op = st->Value(2).AsString();
    u.hash = st->Value(3).AsString();
    u.size = st->Value(4).AsInteger();
    u.version = st->Value(5).AsInteger();
    u.kind = st->Value(6).IsNull() ? std::string() : st->Value(6).AsString();
    return u;
}

// What the history keeps of a file: enough to recognise it again, byte for byte.
std::string Described(const Upload& u) {
    return u.name + " (" + MegabytesText(u.size) + ", " + u.kind + ", SHA-256 " + u.hash + ")";
}

void Discard(db::Database& db, const Params& key) {
    db.Execute(std::string("DELETE FROM ANEXOPARTE") + kWhereOne, key);
    db.Execute(std::string("DELETE FROM ANEXOOCORR") + kWhereOne, key);
}

// A refusal that ends the upload. Nothing of the call is kept; the parts sent before it
// go when the desktop cancels the upload, or with the abandoned ones.
[[noreturn]] void Abandon(const std::string& reason) {
    throw ConfirmFailure(reason);
}

Upload NeedOwnUpload(db::Database& db, const Session& caller, const Params& key) {
    Upload u = ReadUpload(db, key);
    if (!u.found || u.status != "P" || u.op != caller.op) {
        throw ConfirmFailure("O envio deste anexo não está mais em andamento (foi concluído, "
                             "cancelado ou abandonado); envie o arquivo de novo.");
    }
    return u;
}

// What an upload has stored so far: its parts and their bytes.
struct Stored {
    std::int64_t parts = 0, bytes = 0;
};

Stored StoredSoFar(db::Database& db, const Params& key) {
    auto st = db.Prepare(std::string("SELECT COUNT(*), COALESCE(SUM(QTBYTES), 0) FROM ANEXOPARTE") +
                         kWhereOne);
    for (const auto& [name, value] : key) {
        st->Bind(name, value);
    }
    st->Next();
    return {st->Value(0).AsInteger(), st->Value(1).AsInteger()};
}

// The bytes an occurrence's attached files take. Those still being sent count once they
// are complete: the check is made again then, under the occurrence's lock.
std::int64_t OccurrenceBytes(db::Database& db, const std::string& branch, const std::string& number,
                             std::int64_t except) {
    auto st = db.Prepare(std::string("SELECT COALESCE(SUM(QTBYTES), 0) FROM ANEXOOCORR") + kWhere +
                         " AND NRANEXO <> :A AND IDSITUACAO = 'A'");
    for (const auto& [name, value] : KeyOf(branch, number, except)) {
        st->Bind(name, value);
    }
    st->Next();
    return st->Value(0).AsInteger();
}

void NeedRoom(db::Database& db, const std::string& branch, const std::string& number,
              const std::string& name, std::int64_t size, std::int64_t except) {
    const std::int64_t others = OccurrenceBytes(db, branch, number, except);
    const std::int64_t limit = occurrenceLimit.load();
    if (others + size > limit) {
        throw ConfirmFailure("A ocorrência " + Key(branch, number) + " já tem " +
                             MegabytesText(others) + " em anexos; com \"" + name + "\" (" +
                             MegabytesText(size) + ") passaria do limite de " + LimitText(limit) +
                             " por ocorrência; nada foi gravado.");
    }
}

// The file's own name, without the folders of the machine it came from.
std::string FileName(const std::string& given) {
    std::string name = given;
    const size_t slash = name.find_last_of("/\\");
    if (slash != std::string::npos) {
        name = name.substr(slash + 1);
    }
    name = Trim(name);
    if (name.empty() || name == "." || name == "..") {
        throw ConfirmFailure("O anexo precisa de um nome de arquivo; nada foi gravado.");
    }
    if (Utf8Length(name) > kNameChars) {
        throw ConfirmFailure("O nome do arquivo \"" + name + "\" passa de " +
                             std::to_string(kNameChars) +
                             " caracteres; renomeie-o e anexe de novo.");
    }
    return name;
}

bool IsHexDigest(const std::string& text) {
    return text.size() == 64 && text.find_first_not_of("0123456789abcdef") == std::string::npos;
}

// Uploads given up (the desktop closed, the network lost) are removed by the next one to
// start, wherever they were going.
void RemoveAbandoned(db::Database& db) {
    const Params params = {{"T", Variant(TDateTime(ServerNow().Value - kAbandonedDays))}};
    db.Execute("DELETE FROM ANEXOPARTE WHERE EXISTS (SELECT 1 FROM ANEXOOCORR A WHERE "
               "A.CDFILILANCMO = ANEXOPARTE.CDFILILANCMO AND A.NROCORRMOV = "
               "ANEXOPARTE.NROCORRMOV AND A.NRANEXO = ANEXOPARTE.NRANEXO AND A.IDSITUACAO = "
               "'P' AND A.DTINCLUSAO < :T)",
               params);
    db.Execute("DELETE FROM ANEXOOCORR WHERE IDSITUACAO = 'P' AND DTINCLUSAO < :T", params);
}

std::int64_t NextNumber(db::Database& db, const std::string& branch, const std::string& number) {
    auto st =
        db.Prepare(std::string("SELECT COALESCE(MAX(NRANEXO), 0) + 1 FROM ANEXOOCORR") + kWhere);
    for (const auto& [name, value] : KeyOf(branch, number)) {
        st->Bind(name, value);
    }
    st->Next();
    return st->Value(0).AsInteger();
}

// Runs a write; a refusal comes back as the reason, as the screens read it.
Variant Refusable(const char* method, const std::function<Variant()>& run) {
    try {
        return run();
    } catch (const ConfirmFailure& e) {
        return Variant(ServerError{e.what()});
    } catch (const db::SqlConflict&) {
        throw;
    } catch (const Exception& e) {
        return Variant(ServerError{"Erro ao gravar o anexo no servidor; nada foi gravado (" +
                                   LogFailure(method, e.Message()) + " no log do servidor)."});
    }
}

// The kind of the file, judged by its first part; the name must not say otherwise.
std::string JudgeKind(const Upload& upload, const std::string& head) {
    const FileKind kind = SniffFileKind(head, upload.name);
    if (kind.mime.empty()) {
        Abandon("O arquivo \"" + upload.name +
                "\" não é de um tipo aceito como anexo (imagens, PDF, documentos de "
                "escritório e texto); nada foi gravado.");
    }
    if (!NameAgreesWith(upload.name, kind)) {
        Abandon("O arquivo \"" + upload.name + "\" não é o que o nome diz: o conteúdo é " +
                kind.label + ", não ." + ExtensionOf(upload.name) + "; nada foi gravado.");
    }
    return kind.mime;
}

std::string BytesOf(const Variant& content) {
    const Blob* blob = content.Get<Blob>();
    return blob ? blob->bytes : std::string();
}

std::string PartsDigest(db::Database& db, const Params& key) {
    auto st = db.Prepare(std::string("SELECT CONTEUDO FROM ANEXOPARTE") + kWhereOne +
                         " ORDER BY NRPARTE");
    for (const auto& [name, value] : key) {
        st->Bind(name, value);
    }
    Sha256 digest;
    while (st->Next()) {
        digest.Update(BytesOf(st->Value(0)));
    }
    return digest.HexDigest();
}

} // namespace

void SetAttachmentLimits(const AttachmentLimits& limits) {
    fileLimit = limits.fileBytes;
    occurrenceLimit = limits.occurrenceBytes;
}

const std::vector<PacketField>& AttachmentFields() {
    static const std::vector<PacketField> fields = {
        {"CDFILILANCMO", FieldType::String, 4}, {"NROCORRMOV", FieldType::String, 10},
        {"NRANEXO", FieldType::Integer},        {"NMARQUIVO", FieldType::String, 120},
        {"TPCONTEUDO", FieldType::String, 80},  {"QTBYTES", FieldType::Integer},
        {"DSHASH", FieldType::String, 64},      {"MINIATURA", FieldType::Blob},
        {"CDOPERADOR", FieldType::String, 12},  {"NMOPERADOR", FieldType::String, 40},
        {"DTINCLUSAO", FieldType::DateTime},    {"NRVERSAO", FieldType::Integer},
    };
    return fields;
}

Variant GetAnexos(db::Database& db, const Args& args) {
    args.Expect(2);
    const std::string branch = args.Text(0, 4), number = args.Text(1, 10);
    if (!args.Caller().MayUse(branch)) {
        return Variant(ServerError{args.Caller().NoAccessTo(branch) + "."});
    }
    return MakePacketVariant(QueryPacket(
        db,
        "SELECT A.CDFILILANCMO, A.NROCORRMOV, A.NRANEXO, A.NMARQUIVO, A.TPCONTEUDO, A.QTBYTES, "
        "A.DSHASH, A.MINIATURA, A.CDOPERADOR, O.NMOPERADOR, A.DTINCLUSAO, A.NRVERSAO FROM "
        "ANEXOOCORR A LEFT JOIN OPERADOR O ON O.CDOPERADOR = A.CDOPERADOR WHERE "
        "A.CDFILILANCMO = :B AND A.NROCORRMOV = :N AND A.IDSITUACAO = 'A' ORDER BY A.NRANEXO",
        KeyOf(branch, number), AttachmentFields()));
}

Variant IniciaAnexo(db::Database& db, const Args& args) {
    args.Expect(6);
    const std::string branch = args.Text(0, 4), number = args.Text(1, 10);
    const std::string given = args.Text(2, 1000), hash = args.Text(4, 64);
    const std::int64_t size = args.Whole(3);
    const Blob* thumbnail = args.Bytes(5);
    if (!IsHexDigest(hash)) {
        throw RpcError(kInvalidParams, "IniciaAnexo: a soma de verificação deve ser um SHA-256 "
                                       "em hexadecimal minúsculo");
    }
    if (thumbnail && (thumbnail->bytes.size() > kAttachmentThumbnailBytes ||
                      SniffFileKind(thumbnail->bytes, "").mime != "image/png")) {
        throw RpcError(kInvalidParams, "IniciaAnexo: a miniatura deve ser um PNG de até 64 KB");
    }
    return Refusable("IniciaAnexo", [&] {
        const std::string name = FileName(given);
        if (size <= 0) {
            throw ConfirmFailure("O arquivo \"" + name + "\" está vazio; nada foi gravado.");
        }
        if (size > fileLimit.load()) {
            throw ConfirmFailure("O arquivo \"" + name + "\" tem " + MegabytesText(size) +
                                 "; o limite por arquivo é " + LimitText(fileLimit.load()) +
                                 "; nada foi gravado.");
        }
        db::Transaction tx(db);
        NeedBranch(args.Caller(), branch);
        NeedOccurrence(db, branch, number);
        RemoveAbandoned(db);
        NeedRoom(db, branch, number, name, size, 0);
        const std::int64_t attachment = NextNumber(db, branch, number);
        Params params = KeyOf(branch, number, attachment);
        params.insert(params.end(), {{"NM", Variant(name)},
                                     {"QT", Variant(size)},
                                     {"H", Variant(hash)},
                                     {"M", thumbnail ? Variant(*thumbnail) : Variant()},
                                     {"O", Variant(args.Caller().op)},
                                     {"T", Variant(ServerNow())}});
        db.Execute("INSERT INTO ANEXOOCORR (CDFILILANCMO, NROCORRMOV, NRANEXO, NMARQUIVO, "
                   "QTBYTES, DSHASH, MINIATURA, CDOPERADOR, DTINCLUSAO, IDSITUACAO) VALUES (:B, "
                   ":N, :A, :NM, :QT, :H, :M, :O, :T, 'P')",
                   params);
        tx.Commit();
        return Variant(attachment);
    });
}

Variant GravaParteAnexo(db::Database& db, const Args& args) {
    args.Expect(5);
    const std::string branch = args.Text(0, 4), number = args.Text(1, 10);
    const std::int64_t attachment = args.Whole(2), part = args.Whole(3);
    const Blob* bytes = args.Bytes(4);
    if (!bytes || bytes->bytes.empty() || bytes->bytes.size() > kAttachmentPartBytes) {
        throw RpcError(kInvalidParams, "GravaParteAnexo: cada parte tem de 1 byte a 1 MB");
    }
    return Refusable("GravaParteAnexo", [&] {
        db::Transaction tx(db);
        NeedBranch(args.Caller(), branch);
        const Params key = KeyOf(branch, number, attachment);
        Upload upload = NeedOwnUpload(db, args.Caller(), key);
        const auto [parts, stored] = StoredSoFar(db, key);
        if (part != parts) {
            Abandon("As partes do arquivo \"" + upload.name +
                    "\" chegaram fora de ordem; nada foi gravado. Anexe-o de novo.");
        }
        const auto length = static_cast<std::int64_t>(bytes->bytes.size());
        const bool last = stored + length >= upload.size;
        if (stored + length > upload.size ||
            (!last && bytes->bytes.size() != kAttachmentPartBytes)) {
            Abandon("O arquivo \"" + upload.name +
                    "\" chegou com um tamanho diferente do anunciado; nada foi gravado.");
        }
        if (part == 0) {
            const std::string kind = JudgeKind(upload, bytes->bytes.substr(0, 4096));
            Params params = key;
            params.emplace_back("K", Variant(kind));
            db.Execute(std::string("UPDATE ANEXOOCORR SET TPCONTEUDO = :K") + kWhereOne, params);
        }
        Params params = key;
        params.insert(params.end(), {{"P", Variant(part)},
                                     {"QT", Variant(length)},
                                     {"H", Variant(Sha256::Of(bytes->bytes))},
                                     {"C", Variant(*bytes)}});
        db.Execute("INSERT INTO ANEXOPARTE (CDFILILANCMO, NROCORRMOV, NRANEXO, NRPARTE, QTBYTES, "
                   "DSHASH, CONTEUDO) VALUES (:B, :N, :A, :P, :QT, :H, :C)",
                   params);
        tx.Commit();
        return Variant("");
    });
}

Variant ConcluiAnexo(db::Database& db, const Args& args) {
    args.Expect(3);
    const std::string branch = args.Text(0, 4), number = args.Text(1, 10);
    const std::int64_t attachment = args.Whole(2);
    return Refusable("ConcluiAnexo", [&] {
        db::Transaction tx(db);
        NeedBranch(args.Caller(), branch);
        NeedOccurrence(db, branch, number);
        const Params key = KeyOf(branch, number, attachment);
        const Upload upload = NeedOwnUpload(db, args.Caller(), key);
        if (StoredSoFar(db, key).bytes != upload.size) {
            Abandon("O arquivo \"" + upload.name +
                    "\" não chegou inteiro; nada foi gravado. Anexe-o de novo.");
        }
        if (PartsDigest(db, key) != upload.hash) {
            Abandon("O arquivo \"" + upload.name +
                    "\" chegou diferente do enviado (a soma de verificação não confere); "
                    "nada foi gravado. Anexe-o de novo.");
        }
        NeedRoom(db, branch, number, upload.name, upload.size, attachment);
        Params done = key;
        done.emplace_back("T", Variant(ServerNow()));
        db.Execute(std::string("UPDATE ANEXOOCORR SET IDSITUACAO = 'A', DTINCLUSAO = :T") +
                       kWhereOne,
                   done);
        HistoryWriter history(db, args);
        history.Altered(branch, number, "ANEXO" + std::to_string(attachment), Variant(),
                        Variant(Described(upload)));
        history.Flush();
        tx.Commit();
        return Variant("");
    });
}

Variant CancelaAnexo(db::Database& db, const Args& args) {
    args.Expect(3);
    const std::string branch = args.Text(0, 4), number = args.Text(1, 10);
    const std::int64_t attachment = args.Whole(2);
    return Refusable("CancelaAnexo", [&] {
        db::Transaction tx(db);
        NeedBranch(args.Caller(), branch);
        const Params key = KeyOf(branch, number, attachment);
        const Upload upload = ReadUpload(db, key);
        // Only one's own upload still under way; anything else is left as it is.
        if (upload.found && upload.status == "P" && upload.op == args.Caller().op) {
            Discard(db, key);
        }
        tx.Commit();
        return Variant("");
    });
}

Variant GetParteAnexo(db::Database& db, const Args& args) {
    args.Expect(4);
    const std::string branch = args.Text(0, 4), number = args.Text(1, 10);
    const std::int64_t attachment = args.Whole(2), part = args.Whole(3);
    if (!args.Caller().MayUse(branch)) {
        return Variant(ServerError{args.Caller().NoAccessTo(branch) + "."});
    }
    auto st = db.Prepare("SELECT P.CONTEUDO, P.DSHASH, A.NMARQUIVO FROM ANEXOPARTE P JOIN "
                         "ANEXOOCORR A ON A.CDFILILANCMO = P.CDFILILANCMO AND A.NROCORRMOV = "
                         "P.NROCORRMOV AND A.NRANEXO = P.NRANEXO WHERE P.CDFILILANCMO = :B AND "
                         "P.NROCORRMOV = :N AND P.NRANEXO = :A AND P.NRPARTE = :P AND "
                         "A.IDSITUACAO = 'A'");
    for (const auto& [name, value] : KeyOf(branch, number, attachment)) {
        st->Bind(name, value);
    }
    st->Bind("P", Variant(part));
    if (!st->Next()) {
        return Variant(ServerError{"O anexo " + std::to_string(attachment) + " da ocorrência " +
                                   Key(branch, number) +
                                   " não existe mais (foi removido por outro usuário)."});
    }
    Variant content = st->Value(0);
    if (!content.Get<Blob>() || Sha256::Of(content.Get<Blob>()->bytes) != st->Value(1).AsString()) {
        LogFailure("GetParteAnexo", "a parte " + std::to_string(part) + " do anexo " +
                                        std::to_string(attachment) + " de " + Key(branch, number) +
                                        " não confere com o seu SHA-256");
        return Variant(ServerError{"O anexo \"" + st->Value(2).AsString() +
                                   "\" está danificado no banco de dados; avise o "
                                   "administrador."});
    }
    return content;
}

Variant ExcluiAnexo(db::Database& db, const Args& args) {
    args.Expect(4);
    const std::string branch = args.Text(0, 4), number = args.Text(1, 10);
    const std::int64_t attachment = args.Whole(2), version = args.Whole(3);
    return Refusable("ExcluiAnexo", [&] {
        db::Transaction tx(db);
        NeedBranch(args.Caller(), branch);
        NeedOccurrence(db, branch, number);
        const Params key = KeyOf(branch, number, attachment);
        const Upload upload = ReadUpload(db, key);
        if (!upload.found || upload.status != "A") {
            throw ConfirmFailure("O anexo já foi removido por outro usuário; nada foi alterado.");
        }
        if (upload.version != version) {
            throw ConfirmFailure("O anexo \"" + upload.name +
                                 "\" foi alterado por outro usuário depois de listado; nada foi "
                                 "removido. Feche e abra os anexos de novo.");
        }
        Discard(db, key);
        HistoryWriter history(db, args);
        history.Altered(branch, number, "ANEXO" + std::to_string(attachment),
                        Variant(Described(upload)), Variant());
        history.Flush();
        tx.Commit();
        return Variant("");
    });
}

void NoteAttachmentsGone(db::Database& db, HistoryWriter& history, const std::string& branch,
                         const std::string& number) {
    auto st = db.Prepare(std::string("SELECT NRANEXO FROM ANEXOOCORR") + kWhere +
                         " AND IDSITUACAO = 'A' ORDER BY NRANEXO");
    for (const auto& [name, value] : KeyOf(branch, number)) {
        st->Bind(name, value);
    }
    std::vector<std::int64_t> numbers;
    while (st->Next()) {
        numbers.push_back(st->Value(0).AsInteger());
    }
    for (const std::int64_t n : numbers) {
        const Upload u = ReadUpload(db, KeyOf(branch, number, n));
        history.Altered(branch, number, "ANEXO" + std::to_string(n), Variant(Described(u)),
                        Variant());
    }
}

} // namespace oca::server
