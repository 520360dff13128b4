#include "access/operators.h"

#include "core/strings.h"

namespace oca::access {

namespace {

bool Exists(db::Database& db, const char* sql, const std::string& key) {
    auto st = db.Prepare(sql);
    st->Bind("K", Variant(key));
    return st->Next();
}

void NeedOperator(db::Database& db, const std::string& op) {
    if (!Exists(db, "SELECT 1 FROM OPERADOR WHERE CDOPERADOR = :K", op)) {
        throw AccessError("O operador " + op + " não existe.");
    }
}

void NeedGrantShape(db::Database& db, const std::string& branch, int module) {
    if (branch != "*" && !Exists(db, "SELECT 1 FROM FILIAL WHERE CDFILIAL = :K", branch)) {
        throw AccessError("A filial " + branch + " não existe (use * para todas).");
    }
    if (module < 0 || module > 999) {
        throw AccessError("O módulo deve ser um número de 0 (todos) a 999.");
    }
}

} // namespace

void SetPassword(db::Database& db, const std::string& op, const std::string& password,
                 HashCost cost) {
    if (password.empty() || password.size() > kMaxPasswordBytes) {
        throw AccessError("A senha deve ter de 1 a " + std::to_string(kMaxPasswordBytes) +
                          " bytes.");
    }
    db::Transaction tx(db);
    NeedOperator(db, op);
    const std::vector<std::pair<std::string, Variant>> row = {
        {"O", Variant(op)}, {"H", Variant(HashPassword(password, cost))}, {"D", Variant(Now())}};
    if (db.Execute("UPDATE SENHAOPER SET DSHASH = :H, DTALTERACAO = :D WHERE CDOPERADOR = :O",
                   row) == 0) {
        db.Execute("INSERT INTO SENHAOPER (CDOPERADOR, DSHASH, DTALTERACAO) VALUES (:O, :H, :D)",
                   row);
    }
    // A new password also frees an operator locked out by failed attempts.
    db.Execute("DELETE FROM FALHAENTRADA WHERE CDOPERADOR = :O", {{"O", Variant(op)}});
    tx.Commit();
}

void GrantAccess(db::Database& db, const std::string& op, const std::string& branch, int module) {
    db::Transaction tx(db);
    NeedOperator(db, op);
    NeedGrantShape(db, branch, module);
    db.Execute("INSERT INTO ACESSOOPER (CDOPERADOR, CDFILIAL, CDMODULO) VALUES (:O, :B, :M) "
               "ON CONFLICT DO NOTHING",
               {{"O", Variant(op)}, {"B", Variant(branch)}, {"M", Variant(module)}});
    tx.Commit();
}

bool RevokeAccess(db::Database& db, const std::string& op, const std::string& branch, int module) {
    return db.Execute(
               "DELETE FROM ACESSOOPER WHERE CDOPERADOR = :O AND CDFILIAL = :B AND CDMODULO = :M",
               {{"O", Variant(op)}, {"B", Variant(branch)}, {"M", Variant(module)}}) > 0;
}

std::vector<Grant> Grants(db::Database& db, const std::string& op) {
    auto st = db.Prepare("SELECT CDFILIAL, CDMODULO FROM ACESSOOPER WHERE CDOPERADOR = :O "
                         "ORDER BY CDFILIAL, CDMODULO");
    st->Bind("O", Variant(op));
    std::vector<Grant> grants;
    while (st->Next()) {
        grants.push_back({st->Value(0).AsString(), static_cast<int>(st->Value(1).AsInteger())});
    }
    return grants;
}

std::vector<SessionInfo> Sessions(db::Database& db, bool ended) {
    auto st = db.Prepare(std::string("SELECT IDSESSAO, CDOPERADOR, CDFILIAL, CDMODULO, DTINICIO, "
                                     "DTULTUSO, DTFIM, DSORIGEM FROM SESSAO") +
                         (ended ? "" : " WHERE DTFIM IS NULL") + " ORDER BY DTINICIO DESC");
    std::vector<SessionInfo> out;
    while (st->Next()) {
        SessionInfo s;
        s.id = st->Value(0).AsString().substr(0, 12);
        s.op = st->Value(1).AsString();
        s.branch = st->Value(2).AsString();
        s.module = static_cast<int>(st->Value(3).AsInteger());
        s.started = st->Value(4).AsDateTime();
        s.lastUse = st->Value(5).AsDateTime();
        s.ended = !st->Value(6).IsNull();
        s.origin = st->Value(7).AsString();
        out.push_back(std::move(s));
    }
    return out;
}

int EndSessions(db::Database& db, const std::string& which) {
    const std::vector<std::pair<std::string, Variant>> params = {{"W", Variant(which)},
                                                                 {"D", Variant(Now())}};
    if (which.size() >= 8 && which.find_first_not_of("0123456789abcdef") == std::string::npos) {
        // A prefix of the digest, matched without LIKE so that no character is a pattern.
        return static_cast<int>(db.Execute("UPDATE SESSAO SET DTFIM = :D WHERE DTFIM IS NULL AND "
                                           "SUBSTR(IDSESSAO, 1, " +
                                               std::to_string(which.size()) + ") = :W",
                                           params));
    }
    return static_cast<int>(
        db.Execute("UPDATE SESSAO SET DTFIM = :D WHERE DTFIM IS NULL AND CDOPERADOR = :W", params));
}

std::string DemoPassword(const std::string& op) {
    return "senha" + op;
}

int GiveDemoAccess(db::Database& db) {
    std::vector<std::string> without;
    {
        auto st = db.Prepare("SELECT CDOPERADOR FROM OPERADOR WHERE CDOPERADOR NOT IN "
                             "(SELECT CDOPERADOR FROM SENHAOPER) ORDER BY CDOPERADOR");
        while (st->Next()) {
            without.push_back(st->Value(0).AsString());
        }
    }
    for (const std::string& op : without) {
        SetPassword(db, op, DemoPassword(op), HashCost::Demo);
        GrantAccess(db, op, "*", 0);
    }
    return static_cast<int>(without.size());
}

} // namespace oca::access
