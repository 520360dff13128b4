// Reading and writing field values, and the editing operations of TDataSet.
#include "framework/data/dataset.h"

#include "core/exceptions.h"

Variant TDataSet::GetFieldValue(const TField& field) const {
    if (!Active()) {
        DatabaseError("Operação não permitida com o conjunto de dados fechado");
    }
    const auto slot = static_cast<size_t>(field.slot_);
    if (field.Calculated()) {
        return slot < calcValues_.size() ? calcValues_[slot] : Variant();
    }
    if (editing_) {
        return editBuffer_[slot];
    }
    if (view_.empty()) {
        return {};
    }
    return StorageValue(view_[cur_], slot);
}

void TDataSet::SetFieldValue(TField& field, const Variant& value) {
    const auto slot = static_cast<size_t>(field.slot_);
    if (state_ == dsCalcFields) {
        if (!field.Calculated()) {
            DatabaseError("O campo '" + field.FieldName() +
                          "' não pode ser alterado durante o cálculo");
        }
        calcValues_[slot] = value;
        return;
    }
    if (state_ != dsEdit && state_ != dsInsert) {
        DatabaseError("O registro não está em modo de edição ou inclusão");
    }
    if (field.ReadOnly()) {
        DatabaseError("O campo '" + field.FieldName() + "' não pode ser modificado");
    }
    Variant& target = field.Calculated() ? calcValues_[slot] : editBuffer_[slot];
    const Variant previous = target;
    target = value;
    if (field.OnValidate) {
        try {
            field.OnValidate(&field);
        } catch (...) {
            target = previous;
            throw;
        }
    }
    if (!field.Calculated()) {
        modified_ = true;
        CalculateFields();
    }
    if (field.OnChange) {
        field.OnChange(&field);
    }
    DataEvent(deFieldChange, &field);
}

void TDataSet::CheckCanModify() const {
    if (!CanModify()) {
        DatabaseError("Não é possível modificar um conjunto de dados somente leitura");
    }
}

void TDataSet::UpdateRecord() {
    if (state_ != dsEdit && state_ != dsInsert) {
        DatabaseError("O registro não está em modo de edição ou inclusão");
    }
    DataEvent(deUpdateRecord);
}

TDataSet::TTypedRecord TDataSet::TypedRecord(TDataSetState state) const {
    TTypedRecord typed;
    typed.state = state;
    typed.modified = !editing_ || modified_;
    if (editing_) {
        typed.values = editBuffer_;
    } else if (!view_.empty()) {
        typed.values = StorageRow(view_[cur_]);
    }
    return typed;
}

bool TDataSet::ResumeTyping(const TTypedRecord& typed, std::string_view keyFields) {
    const bool known = typed.state == dsInsert || typed.state == dsEdit;
    if (state_ != dsBrowse || !known || typed.values.size() != dataFields_.size()) {
        return false;
    }
    if (typed.state == dsEdit) {
        std::vector<TField*> keys;
        std::vector<Variant> wanted;
        for (const std::string& name : SplitFieldNames(keyFields)) {
            TField& field = FieldByName(name);
            keys.push_back(&field);
            wanted.push_back(typed.values[static_cast<size_t>(field.slot_)]);
        }
        size_t pos = 0;
        while (pos < view_.size() &&
               !(keys.empty() ? pos == cur_ : Matches(view_[pos], keys, wanted, 0))) {
            ++pos;
        }
        if (pos == view_.size()) {
            return false;
        }
        cur_ = pos;
        bof_ = eof_ = false;
    } else {
        insertPos_ = view_.empty() ? 0 : cur_;
    }
    editBuffer_ = typed.values;
    editing_ = true;
    CalculateFields();
    SetState(typed.state);
    modified_ = typed.modified;
    DataEvent(deDataSetChange);
    return true;
}

void TDataSet::CheckBrowseMode() {
    CheckActive();
    DataEvent(deCheckBrowseMode);
    if (state_ != dsEdit && state_ != dsInsert) {
        return;
    }
    UpdateRecord();
    if (modified_) {
        Post();
    } else {
        Cancel();
    }
}

