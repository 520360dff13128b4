// Sign-in and sessions: a call acts as the operator whose session its token names.
#include "appserver/server.h"

#include "access/passwords.h"
#include "core/packet_json.h"
#include "core/text.h"

#include <algorithm>
#include <semaphore>
#include <thread>

namespace oca::server {

bool Session::MayUse(const std::string& b) const {
    return std::any_of(grants.begin(), grants.end(),
                       [&](const access::Grant& g) { return g.Covers(b, module); });
}

std::vector<std::string> Session::Branches() const {
    std::vector<std::string> out;
    for (const access::Grant& g : grants) {
        if (g.branch != "*" && (g.module == 0 || g.module == module)) {
            out.push_back(g.branch);
        }
    }
    return out;
}

namespace {

constexpr const char* kWrong = "Operador ou senha inválidos.";

TDateTime Minutes(TDateTime from, int minutes) {
    return TDateTime{from.Value + minutes / (24.0 * 60.0)};
}

// Argon2id takes tens of megabytes for each check: a burst of sign-ins must not take the
// server's memory with it.
std::counting_semaphore<2> g_hashing(2);

bool HashMatches(const std::string& hash, const std::string& password) {
    g_hashing.acquire();
    const bool matches = access::PasswordMatches(hash, password);
    g_hashing.release();
    return matches;
}

struct Failures {
    int count = 0;
    std::optional<TDateTime> lockedUntil;
};

Failures ReadFailures(db::Database& db, const std::string& op) {
    auto st = db.Prepare("SELECT QTFALHAS, DTBLOQATE FROM FALHAENTRADA WHERE CDOPERADOR = :O");
    st->Bind("O", Variant(op));
    Failures f;
    if (st->Next()) {
        f.count = static_cast<int>(st->Value(0).AsInteger());
        if (!st->Value(1).IsNull()) {
            f.lockedUntil = st->Value(1).AsDateTime();
        }
    }
    return f;
}

void NoteFailure(db::Database& db, const std::string& op, const Failures& before,
                 const SessionRules& rules) {
    const TDateTime now = ServerNow();
    const bool expiredLock = before.lockedUntil && before.lockedUntil->Value <= now.Value;
    const int count = (expiredLock ? 0 : before.count) + 1;
    Variant lock;
    if (count >= rules.failuresBeforeLock) {
        lock = Variant(Minutes(now, rules.lockMinutes));
    }
    const std::vector<std::pair<std::string, Variant>> row = {
        {"O", Variant(op)}, {"C", Variant(count)}, {"D", Variant(now)}, {"L", lock}};
    db::Transaction tx(db);
    if (db.Execute("UPDATE FALHAENTRADA SET QTFALHAS = :C, DTULTFALHA = :D, DTBLOQATE = :L "
                   "WHERE CDOPERADOR = :O",
                   row) == 0) {
        db.Execute("INSERT INTO FALHAENTRADA (CDOPERADOR, QTFALHAS, DTULTFALHA, DTBLOQATE) "
                   "VALUES (:O, :C, :D, :L)",
                   row);
    }
    tx.Commit();
}

std::string StoredHash(db::Database& db, const std::string& op, std::string& name) {
    auto st = db.Prepare("SELECT S.DSHASH, O.NMOPERADOR FROM SENHAOPER S JOIN OPERADOR O "
                         "ON O.CDOPERADOR = S.CDOPERADOR WHERE S.CDOPERADOR = :O");
    st->Bind("O", Variant(op));
    if (!st->Next()) {
        return {};
    }
    name = st->Value(1).AsString();
    return st->Value(0).AsString();
}

int ModuleArgument(const Args& args, size_t index) {
    const Variant& v = args.Raw(index);
    if (v.Type() == VarType::Integer) {
        return static_cast<int>(v.AsInteger());
    }
    const std::string text = args.Text(index, 3);
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) {
        throw RpcError(kInvalidParams, "Entrar: o módulo deve ser um número de 1 a 999");
    }
    return std::stoi(text);
}

std::string GrantsText(const std::vector<access::Grant>& grants) {
    std::string text;
    for (const access::Grant& g : grants) {
        text += (text.empty() ? "" : " ") + g.branch + "/" + std::to_string(g.module);
    }
    return text;
}

Variant SessionPacket(const std::string& token, const Session& s) {
    DataPacket p;
    p.fields = {{"SESSAO", FieldType::String, 64},     {"CDOPERADOR", FieldType::String, 12},
                {"NMOPERADOR", FieldType::String, 40}, {"CDFILIAL", FieldType::String, 4},
                {"CDMODULO", FieldType::Integer, 0},   {"ACESSOS", FieldType::String, 4000}};
    p.rows.push_back({Variant(token), Variant(s.op), Variant(s.opName), Variant(s.branch),
                      Variant(s.module), Variant(GrantsText(s.grants))});
    return MakePacketVariant(std::move(p));
}

} // namespace

