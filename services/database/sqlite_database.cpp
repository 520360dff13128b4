#include "database/sqlite_database.h"

#include "core/text.h"
#include "database/sql_params.h"
#include "database/sqlite_custom_plan.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>

namespace oca::db {
namespace {

[[noreturn]] void Fail(sqlite3* db, const std::string& what) {
    throw SqlError("Erro no banco de dados: " + what + ": " +
                   (db ? sqlite3_errmsg(db) : "sem conexão"));
}

void Check(sqlite3* db, int rc, const std::string& what) {
    if (rc != SQLITE_OK) {
        Fail(db, what);
    }
}

std::string Abbreviated(std::string_view sql) {
    std::string s = Trim(sql);
    return s.size() > 120 ? s.substr(0, 117) + "..." : s;
}

} // namespace

// What preparing a text costs once: its compiled statement and what was learnt of its
// parameters and columns. Kept by the connection between uses, reset.
struct SqlitePrepared {
    std::string sql;                 ///< the text as the caller wrote it: the cache's key
    sqlite3_stmt* generic = nullptr; ///< the text as written, planned for any value
    sqlite3_stmt* custom = nullptr;  ///< with the flags' values written in
    std::string customKey;           ///< those values
    std::string text;                ///< the text with numbered placeholders, when it has flags
    std::vector<bool> flags;         ///< parameters compared with a literal
    std::vector<std::string> names;
    std::unordered_map<std::string, int> index;
    std::vector<ColumnInfo> columns;

    SqlitePrepared() = default;
    SqlitePrepared(const SqlitePrepared&) = delete;
    SqlitePrepared& operator=(const SqlitePrepared&) = delete;
    ~SqlitePrepared() {
        sqlite3_finalize(generic);
        sqlite3_finalize(custom);
    }
};

// A statement that alters tables makes what was learnt of the others' columns stale.
bool ChangesSchema(std::string_view sql) {
    const std::string head = UpperCase(Trim(sql.substr(0, 16)));
    for (const char* verb : {"CREATE", "ALTER", "DROP"}) {
        if (head.rfind(verb, 0) == 0) {
            return true;
        }
    }
    return false;
}

// The statements a connection has finished with, by text: the server runs the same few
// dozen texts for every call, and compiling them again was a quarter of a write's time.
struct SqliteStatementCache {
    static constexpr size_t kMax = 128;
    std::unordered_map<std::string, std::unique_ptr<SqlitePrepared>> idle;

    std::unique_ptr<SqlitePrepared> Take(std::string_view sql) {
        const auto found = idle.find(std::string(sql));
        if (found == idle.end()) {
            return nullptr;
        }
        auto prepared = std::move(found->second);
        idle.erase(found);
        return prepared;
    }
    void Forget() { idle.clear(); }
    void Give(std::unique_ptr<SqlitePrepared> prepared) {
        sqlite3_reset(prepared->generic);
        sqlite3_clear_bindings(prepared->generic);
        if (prepared->custom) {
            sqlite3_reset(prepared->custom);
        }
        if (idle.count(prepared->sql) > 0 || ChangesSchema(prepared->sql)) {
            return; // a second copy of a text in use twice at once, or a one-off
        }
        if (idle.size() >= kMax) {
            idle.erase(idle.begin()); // texts built per call would otherwise crowd it
        }
        std::string key = prepared->sql;
        idle.emplace(std::move(key), std::move(prepared));
    }
};

namespace {

std::unique_ptr<SqlitePrepared> Compile(sqlite3* db, std::string_view sql) {
    auto p = std::make_unique<SqlitePrepared>();
    p->sql = std::string(sql);
    ParsedSql parsed = ParseNamedParameters(sql, "?");
    p->names = std::move(parsed.names);
    const int rc = sqlite3_prepare_v2(db, parsed.text.c_str(), static_cast<int>(parsed.text.size()),
                                      &p->generic, nullptr);
    if (rc != SQLITE_OK) {
        Fail(db, "SQL inválido (" + Abbreviated(sql) + ")");
    }
    p->flags = FlagParameters(sql, p->names);
    for (bool flag : p->flags) {
        if (flag) {
            p->text = std::move(parsed.text);
            break;
        }
    }
    // Built once: a statement with a long key list binds each key in constant time.
    p->index.reserve(p->names.size());
    for (size_t i = 0; i < p->names.size(); ++i) {
        p->index.emplace(p->names[i], static_cast<int>(i) + 1);
    }
    const int n = sqlite3_column_count(p->generic);
    p->columns.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        const char* decl = sqlite3_column_decltype(p->generic, i);
        p->columns.push_back(
            ColumnFromDeclaredType(sqlite3_column_name(p->generic, i), decl ? decl : ""));
    }
    return p;
}

class SqliteStatement : public Statement {
public:
    SqliteStatement(sqlite3* db, std::string_view sql,
                    const std::shared_ptr<SqliteStatementCache>& cache)
        : db_(db), cache_(cache) {
        p_ = cache->Take(sql);
        if (!p_) {
            if (ChangesSchema(sql)) {
                cache->Forget();
            }
            p_ = Compile(db, sql);
        }
        generic_ = p_->generic;
        st_ = generic_;
        if (!p_->text.empty()) {
            bound_.resize(p_->names.size());
        }
    }

