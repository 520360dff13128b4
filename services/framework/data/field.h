#pragma once

#include "core/compact_row.h"
#include "core/data_packet.h"
#include "core/variant.h"
#include "framework/base/component.h"

#include <functional>
#include <string>
#include <string_view>

class TDataSet;

enum TFieldKind { fkData, fkCalculated };

/// Provider flags: which fields take part in updates, in the where clause, in the key.
enum TProviderFlag : unsigned { pfInUpdate = 1, pfInWhere = 2, pfInKey = 4, pfHidden = 8 };
using TProviderFlags = unsigned;

/// One column of a data set. Its value lives in the data set's current record; a field
/// that belongs to no data set, or whose data set is closed, raises when read.
class TField : public TComponent {
public:
    TField(TComponent* Owner, FieldType type);
    ~TField() override;

    /// Attaches the field to a data set (appending it to its fields) or detaches it.
    void SetDataSet(TDataSet* dataSet);
    TDataSet* DataSet() const { return dataSet_; }

    const std::string& FieldName() const { return fieldName_; }
    void SetFieldName(std::string name) { fieldName_ = std::move(name); }
    FieldType DataType() const { return type_; }
    /// Characters for strings; 0 means no limit.
    int Size() const { return size_; }
    void SetSize(int size) { size_ = size; }
    /// The label given, else the field name.
    const std::string& DisplayLabel() const { return label_.empty() ? fieldName_ : label_; }
    bool HasDisplayLabel() const { return !label_.empty(); }
    void SetDisplayLabel(std::string label) { label_ = std::move(label); }
    /// The width given, else the size for strings and 10 for other types.
    int DisplayWidth() const;
    void SetDisplayWidth(int width) { displayWidth_ = width; }
    bool Visible() const { return visible_; }
    void SetVisible(bool visible) { visible_ = visible; }
    const std::string& EditMask() const { return editMask_; }
    /// Controls bound to the field show its text again through the new mask.
    void SetEditMask(std::string mask);
    bool Required() const { return required_; }
    void SetRequired(bool required) { required_ = required; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
    TFieldKind FieldKind() const { return kind_; }
    void SetFieldKind(TFieldKind kind) { kind_ = kind; }
    bool Calculated() const { return kind_ == fkCalculated; }
    TProviderFlags ProviderFlags() const { return providerFlags_; }
    void SetProviderFlags(TProviderFlags flags) { providerFlags_ = flags; }
    /// Blank-padded strings, as CHAR columns.
    bool FixedChar() const { return type_ == FieldType::FixedString; }
    /// Position among the data set's fields, 0-based; -1 when detached.
    int Index() const;

    Variant Value() const;
    /// Converts to the field's type (cutting strings to Size characters); raises
    /// EConvertError for a text that does not convert and EDatabaseError when the data
    /// set is not being edited or the field is read-only.
    void SetValue(const Variant& value);
    bool IsNull() const { return Value().IsNull(); }
    void Clear() { SetValue(Variant()); }
    /// Moves the focus to the first control that shows this field; none, nothing happens.
    void FocusControl() const;

    std::string AsString() const;
    void SetAsString(std::string_view text);
    TDateTime AsDateTime() const { return Value().AsDateTime(); }
    void SetAsDateTime(TDateTime value) { SetValue(Variant(value)); }
    std::int64_t AsInteger() const { return Value().AsInteger(); }
    void SetAsInteger(std::int64_t value) { SetValue(Variant(value)); }
    double AsFloat() const { return Value().AsFloat(); }
    void SetAsFloat(double value) { SetValue(Variant(value)); }
    bool AsBoolean() const { return Value().AsBoolean(); }
    void SetAsBoolean(bool value) { SetValue(Variant(value)); }

    /// The text an edit shows while editing: OnGetText(DisplayText = false), else AsString.
    std::string Text() const;
    /// The text shown in grids and labels: OnGetText(DisplayText = true), else AsString.
    std::string DisplayText() const;
    /// Writes a typed text: OnSetText when set, else SetAsString.
    void SetText(std::string_view text);

    /// The value as this field stores it; raises EConvertError when it does not convert.
    Variant Convert(const Variant& value) const;
    /// The same, taking the value over when it already fits: a loaded packet's values
    /// become the records' without a copy.
    Variant Convert(Variant&& value) const;
    /// True when a value of `type` (with `bytes`, for a text) is stored as it is, with no
    /// conversion.
    bool Holds(VarType type, std::string_view bytes) const;
    /// The same rule, for a whole loaded row's check at once.
    CompactRow::SlotRule Rule() const;
    /// Metadata of the field as a packet carries it.
    PacketField Describe() const;

    std::function<void(TField* Sender)> OnChange;
    std::function<void(TField* Sender)> OnValidate;
    std::function<void(TField* Sender, std::string& Text, bool DisplayText)> OnGetText;
    std::function<void(TField* Sender, const std::string& Text)> OnSetText;

private:
    friend class TDataSet;
    TDataSet* dataSet_ = nullptr;
    std::string fieldName_;
    FieldType type_;
    int size_ = 0;
    std::string label_;
    int displayWidth_ = 0;
    bool visible_ = true;
    std::string editMask_;
    bool required_ = false;
    bool readOnly_ = false;
    TFieldKind kind_ = fkData;
    TProviderFlags providerFlags_ = pfInUpdate | pfInWhere;
    int slot_ = -1; ///< index in the record (data fields) or in the calculated values
};

// The field classes of the desktop framework, by the names form definitions use.
class TStringField : public TField {
public:
    explicit TStringField(TComponent* Owner, int size = 20, bool fixedChar = false)
        : TField(Owner, fixedChar ? FieldType::FixedString : FieldType::String) {
        SetSize(size);
    }
};
class TDateTimeField : public TField {
public:
    explicit TDateTimeField(TComponent* Owner) : TField(Owner, FieldType::DateTime) {}
};
/// Large text (the rich-text descriptions); no size limit.
class TMemoField : public TField {
public:
    explicit TMemoField(TComponent* Owner) : TField(Owner, FieldType::Memo) {}
};
class TBlobField : public TField {
public:
    explicit TBlobField(TComponent* Owner) : TField(Owner, FieldType::Blob) {}
};
class TIntegerField : public TField {
public:
    explicit TIntegerField(TComponent* Owner) : TField(Owner, FieldType::Integer) {}
};
class TFloatField : public TField {
public:
    explicit TFloatField(TComponent* Owner) : TField(Owner, FieldType::Float) {}
};
class TBooleanField : public TField {
public:
    explicit TBooleanField(TComponent* Owner) : TField(Owner, FieldType::Boolean) {}
};

/// Creates a field object of the class that matches a packet type.
std::unique_ptr<TField> MakeField(const PacketField& meta);
