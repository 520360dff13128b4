#pragma once

#include "core/strings.h"
#include "framework/data/dataset.h"

#include <memory>
#include <string>
#include <vector>

namespace oca::db {
class Database;
struct ColumnInfo;
} // namespace oca::db

/// A query parameter: a name, a declared type and a value (null when cleared).
class TParam {
public:
    TParam(std::string name, FieldType type) : name_(std::move(name)), type_(type) {}

    const std::string& Name() const { return name_; }
    FieldType DataType() const { return type_; }
    void SetDataType(FieldType type) { type_ = type; }
    const Variant& Value() const { return value_; }
    void SetValue(Variant value) { value_ = std::move(value); }
    bool IsNull() const { return value_.IsNull(); }
    void Clear() { value_ = Variant(); }

    /// A cleared parameter reads as "".
    std::string AsString() const { return value_.AsString(); }
    void SetAsString(std::string_view text) {
        type_ = FieldType::String;
        value_ = Variant(text);
    }
    TDateTime AsDateTime() const { return value_.AsDateTime(); }
    void SetAsDateTime(TDateTime value) {
        type_ = FieldType::DateTime;
        value_ = Variant(value);
    }

private:
    std::string name_;
    FieldType type_;
    Variant value_;
};

/// The parameters of a query, in declared order; names ignore case.
class TParams {
public:
    size_t Count() const { return items_.size(); }
    TParam& Items(size_t index) const { return *items_.at(index); }
    TParam* FindParam(std::string_view name) const;
    /// Raises EDatabaseError "Parâmetro 'X' não encontrado".
    TParam& ParamByName(std::string_view name) const;
    /// Declares a parameter; returns the existing one when the name is taken.
    TParam& CreateParam(FieldType type, std::string name);
    void Clear() { items_.clear(); }

private:
    std::vector<std::unique_ptr<TParam>> items_;
};

/// The host's read-only query with named parameters. It holds one SQL text per
/// database product and runs the one of the database in use, the default `SQL` when
/// that one is empty (SQLite and PostgreSQL always use `SQL`). Changing a text adds the
/// parameters it names (":NAME") to Params, keeping the values of those already there.
/// The result's fields are created from the columns unless fields were declared, which
/// are then matched by name.
class TADOIBQuery : public TDataSet {
public:
    explicit TADOIBQuery(TComponent* Owner = nullptr);

    TStrings SQL, SQL_ORACLE, SQL_MSSQL, SQL_IB;

    TParams& Params() { return params_; }
    TParam& ParamByName(std::string_view name) const { return params_.ParamByName(name); }
    /// When false, changing the texts leaves Params alone.
    bool ParamCheck = true;

    /// The database the query runs on; without one, the process-wide default.
    oca::db::Database* Database() const;
    void SetDatabase(oca::db::Database* db) { database_ = db; }
    static void SetDefaultDatabase(oca::db::Database* db);

    /// The data set that data sources show: the query itself.
    TDataSet* Query() { return this; }
    /// The text that Open runs on the database in use.
    std::string ActiveSQLText() const;

    bool CanModify() const override { return false; }

protected:
    void InternalOpen() override;
    void InternalClose() override { rows_.clear(); }
    size_t StorageSize() const override { return rows_.size(); }
    Variant StorageValue(size_t index, size_t slot) const override { return rows_[index][slot]; }
    Row StorageRow(size_t index) const override { return rows_[index]; }
    size_t StorageInsert(size_t, Row) override;
    void StorageUpdate(size_t, Row) override;
    bool StorageDelete(size_t) override;

private:
    void SqlChanged();
    std::vector<TField*> PrepareFields(const std::vector<oca::db::ColumnInfo>& columns,
                                       const std::vector<Row>& rows);

    TParams params_;
    std::vector<Row> rows_;
    oca::db::Database* database_ = nullptr;
};
