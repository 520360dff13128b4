#include "framework/data/dataset.h"

#include "core/exceptions.h"
#include "core/text.h"
#include "framework/data/datasource.h"

#include <algorithm>

std::string FieldNotFoundMessage(std::string_view fieldName) {
    return "Campo '" + std::string(fieldName) + "' não encontrado";
}

TDataSet::TDataSet(TComponent* Owner) : TComponent(Owner) {}

TDataSet::~TDataSet() {
    for (TDataSource* source : sources_) {
        source->DataSetDestroyed();
    }
    for (TField* field : fields_) {
        field->dataSet_ = nullptr;
    }
}

// -- fields -----------------------------------------------------------------

TField* TDataSet::FindField(std::string_view fieldName) const {
    for (TField* field : fields_) {
        if (SameText(field->FieldName(), fieldName)) {
            return field;
        }
    }
    return nullptr;
}

TField& TDataSet::FieldByName(std::string_view fieldName) const {
    TField* field = FindField(fieldName);
    if (!field) {
        DatabaseError(FieldNotFoundMessage(fieldName));
    }
    return *field;
}

int TDataSet::IndexOfField(const TField* field) const {
    const auto it = std::find(fields_.begin(), fields_.end(), field);
    return it == fields_.end() ? -1 : static_cast<int>(it - fields_.begin());
}

void TDataSet::AddField(TField* field) {
    if (Active()) {
        DatabaseError("Não é possível incluir campos com o conjunto de dados aberto");
    }
    if (FindField(field->FieldName())) {
        DatabaseError("Campo '" + field->FieldName() + "' duplicado");
    }
    field->dataSet_ = this;
    fields_.push_back(field);
}

void TDataSet::RemoveField(TField* field) {
    fields_.erase(std::remove(fields_.begin(), fields_.end(), field), fields_.end());
    dataFields_.erase(std::remove(dataFields_.begin(), dataFields_.end(), field),
                      dataFields_.end());
    calcFields_.erase(std::remove(calcFields_.begin(), calcFields_.end(), field),
                      calcFields_.end());
    field->dataSet_ = nullptr;
}

void TDataSet::FieldPropertyChanged(TField&) {
    if (Active()) {
        DataEvent(deDataSetChange);
    }
}

TField* TDataSet::AdoptField(std::unique_ptr<TField> field) {
    TField* raw = field.get();
    raw->SetName(Name() + raw->FieldName());
    Adopt(std::move(field));
    AddField(raw);
    defaultFields_.push_back(raw);
    return raw;
}

void TDataSet::FreeDefaultFields() {
    const std::vector<TField*> doomed = std::move(defaultFields_);
    defaultFields_.clear();
    for (TField* field : doomed) {
        FreeComponent(field); // its destructor takes it out of the field lists
    }
}

void TDataSet::BindFields() {
    dataFields_.clear();
    calcFields_.clear();
    for (TField* field : fields_) {
        if (field->Calculated()) {
            field->slot_ = static_cast<int>(calcFields_.size());
            calcFields_.push_back(field);
        } else {
            field->slot_ = static_cast<int>(dataFields_.size());
            dataFields_.push_back(field);
        }
    }
    calcValues_.assign(calcFields_.size(), Variant());
}

// -- state and events -------------------------------------------------------

void TDataSet::DatabaseError(const std::string& message) const {
    throw EDatabaseError(Name().empty() ? message : Name() + ": " + message);
}

void TDataSet::CheckActive() const {
    if (!Active()) {
        DatabaseError("Operação não permitida com o conjunto de dados fechado");
    }
}

void TDataSet::Fire(const TDataSetNotifyEvent& event) {
    if (event) {
        event(this);
    }
}

void TDataSet::SetState(TDataSetState state) {
    if (state_ == state) {
        return;
    }
    state_ = state;
    modified_ = false;
    DataEvent(deUpdateState);
}

void TDataSet::DataEvent(TDataEvent event, TField* field) {
    if (disableCount_ > 0) {
        return;
    }
    // Copy: a handler may attach or detach sources while we notify.
    const std::vector<TDataSource*> sources = sources_;
    for (TDataSource* source : sources) {
        source->DataEvent(event, field);
    }
}

void TDataSet::FocusField(const TField& field) {
    const std::vector<TDataSource*> sources = sources_;
    for (TDataSource* source : sources) {
        if (source->FocusField(&field)) {
            return;
        }
    }
}

