#include "framework/data/query.h"

#include "core/exceptions.h"
#include "core/text.h"
#include "database/database.h"
#include "database/sql_params.h"

namespace {

oca::db::Database* g_defaultDatabase = nullptr;

FieldType FieldTypeOf(oca::db::ColumnType type) {
    using oca::db::ColumnType;
    switch (type) {
    case ColumnType::Integer:
        return FieldType::Integer;
    case ColumnType::Float:
        return FieldType::Float;
    case ColumnType::Memo:
        return FieldType::Memo;
    case ColumnType::Blob:
        return FieldType::Blob;
    case ColumnType::DateTime:
        return FieldType::DateTime;
    case ColumnType::Boolean:
        return FieldType::Boolean;
    default:
        return FieldType::String;
    }
}

// A column without a declared type (an expression) takes the type of its first value.
FieldType FieldTypeOfValue(const Variant& v) {
    switch (v.Type()) {
    case VarType::Integer:
        return FieldType::Integer;
    case VarType::Float:
        return FieldType::Float;
    case VarType::DateTime:
        return FieldType::DateTime;
    case VarType::Blob:
        return FieldType::Blob;
    case VarType::Boolean:
        return FieldType::Boolean;
    default:
        return FieldType::String;
    }
}

} // namespace

// -- TParams ------------------------------------------------------------------------

TParam* TParams::FindParam(std::string_view name) const {
    for (const auto& p : items_) {
        if (SameText(p->Name(), name)) {
            return p.get();
        }
    }
    return nullptr;
}

TParam& TParams::ParamByName(std::string_view name) const {
    TParam* p = FindParam(name);
    if (!p) {
        throw EDatabaseError("Parâmetro '" + std::string(name) + "' não encontrado");
    }
    return *p;
}

TParam& TParams::CreateParam(FieldType type, std::string name) {
    if (TParam* existing = FindParam(name)) {
        return *existing;
    }
    items_.push_back(std::make_unique<TParam>(std::move(name), type));
    return *items_.back();
}

// -- TADOIBQuery --------------------------------------------------------------------

TADOIBQuery::TADOIBQuery(TComponent* Owner) : TDataSet(Owner) {
    for (TStrings* text : {&SQL, &SQL_ORACLE, &SQL_MSSQL, &SQL_IB}) {
        text->OnChange = [this] {
            SqlChanged();
        };
    }
}

void TADOIBQuery::SetDefaultDatabase(oca::db::Database* db) {
    g_defaultDatabase = db;
}

oca::db::Database* TADOIBQuery::Database() const {
    return database_ ? database_ : g_defaultDatabase;
}

void TADOIBQuery::SqlChanged() {
    if (!ParamCheck) {
        return;
    }
    for (const TStrings* text : {&SQL, &SQL_ORACLE, &SQL_MSSQL, &SQL_IB}) {
        for (const std::string& name : oca::db::ParseNamedParameters(text->Text()).names) {
            params_.CreateParam(FieldType::String, name);
        }
    }
}

std::string TADOIBQuery::ActiveSQLText() const {
    const oca::db::Database* db = Database();
    const TStrings* chosen = &SQL;
    if (db) {
        switch (db->product()) {
        case oca::db::Product::Oracle:
            chosen = &SQL_ORACLE;
            break;
        case oca::db::Product::MSSQL:
            chosen = &SQL_MSSQL;
            break;
        case oca::db::Product::InterBase:
            chosen = &SQL_IB;
            break;
        default:
            break;
        }
    }
    const std::string text = chosen->Text();
    return Trim(text).empty() ? SQL.Text() : text;
}

std::vector<TField*> TADOIBQuery::PrepareFields(const std::vector<oca::db::ColumnInfo>& columns,
                                                const std::vector<Row>& rows) {
    if (FieldCount() == 0) {
        for (size_t c = 0; c < columns.size(); ++c) {
            const auto& col = columns[c];
            PacketField meta;
            meta.name = col.name;
            meta.size = col.size;
            meta.type = FieldTypeOf(col.type);
            if (col.type == oca::db::ColumnType::Unknown) {
                for (const Row& row : rows) {
                    if (!row[c].IsNull()) {
                        meta.type = FieldTypeOfValue(row[c]);
                        break;
                    }
                }
            }
            if (FindField(meta.name)) {
                DatabaseError("Coluna '" + meta.name + "' repetida no resultado");
            }
            AdoptField(MakeField(meta));
        }
    }
    // Column of each data field, in record order.
    std::vector<TField*> ordered;
    for (TField* field : FieldList()) {
        if (!field->Calculated()) {
            ordered.push_back(field);
        }
    }
    return ordered;
}

void TADOIBQuery::InternalOpen() {
    oca::db::Database* db = Database();
    if (!db) {
        DatabaseError("Não há banco de dados para executar a consulta");
    }
    const std::unique_ptr<oca::db::Statement> st = db->Prepare(ActiveSQLText());
    for (const std::string& name : st->ParameterNames()) {
        st->Bind(name, params_.ParamByName(name).Value());
    }
    std::vector<oca::db::ColumnInfo> columns;
    for (size_t c = 0; c < st->ColumnCount(); ++c) {
        columns.push_back(st->Column(c));
    }
    std::vector<Row> raws;
    while (st->Next()) {
        Row row;
        row.reserve(columns.size());
        for (size_t c = 0; c < columns.size(); ++c) {
            row.push_back(st->Value(c));
        }
        raws.push_back(std::move(row));
    }
    const std::vector<TField*> fields = PrepareFields(columns, raws);
    std::vector<size_t> column;
    for (TField* field : fields) {
        size_t c = 0;
        while (c < columns.size() && !SameText(columns[c].name, field->FieldName())) {
            ++c;
        }
        if (c == columns.size()) {
            DatabaseError(FieldNotFoundMessage(field->FieldName()));
        }
        column.push_back(c);
    }
    rows_.reserve(raws.size());
    for (const Row& raw : raws) {
        Row row;
        row.reserve(fields.size());
        for (size_t j = 0; j < fields.size(); ++j) {
            row.push_back(fields[j]->Convert(raw[column[j]]));
        }
        rows_.push_back(std::move(row));
    }
}

size_t TADOIBQuery::StorageInsert(size_t, Row) {
    DatabaseError("Consulta somente leitura");
}

void TADOIBQuery::StorageUpdate(size_t, Row) {
    DatabaseError("Consulta somente leitura");
}

bool TADOIBQuery::StorageDelete(size_t) {
    DatabaseError("Consulta somente leitura");
}
