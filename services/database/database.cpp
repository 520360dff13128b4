#include "database/database.h"

#include "database/pg_database.h"
#include "database/sqlite_database.h"

namespace oca::db {

std::unique_ptr<Database> Database::Open(std::string_view url) {
    constexpr std::string_view kSqlite = "sqlite:";
    if (url.substr(0, kSqlite.size()) == kSqlite) {
        return std::make_unique<SqliteDatabase>(url.substr(kSqlite.size()));
    }
    for (std::string_view uri : {"postgresql://", "postgres://"}) {
        if (url.substr(0, uri.size()) == uri) {
            return std::make_unique<PgDatabase>(std::string(url));
        }
    }
    constexpr std::string_view kPostgres = "postgresql:";
    if (url.substr(0, kPostgres.size()) == kPostgres) {
        return std::make_unique<PgDatabase>(std::string(url.substr(kPostgres.size())));
    }
    throw SqlError("Endereço de banco de dados não reconhecido: " + WithoutPassword(url));
}

std::int64_t Database::Execute(std::string_view sql,
                               const std::vector<std::pair<std::string, Variant>>& params) {
    std::unique_ptr<Statement> st = Prepare(sql);
    for (const auto& [name, value] : params) {
        st->Bind(name, value);
    }
    return st->Execute();
}

Transaction::~Transaction() {
    if (!done_ && db_.InTransaction()) {
        try {
            db_.Rollback();
        } catch (...) {
            // A destructor must not throw; the connection reports the failure on next use.
        }
    }
}

void Transaction::Commit() {
    if (!joined_) {
        db_.Commit();
    }
    done_ = true;
}

} // namespace oca::db