void TDataSet::AttachDataSource(TDataSource* source) {
    if (std::find(sources_.begin(), sources_.end(), source) == sources_.end()) {
        sources_.push_back(source);
    }
}

void TDataSet::DetachDataSource(TDataSource* source) {
    sources_.erase(std::remove(sources_.begin(), sources_.end(), source), sources_.end());
}

void TDataSet::DisableControls() {
    if (disableCount_++ == 0) {
        stateAtDisable_ = state_;
    }
}

void TDataSet::EnableControls() {
    if (disableCount_ == 0 || --disableCount_ > 0) {
        return;
    }
    if (state_ != stateAtDisable_) {
        DataEvent(deUpdateState);
    }
    if (Active()) {
        DataEvent(deDataSetChange);
    }
}

// -- open and close ---------------------------------------------------------

void TDataSet::Open() {
    if (Active()) {
        return;
    }
    Fire(BeforeOpen);
    try {
        InternalOpen();
        BindFields();
        if (filtered_) {
            CompileFilter(); // fields may stand elsewhere than when the filter was set
        }
        RebuildView();
    } catch (...) {
        InternalClose();
        FreeDefaultFields();
        view_.clear();
        throw;
    }
    cur_ = 0;
    bof_ = true;
    eof_ = view_.empty();
    editing_ = false;
    CalculateFields();
    SetState(dsBrowse);
    Fire(AfterOpen);
    if (!view_.empty()) {
        Fire(AfterScroll);
    }
}

void TDataSet::Close() {
    if (!Active()) {
        return;
    }
    Fire(BeforeClose);
    editing_ = false;
    editBuffer_.clear();
    SetState(dsInactive);
    InternalClose();
    view_.clear();
    cur_ = 0;
    bof_ = eof_ = true;
    FreeDefaultFields();
    Fire(AfterClose);
}

// -- the view ---------------------------------------------------------------

void TDataSet::RebuildView() {
    view_.clear();
    const size_t n = StorageSize();
    view_.reserve(n);
    const bool filter = filtered_ && filterExpr_;
    for (size_t i = 0; i < n; ++i) {
        if (StorageLive(i) && (!filter || RowPasses(i))) {
            view_.push_back(i);
        }
    }
    SortView();
}

void TDataSet::SortView() {
    const TField* field = sortField_.empty() ? nullptr : FindField(sortField_);
    if (!field || field->Calculated() || field->slot_ < 0) {
        return;
    }
    const auto slot = static_cast<size_t>(field->slot_);
    const FieldType type = field->DataType();
    const bool numeric =
        type == FieldType::Integer || type == FieldType::Float || type == FieldType::DateTime;
    // One key per record, computed once: a sort of many records compares each often.
    struct Key {
        bool empty;
        double number;
        std::string text;
    };
    std::vector<Key> keys(StorageSize());
    for (size_t index : view_) {
        const Variant v = StorageValue(index, slot);
        Key& k = keys[index];
        k.empty = v.IsNull() || (!numeric && v.AsString().empty());
        if (k.empty) {
            continue;
        }
        if (numeric) {
            k.number = type == FieldType::DateTime ? v.AsDateTime().Value : v.AsFloat();
        } else {
            k.text = UpperCase(v.AsString());
        }
    }
    const bool descending = sortDescending_;
    std::stable_sort(view_.begin(), view_.end(), [&](size_t a, size_t b) {
        const Key& x = keys[descending ? b : a];
        const Key& y = keys[descending ? a : b];
        if (x.empty || y.empty) {
            return x.empty && !y.empty;
        }
        return numeric ? x.number < y.number : x.text < y.text;
    });
}

void TDataSet::SortBy(const std::string& fieldName, bool descending) {
    sortField_ = fieldName;
    sortDescending_ = descending;
    if (State() != dsBrowse) {
        return; // a record being edited keeps its place; the order comes with the next load
    }
    const std::optional<size_t> current = CurrentStorageIndex();
    RebuildView();
    if (current) {
        const auto it = std::find(view_.begin(), view_.end(), *current);
        cur_ = it == view_.end() ? 0 : static_cast<size_t>(it - view_.begin());
    }
    bof_ = cur_ == 0;
    eof_ = view_.empty();
    CalculateFields();
    DataEvent(deDataSetChange);
}

std::optional<size_t> TDataSet::CurrentStorageIndex() const {
    if (view_.empty() || cur_ >= view_.size()) {
        return std::nullopt;
    }
    return view_[cur_];
}