    ~SqliteStatement() override {
        if (auto cache = cache_.lock()) {
            cache->Give(std::move(p_));
        }
    }

    const std::vector<std::string>& ParameterNames() const override { return p_->names; }

    void Bind(std::string_view name, const Variant& value) override {
        const std::string upper =
            UpperCase(!name.empty() && name[0] == ':' ? name.substr(1) : name);
        const auto it = p_->index.find(upper);
        if (it == p_->index.end()) {
            throw SqlError("Parâmetro '" + std::string(name) + "' não existe na instrução SQL");
        }
        if (!bound_.empty()) {
            bound_[static_cast<size_t>(it->second - 1)] = value;
        }
        BindIndex(generic_, it->second, value);
    }

    bool Next() override {
        if (!started_) {
            started_ = true;
            st_ = bound_.empty() ? generic_ : Planned();
        }
        const int rc = sqlite3_step(st_);
        if (rc == SQLITE_ROW) {
            return true;
        }
        if (rc == SQLITE_DONE) {
            started_ = false; // a further step runs it again, planned for its values then
            return false;
        }
        Fail(db_, "falha ao executar a instrução");
    }

    size_t ColumnCount() const override { return p_->columns.size(); }
    const ColumnInfo& Column(size_t index) const override { return p_->columns.at(index); }

    Variant Value(size_t index) const override {
        const int i = static_cast<int>(index);
        const int storage = sqlite3_column_type(st_, i);
        if (storage == SQLITE_NULL) {
            return {};
        }
        switch (p_->columns[index].type) {
        case ColumnType::DateTime:
            if (storage == SQLITE_TEXT) {
                TDateTime dt;
                if (TryParseIsoText(Text(i), dt)) {
                    return Variant(dt);
                }
            }
            break;
        case ColumnType::Boolean:
            if (storage == SQLITE_INTEGER) {
                return Variant(sqlite3_column_int64(st_, i) != 0);
            }
            break;
        case ColumnType::Text:
        case ColumnType::Memo:
            return Variant(Text(i));
        case ColumnType::Float:
            if (storage == SQLITE_INTEGER || storage == SQLITE_FLOAT) {
                return Variant(sqlite3_column_double(st_, i));
            }
            break;
        default:
            break;
        }
        return ByStorageClass(i, storage);
    }

    bool TextView(size_t index, std::string_view& out) const override {
        const ColumnType type = p_->columns[index].type;
        const int i = static_cast<int>(index);
        if ((type != ColumnType::Text && type != ColumnType::Memo) ||
            sqlite3_column_type(st_, i) == SQLITE_NULL) {
            return false;
        }
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st_, i));
        out = std::string_view(p, static_cast<size_t>(sqlite3_column_bytes(st_, i)));
        return true;
    }

    std::int64_t Execute() override {
        while (Next()) {
        }
        const std::int64_t changes = sqlite3_changes64(db_);
        Reset();
        return changes;
    }

    void Reset() override {
        sqlite3_reset(st_);
        started_ = false;
    }