void TDataSet::BeginInsertAppend(bool append) {
    CheckBrowseMode();
    CheckCanModify();
    Fire(BeforeInsert);
    Fire(BeforeScroll);
    insertPos_ = append || view_.empty() ? view_.size() : cur_;
    editBuffer_.assign(dataFields_.size(), Variant());
    editing_ = true;
    CalculateFields();
    SetState(dsInsert);
    try {
        Fire(OnNewRecord);
    } catch (...) {
        editing_ = false;
        editBuffer_.clear();
        SetState(dsBrowse);
        CalculateFields();
        DataEvent(deDataSetChange);
        throw;
    }
    modified_ = false;
    DataEvent(deDataSetChange);
    Fire(AfterInsert);
    Fire(AfterScroll);
}

void TDataSet::Insert() {
    BeginInsertAppend(false);
}

void TDataSet::Append() {
    BeginInsertAppend(true);
}

void TDataSet::Edit() {
    if (state_ == dsEdit || state_ == dsInsert) {
        return;
    }
    CheckActive();
    if (view_.empty()) {
        Insert();
        return;
    }
    CheckCanModify();
    Fire(BeforeEdit);
    editBuffer_ = StorageRow(view_[cur_]);
    editing_ = true;
    SetState(dsEdit);
    DataEvent(deRecordChange);
    Fire(AfterEdit);
}

void TDataSet::CheckRequiredFields() const {
    for (TField* field : dataFields_) {
        if (field->Required() && !field->ReadOnly() &&
            editBuffer_[static_cast<size_t>(field->slot_)].IsNull()) {
            DatabaseError("O campo '" + field->DisplayLabel() + "' deve ter um valor");
        }
    }
}

void TDataSet::InternalPost() {
    CheckRequiredFields();
    if (state_ == dsInsert) {
        const size_t before = insertPos_ < view_.size() ? view_[insertPos_] : StorageSize();
        const size_t index = StorageInsert(before, editBuffer_);
        // Storage indexes at or after the new row moved one down.
        for (size_t& v : view_) {
            if (v >= index) {
                ++v;
            }
        }
        view_.insert(view_.begin() + static_cast<std::ptrdiff_t>(insertPos_), index);
        cur_ = insertPos_;
    } else {
        StorageUpdate(view_[cur_], editBuffer_);
    }
}

void TDataSet::Post() {
    UpdateRecord();
    DataEvent(deCheckBrowseMode);
    Fire(BeforePost);
    InternalPost();
    editing_ = false;
    editBuffer_.clear();
    if (filtered_ && filterExpr_ && !RowPasses(view_[cur_])) {
        RebuildView();
        if (cur_ >= view_.size()) {
            cur_ = view_.empty() ? 0 : view_.size() - 1;
        }
    }
    bof_ = false;
    eof_ = view_.empty();
    SetState(dsBrowse);
    CalculateFields();
    DataEvent(deDataSetChange);
    Fire(AfterPost);
}

void TDataSet::Cancel() {
    if (state_ != dsEdit && state_ != dsInsert) {
        return;
    }
    DataEvent(deCheckBrowseMode);
    Fire(BeforeCancel);
    editing_ = false;
    editBuffer_.clear();
    SetState(dsBrowse);
    CalculateFields();
    DataEvent(deDataSetChange);
    Fire(AfterCancel);
}

void TDataSet::Delete() {
    CheckActive();
    if (state_ == dsInsert) {
        Cancel();
        return;
    }
    if (view_.empty()) {
        DatabaseError("Não é possível excluir: o conjunto de dados está vazio");
    }
    CheckCanModify();
    DataEvent(deCheckBrowseMode);
    Fire(BeforeDelete);
    Fire(BeforeScroll);
    const size_t index = view_[cur_];
    const bool erased = StorageDelete(index);
    view_.erase(view_.begin() + static_cast<std::ptrdiff_t>(cur_));
    if (erased) {
        for (size_t& v : view_) {
            if (v > index) {
                --v;
            }
        }
    }
    if (cur_ >= view_.size() && !view_.empty()) {
        cur_ = view_.size() - 1;
    }
    eof_ = bof_ = view_.empty();
    editing_ = false;
    editBuffer_.clear();
    SetState(dsBrowse);
    CalculateFields();
    DataEvent(deDataSetChange);
    Fire(AfterDelete);
    Fire(AfterScroll);
}
