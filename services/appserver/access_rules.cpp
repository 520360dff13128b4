#include "appserver/access_rules.h"

#include "appserver/confirm_checks.h"

#include "core/modules.h"

namespace oca::server {

void NeedBranch(const Session& caller, const std::string& branch) {
    if (!caller.MayUse(branch)) {
        throw ConfirmFailure(caller.NoAccessTo(branch) + " no módulo " +
                             std::to_string(caller.module) + "; nada foi gravado.");
    }
}

void NeedMaintenance(db::Database& db, const Session& caller, const std::string& branch,
                     bool inserting) {
    if (!modules::KeepsOccurrences(caller.module)) {
        return;
    }
    auto st = db.Prepare("SELECT IDINCOCORR FROM PARAMFILIAL WHERE CDFILIAL = :B");
    st->Bind("B", Variant(branch.empty() ? caller.branch : branch));
    if (st->Next() && st->Value(0).AsString() == "S") {
        return;
    }
    throw ConfirmFailure(inserting ? "Filial não permite inclusão de ocorrência."
                                   : "Filial não permite exclusão de ocorrência.");
}

void NeedOwnOccurrence(const Session& caller, const std::string& registeredBy) {
    if (caller.module == modules::kServiceTasks && registeredBy != caller.op) {
        throw ConfirmFailure("Operador não tem permissão para alterar ocorrência.");
    }
}

StoredOwner ReadOwner(db::Database& db, const std::string& branch, const std::string& number) {
    auto st = db.Prepare("SELECT CDFILIAL, CDOPERADOR FROM MOVOCORR WHERE CDFILILANCMO = :B AND "
                         "NROCORRMOV = :N" +
                         std::string(db.RowLock()));
    st->Bind("B", Variant(branch));
    st->Bind("N", Variant(number));
    StoredOwner owner;
    owner.found = st->Next();
    if (owner.found) {
        owner.branch = st->Value(0).AsString();
        owner.op = st->Value(1).AsString();
    }
    return owner;
}

} // namespace oca::server