private:
    std::string Text(int i) const {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st_, i));
        return std::string(p, static_cast<size_t>(sqlite3_column_bytes(st_, i)));
    }

    Variant ByStorageClass(int i, int storage) const {
        switch (storage) {
        case SQLITE_INTEGER:
            return Variant(static_cast<std::int64_t>(sqlite3_column_int64(st_, i)));
        case SQLITE_FLOAT:
            return Variant(sqlite3_column_double(st_, i));
        case SQLITE_BLOB: {
            const auto* p = static_cast<const char*>(sqlite3_column_blob(st_, i));
            return Variant(Blob{std::string(p, static_cast<size_t>(sqlite3_column_bytes(st_, i)))});
        }
        default:
            return Variant(Text(i));
        }
    }

    // The statement to run: with the flags' values written in (as a custom plan), prepared
    // again only when those values change; the other parameters bound as given.
    sqlite3_stmt* Planned() {
        std::string key;
        for (size_t i = 0; i < p_->names.size(); ++i) {
            if (p_->flags[i]) {
                key += bound_[i].AsString() + '\x1f';
            }
        }
        sqlite3_stmt*& custom = p_->custom;
        if (!custom || key != p_->customKey) {
            sqlite3_finalize(custom);
            custom = nullptr;
            const std::optional<std::string> text = DecideFlags(p_->text, p_->flags, bound_);
            if (!text || sqlite3_prepare_v2(db_, text->c_str(), static_cast<int>(text->size()),
                                            &custom, nullptr) != SQLITE_OK) {
                sqlite3_finalize(custom);
                custom = nullptr;
                return generic_;
            }
            p_->customKey = key;
        }
        sqlite3_reset(custom);
        sqlite3_clear_bindings(custom);
        // A flag may still stand where it was not compared; one whose every use was decided
        // has no place left past the statement's last.
        const int count = sqlite3_bind_parameter_count(custom);
        for (size_t i = 0; i < p_->names.size() && static_cast<int>(i) < count; ++i) {
            BindIndex(custom, static_cast<int>(i) + 1, bound_[i]);
        }
        return custom;
    }

    void BindIndex(sqlite3_stmt* st, int index, const Variant& value) {
        int rc = SQLITE_OK;
        switch (value.Type()) {
        case VarType::Null:
            rc = sqlite3_bind_null(st, index);
            break;
        case VarType::Boolean:
            rc = sqlite3_bind_int(st, index, *value.Get<bool>() ? 1 : 0);
            break;
        case VarType::Integer:
            rc = sqlite3_bind_int64(st, index, *value.Get<std::int64_t>());
            break;
        case VarType::Float:
            rc = sqlite3_bind_double(st, index, *value.Get<double>());
            break;
        case VarType::String: {
            const std::string& s = *value.Get<std::string>();
            rc = sqlite3_bind_text(st, index, s.data(), static_cast<int>(s.size()),
                                   SQLITE_TRANSIENT);
            break;
        }
        case VarType::DateTime: {
            const std::string s = ToIsoText(*value.Get<TDateTime>());
            rc = sqlite3_bind_text(st, index, s.data(), static_cast<int>(s.size()),
                                   SQLITE_TRANSIENT);
            break;
        }
        case VarType::Blob: {
            const std::string& b = value.Get<Blob>()->bytes;
            rc = sqlite3_bind_blob(st, index, b.data(), static_cast<int>(b.size()),
                                   SQLITE_TRANSIENT);
            break;
        }
        case VarType::Packet:
        case VarType::Error:
            throw SqlError("Um pacote de dados ou um erro não pode ser parâmetro de SQL");
        }
        Check(db_, rc, "falha ao ligar o parâmetro");
    }

    sqlite3* db_;
    std::weak_ptr<SqliteStatementCache> cache_;
    std::unique_ptr<SqlitePrepared> p_;
    sqlite3_stmt* generic_ = nullptr;
    sqlite3_stmt* st_ = nullptr; ///< the one that runs
    std::vector<Variant> bound_; ///< every parameter's value, when the text has flags
    bool started_ = false;
};

} // namespace

