#pragma once

#include "database/database.h"

#include <cstdint>
#include <memory>

struct sqlite3;

namespace oca::db {

struct SqliteStatementCache;

/// How long an SQLite statement waits for a lock another connection holds.
constexpr int kBusyWaitMs = 10000;

/// The embedded driver: one SQLite connection in WAL mode, with a busy timeout and
/// foreign keys on, and the functions the query texts call (NVL, NVLSTR, FORMAT_DATE,
/// and PARAM as a one-row table). Date-times are stored as "YYYY-MM-DD HH:MM:SS" text.
class SqliteDatabase : public Database {
public:
    /// `path` is a file name (created when missing) or ":memory:".
    explicit SqliteDatabase(std::string_view path);
    ~SqliteDatabase() override;

    Product product() const override { return Product::SQLite; }
    std::unique_ptr<Statement> Prepare(std::string_view sql) override;
    void ExecuteScript(std::string_view sql) override;
    void Begin() override;
    void Commit() override;
    void Rollback() override;
    bool InTransaction() const override;
    void SetInterrupt(std::function<bool()> check) override;

    sqlite3* handle() const { return db_; }
    /// How long a statement waits for a lock another connection holds before it fails
    /// (10 s unless told).
    void SetBusyWait(int milliseconds);
    void DeferDurability() override;
    void AwaitDurable() override;

    struct LogSync;

private:
    static int Progress(void* self);
    static int OnCommit(void* self, sqlite3* db, const char* name, int pages);
    sqlite3* db_ = nullptr;
    std::shared_ptr<SqliteStatementCache> cache_;
    int busyMs_ = kBusyWaitMs;
    std::function<bool()> interrupt_;
    /// Where the log's flushes are shared by the connections of a server: each commit's
    /// turn, waited for before its commit is acknowledged.
    std::shared_ptr<LogSync> logSync_;
    std::uint64_t unsynced_ = 0; ///< the last commit not yet known on the disk, 0 for none
    bool durabilityDeferred_ = false;
};

/// Keeps the write-ahead log of an SQLite company file short from a connection and a
/// thread of its own, a few times a second, so that no writer stops to copy the log back
/// into the file while the others wait for it. The connections this process opens while
/// it lives leave checkpoints to it, and, where commits must be on the disk, flush the log
/// themselves after their commits, together (see DeferDurability). Does nothing for
/// another kind of database.
class WalCheckpointer {
public:
    explicit WalCheckpointer(std::string_view url);
    ~WalCheckpointer();
    WalCheckpointer(const WalCheckpointer&) = delete;
    WalCheckpointer& operator=(const WalCheckpointer&) = delete;

    struct Worker;

private:
    std::unique_ptr<Worker> worker_;
};

/// How many times this process's connections flushed a company file's log themselves.
std::uint64_t SqliteLogFlushes();

/// Registers NVL, NVLSTR, FORMAT_DATE and the PARAM table on a connection.
void RegisterSqliteFunctions(sqlite3* db);

/// Maps a declared column type ("VARCHAR(30)", "TIMESTAMP", ...) to a column type and
/// size.
ColumnInfo ColumnFromDeclaredType(std::string name, std::string_view declaredType);

} // namespace oca::db
