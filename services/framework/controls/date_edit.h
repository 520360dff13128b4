#pragma once

#include "core/datetime.h"
#include "core/strings.h"
#include "framework/controls/std_controls.h"
#include "framework/data/datasource.h"

/// A date editor ("dd/mm/yyyy" with a calendar). Its text is free until checked;
/// CheckValidDate rejects a text that is not empty and not a date. Weekday names are
/// what the calendar shows; valid dates are drawn in ValidDateColor.
class TDateEditPlus : public TCustomEdit {
public:
    explicit TDateEditPlus(TComponent* Owner = nullptr);

    /// The date of the text; 0 for an empty text. Raises EConvertError for an invalid one.
    TDateTime GetDate() const;
    /// Shows a date (0 shows the empty text).
    void SetDate(TDateTime date);
    /// True for a text that is a date.
    bool IsDateValid() const;
    /// Raises EConvertError "'<texto>' não é uma data válida" for a text that is neither
    /// empty nor a date.
    void CheckValidDate() const;
    bool IsEmpty() const;

    /// Whether the time of day of the bound value is kept (data-bound editor) or dropped.
    bool SaveTime() const { return saveTime_; }
    void SetSaveTime(bool save) { saveTime_ = save; }
    TColor ValidDateColor() const { return validColor_; }
    void SetValidDateColor(TColor color) { validColor_ = color; }
    /// Sunday first.
    TStrings DayNames;

private:
    bool saveTime_ = false;
    TColor validColor_ = clBlue;
};

/// A date editor bound to a date-time field. With SaveTime the field's time of day is
/// kept when a new date is written.
class TDBDateEditPlus : public TDateEditPlus {
public:
    explicit TDBDateEditPlus(TComponent* Owner = nullptr);
    TDataSource* DataSource() const { return link_.DataSource(); }
    void SetDataSource(TDataSource* source) { link_.SetDataSource(source); }
    const std::string& DataField() const { return link_.FieldName(); }
    void SetDataField(std::string field) { link_.SetFieldName(std::move(field)); }
    TField* Field() const { return link_.Field(); }
    bool UserType(std::string_view text) override;
    /// Leaving the editor writes its date, and an invalid text raises then.
    void PrepareExit() override;
    /// Whether a check before post reports an invalid text: a post then leaves the
    /// field as it was instead of raising the conversion error, so that the check's own
    /// message is the one shown. Leaving the editor still raises.
    bool CheckedAtPost() const { return checkedAtPost_; }
    void SetCheckedAtPost(bool checked) { checkedAtPost_ = checked; }

private:
    void WriteField();
    TFieldDataLink link_;
    bool checkedAtPost_ = false;
    bool leaving_ = false;
};