Variant OcorAtendimento::SignIn(const Args& args, const CallLimits& limits) {
    args.Expect(4);
    const std::string op = args.Text(0, 12);
    const std::string& password =
        args.Raw(1).Type() == VarType::String ? *args.Raw(1).Get<std::string>() : std::string();
    if (password.size() > access::kMaxPasswordBytes) {
        throw RpcError(kInvalidParams, "Entrar: senha longa demais");
    }
    const std::string branch = args.Text(2, 4);
    const int module = ModuleArgument(args, 3);
    db::Database& db = Connection();
    const Failures failures = ReadFailures(db, op);
    if (failures.lockedUntil && failures.lockedUntil->Value > ServerNow().Value) {
        return Variant(ServerError{"Acesso bloqueado por excesso de tentativas com senha errada; "
                                   "tente de novo depois de " +
                                   FormatDateTime("hh:nn", *failures.lockedUntil) + "."});
    }
    Session s;
    s.op = op;
    const std::string hash = StoredHash(db, op, s.opName);
    // An unknown operator is checked against a hash no password matches, in the same
    // time: neither the answer nor its delay tells which operators exist.
    if (!HashMatches(hash.empty() ? access::DecoyHash() : hash, password) || hash.empty()) {
        {
            const std::lock_guard<std::mutex> writer(writeMutex_);
            NoteFailure(db, op, failures, rules_);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(rules_.failureDelayMs));
        return Variant(ServerError{kWrong});
    }
    if (failures.count > 0) {
        const std::lock_guard<std::mutex> writer(writeMutex_);
        db.Execute("DELETE FROM FALHAENTRADA WHERE CDOPERADOR = :O", {{"O", Variant(op)}});
    }
    s.grants = access::Grants(db, op);
    s.branch = branch;
    s.module = module;
    if (module < 1 || module > 999) {
        return Variant(ServerError{"Informe o módulo em que vai trabalhar (de 1 a 999)."});
    }
    if (!s.MayUse(branch)) {
        return Variant(ServerError{"O operador " + op + " não tem acesso à filial " + branch +
                                   " no módulo " + std::to_string(module) +
                                   "; peça o acesso ao administrador."});
    }
    const std::string token = access::NewSessionToken();
    const std::lock_guard<std::mutex> writer(writeMutex_);
    const TDateTime now = ServerNow();
    db.Execute("INSERT INTO SESSAO (IDSESSAO, CDOPERADOR, CDFILIAL, CDMODULO, DTINICIO, "
               "DTULTUSO, DSORIGEM) VALUES (:I, :O, :B, :M, :D, :D, :R)",
               {{"I", Variant(access::TokenDigest(token))},
                {"O", Variant(op)},
                {"B", Variant(branch)},
                {"M", Variant(module)},
                {"D", Variant(now)},
                {"R", Variant(limits.origin.substr(0, 80))}});
    return SessionPacket(token, s);
}

Session OcorAtendimento::Resolve(const std::string& method, const CallLimits& limits) {
    const auto refuse = [&](const std::string& why) -> Session {
        throw RpcError(kNoSession, why + " Entre novamente para usar " + method + ".");
    };
    // A token is 64 hexadecimal digits: anything else names no session and is not looked up.
    const std::string& token = limits.sessionToken;
    if (token.size() != 64 || token.find_first_not_of("0123456789abcdef") != std::string::npos) {
        return refuse("Sem sessão: é preciso entrar com operador e senha.");
    }
    db::Database& db = Connection();
    const std::string digest = access::TokenDigest(token);
    // The session and its operator's grants in one reading: every call of every client
    // passes here.
    auto st = db.Prepare("SELECT S.CDOPERADOR, S.CDFILIAL, S.CDMODULO, S.DTULTUSO, O.NMOPERADOR, "
                         "A.CDFILIAL, A.CDMODULO FROM SESSAO S JOIN OPERADOR O ON O.CDOPERADOR = "
                         "S.CDOPERADOR LEFT JOIN ACESSOOPER A ON A.CDOPERADOR = S.CDOPERADOR "
                         "WHERE S.IDSESSAO = :I AND S.DTFIM IS NULL ORDER BY A.CDFILIAL, "
                         "A.CDMODULO");
    st->Bind("I", Variant(digest));
    if (!st->Next()) {
        return refuse("A sessão foi encerrada.");
    }
    Session s;
    s.id = digest;
    s.op = st->Value(0).AsString();
    s.branch = st->Value(1).AsString();
    s.module = static_cast<int>(st->Value(2).AsInteger());
    const TDateTime lastUse = st->Value(3).AsDateTime();
    s.opName = st->Value(4).AsString();
    do {
        if (!st->Value(5).IsNull()) {
            s.grants.push_back(
                {st->Value(5).AsString(), static_cast<int>(st->Value(6).AsInteger())});
        }
    } while (st->Next());
    st.reset();
    const TDateTime now = ServerNow();
    const std::vector<std::pair<std::string, Variant>> key = {{"I", Variant(digest)},
                                                              {"D", Variant(now)}};
    if (Minutes(lastUse, rules_.idleMinutes).Value < now.Value) {
        const std::lock_guard<std::mutex> writer(writeMutex_);
        db.Execute("UPDATE SESSAO SET DTFIM = :D WHERE IDSESSAO = :I", key);
        return refuse("A sessão expirou por inatividade.");
    }
    if (!s.MayUse(s.branch)) {
        return refuse("O acesso do operador à filial " + s.branch + " no módulo " +
                      std::to_string(s.module) + " foi revogado.");
    }
    // Written once a minute at most: a session's every call is not a write.
    if (Minutes(lastUse, 1).Value < now.Value && !db.InTransaction()) {
        const std::lock_guard<std::mutex> writer(writeMutex_);
        db.Execute("UPDATE SESSAO SET DTULTUSO = :D WHERE IDSESSAO = :I", key);
    }
    return s;
}

Variant Sair(db::Database& db, const Args& args) {
    args.Expect(0);
    const Session& s = args.Caller();
    db.Execute("UPDATE SESSAO SET DTFIM = :D WHERE IDSESSAO = :I AND DTFIM IS NULL",
               {{"D", Variant(ServerNow())}, {"I", Variant(s.id)}});
    return Variant("");
}

} // namespace oca::server