ColumnInfo ColumnFromDeclaredType(std::string name, std::string_view declaredType) {
    ColumnInfo info;
    info.name = std::move(name);
    const std::string t = UpperCase(declaredType);
    if (t.empty()) {
        return info;
    }
    const auto has = [&](const char* s) {
        return t.find(s) != std::string::npos;
    };
    if (has("DATE") || has("TIME")) {
        info.type = ColumnType::DateTime;
    } else if (has("BOOL")) {
        info.type = ColumnType::Boolean;
    } else if (has("INT")) {
        info.type = ColumnType::Integer;
    } else if (has("CHAR")) {
        info.type = ColumnType::Text;
    } else if (has("CLOB") || has("TEXT")) {
        info.type = ColumnType::Memo;
    } else if (has("BLOB")) {
        info.type = ColumnType::Blob;
    } else if (has("REAL") || has("FLOA") || has("DOUB") || has("NUM") || has("DEC")) {
        info.type = ColumnType::Float;
    }
    const size_t open = t.find('(');
    if (info.type == ColumnType::Text && open != std::string::npos) {
        info.size = std::atoi(t.c_str() + open + 1);
    }
    return info;
}

namespace {
std::atomic<bool> g_fullSync{true};
bool CheckpointerRuns();

// Another connection (of this process or another server's) holds the lock: asked again
// every half millisecond until the wait is up. SQLite's own handler waits longer and longer
// (up to 100 ms a time), so that a writer that lost a few rounds to others, as happens
// between two servers on one file, waited a second for a lock free for most of it.
int WaitWhileBusy(void* wait, int attempt) {
    const int limitMs = *static_cast<const int*>(wait);
    if (attempt * 0.5 >= limitMs) {
        return 0;
    }
    std::this_thread::sleep_for(std::chrono::microseconds(500));
    return 1;
}
} // namespace

void SetSqliteFullSync(bool full) {
    g_fullSync = full;
}

namespace {
std::atomic<std::uint64_t> g_logFlushes{0};
} // namespace

std::uint64_t SqliteLogFlushes() {
    return g_logFlushes.load(std::memory_order_relaxed);
}

// The flushes of one company file's log, shared by the connections of this process: each
// commit takes a turn, and a flush covers every turn taken before it began, so that
// writers that commit while a flush runs share the next one.
struct SqliteDatabase::LogSync {
    explicit LogSync(std::string log) : path(std::move(log)) {}

    std::uint64_t Take() {
        const std::lock_guard<std::mutex> lock(mutex);
        return ++taken;
    }

    void WaitFor(std::uint64_t turn) {
        std::unique_lock<std::mutex> lock(mutex);
        while (flushed < turn) {
            if (flushing) {
                done.wait(lock);
                continue;
            }
            flushing = true;
            const std::uint64_t upTo = taken;
            lock.unlock();
            const bool ok = Flush();
            lock.lock();
            flushing = false;
            if (ok) {
                flushed = std::max(flushed, upTo);
            }
            done.notify_all();
            if (!ok) {
                throw SqlError("Erro no banco de dados: o disco não confirmou a gravação do "
                               "registro de transações " +
                               path);
            }
        }
    }

    // Opened each time: the log a checkpoint deleted and SQLite made again is another file.
    bool Flush() const {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            return errno == ENOENT; // no log: all of it went into the file, flushed then
        }
        const bool ok = ::fdatasync(fd) == 0;
        ::close(fd);
        if (ok) {
            g_logFlushes.fetch_add(1, std::memory_order_relaxed);
        }
        return ok;
    }

    const std::string path;
    std::mutex mutex;
    std::condition_variable done;
    std::uint64_t taken = 0;
    std::uint64_t flushed = 0;
    bool flushing = false;
};

