#pragma once

#include "database/database.h"

#include <deque>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

struct pg_conn;
struct pg_result;

namespace oca::db {

class PgStatement;

/// The driver for a company database on a PostgreSQL server, over libpq. Statements are
/// prepared once per connection and reused by their text; rows arrive one at a time
/// (single-row mode), so a large selection never sits whole in memory; a call that is
/// asked to stop cancels its statement on the server. Writers wait for each other's rows; a
/// transaction that lost a race with another server's (a deadlock, a serialization failure)
/// ends in SqlConflict, and the caller runs it again. Statements deferred inside a
/// transaction travel in one pipeline with the COMMIT or the next statement.
class PgDatabase : public Database {
public:
    /// `conninfo` is a libpq URI ("postgresql://USER@HOST:PORT/DB") or key=value text.
    /// The password comes from the environment (PGPASSWORD) or ~/.pgpass.
    explicit PgDatabase(const std::string& conninfo);
    ~PgDatabase() override;

    Product product() const override { return Product::PostgreSQL; }
    std::unique_ptr<Statement> Prepare(std::string_view sql) override;
    void ExecuteScript(std::string_view sql) override;
    void Begin() override;
    void Commit() override;
    void Rollback() override;
    bool InTransaction() const override;
    void SetInterrupt(std::function<bool()> check) override;
    std::string_view RowLock() const override { return " FOR UPDATE"; }
    bool WritersRunTogether() const override { return true; }
    void Defer(std::string_view sql,
               const std::vector<std::pair<std::string, Variant>>& params) override;

private:
    friend class PgStatement;

    /// The server name of the prepared statement for `text` (with "$n" placeholders),
    /// preparing it on first use; its columns in `columns`.
    const std::string& Prepared(const std::string& text, const std::string& shown,
                                std::vector<ColumnInfo>& columns);
    /// Lets `statement` run: a statement whose rows are still arriving keeps the rest
    /// aside first, for the connection carries one command at a time.
    void Claim(PgStatement* statement);
    void Release(PgStatement* statement);
    /// The next result of the command running, waiting for it while asking the interrupt;
    /// null when the command has no more.
    pg_result* NextResult();
    /// Reads and drops what remains of the running command's results.
    void Drain();
    /// Sets a new session up: UTF-8, ISO dates, no notices on the terminal.
    void Configure();
    /// Whether a BEGIN or deferred statements wait for the next round trip.
    bool Queued() const;
    /// Sends what is queued, and the COMMIT when `commit`, in one pipeline and reads their
    /// results; raises the first failure. True when the server answered the COMMIT by
    /// undoing a transaction that had failed before.
    bool SendDeferred(bool commit);
    /// Sends what is queued, then `statement` (when given) and the COMMIT (when `commit`),
    /// in one pipeline. The queued commands' results are read here; the statement's are left
    /// to it, one row at a time, and the pipeline closes as it ends. Raises the first failure
    /// once the pipeline is closed.
    bool RunPipeline(PgStatement* statement, bool commit);
    /// Reads the sync that ends the open pipeline and leaves pipeline mode.
    void ClosePipeline();
    /// Commits with the deferred statements before the COMMIT, in one round trip.
    void CommitDeferred();
    /// Runs a command without parameters, after what is queued, raising on failure.
    void Command(const std::string& sql, const std::string& what);
    /// Runs a command without parameters now, raising on failure.
    void Exec(const std::string& sql, const std::string& what);
    /// Before a command: a session the server closed (a restart, a failover) is opened
    /// again when no transaction was lost with it; a transaction that was raises, so that
    /// what follows never runs outside it.
    void EnsureSession();

    pg_conn* conn_ = nullptr;
    std::unordered_map<std::string, std::string> prepared_;
    std::unordered_map<std::string, std::vector<ColumnInfo>> describedColumns_;
    PgStatement* running_ = nullptr; ///< the statement whose rows are still arriving
    std::vector<std::unique_ptr<PgStatement>> deferred_; ///< bound, not yet sent
    std::function<bool()> interrupt_;
    bool inTransaction_ = false; ///< begun here and not yet ended
    bool beginPending_ = false;  ///< the BEGIN goes with the transaction's first statement
    bool pipelineOpen_ = false;  ///< the running statement's pipeline, whose sync is unread
};

/// Raises the SqlError (or SqlConflict) that a failed result reports; `what` says what
/// was being done, in pt-BR.
[[noreturn]] void ThrowPgError(const pg_result* result, const std::string& what);

/// The connection text without its password, for messages and logs.
std::string WithoutPassword(std::string_view conninfo);

} // namespace oca::db
