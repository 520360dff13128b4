#include "database/schema.h"

namespace oca::db {

namespace {

void EnsureVersionTable(Database& db) {
    db.ExecuteScript(
        "CREATE TABLE IF NOT EXISTS SCHEMAVERSAO (VERSAO INTEGER NOT NULL PRIMARY KEY, "
        "NMPASSO VARCHAR(60) NOT NULL)");
}

} // namespace

int SchemaVersion(Database& db) {
    EnsureVersionTable(db);
    auto st = db.Prepare("SELECT COALESCE(MAX(VERSAO), 0) FROM SCHEMAVERSAO");
    return st->Next() ? static_cast<int>(st->Value(0).AsInteger()) : 0;
}

int MigrateSchema(Database& db) {
    const int current = SchemaVersion(db);
    int applied = 0;
    for (const Migration& m : Migrations()) {
        if (m.version <= current) {
            continue;
        }
        try {
            Transaction tx(db);
            if (!m.onlyOn || *m.onlyOn == db.product()) {
                db.ExecuteScript(m.sql);
            }
            db.Execute("INSERT INTO SCHEMAVERSAO (VERSAO, NMPASSO) VALUES (:V, :N)",
                       {{"V", Variant(m.version)}, {"N", Variant(m.name)}});
            tx.Commit();
        } catch (const SqlError& e) {
            throw SqlError("Falha ao aplicar " + std::string(m.name) + ": " + e.Message());
        }
        ++applied;
    }
    return applied;
}

} // namespace oca::db