namespace {

std::shared_ptr<SqliteDatabase::LogSync> SharedLogSync(const std::string& file) {
    static std::mutex mutex;
    static std::unordered_map<std::string, std::weak_ptr<SqliteDatabase::LogSync>> files;
    const std::lock_guard<std::mutex> lock(mutex);
    std::weak_ptr<SqliteDatabase::LogSync>& known = files[file];
    std::shared_ptr<SqliteDatabase::LogSync> sync = known.lock();
    if (!sync) {
        sync = std::make_shared<SqliteDatabase::LogSync>(file + "-wal");
        known = sync;
    }
    return sync;
}

} // namespace

SqliteDatabase::SqliteDatabase(std::string_view path)
    : cache_(std::make_shared<SqliteStatementCache>()) {
    const std::string file(path);
    const int rc =
        sqlite3_open_v2(file.c_str(), &db_,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const std::string message = db_ ? sqlite3_errmsg(db_) : "sem memória";
        sqlite3_close(db_);
        db_ = nullptr;
        throw SqlError("Não foi possível abrir o banco de dados " + file + ": " + message);
    }
    sqlite3_busy_handler(db_, &WaitWhileBusy, &busyMs_);
    sqlite3_extended_result_codes(db_, 1);
    ExecuteScript("PRAGMA foreign_keys = ON");
    if (file != ":memory:" && !file.empty()) {
        // A register of record acknowledges only what is on the disk. A server's
        // connections flush the log themselves after each commit, together (FULL flushes
        // it inside the commit, under the write lock, one writer at a time).
        const bool server = CheckpointerRuns();
        if (server && g_fullSync) {
            logSync_ = SharedLogSync(file);
        }
        ExecuteScript(g_fullSync && !logSync_
                          ? "PRAGMA journal_mode = WAL; PRAGMA synchronous = FULL"
                          : "PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL");
        if (server) {
            sqlite3_wal_hook(db_, &OnCommit, this); // in place of the automatic checkpoint
        }
    }
    RegisterSqliteFunctions(db_);
}

SqliteDatabase::~SqliteDatabase() {
    cache_.reset(); // its statements are finalized before the connection closes
    sqlite3_close_v2(db_);
}

std::unique_ptr<Statement> SqliteDatabase::Prepare(std::string_view sql) {
    return std::make_unique<SqliteStatement>(db_, sql, cache_);
}

void SqliteDatabase::ExecuteScript(std::string_view sql) {
    cache_->Forget(); // a script may alter the tables the kept statements read
    const std::string text(sql);
    char* error = nullptr;
    const int rc = sqlite3_exec(db_, text.c_str(), nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
        const std::string message = error ? error : sqlite3_errmsg(db_);
        sqlite3_free(error);
        throw SqlError("Erro no banco de dados: " + message + " (" + Abbreviated(sql) + ")");
    }
}

void SqliteDatabase::Begin() {
    // IMMEDIATE takes the write lock up front, so two writers never deadlock on upgrade.
    Prepare("BEGIN IMMEDIATE")->Execute();
}

void SqliteDatabase::Commit() {
    Prepare("COMMIT")->Execute();
}

void SqliteDatabase::Rollback() {
    if (InTransaction()) {
        Prepare("ROLLBACK")->Execute();
    }
}

int SqliteDatabase::Progress(void* self) {
    const auto& check = static_cast<SqliteDatabase*>(self)->interrupt_;
    return check && check() ? 1 : 0;
}

void SqliteDatabase::SetInterrupt(std::function<bool()> check) {
    interrupt_ = std::move(check);
    // About a millisecond of work between questions: a stop is seen at once and the
    // question costs nothing measurable.
    sqlite3_progress_handler(db_, interrupt_ ? 10000 : 0, interrupt_ ? &Progress : nullptr, this);
}

void SqliteDatabase::SetBusyWait(int milliseconds) {
    busyMs_ = milliseconds;
}

bool SqliteDatabase::InTransaction() const {
    return sqlite3_get_autocommit(db_) == 0;
}

struct WalCheckpointer::Worker {
    SqliteDatabase db;
    std::mutex mutex;
    std::condition_variable wake;
    bool stop = false;
    bool due = false;
    std::thread thread;

