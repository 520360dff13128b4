#include "database/sqlite_database.h"

#include "core/text.h"
#include "database/sql_params.h"
#include "database/sqlite_custom_plan.h"

#include <sqlite3.h>

#include <atomic>
#include <cctype>
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

class SqliteStatement : public Statement {
public:
    SqliteStatement(sqlite3* db, std::string_view sql) : db_(db) {
        ParsedSql parsed = ParseNamedParameters(sql, "?");
        names_ = std::move(parsed.names);
        const int rc = sqlite3_prepare_v2(db_, parsed.text.c_str(),
                                          static_cast<int>(parsed.text.size()), &generic_, nullptr);
        if (rc != SQLITE_OK) {
            Fail(db_, "SQL inválido (" + Abbreviated(sql) + ")");
        }
        st_ = generic_;
        flags_ = FlagParameters(sql, names_);
        for (bool flag : flags_) {
            if (flag) {
                text_ = std::move(parsed.text);
                bound_.resize(names_.size());
                break;
            }
        }
        const int n = sqlite3_column_count(st_);
        columns_.reserve(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i) {
            const char* decl = sqlite3_column_decltype(st_, i);
            columns_.push_back(
                ColumnFromDeclaredType(sqlite3_column_name(st_, i), decl ? decl : ""));
        }
    }

    ~SqliteStatement() override {
        sqlite3_finalize(generic_);
        sqlite3_finalize(custom_);
    }

    const std::vector<std::string>& ParameterNames() const override { return names_; }

    void Bind(std::string_view name, const Variant& value) override {
        const std::string upper =
            UpperCase(!name.empty() && name[0] == ':' ? name.substr(1) : name);
        if (index_.empty() && !names_.empty()) {
            // Built once: a statement with a long key list binds each key in constant time.
            index_.reserve(names_.size());
            for (size_t i = 0; i < names_.size(); ++i) {
                index_.emplace(names_[i], static_cast<int>(i) + 1);
            }
        }
        const auto it = index_.find(upper);
        if (it == index_.end()) {
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

    size_t ColumnCount() const override { return columns_.size(); }
    const ColumnInfo& Column(size_t index) const override { return columns_.at(index); }

    Variant Value(size_t index) const override {
        const int i = static_cast<int>(index);
        const int storage = sqlite3_column_type(st_, i);
        if (storage == SQLITE_NULL) {
            return {};
        }
        switch (columns_[index].type) {
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
        for (size_t i = 0; i < names_.size(); ++i) {
            if (flags_[i]) {
                key += bound_[i].AsString() + '\x1f';
            }
        }
        if (!custom_ || key != customKey_) {
            sqlite3_finalize(custom_);
            custom_ = nullptr;
            const std::optional<std::string> text = DecideFlags(text_, flags_, bound_);
            if (!text || sqlite3_prepare_v2(db_, text->c_str(), static_cast<int>(text->size()),
                                            &custom_, nullptr) != SQLITE_OK) {
                sqlite3_finalize(custom_);
                custom_ = nullptr;
                return generic_;
            }
            customKey_ = key;
        }
        sqlite3_reset(custom_);
        sqlite3_clear_bindings(custom_);
        // A flag may still stand where it was not compared; one whose every use was decided
        // has no place left past the statement's last.
        const int count = sqlite3_bind_parameter_count(custom_);
        for (size_t i = 0; i < names_.size() && static_cast<int>(i) < count; ++i) {
            BindIndex(custom_, static_cast<int>(i) + 1, bound_[i]);
        }
        return custom_;
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
    sqlite3_stmt* generic_ = nullptr; ///< the text as written, planned for any value
    sqlite3_stmt* custom_ = nullptr;  ///< with the flags' current values written in
    sqlite3_stmt* st_ = nullptr;      ///< the one that runs
    std::string customKey_;
    std::string text_;           ///< the text with numbered placeholders, when it has flags
    std::vector<bool> flags_;    ///< parameters compared with a literal
    std::vector<Variant> bound_; ///< every parameter's value, when the text has flags
    bool started_ = false;
    std::vector<std::string> names_;
    std::unordered_map<std::string, int> index_;
    std::vector<ColumnInfo> columns_;
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
} // namespace

void SetSqliteFullSync(bool full) {
    g_fullSync = full;
}

bool SqliteFullSync() {
    return g_fullSync;
}

SqliteDatabase::SqliteDatabase(std::string_view path) {
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
    sqlite3_busy_timeout(db_, 10000);
    sqlite3_extended_result_codes(db_, 1);
    ExecuteScript("PRAGMA foreign_keys = ON");
    if (file != ":memory:" && !file.empty()) {
        // A register of record acknowledges only what is on the disk.
        ExecuteScript(g_fullSync ? "PRAGMA journal_mode = WAL; PRAGMA synchronous = FULL"
                                 : "PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL");
    }
    RegisterSqliteFunctions(db_);
}

SqliteDatabase::~SqliteDatabase() {
    sqlite3_close_v2(db_);
}

std::unique_ptr<Statement> SqliteDatabase::Prepare(std::string_view sql) {
    return std::make_unique<SqliteStatement>(db_, sql);
}

void SqliteDatabase::ExecuteScript(std::string_view sql) {
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
    ExecuteScript("BEGIN IMMEDIATE");
}

void SqliteDatabase::Commit() {
    ExecuteScript("COMMIT");
}

void SqliteDatabase::Rollback() {
    if (InTransaction()) {
        ExecuteScript("ROLLBACK");
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

bool SqliteDatabase::InTransaction() const {
    return sqlite3_get_autocommit(db_) == 0;
}

} // namespace oca::db
