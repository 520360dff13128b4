// Confirma and DelOcorr: the server's writes, each call in one transaction.
#include "appserver/access_rules.h"
#include "appserver/attachments.h"
#include "appserver/confirm_checks.h"
#include "appserver/history.h"
#include "appserver/occurrence_record.h"
#include "appserver/qualification.h"
#include "appserver/server.h"

#include "core/empty_fields.h"
#include "core/text.h"

#include <cstdio>
#include <optional>
#include <random>
#include <set>

namespace oca::server {

namespace {

Variant Stored(const Variant& v) {
    if (v.Type() == VarType::String && Trim(*v.Get<std::string>()).empty()) {
        return {};
    }
    return v;
}

std::string KeyText(const std::string& branch, const std::string& number) {
    return branch + "/" + number;
}

[[noreturn]] void BadField(const char* what, size_t index, const char* packet) {
    throw RpcError(kInvalidParams, std::string("Confirma: o campo ") + std::to_string(index + 1) +
                                       " " + packet + " " + what + "; nada foi gravado.");
}

/// The columns of MOVOCORR a delta names, checked: unknown names are refused; looked-up
/// and computed ones are skipped.
std::vector<int> OwnColumns(const DataPacket& delta) {
    std::vector<int> own;
    for (size_t i = 0; i < delta.fields.size(); ++i) {
        const PacketField& f = delta.fields[i];
        bool isOwn = false;
        if (!IsRecordColumn(f.name, &isOwn)) {
            if (f.name == "DTFORN") {
                continue;
            }
            BadField("não é da ocorrência", i, "da alteração da ocorrência");
        }
        if (!isOwn) {
            continue;
        }
        const bool wantsDate = f.name == "DTOCORRMOV";
        const bool isDate = f.type == FieldType::DateTime;
        const bool isText = f.type == FieldType::String || f.type == FieldType::FixedString;
        if (wantsDate ? !isDate : !isText) {
            BadField("tem o tipo errado", i, "da alteração da ocorrência");
        }
        own.push_back(static_cast<int>(i));
    }
    return own;
}

int Index(const DataPacket& delta, const char* name) {
    const int i = delta.FieldIndex(name);
    if (i < 0) {
        throw ConfirmFailure(std::string("A alteração não traz o campo ") + name);
    }
    return i;
}

std::string NextNumber(db::Database& db, const std::string& branch) {
    const std::vector<std::pair<std::string, Variant>> key = {{"B", Variant(branch)}};
    // The counter's row lock orders the inserts of one branch, across servers too, and is
    // held until the commit: it is taken last, once the change has passed its checks.
    const auto advance = [&]() -> std::optional<std::int64_t> {
        auto st = db.Prepare("UPDATE NUMOCORR SET NRULTIMO = NRULTIMO + 1 "
                             "WHERE CDFILILANCMO = :B RETURNING NRULTIMO");
        st->Bind("B", key[0].second);
        if (!st->Next()) {
            return std::nullopt;
        }
        const std::int64_t n = st->Value(0).AsInteger();
        while (st->Next()) {
        }
        return n;
    };
    std::optional<std::int64_t> number = advance();
    if (!number) {
        // A branch's first counter starts past its highest number. When another server
        // starts it at the same moment, that one wins and this one counts on from it. The
        // cast gives the parameter one type wherever it stands.
        // Numbers of deleted occurrences count too: their history keeps them, and a number
        // is never given twice.
        const std::int64_t started = db.Execute(
            "INSERT INTO NUMOCORR (CDFILILANCMO, NRULTIMO) SELECT CAST(:B AS VARCHAR(4)), "
            "COALESCE(MAX(N), 0) + 1 FROM (SELECT CAST(NROCORRMOV AS INTEGER) AS N FROM MOVOCORR "
            "WHERE CDFILILANCMO = :B AND NROCORRMOV NOT LIKE 'P%' UNION ALL SELECT "
            "CAST(NROCORRMOV AS INTEGER) FROM "
            "HISTMOVOCORR WHERE CDFILILANCMO = :B) X WHERE 1 = 1 ON CONFLICT (CDFILILANCMO) DO "
            "NOTHING",
            key);
        if (started == 0) {
            number = advance();
        } else {
            auto st = db.Prepare("SELECT NRULTIMO FROM NUMOCORR WHERE CDFILILANCMO = :B");
            st->Bind("B", key[0].second);
            st->Next();
            number = st->Value(0).AsInteger();
        }
    }
    if (!number) {
        throw ConfirmFailure("O contador de ocorrências da filial " + branch +
                             " não pôde ser lido; nada foi gravado.");
    }
    char buf[16];
    std::snprintf(buf, sizeof buf, "%010lld", static_cast<long long>(*number));
    return buf;
}

// A new occurrence of the call. It is stored under a provisional number, and numbered last,
// once everything else of the call is done: its branch's counter row, locked from then to
// the commit, is held for a few statements only, and the other inserts of the branch (on
// every server) wait that long.
struct Inserted {
    std::string branch, number; ///< its number: provisional until the call's end
    Row stored;                 ///< its own columns as stored (StoredColumns())
    std::vector<std::pair<std::string, std::string>> texts; ///< tables and branches of its texts
};

// A number no occurrence has: the branch counter's are ten digits.
std::string ProvisionalNumber() {
    static thread_local std::mt19937_64 random{std::random_device{}()};
    char text[16];
    std::snprintf(text, sizeof text, "P%09llu",
                  static_cast<unsigned long long>(random() % 1000000000ull));
    return text;
}

// A new occurrence is the session's operator's, whatever operator the client names.
Row AsCaller(const DataPacket& delta, Row values, const Session& caller) {
    const int op = delta.FieldIndex("CDOPERADOR");
    if (op >= 0) {
        values[static_cast<size_t>(op)] = Variant(caller.op);
    }
    return values;
}

void InsertOccurrence(db::Database& db, const DataPacket& delta, const Row& given,
                      const std::vector<int>& own, const Session& caller, Inserted& out) {
    const Row values = AsCaller(delta, given, caller);
    out.branch = Trim(values[static_cast<size_t>(Index(delta, "CDFILILANCMO"))].AsString());
    if (out.branch.empty()) {
        throw ConfirmFailure("A filial de lançamento da nova ocorrência deve ser informada.");
    }
    const int kb = delta.FieldIndex("CDFILIAL");
    const std::string branch =
        kb < 0 ? std::string() : Trim(values[static_cast<size_t>(kb)].AsString());
    NeedBranch(caller, out.branch);
    if (!branch.empty()) {
        NeedBranch(caller, branch);
    }
    NeedMaintenance(db, caller, branch, true);
    CheckOccurrenceValues(db, delta, RowChange{RowState::Inserted, {}, values}, own);
    out.number = ProvisionalNumber();
    std::string columns, marks;
    std::vector<std::pair<std::string, Variant>> params;
    for (int i : own) {
        const std::string& name = delta.fields[static_cast<size_t>(i)].name;
        // A new row stores what it holds: an empty field is already null here, and the list
        // of emptied fields may not take a value the row gives.
        const Variant v =
            name == "NROCORRMOV" ? Variant(out.number) : Stored(values[static_cast<size_t>(i)]);
        columns += (columns.empty() ? "" : ", ") + name;
        marks += (marks.empty() ? ":" : ", :") + name;
        params.emplace_back(name, v);
    }
    if (delta.FieldIndex("NROCORRMOV") < 0) {
        columns += ", NROCORRMOV";
        marks += ", :NROCORRMOV";
        params.emplace_back("NROCORRMOV", Variant(out.number));
    }
    if (delta.FieldIndex("CDOPERADOR") < 0) {
        columns += ", CDOPERADOR";
        marks += ", :CDOPERADOR";
        params.emplace_back("CDOPERADOR", Variant(caller.op));
    }
    // The row comes back as stored, defaults included, for its history and the supplier's
    // qualification: no second reading while the branch's counter is held.
    auto st = db.Prepare("INSERT INTO MOVOCORR (" + columns + ") VALUES (" + marks +
                         ") RETURNING " + StoredColumns());
    for (const auto& [name, value] : params) {
        st->Bind(name, value);
    }
    out.stored.clear();
    if (st->Next()) {
        for (size_t c = 0; c < st->ColumnCount(); ++c) {
            out.stored.push_back(st->Value(c));
        }
    }
    while (st->Next()) {
    }
}

// The stored value of one of the new occurrence's own columns.
const Variant& StoredValue(const Inserted& inserted, const char* name) {
    static const Variant none;
    size_t i = 0;
    for (const RecordColumn& c : OccurrenceColumns()) {
        if (c.own) {
            if (c.field.name == name) {
                return i < inserted.stored.size() ? inserted.stored[i] : none;
            }
            ++i;
        }
    }
    return none;
}

Row CurrentOccurrence(db::Database& db, const std::string& branch, const std::string& number,
                      const DataPacket& delta, const std::vector<int>& own, bool& found) {
    std::string columns;
    for (int i : own) {
        columns += (columns.empty() ? "" : ", ") + delta.fields[static_cast<size_t>(i)].name;
    }
    // Locked until the change is stored: another server checking the same occurrence
    // waits, then finds it changed.
    auto st = db.Prepare("SELECT " + (columns.empty() ? std::string("1") : columns) +
                         " FROM MOVOCORR WHERE CDFILILANCMO = :B AND NROCORRMOV = :N" +
                         std::string(db.RowLock()));
    st->Bind("B", Variant(branch));
    st->Bind("N", Variant(number));
    Row row;
    found = st->Next();
    if (found) {
        for (size_t c = 0; c < own.size(); ++c) {
            row.push_back(st->Value(c));
        }
    }
    return row;
}

void UpdateOccurrence(db::Database& db, const DataPacket& delta, const RowChange& change,
                      const std::vector<int>& own, const std::set<std::string>& empties,
                      const Session& caller, HistoryWriter& history) {
    const std::string branch =
        change.oldValues[static_cast<size_t>(Index(delta, "CDFILILANCMO"))].AsString();
    const std::string number =
        change.oldValues[static_cast<size_t>(Index(delta, "NROCORRMOV"))].AsString();
    // The key names the occurrence's texts and its place in the branch's numbering: an
    // occurrence that moved would leave its texts behind and could take a number the
    // counter has yet to give.
    for (const char* key : {"CDFILILANCMO", "NROCORRMOV"}) {
        const size_t i = static_cast<size_t>(Index(delta, key));
        if (Trim(change.newValues[i].AsString()) != Trim(change.oldValues[i].AsString())) {
            throw ConfirmFailure("A ocorrência " + KeyText(branch, number) + " não pode mudar de " +
                                 FieldLabel(key) + "; nada foi gravado.");
        }
    }
    NeedBranch(caller, branch);
    const StoredOwner owner = ReadOwner(db, branch, number);
    bool found = false;
    const Row current = CurrentOccurrence(db, branch, number, delta, own, found);
    if (!found || !owner.found) {
        throw ConfirmFailure(
            "A ocorrência " + KeyText(branch, number) +
            " foi excluída por outro usuário depois de carregada; nada foi gravado. "
            "Cancele e use Verificar para atualizar a lista.");
    }
    NeedOwnOccurrence(caller, owner.op);
    CheckOccurrenceValues(db, delta, change, own);
    std::string sets;
    std::vector<std::pair<std::string, Variant>> params = {{"KB", Variant(branch)},
                                                           {"KN", Variant(number)}};
    std::vector<std::pair<size_t, size_t>> altered; // the record's column, and its param
    for (size_t c = 0; c < own.size(); ++c) {
        const size_t i = static_cast<size_t>(own[c]);
        const std::string& name = delta.fields[i].name;
        // Only what this change altered is written. The list of emptied fields names every
        // empty field of the person's row, also those they never touched: clearing those
        // would erase what another user stored meanwhile.
        const bool changed = Comparable(change.oldValues[i]) != Comparable(change.newValues[i]);
        if (!changed) {
            continue;
        }
        const bool emptied = empties.count(name) > 0;
        if (Comparable(current[c]) != Comparable(change.oldValues[i])) {
            throw ConfirmFailure(
                "A ocorrência " + KeyText(branch, number) +
                " foi alterada por outro usuário depois de carregada (campo " + name +
                "); nada foi gravado. Cancele e use Verificar para carregar a versão "
                "atual e refaça a alteração.");
        }
        if (name == "CDOPERADOR") {
            throw ConfirmFailure("O operador que registrou a ocorrência " +
                                 KeyText(branch, number) +
                                 " não pode ser trocado; nada foi "
                                 "gravado.");
        }
        if (name == "CDFILIAL") {
            NeedBranch(caller, Trim(change.newValues[i].AsString()));
        }
        sets += (sets.empty() ? "" : ", ") + name + " = :" + name;
        altered.emplace_back(c, params.size());
        params.emplace_back(name, emptied ? Variant() : Stored(change.newValues[i]));
    }
    if (sets.empty()) {
        return;
    }
    db.Execute("UPDATE MOVOCORR SET " + sets + " WHERE CDFILILANCMO = :KB AND NROCORRMOV = :KN",
               params);
    for (const auto& [c, p] : altered) {
        history.Altered(branch, number, params[p].first, current[c], params[p].second);
    }
}

// A delete made from a reading of the occurrence must find it as it was read: otherwise it
// would remove a change another user stored since, unseen by the person who deletes.
void CheckDeletedAsRead(db::Database& db, const std::string& branch, const std::string& number,
                        const DataPacket& read, const Row& values) {
    const std::vector<int> own = OwnColumns(read);
    bool found = false;
    const Row current = CurrentOccurrence(db, branch, number, read, own, found);
    if (!found) {
        throw ConfirmFailure("A ocorrência " + KeyText(branch, number) + " não existe mais.");
    }
    for (size_t c = 0; c < own.size(); ++c) {
        const size_t i = static_cast<size_t>(own[c]);
        if (Comparable(current[c]) != Comparable(values[i])) {
            throw ConfirmFailure("A ocorrência " + KeyText(branch, number) +
                                 " foi alterada por outro usuário depois de carregada (campo " +
                                 read.fields[i].name +
                                 "); nada foi excluído. Use Verificar para carregar a versão "
                                 "atual antes de excluí-la.");
        }
    }
}

// The occurrence goes with its texts, its history keeping what they held.
void DeleteOccurrence(db::Database& db, const std::string& branch, const std::string& number,
                      const Session& caller, HistoryWriter& history) {
    NeedBranch(caller, branch);
    const StoredOwner owner = ReadOwner(db, branch, number);
    if (!owner.found) {
        throw ConfirmFailure("A ocorrência " + KeyText(branch, number) + " não existe mais.");
    }
    NeedMaintenance(db, caller, owner.branch, false);
    history.Deleting(branch, number);
    const std::vector<std::pair<std::string, Variant>> key = {{"B", Variant(branch)},
                                                              {"N", Variant(number)}};
    db.Execute("DELETE FROM DESCMOVOCORR WHERE CDFILILANCMO = :B AND NROCORRMOV = :N", key);
    db.Execute("DELETE FROM PARECER WHERE CDFILILANCMO = :B AND NROCORRMOV = :N", key);
    // Its treatment goes with it; the history keeps the occurrence as it was.
    NoteAttachmentsGone(db, history, branch, number);
    db.Execute("DELETE FROM ANEXOPARTE WHERE CDFILILANCMO = :B AND NROCORRMOV = :N", key);
    db.Execute("DELETE FROM ANEXOOCORR WHERE CDFILILANCMO = :B AND NROCORRMOV = :N", key);
    db.Execute("DELETE FROM ACAOOCORR WHERE CDFILILANCMO = :B AND NROCORRMOV = :N", key);
    db.Execute("DELETE FROM TRATOCORR WHERE CDFILILANCMO = :B AND NROCORRMOV = :N", key);
    if (db.Execute("DELETE FROM MOVOCORR WHERE CDFILILANCMO = :B AND NROCORRMOV = :N", key) == 0) {
        throw ConfirmFailure("A ocorrência " + KeyText(branch, number) + " não existe mais.");
    }
}

std::string ApplyOccurrences(db::Database& db, const DataPacket& delta,
                             const std::string& emptyList, const Session& caller,
                             HistoryWriter& history, std::vector<Inserted>& news,
                             QualificationMarks& marks) {
    const std::vector<int> own = OwnColumns(delta);
    const std::set<std::string> empties = DecodeEmptyFields(emptyList);
    std::string answer;
    for (const RowChange& change : delta.changes) {
        if (change.state == RowState::Inserted) {
            Inserted& inserted = news.emplace_back();
            InsertOccurrence(db, delta, change.newValues, own, caller, inserted);
            history.Inserted(inserted.branch, inserted.number, inserted.stored);
            marks.Note(StoredValue(inserted, "CDFILIAL"), StoredValue(inserted, "CDFORNECED"),
                       StoredValue(inserted, "DTOCORRMOV"));
            answer = inserted.number;
            continue;
        }
        const std::string branch =
            change.oldValues[static_cast<size_t>(Index(delta, "CDFILILANCMO"))].AsString();
        const std::string number =
            change.oldValues[static_cast<size_t>(Index(delta, "NROCORRMOV"))].AsString();
        // The supplier's month as it was, and as it is after the change: an occurrence
        // that moves to another month or supplier changes both scores.
        marks.Note(db, branch, number);
        if (change.state == RowState::Modified) {
            UpdateOccurrence(db, delta, change, own, empties, caller, history);
            marks.Note(db, branch, number);
        } else {
            CheckDeletedAsRead(db, branch, number, delta, change.oldValues);
            DeleteOccurrence(db, branch, number, caller, history);
        }
    }
    return answer;
}

bool OccurrenceExists(db::Database& db, const std::string& branch, const std::string& number) {
    // Locked so that the occurrence cannot go while its text is stored.
    auto st = db.Prepare("SELECT 1 FROM MOVOCORR WHERE CDFILILANCMO = :B AND NROCORRMOV = :N" +
                         std::string(db.RowLock()));
    st->Bind("B", Variant(branch));
    st->Bind("N", Variant(number));
    return st->Next();
}

// A text of an occurrence (description or assessment): its key takes the number just
// given to a new occurrence when it has none; an update must find the text as it was read
// (and its version, when the delta carries it), else another user changed it.
void CheckTextFields(const DataPacket& delta, const char* column) {
    for (size_t i = 0; i < delta.fields.size(); ++i) {
        const std::string& name = delta.fields[i].name;
        if (name != "CDFILILANCMO" && name != "NROCORRMOV" && name != column &&
            name != "NRVERSAO") {
            BadField("não é do texto", i, "do texto da ocorrência");
        }
    }
}

void ApplyText(db::Database& db, const DataPacket& delta, const char* table, const char* column,
               std::vector<Inserted>& news, const Session& caller, HistoryWriter& history) {
    const size_t kb = static_cast<size_t>(Index(delta, "CDFILILANCMO"));
    const size_t kn = static_cast<size_t>(Index(delta, "NROCORRMOV"));
    const size_t kt = static_cast<size_t>(Index(delta, column));
    const int kv = delta.FieldIndex("NRVERSAO");
    const std::string where = " WHERE CDFILILANCMO = :B AND NROCORRMOV = :N";
    for (const RowChange& change : delta.changes) {
        const Row& values = change.state == RowState::Deleted ? change.oldValues : change.newValues;
        std::string branch = Trim(values[kb].AsString());
        std::string number = Trim(values[kn].AsString());
        if (change.state == RowState::Inserted && number.empty() && !news.empty()) {
            // The text of the call's (last) new occurrence: it follows it when it is numbered.
            branch = branch.empty() ? news.back().branch : branch;
            number = news.back().number;
            news.back().texts.emplace_back(table, branch);
        }
        if (branch.empty() || number.empty()) {
            throw ConfirmFailure("O texto não indica a sua ocorrência.");
        }
        NeedBranch(caller, branch);
        const std::vector<std::pair<std::string, Variant>> key = {{"B", Variant(branch)},
                                                                  {"N", Variant(number)}};
        if (change.state != RowState::Deleted && !OccurrenceExists(db, branch, number)) {
            throw ConfirmFailure("A ocorrência " + KeyText(branch, number) +
                                 " não existe mais (foi excluída por outro usuário); o texto não "
                                 "foi gravado. Cancele e use Verificar para atualizar a lista.");
        }
        auto current = db.Prepare(std::string("SELECT ") + column + ", NRVERSAO FROM " + table +
                                  where + std::string(db.RowLock()));
        current->Bind("B", key[0].second);
        current->Bind("N", key[1].second);
        const bool exists = current->Next();
        if (change.state == RowState::Modified && !exists) {
            throw ConfirmFailure(
                "O texto da ocorrência " + KeyText(branch, number) +
                " foi excluído por outro usuário depois de carregado; nada foi "
                "gravado. Cancele e use Verificar na página do texto para carregar a "
                "versão atual.");
        }
        if (change.state != RowState::Inserted && exists) {
            // A change, or a delete, made from an older reading would undo another user's.
            const bool sameText = Comparable(current->Value(0)) == Comparable(change.oldValues[kt]);
            const bool sameVersion = kv < 0 || change.oldValues[static_cast<size_t>(kv)].IsNull() ||
                                     current->Value(1).AsInteger() ==
                                         change.oldValues[static_cast<size_t>(kv)].AsInteger();
            if (!sameText || !sameVersion) {
                throw ConfirmFailure("O texto da ocorrência " + KeyText(branch, number) +
                                     " foi alterado por outro usuário depois de carregado; nada "
                                     "foi gravado. Cancele e use Verificar na página do texto para "
                                     "carregar a versão atual.");
            }
        }
        if (change.state == RowState::Deleted) {
            if (exists) { // gone already with its occurrence: its history has it
                history.Text(branch, number, column, current->Value(0), Variant());
            }
            db.Execute(std::string("DELETE FROM ") + table + where, key);
            continue;
        }
        if (change.state == RowState::Modified) {
            history.Text(branch, number, column, current->Value(0), values[kt]);
            db.Execute(std::string("UPDATE ") + table + " SET " + column +
                           " = :T, NRVERSAO = NRVERSAO + 1" + where,
                       {{"B", key[0].second}, {"N", key[1].second}, {"T", values[kt]}});
            continue;
        }
        if (exists) {
            throw ConfirmFailure("O texto da ocorrência " + KeyText(branch, number) +
                                 " foi incluído por outro usuário depois de carregado; nada "
                                 "foi gravado. Cancele e use Verificar na página do texto para "
                                 "carregar a versão atual.");
        }
        history.Text(branch, number, column, Variant(), values[kt]);
        db.Execute(std::string("INSERT INTO ") + table + " (CDFILILANCMO, NROCORRMOV, " + column +
                       ", NRVERSAO) VALUES (:B, :N, :T, 1)",
                   {{"B", key[0].second}, {"N", key[1].second}, {"T", values[kt]}});
    }
}

// Where writers run together, the counter is advanced and the occurrence numbered in one
// statement: the counter row, held from then to the commit, waits one round trip less.
// Nothing when the branch has no counter yet (or elsewhere): NextNumber starts it.
std::optional<std::string> CountAndNumber(db::Database& db, const Inserted& n) {
    if (!db.WritersRunTogether()) {
        return std::nullopt;
    }
    auto st = db.Prepare(
        "WITH C AS (UPDATE NUMOCORR SET NRULTIMO = NRULTIMO + 1 WHERE CDFILILANCMO = :B "
        "RETURNING LPAD(CAST(NRULTIMO AS VARCHAR(20)), 10, '0') AS R) UPDATE MOVOCORR SET "
        "NROCORRMOV = C.R FROM C WHERE CDFILILANCMO = :B AND NROCORRMOV = :P RETURNING "
        "MOVOCORR.NROCORRMOV");
    st->Bind("B", Variant(n.branch));
    st->Bind("P", Variant(n.number));
    if (!st->Next()) {
        return std::nullopt;
    }
    std::string number = st->Value(0).AsString();
    while (st->Next()) {
    }
    return number;
}

// The call's new occurrences take their numbers, in the order they came, with their texts
// and history entries; the last one's number is the answer.
std::string NumberNewOccurrences(db::Database& db, std::vector<Inserted>& news,
                                 HistoryWriter& history) {
    for (Inserted& n : news) {
        std::optional<std::string> given = CountAndNumber(db, n);
        const std::string number = given ? *given : NextNumber(db, n.branch);
        const std::string sql = " SET NROCORRMOV = :R WHERE CDFILILANCMO = :B AND NROCORRMOV = :P";
        const auto params = [&](const std::string& branch) {
            return std::vector<std::pair<std::string, Variant>>{
                {"R", Variant(number)}, {"B", Variant(branch)}, {"P", Variant(n.number)}};
        };
        if (!given && db.Execute("UPDATE MOVOCORR" + sql, params(n.branch)) != 1) {
            throw ConfirmFailure("A nova ocorrência não pôde ser numerada; nada foi gravado.");
        }
        history.Renumber(n.branch, n.number, number);
        for (const auto& [table, branch] : n.texts) {
            // Its text was stored with it in this call: nothing to check, and it goes with the
            // commit where the engine can.
            db.Defer("UPDATE " + table + sql, params(branch));
            history.Renumber(branch, n.number, number);
        }
        n.number = number;
    }
    return news.empty() ? std::string() : news.back().number;
}

constexpr size_t kMaxConfirmChanges = 1000;

} // namespace

Variant Confirma(db::Database& db, const Args& args) {
    args.Expect(4);
    const auto occurrences = args.Packet(0);
    const auto opinion = args.Packet(1);
    const auto description = args.Packet(2);
    const std::string emptyList = args.Text(3);
    // Every name is known before anything runs: a packet with another's columns is the
    // caller's mistake, not a refusal of the change.
    if (occurrences) {
        OwnColumns(*occurrences);
    }
    if (description) {
        CheckTextFields(*description, "DSMOVOCORR");
    }
    if (opinion) {
        CheckTextFields(*opinion, "DSPAROCORMOV");
    }
    for (const auto& p : {occurrences, opinion, description}) {
        if (p && !p->isDelta) {
            throw RpcError(kInvalidParams, "Confirma espera pacotes de alterações");
        }
        // The desktop sends one change per packet; a huge one would hold the company's
        // writes for seconds.
        if (p && p->changes.size() > kMaxConfirmChanges) {
            throw RpcError(kInvalidParams, "Confirma aceita no máximo " +
                                               std::to_string(kMaxConfirmChanges) +
                                               " alterações por pacote; este tem " +
                                               std::to_string(p->changes.size()) + ".");
        }
    }
    try {
        db::Transaction tx(db);
        const Session& caller = args.Caller();
        HistoryWriter history(db, args);
        std::vector<Inserted> news;
        QualificationMarks marks;
        std::string answer;
        if (occurrences) {
            answer = ApplyOccurrences(db, *occurrences, emptyList, caller, history, news, marks);
        }
        if (description) {
            ApplyText(db, *description, "DESCMOVOCORR", "DSMOVOCORR", news, caller, history);
        }
        if (opinion) {
            ApplyText(db, *opinion, "PARECER", "DSPAROCORMOV", news, caller, history);
        }
        marks.Requalify(db);
        if (!news.empty()) {
            answer = NumberNewOccurrences(db, news, history);
        }
        history.Flush();
        tx.Commit();
        return Variant(answer);
    } catch (const ConfirmFailure& e) {
        return Variant(std::string(e.what()));
    } catch (const db::SqlConflict&) {
        throw; // lost a race with another server: the call runs again
    } catch (const Exception& e) {
        return Variant("Erro ao gravar a ocorrência no servidor; nada foi gravado (" +
                       LogFailure("Confirma", e.Message()) + " no log do servidor).");
    }
}

// The key, and (from the desktop) the occurrence as the person saw it: a one-row packet of
// its columns, checked against the stored row as a change's original values are.
Variant DelOcorr(db::Database& db, const Args& args) {
    if (args.Count() != 3) {
        args.Expect(2);
    }
    const auto read = args.Count() == 3 ? args.Packet(2) : nullptr;
    if (read && (read->isDelta || read->rows.size() != 1)) {
        throw RpcError(kInvalidParams, "DelOcorr espera a ocorrência lida como um pacote de uma "
                                       "linha");
    }
    if (read) {
        OwnColumns(*read);
    }
    try {
        db::Transaction tx(db);
        HistoryWriter history(db, args);
        QualificationMarks marks;
        marks.Note(db, args.Text(0), args.Text(1));
        if (read) {
            CheckDeletedAsRead(db, args.Text(0), args.Text(1), *read, read->rows[0]);
        }
        DeleteOccurrence(db, args.Text(0), args.Text(1), args.Caller(), history);
        history.Flush();
        marks.Requalify(db);
        tx.Commit();
        return Variant("");
    } catch (const ConfirmFailure& e) {
        return Variant(ServerError{e.what()});
    }
}

} // namespace oca::server
