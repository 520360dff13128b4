#include "framework/controls/date_edit.h"

#include "core/exceptions.h"
#include "core/text.h"

namespace {
constexpr const char* kDateMask = "!99/99/9999;1; ";
}

TDateEditPlus::TDateEditPlus(TComponent* Owner) : TCustomEdit(Owner) {
    SetEditMask(kDateMask);
    DayNames.SetText("Domingo\nSegunda\nTerça\nQuarta\nQuinta\nSexta\nSábado");
}

bool TDateEditPlus::IsEmpty() const {
    for (char c : EditText()) {
        if (c != ' ' && c != '/') {
            return false;
        }
    }
    return true;
}

bool TDateEditPlus::IsDateValid() const {
    TDateTime dt;
    return !IsEmpty() && TryStrToDate(EditText(), dt);
}

void TDateEditPlus::CheckValidDate() const {
    if (!IsEmpty() && !IsDateValid()) {
        throw EConvertError("'" + EditText() + "' não é uma data válida");
    }
}

TDateTime TDateEditPlus::GetDate() const {
    if (IsEmpty()) {
        return TDateTime();
    }
    return StrToDate(EditText());
}

void TDateEditPlus::SetDate(TDateTime date) {
    SetText(date.Value == 0 ? std::string() : DateToStr(date));
}

TDBDateEditPlus::TDBDateEditPlus(TComponent* Owner) : TDateEditPlus(Owner) {
    link_.OnDataChange = [this](TObject*) {
        const TField* field = link_.Field();
        SetDate(field && !field->IsNull() ? field->AsDateTime() : TDateTime());
    };
    link_.OnUpdateData = [this](TObject*) {
        WriteField();
    };
    link_.OnFocusRequest = [this] {
        SetFocus();
    };
}

void TDBDateEditPlus::WriteField() {
    TField* field = link_.Field();
    if (!field) {
        return;
    }
    if (IsEmpty()) {
        field->Clear();
        return;
    }
    if (checkedAtPost_ && !leaving_ && !IsDateValid()) {
        return; // the check before post reports it
    }
    TDateTime date = GetDate(); // an invalid text raises and keeps the user here
    if (SaveTime() && !field->IsNull()) {
        date = CombineDateTime(date, field->AsDateTime());
    }
    field->SetAsDateTime(date);
}

void TDBDateEditPlus::PrepareExit() {
    leaving_ = true;
    try {
        link_.UpdateRecord();
    } catch (...) {
        leaving_ = false;
        throw;
    }
    leaving_ = false;
}

bool TDBDateEditPlus::UserType(std::string_view text) {
    if (!CanReach() || ReadOnly() || !link_.CanModify() || !link_.Edit()) {
        return false;
    }
    ShowText(text);
    link_.Modified();
    return true;
}
