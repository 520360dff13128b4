#include "framework/data/datasource.h"

#include <algorithm>

// -- TDataSource ----------------------------------------------------------------

TDataSource::~TDataSource() {
    if (dataSet_) {
        dataSet_->DetachDataSource(this);
    }
    const std::vector<TDataLink*> links = links_;
    for (TDataLink* link : links) {
        link->SourceDestroyed();
    }
}

void TDataSource::SetDataSet(TDataSet* dataSet) {
    if (dataSet_ == dataSet) {
        return;
    }
    if (dataSet_) {
        dataSet_->DetachDataSource(this);
    }
    dataSet_ = dataSet;
    if (dataSet_) {
        dataSet_->AttachDataSource(this);
    }
    UpdateState();
    if (state_ != dsInactive) {
        NotifyLinks(deDataSetChange, nullptr);
    }
}

void TDataSource::SetEnabled(bool enabled) {
    enabled_ = enabled;
    UpdateState();
}

void TDataSource::DataSetDestroyed() {
    // The owner is being torn down: links must drop their fields, but the screen's
    // handlers are not run, as the components they touch may already be gone.
    dataSet_ = nullptr;
    if (state_ != dsInactive) {
        state_ = dsInactive;
        NotifyLinks(deUpdateState, nullptr);
    }
}

void TDataSource::AddLink(TDataLink* link) {
    if (std::find(links_.begin(), links_.end(), link) == links_.end()) {
        links_.push_back(link);
    }
}

void TDataSource::RemoveLink(TDataLink* link) {
    links_.erase(std::remove(links_.begin(), links_.end(), link), links_.end());
}

void TDataSource::NotifyLinks(TDataEvent event, TField* field) {
    const std::vector<TDataLink*> links = links_;
    for (TDataLink* link : links) {
        link->DataEvent(event, field);
    }
}

void TDataSource::UpdateState() {
    const TDataSetState state = enabled_ && dataSet_ ? dataSet_->State() : dsInactive;
    if (state == state_) {
        return;
    }
    const TDataSetState prior = state_;
    state_ = state;
    NotifyLinks(deUpdateState, nullptr);
    if (Quiet()) {
        return;
    }
    if (OnStateChange) {
        OnStateChange(this);
    }
    // Data that was not there before has arrived (an open, or a load replacing the
    // contents): handlers that follow the data run as on any other data change.
    if (prior == dsInactive && OnDataChange) {
        OnDataChange(this, nullptr);
    }
}

void TDataSource::DataEvent(TDataEvent event, TField* field) {
    if (event == deUpdateState) {
        UpdateState();
        return;
    }
    if (state_ == dsInactive) {
        return;
    }
    NotifyLinks(event, field);
    if (Quiet()) {
        return;
    }
    switch (event) {
    case deFieldChange:
    case deRecordChange:
    case deDataSetChange:
    case deDataSetScroll:
        if (OnDataChange) {
            OnDataChange(this, event == deFieldChange ? field : nullptr);
        }
        break;
    case deUpdateRecord:
        if (OnUpdateData) {
            OnUpdateData(this);
        }
        break;
    default:
        break;
    }
}

bool TDataSource::FocusField(const TField* field) {
    const std::vector<TDataLink*> links = links_;
    for (TDataLink* link : links) {
        auto* fieldLink = dynamic_cast<TFieldDataLink*>(link);
        if (fieldLink && fieldLink->Field() == field && fieldLink->OnFocusRequest) {
            fieldLink->OnFocusRequest();
            return true;
        }
    }
    return false;
}

// -- TDataLink --------------------------------------------------------------------

TDataLink::~TDataLink() {
    if (source_) {
        source_->RemoveLink(this);
    }
}

void TDataLink::SetDataSource(TDataSource* source) {
    if (source_ == source) {
        return;
    }
    if (source_) {
        source_->RemoveLink(this);
    }
    source_ = source;
    if (source_) {
        source_->AddLink(this);
    }
    UpdateFlags();
}

void TDataLink::SourceDestroyed() {
    source_ = nullptr;
    UpdateFlags();
}

void TDataLink::UpdateFlags() {
    const TDataSetState state = source_ ? source_->State() : dsInactive;
    const bool active = state != dsInactive;
    const bool editing = state == dsEdit || state == dsInsert;
    if (active != active_) {
        active_ = active;
        ActiveChanged();
    }
    if (editing != editing_) {
        editing_ = editing;
        EditingChanged();
    }
}

bool TDataLink::Edit() {
    TDataSet* ds = DataSet();
    if (!ds || !active_) {
        return false;
    }
    if (!editing_ && ds->State() == dsBrowse) {
        ds->Edit();
    }
    return editing_;
}

void TDataLink::DataEvent(TDataEvent event, TField* field) {
    switch (event) {
    case deUpdateState:
        UpdateFlags();
        break;
    case deFieldChange:
    case deRecordChange:
        RecordChanged(field);
        break;
    case deDataSetChange:
        DataSetChanged();
        break;
    case deDataSetScroll:
        DataSetScrolled();
        break;
    case deUpdateRecord:
        UpdateData();
        break;
    case deCheckBrowseMode:
        CheckBrowseMode();
        break;
    }
}

// -- TFieldDataLink -----------------------------------------------------------------

void TFieldDataLink::SetFieldName(std::string name) {
    fieldName_ = std::move(name);
    ResolveField();
    if (OnDataChange) {
        OnDataChange(nullptr);
    }
}

void TFieldDataLink::ResolveField() {
    TDataSet* ds = DataSet();
    field_ = Active() && ds && !fieldName_.empty() ? ds->FindField(fieldName_) : nullptr;
}

bool TFieldDataLink::CanModify() const {
    const TDataSet* ds = DataSet();
    return field_ && ds && ds->CanModify() && !field_->ReadOnly();
}

void TFieldDataLink::Reset() {
    modified_ = false;
    if (OnDataChange) {
        OnDataChange(nullptr);
    }
}

void TFieldDataLink::UpdateRecord() {
    UpdateData();
}

void TFieldDataLink::ActiveChanged() {
    ResolveField();
    modified_ = false;
    if (OnActiveChange) {
        OnActiveChange(nullptr);
    }
    if (OnDataChange) {
        OnDataChange(nullptr);
    }
}

void TFieldDataLink::EditingChanged() {
    if (OnEditingChange) {
        OnEditingChange(nullptr);
    }
}

void TFieldDataLink::RecordChanged(TField* field) {
    if (field && field != field_) {
        return;
    }
    if (!field_ && !fieldName_.empty()) {
        ResolveField();
    }
    modified_ = false;
    if (OnDataChange) {
        OnDataChange(nullptr);
    }
}

void TFieldDataLink::UpdateData() {
    if (!modified_) {
        return;
    }
    // Cleared only once the text is in: a text the field rejects stays pending.
    if (OnUpdateData) {
        OnUpdateData(nullptr);
    }
    modified_ = false;
}