    explicit Worker(std::string_view path) : db(path) {
        thread = std::thread([this] { Run(); });
    }
    ~Worker() {
        {
            const std::lock_guard<std::mutex> lock(mutex);
            stop = true;
        }
        wake.notify_all();
        thread.join();
    }
    // Passive first: it copies what no reader still needs and never waits for a writer.
    // Under steady writes it never reaches the log's end, and the log only starts over
    // once all of it is copied: a long log is then finished with the writers held off,
    // for the few pages left, and for a moment at most (a reader that still needs the
    // log makes it give up until next time).
    void Checkpoint() {
        int pages = 0, copied = 0;
        sqlite3_wal_checkpoint_v2(db.handle(), nullptr, SQLITE_CHECKPOINT_PASSIVE, &pages, &copied);
        if (pages >= kRestartPages) {
            db.SetBusyWait(20);
            sqlite3_wal_checkpoint_v2(db.handle(), nullptr, SQLITE_CHECKPOINT_RESTART, nullptr,
                                      nullptr);
            db.SetBusyWait(kBusyWaitMs);
        }
    }
    static constexpr int kRestartPages = 4000;

    void Poke() {
        {
            const std::lock_guard<std::mutex> lock(mutex);
            due = true;
        }
        wake.notify_one();
    }
    void Run() {
        std::unique_lock<std::mutex> lock(mutex);
        while (!stop) {
            // Asked for by a commit that found the log long, or now and then for a log a
            // quiet writer left behind.
            wake.wait_for(lock, std::chrono::seconds(1), [this] { return stop || due; });
            due = false;
            lock.unlock();
            Checkpoint();
            lock.lock();
        }
    }
};

namespace {

std::mutex g_checkpointerMutex;
WalCheckpointer::Worker* g_checkpointer = nullptr; ///< the one this process runs, if any

// Where SQLite would checkpoint in the committing writer (a log past 1,000 pages), the
// checkpointer is asked to instead.
bool CheckpointerRuns() {
    const std::lock_guard<std::mutex> lock(g_checkpointerMutex);
    return g_checkpointer != nullptr;
}

} // namespace

// Every commit of the connection comes here once written, explicit or not.
int SqliteDatabase::OnCommit(void* self, sqlite3*, const char*, int pages) {
    if (pages >= 1000) {
        const std::lock_guard<std::mutex> lock(g_checkpointerMutex);
        if (g_checkpointer) {
            g_checkpointer->Poke();
        }
    }
    auto* db = static_cast<SqliteDatabase*>(self);
    if (!db->logSync_) {
        return SQLITE_OK;
    }
    db->unsynced_ = db->logSync_->Take();
    if (db->durabilityDeferred_) {
        return SQLITE_OK;
    }
    try {
        db->AwaitDurable();
    } catch (const SqlError&) {
        return SQLITE_IOERR_FSYNC; // the statement fails, though its commit took place
    }
    return SQLITE_OK;
}

void SqliteDatabase::DeferDurability() {
    durabilityDeferred_ = logSync_ != nullptr;
}

void SqliteDatabase::AwaitDurable() {
    durabilityDeferred_ = false;
    if (unsynced_ != 0) {
        const std::uint64_t turn = unsynced_;
        unsynced_ = 0;
        logSync_->WaitFor(turn);
    }
}

WalCheckpointer::WalCheckpointer(std::string_view url) {
    constexpr std::string_view kSqlite = "sqlite:";
    if (url.substr(0, kSqlite.size()) != kSqlite) {
        return;
    }
    const std::string_view path = url.substr(kSqlite.size());
    if (path.empty() || path == ":memory:") {
        return;
    }
    worker_ = std::make_unique<Worker>(path);
    const std::lock_guard<std::mutex> lock(g_checkpointerMutex);
    g_checkpointer = worker_.get();
}

WalCheckpointer::~WalCheckpointer() {
    if (worker_) {
        {
            const std::lock_guard<std::mutex> lock(g_checkpointerMutex);
            g_checkpointer = nullptr;
        }
        worker_.reset();
    }
}

} // namespace oca::db
