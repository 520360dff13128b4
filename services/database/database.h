#pragma once

#include "core/exceptions.h"
#include "core/variant.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace oca::db {

/// The database products whose SQL dialects the query component knows.
enum class Product { SQLite, PostgreSQL, Oracle, MSSQL, InterBase };

enum class ColumnType { Unknown, Integer, Float, Text, Memo, Blob, DateTime, Boolean };

struct ColumnInfo {
    std::string name;
    ColumnType type = ColumnType::Unknown;
    int size = 0; ///< declared character length of a text column, 0 when none
};

/// A database failure. The message is pt-BR for the user; the driver's own text
/// follows it for the log.
class SqlError : public EDatabaseError {
public:
    using EDatabaseError::EDatabaseError;
};

/// A transaction that lost a race with another one (a serialization failure or a
/// deadlock): nothing of it stayed, and run again it may well succeed.
class SqlConflict : public SqlError {
public:
    using SqlError::SqlError;
};

/// A prepared statement with named parameters. Not thread-safe; one per thread.
class Statement {
public:
    virtual ~Statement() = default;
    /// Distinct parameter names, upper case, in order of first appearance.
    virtual const std::vector<std::string>& ParameterNames() const = 0;
    /// Binds every occurrence of the name (case-insensitive). Raises SqlError for a
    /// name the text does not hold.
    virtual void Bind(std::string_view name, const Variant& value) = 0;
    /// Runs the statement on the first call; true while a row is ready.
    virtual bool Next() = 0;
    virtual size_t ColumnCount() const = 0;
    virtual const ColumnInfo& Column(size_t index) const = 0;
    /// Value of a column of the current row: texts of date columns come back as
    /// date-times, everything else in its natural type.
    virtual Variant Value(size_t index) const = 0;
    /// The value of a text column of the current row, not copied, when the driver can give
    /// it so; false (and nothing in `out`) for a null, another type of column, or a driver
    /// that cannot. Valid until the statement moves on. What Value() would give as text.
    virtual bool TextView(size_t /*index*/, std::string_view& /*out*/) const { return false; }
    /// Runs to completion; returns the number of rows changed.
    virtual std::int64_t Execute() = 0;
    /// Makes the statement ready to run again, keeping the bindings.
    virtual void Reset() = 0;
};

/// A connection to the company database, named by a URL: "sqlite:PATH" (the file is
/// created when missing; "sqlite::memory:" for a private in-memory database), or a
/// PostgreSQL server: "postgresql://USER@HOST:PORT/DB" or "postgresql:" followed by
/// libpq's key=value text.
class Database {
public:
    /// Raises SqlError for an unknown scheme or a database that cannot be opened.
    static std::unique_ptr<Database> Open(std::string_view url);
    virtual ~Database() = default;

    virtual Product product() const = 0;
    /// Raises SqlError naming the statement when it does not compile.
    virtual std::unique_ptr<Statement> Prepare(std::string_view sql) = 0;
    /// Runs several statements separated by ";", without parameters.
    virtual void ExecuteScript(std::string_view sql) = 0;
    virtual void Begin() = 0;
    virtual void Commit() = 0;
    virtual void Rollback() = 0;
    virtual bool InTransaction() const = 0;
    /// Asked now and then while a statement runs; when it answers true the statement
    /// stops with SqlError. An empty function asks nothing.
    virtual void SetInterrupt(std::function<bool()> check) = 0;

    /// What a SELECT ends with to lock the rows it reads until the transaction ends, where
    /// a transaction does not already hold the whole database (" FOR UPDATE", or "").
    virtual std::string_view RowLock() const { return ""; }
    /// Whether two connections' write transactions run at the same time, each waiting
    /// only for the rows the other holds; otherwise a writer has the whole database.
    virtual bool WritersRunTogether() const { return false; }

    /// From now on the connection's commits return once written, and AwaitDurable waits
    /// until they are on the disk: a caller that lets other writers go first shares one
    /// flush of the disk with them. Ignored where commits are durable as they return.
    virtual void DeferDurability() {}
    /// Waits until the commits made since DeferDurability are on the disk, and ends it.
    /// Raises SqlError when the disk does not confirm them.
    virtual void AwaitDurable() {}

    /// Prepares, binds by name and runs one statement; returns the rows changed.
    std::int64_t Execute(std::string_view sql,
                         const std::vector<std::pair<std::string, Variant>>& params = {});
    /// Runs a statement whose rows and count nobody reads. Inside a transaction an engine
    /// across the network may keep it and send it with the commit, or before the next
    /// statement, in one round trip; its failure then fails that commit or statement.
    virtual void Defer(std::string_view sql,
                       const std::vector<std::pair<std::string, Variant>>& params) {
        Execute(sql, params);
    }
};

/// How the SQLite company files opened from now on reach the disk. Full (the default): a
/// commit is acknowledged once it would survive a power loss. Otherwise only once it would
/// survive the process being killed, for those who trade that risk for speed.
void SetSqliteFullSync(bool full);

/// Begins on construction; rolls back on destruction unless committed. Begun inside a
/// transaction already open (a caller that adds its own rows to the same commit), it joins
/// it: its commit leaves the commit to the caller, and a roll-back rolls back the whole.
class Transaction {
public:
    explicit Transaction(Database& db) : db_(db), joined_(db.InTransaction()) {
        if (!joined_) {
            db_.Begin();
        }
    }
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void Commit();

private:
    Database& db_;
    bool joined_;
    bool done_ = false;
};

} // namespace oca::db
