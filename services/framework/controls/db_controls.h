#pragma once

#include <functional>
#include <optional>

#include "framework/controls/std_controls.h"
#include "framework/data/datasource.h"

#include <string>
#include <vector>

/// An edit bound to a field. It shows the field's text through the field's edit mask;
/// typing while the data set browses puts it into edit first (BeforeEdit may refuse);
/// the text typed is written into the field when the focus leaves (before OnExit) and
/// before the record is posted; a field changed by code shows at once and fires OnChange.
class TDBEdit : public TCustomEdit {
public:
    explicit TDBEdit(TComponent* Owner = nullptr);

    TDataSource* DataSource() const { return link_.DataSource(); }
    void SetDataSource(TDataSource* source) { link_.SetDataSource(source); }
    const std::string& DataField() const { return link_.FieldName(); }
    void SetDataField(std::string field) { link_.SetFieldName(std::move(field)); }
    TField* Field() const { return link_.Field(); }
    std::string EditMask() const override;

    bool UserType(std::string_view text) override;
    /// Clears through the field: the field is emptied when the record is open.
    void Clear();
    /// Text set by code, as the desktop framework does: the link is marked modified, so
    /// the field takes the text at the next update from the controls.
    void SetText(std::string_view text);
    /// Writes the pending text now.
    void UpdateRecord() { link_.UpdateRecord(); }
    void PrepareExit() override { link_.UpdateRecord(); }

private:
    void ShowField();
    TFieldDataLink link_;
};

/// A label that shows a field's display text.
class TDBText : public TControl {
public:
    explicit TDBText(TComponent* Owner = nullptr);
    TDataSource* DataSource() const { return link_.DataSource(); }
    void SetDataSource(TDataSource* source) { link_.SetDataSource(source); }
    const std::string& DataField() const { return link_.FieldName(); }
    void SetDataField(std::string field) { link_.SetFieldName(std::move(field)); }

private:
    TFieldDataLink link_;
};

/// A rich-text editor bound to a large text field. The text is kept as the field holds
/// it (rich text); PlainText gives it without markup. Its data source may be attached
/// and detached at any time.
class TDBRichEdit : public TWinControl {
public:
    explicit TDBRichEdit(TComponent* Owner = nullptr);
    TDataSource* DataSource() const { return link_.DataSource(); }
    void SetDataSource(TDataSource* source);
    const std::string& DataField() const { return link_.FieldName(); }
    void SetDataField(std::string field) { link_.SetFieldName(std::move(field)); }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly);

    const std::string& RichText() const { return text_; }
    std::string PlainText() const;
    /// What a person does: replaces the text (puts the data set into edit first).
    bool UserType(std::string_view richText);
    void PrepareExit() override { link_.UpdateRecord(); }

    TNotifyEvent OnChange;

private:
    void Show(std::string_view text);
    TFieldDataLink link_;
    std::string text_;
    bool readOnly_ = false;
};

/// A column of a grid: the field shown and its title (the field's label when empty).
struct TColumn {
    std::string FieldName;
    std::string Title;
    int Width = 0;
    bool Visible = true;
};

/// A table over a data set; its current row is the data set's current record.
class TDBGrid : public TWinControl {
public:
    explicit TDBGrid(TComponent* Owner = nullptr);
    TDataSource* DataSource() const { return link_.DataSource(); }
    void SetDataSource(TDataSource* source) { link_.SetDataSource(source); }
    std::vector<TColumn> Columns;
    /// The title a column shows: its own, else the field's display label.
    std::string ColumnTitle(size_t index) const;
    /// 1-based row of the current record; 0 without one.
    int Row() const;
    /// What a person does by clicking a row: the data set moves there.
    bool UserSelectRow(int row);
    bool ReadOnly = true;
    /// Sets the background of a cell of `Field` that shows `Text`; left alone, the cell
    /// keeps the grid's own.
    std::function<void(TDBGrid* Sender, const TField& Field, const std::string& Text,
                       TColor& Color)>
        OnCellColor;
    /// Sets the background of every cell of a (1-based) row, before OnCellColor.
    std::function<void(TDBGrid* Sender, int Row, TColor& Color)> OnRowColor;
    /// The background OnRowColor and OnCellColor give the cell, or nullopt.
    std::optional<TColor> CellColor(const std::string& fieldName, int row);
    /// What the grid shows as a CSV text a pt-BR spreadsheet opens (see core/csv.h): the
    /// visible columns' titles, then every row of the view with its display texts.
    std::string CsvText();

private:
    class GridLink : public TDataLink {
    public:
        explicit GridLink(TDBGrid& grid) : grid_(grid) {}

    protected:
        void ActiveChanged() override { grid_.Changed(TProperty::Data); }
        void DataSetChanged() override { grid_.Changed(TProperty::Data); }
        void DataSetScrolled() override { grid_.Changed(TProperty::Row); }
        void RecordChanged(TField*) override { grid_.Changed(TProperty::Data); }

    private:
        TDBGrid& grid_;
    };
    GridLink link_{*this};
};

enum TNavigateBtn { nbFirst, nbPrior, nbNext, nbLast };

/// Buttons that move through a data set.
class TDBNavigator : public TWinControl {
public:
    explicit TDBNavigator(TComponent* Owner = nullptr) : TWinControl(Owner) {}
    TDataSource* DataSource() const { return source_; }
    void SetDataSource(TDataSource* source) { source_ = source; }
    bool UserNavigate(TNavigateBtn button);

private:
    TDataSource* source_ = nullptr;
};
