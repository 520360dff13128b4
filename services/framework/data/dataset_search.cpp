// Locate, filters and packing of TDataSet.
#include "framework/data/dataset.h"

#include "core/exceptions.h"
#include "core/text.h"

std::vector<std::string> SplitFieldNames(std::string_view names) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start <= names.size()) {
        size_t end = names.find(';', start);
        if (end == std::string_view::npos) {
            end = names.size();
        }
        std::string name = Trim(names.substr(start, end - start));
        if (!name.empty()) {
            out.push_back(std::move(name));
        }
        start = end + 1;
    }
    return out;
}

namespace {

bool TextMatches(std::string_view value, std::string_view key, TLocateOptions options) {
    if (options & loPartialKey) {
        if (value.size() < key.size()) {
            return false;
        }
        return (options & loCaseInsensitive) ? StartsText(key, value)
                                             : value.compare(0, key.size(), key) == 0;
    }
    return (options & loCaseInsensitive) ? SameText(value, key) : value == key;
}

} // namespace

bool TDataSet::Matches(size_t index, const std::vector<TField*>& keys,
                       const std::vector<Variant>& values, TLocateOptions options) const {
    for (size_t k = 0; k < keys.size(); ++k) {
        const auto slot = static_cast<size_t>(keys[k]->slot_);
        const Variant& want = values[k];
        std::string_view inPlace;
        if (const std::string* key = want.Get<std::string>();
            key && StorageText(index, slot, inPlace)) {
            if (!TextMatches(inPlace, *key, options)) {
                return false;
            }
            continue;
        }
        const Variant v = StorageValue(index, slot);
        if (want.IsNull() || v.IsNull()) {
            if (want.IsNull() != v.IsNull()) {
                return false;
            }
            continue;
        }
        const std::string* text = v.Get<std::string>();
        const std::string* key = want.Get<std::string>();
        if (text && key) {
            if (!TextMatches(*text, *key, options)) {
                return false;
            }
        } else if (!(v == want)) {
            return false;
        }
    }
    return true;
}

bool TDataSet::Locate(std::string_view keyFields, const std::vector<Variant>& values,
                      TLocateOptions options) {
    CheckBrowseMode();
    const std::vector<std::string> names = SplitFieldNames(keyFields);
    if (names.size() != values.size()) {
        DatabaseError("Locate: " + std::to_string(names.size()) + " campos e " +
                      std::to_string(values.size()) + " valores");
    }
    std::vector<TField*> keys;
    std::vector<Variant> wanted;
    for (size_t i = 0; i < names.size(); ++i) {
        TField& field = FieldByName(names[i]);
        if (field.Calculated()) {
            DatabaseError("Locate não aceita o campo calculado '" + names[i] + "'");
        }
        keys.push_back(&field);
        // Compare in the field's own type; texts stay texts so that partial keys work.
        const bool text = field.DataType() == FieldType::String ||
                          field.DataType() == FieldType::FixedString ||
                          field.DataType() == FieldType::Memo;
        wanted.push_back(values[i].IsNull() ? Variant()
                         : text             ? Variant(values[i].AsString())
                                            : field.Convert(values[i]));
    }
    Fire(BeforeScroll);
    for (size_t pos = 0; pos < view_.size(); ++pos) {
        if (Matches(view_[pos], keys, wanted, options)) {
            bof_ = eof_ = false;
            ScrollTo(pos, deDataSetChange);
            Fire(AfterScroll);
            return true;
        }
    }
    return false;
}

void TDataSet::SetFilter(std::string_view text) {
    std::optional<FilterExpression> expr;
    if (!Trim(text).empty()) {
        expr = FilterExpression::Parse(text);
    }
    const std::string oldText = filterText_;
    std::optional<FilterExpression> oldExpr = std::move(filterExpr_);
    filterText_ = std::string(text);
    filterExpr_ = std::move(expr);
    if (!Active() || !filtered_) {
        return;
    }
    try {
        CheckBrowseMode();
        CompileFilter();
    } catch (...) {
        filterText_ = oldText;
        filterExpr_ = std::move(oldExpr);
        CompileFilter();
        throw;
    }
    cur_ = 0;
    StorageReset();
}

void TDataSet::SetFiltered(bool filtered) {
    if (filtered_ == filtered) {
        return;
    }
    if (Active()) {
        CheckBrowseMode();
    }
    filtered_ = filtered;
    if (!Active()) {
        return;
    }
    try {
        CompileFilter();
    } catch (...) {
        filtered_ = !filtered;
        throw;
    }
    cur_ = 0;
    StorageReset();
}

void TDataSet::SetFilterOptions(TFilterOptions options) {
    filterOptions_ = options;
    if (Active() && filtered_) {
        CheckBrowseMode();
        cur_ = 0;
        StorageReset();
    }
}

void TDataSet::CompileFilter() {
    filterSlots_.clear();
    if (!filterExpr_) {
        return;
    }
    for (const std::string& name : filterExpr_->FieldNames()) {
        TField* field = FindField(name);
        if (!field) {
            DatabaseError("Filtro inválido: " + FieldNotFoundMessage(name));
        }
        if (field->Calculated()) {
            DatabaseError("Filtro inválido: o campo calculado '" + name + "' não pode ser usado");
        }
        filterSlots_.push_back(field->slot_);
    }
}

bool TDataSet::RowPasses(size_t index) const {
    return filterExpr_->Matches(
        [&](size_t i) { return StorageValue(index, static_cast<size_t>(filterSlots_[i])); },
        (filterOptions_ & foCaseInsensitive) != 0);
}

DataPacket TDataSet::FieldsPacket() const {
    CheckActive();
    DataPacket packet;
    packet.fields.reserve(dataFields_.size());
    for (const TField* field : dataFields_) {
        packet.fields.push_back(field->Describe());
    }
    return packet;
}

DataPacket TDataSet::ToPacket() const {
    DataPacket packet = FieldsPacket();
    packet.rows.reserve(view_.size());
    for (size_t index : view_) {
        packet.rows.push_back(StorageRow(index));
    }
    return packet;
}

DataPacket TDataSet::RecordPacket() const {
    DataPacket packet = FieldsPacket();
    if (editing_) {
        packet.rows.push_back(editBuffer_);
    } else if (!view_.empty()) {
        packet.rows.push_back(StorageRow(view_[cur_]));
    }
    return packet;
}