void TDataSet::StorageReset() {
    if (!Active()) {
        return;
    }
    RebuildView();
    if (cur_ >= view_.size()) {
        cur_ = view_.empty() ? 0 : view_.size() - 1;
    }
    bof_ = cur_ == 0;
    eof_ = view_.empty();
    CalculateFields();
    DataEvent(deDataSetChange);
}

void TDataSet::CalculateFields() {
    if (calcFields_.empty()) {
        return;
    }
    std::fill(calcValues_.begin(), calcValues_.end(), Variant());
    if (!OnCalcFields || (view_.empty() && !editing_)) {
        return;
    }
    const TDataSetState saved = state_;
    state_ = dsCalcFields; // a temporary state: data sources are not told
    try {
        OnCalcFields(this);
    } catch (...) {
        state_ = saved;
        throw;
    }
    state_ = saved;
}

std::string TDataSet::DisplayTextAt(int recNo, const TField& field, bool display) {
    if (!Active() || recNo < 1) {
        return {};
    }
    if (recNo == RecNo()) {
        return display ? field.DisplayText() : field.AsString();
    }
    // While inserting, the new record stands at RecNo() ahead of the stored ones.
    const bool shifted = state_ == dsInsert && recNo > RecNo();
    const auto position = static_cast<size_t>(recNo - (shifted ? 2 : 1));
    if (position >= view_.size()) {
        return {};
    }
    struct Restore {
        TDataSet& ds;
        size_t cur;
        bool editing;
        std::vector<Variant> calc;
        ~Restore() {
            ds.cur_ = cur;
            ds.editing_ = editing;
            ds.calcValues_ = std::move(calc);
        }
    } restore{*this, cur_, editing_, calcValues_};
    const TDataSetState state = state_;
    struct RestoreState {
        TDataSetState& slot;
        TDataSetState saved;
        ~RestoreState() { slot = saved; }
    } restoreState{state_, state};
    state_ = dsBrowse;
    cur_ = position;
    editing_ = false;
    CalculateFields();
    return display ? field.DisplayText() : field.AsString();
}

// -- navigation -------------------------------------------------------------

int TDataSet::RecNo() const {
    if (state_ == dsInsert) {
        return static_cast<int>(insertPos_) + 1;
    }
    return view_.empty() ? 0 : static_cast<int>(cur_) + 1;
}

void TDataSet::ScrollTo(size_t position, TDataEvent event) {
    cur_ = position;
    CalculateFields();
    DataEvent(event);
}

void TDataSet::First() {
    CheckBrowseMode();
    Fire(BeforeScroll);
    bof_ = true;
    eof_ = view_.empty();
    ScrollTo(0, deDataSetChange);
    Fire(AfterScroll);
}

void TDataSet::Last() {
    CheckBrowseMode();
    Fire(BeforeScroll);
    eof_ = true;
    bof_ = view_.empty();
    ScrollTo(view_.empty() ? 0 : view_.size() - 1, deDataSetChange);
    Fire(AfterScroll);
}

int TDataSet::MoveBy(int distance) {
    CheckBrowseMode();
    Fire(BeforeScroll);
    int moved = 0;
    if (distance > 0 && !eof_ && !view_.empty()) {
        const size_t room = view_.size() - 1 - cur_;
        moved = static_cast<int>(std::min<size_t>(room, static_cast<size_t>(distance)));
        bof_ = false;
        eof_ = moved < distance;
    } else if (distance < 0 && !bof_ && !view_.empty()) {
        moved = -static_cast<int>(std::min<size_t>(cur_, static_cast<size_t>(-distance)));
        eof_ = false;
        bof_ = moved > distance;
    }
    if (moved != 0) {
        ScrollTo(static_cast<size_t>(static_cast<int>(cur_) + moved), deDataSetScroll);
    }
    Fire(AfterScroll);
    return moved;
}

void TDataSet::SetRecNo(int recNo) {
    CheckBrowseMode();
    if (view_.empty() || recNo < 1 || static_cast<size_t>(recNo) > view_.size() ||
        static_cast<size_t>(recNo - 1) == cur_) {
        return;
    }
    Fire(BeforeScroll);
    bof_ = eof_ = false;
    ScrollTo(static_cast<size_t>(recNo - 1), deDataSetChange);
    Fire(AfterScroll);
}
