#include "framework/controls/db_controls.h"

#include "core/csv.h"
#include "core/markup.h"

#include "framework/controls/form.h"

namespace {

// Moves the focus to `control` as a person's click would; a refused exit propagates.
void FocusByClick(TWinControl& control) {
    if (TForm* form = control.ParentForm()) {
        form->FocusControl(&control);
    }
}

} // namespace

// -- TDBEdit ---------------------------------------------------------------------------

TDBEdit::TDBEdit(TComponent* Owner) : TCustomEdit(Owner) {
    link_.OnDataChange = [this](TObject*) {
        ShowField();
    };
    link_.OnActiveChange = [this](TObject*) {
        ShowField();
    };
    link_.OnUpdateData = [this](TObject*) {
        if (TField* field = link_.Field()) {
            field->SetText(Text());
        }
    };
    link_.OnFocusRequest = [this] {
        SetFocus();
    };
}

std::string TDBEdit::EditMask() const {
    const TField* field = link_.Field();
    return field ? field->EditMask() : TCustomEdit::EditMask();
}

void TDBEdit::ShowField() {
    const TField* field = link_.Field();
    ShowText(field ? field->Text() : std::string());
}

bool TDBEdit::UserType(std::string_view text) {
    if (!CanReach() || ReadOnly() || !link_.CanModify()) {
        return false;
    }
    if (!link_.Edit()) {
        return false;
    }
    ShowText(text);
    link_.Modified();
    return true;
}

void TDBEdit::Clear() {
    SetText("");
}

void TDBEdit::SetText(std::string_view text) {
    ShowText(text);
    if (link_.Editing()) {
        link_.Modified();
    }
}

// -- TDBText ---------------------------------------------------------------------------

TDBText::TDBText(TComponent* Owner) : TControl(Owner) {
    link_.OnDataChange = [this](TObject*) {
        const TField* field = link_.Field();
        SetCaption(field ? field->DisplayText() : std::string());
    };
}

// -- TDBRichEdit -----------------------------------------------------------------------

TDBRichEdit::TDBRichEdit(TComponent* Owner) : TWinControl(Owner) {
    SetTabStop(true);
    SetColor(clWindow);
    link_.OnDataChange = [this](TObject*) {
        const TField* field = link_.Field();
        Show(field ? field->AsString() : std::string());
    };
    link_.OnUpdateData = [this](TObject*) {
        if (TField* field = link_.Field()) {
            field->SetAsString(text_);
        }
    };
}

void TDBRichEdit::SetDataSource(TDataSource* source) {
    link_.SetDataSource(source);
    const TField* field = link_.Field();
    Show(field ? field->AsString() : std::string());
    Changed(TProperty::DataSource);
}

void TDBRichEdit::SetReadOnly(bool readOnly) {
    if (readOnly_ != readOnly) {
        readOnly_ = readOnly;
        Changed(TProperty::ReadOnly);
    }
}

std::string TDBRichEdit::PlainText() const {
    return StripMarkup(text_);
}

void TDBRichEdit::Show(std::string_view text) {
    if (text_ == text) {
        return;
    }
    text_ = std::string(text);
    Changed(TProperty::Text);
    if (OnChange && !Quiet()) {
        OnChange(this);
    }
}

bool TDBRichEdit::UserType(std::string_view richText) {
    if (!CanReach() || readOnly_ || !link_.CanModify() || !link_.Edit()) {
        return false;
    }
    Show(richText);
    link_.Modified();
    return true;
}

// -- TDBGrid ---------------------------------------------------------------------------

TDBGrid::TDBGrid(TComponent* Owner) : TWinControl(Owner) {
    SetTabStop(true);
    SetColor(clWindow);
}

std::string TDBGrid::ColumnTitle(size_t index) const {
    const TColumn& column = Columns.at(index);
    if (!column.Title.empty()) {
        return column.Title;
    }
    const TDataSet* ds = link_.DataSet();
    const TField* field = ds ? ds->FindField(column.FieldName) : nullptr;
    return field ? field->DisplayLabel() : column.FieldName;
}

int TDBGrid::Row() const {
    const TDataSet* ds = link_.DataSet();
    return ds && ds->Active() ? ds->RecNo() : 0;
}

bool TDBGrid::UserSelectRow(int row) {
    TDataSet* ds = link_.DataSet();
    if (!CanReach() || !ds || !ds->Active()) {
        return false;
    }
    FocusByClick(*this);
    ds->SetRecNo(row);
    return ds->RecNo() == row;
}

// -- TDBNavigator ----------------------------------------------------------------------

bool TDBNavigator::UserNavigate(TNavigateBtn button) {
    TDataSet* ds = source_ ? source_->DataSet() : nullptr;
    if (!CanReach() || !ds || !ds->Active()) {
        return false;
    }
    switch (button) {
    case nbFirst:
        ds->First();
        break;
    case nbPrior:
        ds->Prior();
        break;
    case nbNext:
        ds->Next();
        break;
    case nbLast:
        ds->Last();
        break;
    }
    return true;
}

std::optional<TColor> TDBGrid::CellColor(const std::string& fieldName, int row) {
    TDataSet* data = DataSource() ? DataSource()->DataSet() : nullptr;
    if ((!OnCellColor && !OnRowColor) || !data || !data->Active() || row < 1 ||
        row > static_cast<int>(data->RecordCount())) {
        return std::nullopt;
    }
    const TField* field = data->FindField(fieldName);
    if (!field) {
        return std::nullopt;
    }
    const auto none = static_cast<TColor>(-1);
    TColor color = none;
    if (OnRowColor) {
        OnRowColor(this, row, color);
    }
    if (OnCellColor) {
        OnCellColor(this, *field, data->DisplayTextAt(row, *field), color);
    }
    return color == none ? std::nullopt : std::optional<TColor>(color);
}

std::string TDBGrid::CsvText() {
    std::string text(kCsvBom);
    TDataSet* data = DataSource() ? DataSource()->DataSet() : nullptr;
    std::vector<std::string> titles;
    std::vector<const TField*> fields;
    for (size_t i = 0; i < Columns.size(); ++i) {
        const TField* field = data ? data->FindField(Columns[i].FieldName) : nullptr;
        if (!Columns[i].Visible || !field) {
            continue;
        }
        titles.push_back(ColumnTitle(i));
        fields.push_back(field);
    }
    text += CsvLine(titles);
    if (!data || !data->Active()) {
        return text;
    }
    std::vector<std::string> cells(fields.size());
    for (int row = 1; row <= static_cast<int>(data->RecordCount()); ++row) {
        for (size_t c = 0; c < fields.size(); ++c) {
            cells[c] = data->DisplayTextAt(row, *fields[c]);
        }
        text += CsvLine(cells);
    }
    return text;
}
