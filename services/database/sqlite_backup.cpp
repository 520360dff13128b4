#include "database/sqlite_backup.h"

#include "database/database.h"

#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <memory>

namespace oca::db {

namespace {

struct Closer {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using Handle = std::unique_ptr<sqlite3, Closer>;

Handle Open(const std::string& path, int flags) {
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
    Handle handle(db);
    if (rc != SQLITE_OK) {
        throw SqlError("Não foi possível abrir " + path + ": " +
                       (db ? sqlite3_errmsg(db) : sqlite3_errstr(rc)));
    }
    sqlite3_busy_timeout(db, 5000);
    return handle;
}

std::string Single(sqlite3* db, const char* sql) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK) {
        return "";
    }
    std::string value;
    if (sqlite3_step(st) == SQLITE_ROW && sqlite3_column_text(st, 0)) {
        value = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
    }
    sqlite3_finalize(st);
    return value;
}

void NeedSound(sqlite3* db, const std::string& path) {
    const std::string check = Single(db, "PRAGMA integrity_check");
    if (check != "ok") {
        throw SqlError("A cópia " + path + " não passou na verificação de integridade: " +
                       (check.empty() ? "não é um banco SQLite" : check));
    }
    if (Single(db, "SELECT COUNT(*) FROM sqlite_master WHERE name = 'MOVOCORR'") != "1") {
        throw SqlError(path + " não é um banco de ocorrências desta aplicação.");
    }
}

// Copies every page of `from` into `to` in one step: one snapshot of the source.
void Copy(sqlite3* from, sqlite3* to, const std::string& what) {
    sqlite3_backup* backup = sqlite3_backup_init(to, "main", from, "main");
    if (!backup) {
        throw SqlError("Não foi possível copiar " + what + ": " + sqlite3_errmsg(to));
    }
    const int rc = sqlite3_backup_step(backup, -1);
    sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE) {
        throw SqlError("A cópia de " + what + " não terminou: " + sqlite3_errstr(rc));
    }
}

} // namespace

void BackupSqlite(const std::string& database, const std::string& copy) {
    const std::string partial = copy + ".parcial";
    std::filesystem::remove(partial);
    {
        Handle from = Open(database, SQLITE_OPEN_READONLY);
        Handle to = Open(partial, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        Copy(from.get(), to.get(), database);
        // The copy stands alone: one file, with no log beside it.
        Single(to.get(), "PRAGMA journal_mode = DELETE");
        NeedSound(to.get(), copy);
    }
    std::filesystem::rename(partial, copy);
}

void RestoreSqlite(const std::string& copy, const std::string& database) {
    Handle from = Open(copy, SQLITE_OPEN_READONLY);
    NeedSound(from.get(), copy);
    Handle to = Open(database, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    sqlite3_busy_timeout(to.get(), 0);
    if (sqlite3_exec(to.get(), "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) != SQLITE_OK) {
        throw SqlError("O banco " + database +
                       " está em uso; pare os servidores de aplicação antes de restaurar.");
    }
    sqlite3_exec(to.get(), "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_busy_timeout(to.get(), 5000);
    Copy(from.get(), to.get(), copy);
    NeedSound(to.get(), database);
}

} // namespace oca::db
