#include "framework/data/field.h"

#include "core/exceptions.h"
#include "core/text.h"
#include "framework/data/dataset.h"

TField::TField(TComponent* Owner, FieldType type) : TComponent(Owner), type_(type) {}

TField::~TField() {
    if (dataSet_) {
        dataSet_->RemoveField(this);
    }
}

void TField::FocusControl() const {
    if (dataSet_) {
        dataSet_->FocusField(*this);
    }
}

void TField::SetDataSet(TDataSet* dataSet) {
    if (dataSet_ == dataSet) {
        return;
    }
    if (dataSet_) {
        dataSet_->RemoveField(this);
    }
    if (dataSet) {
        dataSet->AddField(this);
    }
}

void TField::SetEditMask(std::string mask) {
    if (mask == editMask_) {
        return;
    }
    editMask_ = std::move(mask);
    if (dataSet_) {
        dataSet_->FieldPropertyChanged(*this);
    }
}

int TField::Index() const {
    return dataSet_ ? dataSet_->IndexOfField(this) : -1;
}

int TField::DisplayWidth() const {
    if (displayWidth_ > 0) {
        return displayWidth_;
    }
    switch (type_) {
    case FieldType::String:
    case FieldType::FixedString:
        return size_ > 0 ? size_ : 20;
    case FieldType::DateTime:
        return 18;
    default:
        return 10;
    }
}

Variant TField::Convert(const Variant& value) const {
    if (value.IsNull()) {
        return value;
    }
    switch (type_) {
    case FieldType::String:
    case FieldType::FixedString: {
        if (const std::string* s = value.Get<std::string>()) {
            // Byte length within the size means character length within it too.
            if (size_ <= 0 || s->size() <= static_cast<size_t>(size_)) {
                return value;
            }
            return Variant(Utf8Left(*s, static_cast<size_t>(size_)));
        }
        std::string text = value.AsString();
        return Variant(size_ > 0 ? Utf8Left(text, static_cast<size_t>(size_)) : text);
    }
    case FieldType::Memo:
        return value.Type() == VarType::String ? value : Variant(value.AsString());
    case FieldType::Blob:
        if (value.Type() == VarType::Blob) {
            return value;
        }
        return Variant(Blob{value.AsString()});
    case FieldType::DateTime:
        if (value.Type() == VarType::String && Trim(*value.Get<std::string>()).empty()) {
            return {};
        }
        return Variant(value.AsDateTime());
    case FieldType::Integer:
        if (value.Type() == VarType::String && Trim(*value.Get<std::string>()).empty()) {
            return {};
        }
        return Variant(value.AsInteger());
    case FieldType::Float:
        if (value.Type() == VarType::String && Trim(*value.Get<std::string>()).empty()) {
            return {};
        }
        return Variant(value.AsFloat());
    case FieldType::Boolean:
        if (value.Type() == VarType::String && Trim(*value.Get<std::string>()).empty()) {
            return {};
        }
        return Variant(value.AsBoolean());
    }
    return value;
}

bool TField::Holds(VarType type, std::string_view bytes) const {
    if (type == VarType::Null) {
        return true;
    }
    switch (type_) {
    case FieldType::String:
    case FieldType::FixedString:
        // Byte length within the size means character length within it too.
        return type == VarType::String &&
               (size_ <= 0 || bytes.size() <= static_cast<size_t>(size_) ||
                Utf8Length(bytes) <= static_cast<size_t>(size_));
    case FieldType::Memo:
        return type == VarType::String;
    case FieldType::Blob:
        return type == VarType::Blob;
    case FieldType::DateTime:
        return type == VarType::DateTime;
    case FieldType::Integer:
        return type == VarType::Integer;
    case FieldType::Float:
        return type == VarType::Float;
    case FieldType::Boolean:
        return type == VarType::Boolean;
    }
    return false;
}

CompactRow::SlotRule TField::Rule() const {
    switch (type_) {
    case FieldType::String:
    case FieldType::FixedString:
        return {VarType::String, size_ > 0 ? static_cast<size_t>(size_) : 0};
    case FieldType::Memo:
        return {VarType::String, 0};
    case FieldType::Blob:
        return {VarType::Blob, 0};
    case FieldType::DateTime:
        return {VarType::DateTime, 0};
    case FieldType::Integer:
        return {VarType::Integer, 0};
    case FieldType::Float:
        return {VarType::Float, 0};
    case FieldType::Boolean:
        return {VarType::Boolean, 0};
    }
    return {};
}

Variant TField::Convert(Variant&& value) const {
    const std::string* text = value.Get<std::string>();
    return Holds(value.Type(), text ? std::string_view(*text) : std::string_view())
               ? std::move(value)
               : Convert(static_cast<const Variant&>(value));
}

Variant TField::Value() const {
    if (!dataSet_) {
        throw EDatabaseError("O campo '" + fieldName_ + "' não pertence a um conjunto de dados");
    }
    return dataSet_->GetFieldValue(*this);
}

void TField::SetValue(const Variant& value) {
    if (!dataSet_) {
        throw EDatabaseError("O campo '" + fieldName_ + "' não pertence a um conjunto de dados");
    }
    dataSet_->SetFieldValue(*this, Convert(value));
}

std::string TField::AsString() const {
    const Variant v = Value();
    if (type_ == FieldType::DateTime && !v.IsNull()) {
        return DateTimeToStr(v.AsDateTime());
    }
    return v.AsString();
}

void TField::SetAsString(std::string_view text) {
    SetValue(Variant(text));
}

std::string TField::Text() const {
    std::string text = AsString();
    if (OnGetText) {
        OnGetText(const_cast<TField*>(this), text, false);
    }
    return text;
}

std::string TField::DisplayText() const {
    std::string text = AsString();
    if (OnGetText) {
        OnGetText(const_cast<TField*>(this), text, true);
    }
    return text;
}

void TField::SetText(std::string_view text) {
    if (OnSetText) {
        OnSetText(this, std::string(text));
        return;
    }
    SetAsString(text);
}

PacketField TField::Describe() const {
    PacketField meta;
    meta.name = fieldName_;
    meta.type = type_;
    meta.size = size_;
    meta.label = label_;
    meta.visible = visible_;
    meta.required = required_;
    meta.readOnly = readOnly_;
    return meta;
}

std::unique_ptr<TField> MakeField(const PacketField& meta) {
    std::unique_ptr<TField> field;
    switch (meta.type) {
    case FieldType::String:
    case FieldType::FixedString:
        field =
            std::make_unique<TStringField>(nullptr, meta.size, meta.type == FieldType::FixedString);
        break;
    case FieldType::DateTime:
        field = std::make_unique<TDateTimeField>(nullptr);
        break;
    case FieldType::Memo:
        field = std::make_unique<TMemoField>(nullptr);
        break;
    case FieldType::Blob:
        field = std::make_unique<TBlobField>(nullptr);
        break;
    case FieldType::Integer:
        field = std::make_unique<TIntegerField>(nullptr);
        break;
    case FieldType::Float:
        field = std::make_unique<TFloatField>(nullptr);
        break;
    case FieldType::Boolean:
        field = std::make_unique<TBooleanField>(nullptr);
        break;
    }
    field->SetFieldName(meta.name);
    field->SetDisplayLabel(meta.label);
    field->SetVisible(meta.visible);
    field->SetRequired(meta.required);
    field->SetReadOnly(meta.readOnly);
    return field;
}
