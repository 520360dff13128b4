// The functions and the one-row table that the company's query texts call, so that
// those texts run on SQLite as they are written for the other databases.
#include "database/sqlite_database.h"

#include "core/datetime.h"

#include <sqlite3.h>

#include <cstring>
#include <string>

namespace oca::db {
namespace {

// NVL(a, b): a unless it is null.
void Nvl(sqlite3_context* ctx, int, sqlite3_value** argv) {
    sqlite3_result_value(ctx, sqlite3_value_type(argv[0]) == SQLITE_NULL ? argv[1] : argv[0]);
}

// NVLSTR(a, b): a unless it is null or the empty text.
void NvlStr(sqlite3_context* ctx, int, sqlite3_value** argv) {
    const bool empty =
        sqlite3_value_type(argv[0]) == SQLITE_NULL ||
        (sqlite3_value_type(argv[0]) == SQLITE_TEXT && sqlite3_value_bytes(argv[0]) == 0);
    sqlite3_result_value(ctx, empty ? argv[1] : argv[0]);
}

// Replaces the date picture tokens (YYYY, YY, MM, DD, HH24, HH, MI, SS) of `picture`.
std::string FormatPicture(std::string_view picture, TDateTime dt) {
    const DateParts d = DecodeDate(dt);
    const TimeParts t = DecodeTime(dt);
    const auto pad = [](int v, int w) {
        std::string s = std::to_string(v);
        return std::string(static_cast<size_t>(std::max(0, w - static_cast<int>(s.size()))), '0') +
               s;
    };
    std::string out;
    for (size_t i = 0; i < picture.size();) {
        const std::string_view rest = picture.substr(i);
        const auto starts = [&](const char* token) {
            const size_t n = std::strlen(token);
            if (rest.size() < n) {
                return false;
            }
            for (size_t k = 0; k < n; ++k) {
                if (std::toupper(static_cast<unsigned char>(rest[k])) != token[k]) {
                    return false;
                }
            }
            return true;
        };
        if (starts("YYYY")) {
            out += pad(d.year, 4);
            i += 4;
        } else if (starts("YY")) {
            out += pad(d.year % 100, 2);
            i += 2;
        } else if (starts("MM")) {
            out += pad(d.month, 2);
            i += 2;
        } else if (starts("DD")) {
            out += pad(d.day, 2);
            i += 2;
        } else if (starts("HH24")) {
            out += pad(t.hour, 2);
            i += 4;
        } else if (starts("HH")) {
            out += pad(t.hour, 2);
            i += 2;
        } else if (starts("MI")) {
            out += pad(t.minute, 2);
            i += 2;
        } else if (starts("SS")) {
            out += pad(t.second, 2);
            i += 2;
        } else {
            out += picture[i++];
        }
    }
    return out;
}

// FORMAT_DATE(datetime, picture): the stored date-time written with the picture;
// null for a null or unreadable date.
void FormatDate(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const auto* picture = reinterpret_cast<const char*>(sqlite3_value_text(argv[1]));
    TDateTime dt;
    if (!text || !picture || !TryParseIsoText(text, dt)) {
        sqlite3_result_null(ctx);
        return;
    }
    const std::string out = FormatPicture(picture, dt);
    sqlite3_result_text(ctx, out.data(), static_cast<int>(out.size()), SQLITE_TRANSIENT);
}

// PARAM(x): a table of one row whose column PARAM holds x. The company's texts use it
// to name a parameter once and read it several times. Column 1 is the hidden argument.
struct ParamTable {
    sqlite3_vtab base{};
};

struct ParamCursor {
    sqlite3_vtab_cursor base{};
    sqlite3_value* value = nullptr;
    bool done = false;
};

int ParamConnect(sqlite3* db, void*, int, const char* const*, sqlite3_vtab** out, char**) {
    const int rc = sqlite3_declare_vtab(db, "CREATE TABLE x(PARAM, arg HIDDEN)");
    if (rc != SQLITE_OK) {
        return rc;
    }
    auto* table = new ParamTable();
    *out = &table->base;
    sqlite3_vtab_config(db, SQLITE_VTAB_INNOCUOUS);
    return SQLITE_OK;
}

int ParamDisconnect(sqlite3_vtab* vtab) {
    delete reinterpret_cast<ParamTable*>(vtab);
    return SQLITE_OK;
}

int ParamBestIndex(sqlite3_vtab*, sqlite3_index_info* info) {
    for (int i = 0; i < info->nConstraint; ++i) {
        const auto& c = info->aConstraint[i];
        if (c.iColumn == 1 && c.op == SQLITE_INDEX_CONSTRAINT_EQ && c.usable) {
            info->aConstraintUsage[i].argvIndex = 1;
            info->aConstraintUsage[i].omit = 1;
            info->idxNum = 1;
        }
    }
    info->estimatedCost = 1.0;
    info->estimatedRows = 1;
    return SQLITE_OK;
}

int ParamOpen(sqlite3_vtab*, sqlite3_vtab_cursor** out) {
    auto* cursor = new ParamCursor();
    *out = &cursor->base;
    return SQLITE_OK;
}

int ParamClose(sqlite3_vtab_cursor* base) {
    auto* cursor = reinterpret_cast<ParamCursor*>(base);
    sqlite3_value_free(cursor->value);
    delete cursor;
    return SQLITE_OK;
}

int ParamFilter(sqlite3_vtab_cursor* base, int idxNum, const char*, int argc,
                sqlite3_value** argv) {
    auto* cursor = reinterpret_cast<ParamCursor*>(base);
    sqlite3_value_free(cursor->value);
    cursor->value = idxNum == 1 && argc > 0 ? sqlite3_value_dup(argv[0]) : nullptr;
    cursor->done = false;
    return SQLITE_OK;
}

int ParamNext(sqlite3_vtab_cursor* base) {
    reinterpret_cast<ParamCursor*>(base)->done = true;
    return SQLITE_OK;
}

int ParamEof(sqlite3_vtab_cursor* base) {
    return reinterpret_cast<ParamCursor*>(base)->done ? 1 : 0;
}

int ParamColumn(sqlite3_vtab_cursor* base, sqlite3_context* ctx, int) {
    auto* cursor = reinterpret_cast<ParamCursor*>(base);
    if (cursor->value) {
        sqlite3_result_value(ctx, cursor->value);
    } else {
        sqlite3_result_null(ctx);
    }
    return SQLITE_OK;
}

int ParamRowid(sqlite3_vtab_cursor*, sqlite3_int64* rowid) {
    *rowid = 1;
    return SQLITE_OK;
}

sqlite3_module MakeParamModule() {
    sqlite3_module m{};
    m.iVersion = 0;
    m.xCreate = nullptr; // eponymous only: PARAM(...) needs no CREATE VIRTUAL TABLE
    m.xConnect = ParamConnect;
    m.xBestIndex = ParamBestIndex;
    m.xDisconnect = ParamDisconnect;
    m.xDestroy = ParamDisconnect;
    m.xOpen = ParamOpen;
    m.xClose = ParamClose;
    m.xFilter = ParamFilter;
    m.xNext = ParamNext;
    m.xEof = ParamEof;
    m.xColumn = ParamColumn;
    m.xRowid = ParamRowid;
    return m;
}

const sqlite3_module kParamModule = MakeParamModule();

void CheckRc(sqlite3* db, int rc, const char* what) {
    if (rc != SQLITE_OK) {
        throw SqlError(std::string("Erro no banco de dados: falha ao registrar ") + what + ": " +
                       sqlite3_errmsg(db));
    }
}

} // namespace

void RegisterSqliteFunctions(sqlite3* db) {
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
    CheckRc(
        db,
        sqlite3_create_function_v2(db, "NVL", 2, flags, nullptr, Nvl, nullptr, nullptr, nullptr),
        "NVL");
    CheckRc(db,
            sqlite3_create_function_v2(db, "NVLSTR", 2, flags, nullptr, NvlStr, nullptr, nullptr,
                                       nullptr),
            "NVLSTR");
    CheckRc(db,
            sqlite3_create_function_v2(db, "FORMAT_DATE", 2, flags, nullptr, FormatDate, nullptr,
                                       nullptr, nullptr),
            "FORMAT_DATE");
    CheckRc(db, sqlite3_create_module_v2(db, "PARAM", &kParamModule, nullptr, nullptr), "PARAM");
}

} // namespace oca::db
