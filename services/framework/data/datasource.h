#pragma once

#include "framework/base/component.h"
#include "framework/data/dataset.h"

#include <functional>
#include <string>
#include <vector>

class TDataLink;

using TDataChangeEvent = std::function<void(TObject* Sender, TField* Field)>;

/// Joins a data set to the controls that show it and to the screen's handlers.
/// OnStateChange runs on every state change of the data set (after the links are
/// told); OnDataChange on scroll, field change (with the field) and wholesale change
/// (with nullptr); OnUpdateData before a post, when controls write their text.
class TDataSource : public TComponent {
public:
    explicit TDataSource(TComponent* Owner = nullptr) : TComponent(Owner) {}
    ~TDataSource() override;

    TDataSet* DataSet() const { return dataSet_; }
    void SetDataSet(TDataSet* dataSet);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    /// The data set's state, or inactive without an enabled data set.
    TDataSetState State() const { return state_; }

    TNotifyEvent OnStateChange;
    TDataChangeEvent OnDataChange;
    TNotifyEvent OnUpdateData;

    /// Focuses the first control whose link shows `field`; false when there is none.
    bool FocusField(const TField* field);

    // -- used by TDataSet and TDataLink
    void DataEvent(TDataEvent event, TField* field);
    void DataSetDestroyed();
    void AddLink(TDataLink* link);
    void RemoveLink(TDataLink* link);

private:
    void UpdateState();
    void NotifyLinks(TDataEvent event, TField* field);

    TDataSet* dataSet_ = nullptr;
    bool enabled_ = true;
    TDataSetState state_ = dsInactive;
    std::vector<TDataLink*> links_;
};

/// What a data-aware control holds to follow a data source. Subclasses override the
/// hooks they care about.
class TDataLink {
public:
    TDataLink() = default;
    virtual ~TDataLink();
    TDataLink(const TDataLink&) = delete;
    TDataLink& operator=(const TDataLink&) = delete;

    TDataSource* DataSource() const { return source_; }
    void SetDataSource(TDataSource* source);
    TDataSet* DataSet() const { return source_ ? source_->DataSet() : nullptr; }
    bool Active() const { return active_; }
    bool Editing() const { return editing_; }
    /// Puts the data set into edit when it browses; true when it is then editing.
    /// BeforeEdit may refuse by raising, which propagates.
    bool Edit();

    // -- called by the data source
    void DataEvent(TDataEvent event, TField* field);
    void SourceDestroyed();

protected:
    virtual void ActiveChanged() {}
    virtual void EditingChanged() {}
    virtual void RecordChanged(TField*) {}
    virtual void DataSetChanged() { RecordChanged(nullptr); }
    virtual void DataSetScrolled() { DataSetChanged(); }
    virtual void UpdateData() {}
    virtual void CheckBrowseMode() {}

private:
    void UpdateFlags();
    TDataSource* source_ = nullptr;
    bool active_ = false;
    bool editing_ = false;
};

/// The link of a control bound to one field. The control marks its text as changed
/// with Modified(); before the record is posted OnUpdateData asks it to write the text
/// into the field.
class TFieldDataLink : public TDataLink {
public:
    const std::string& FieldName() const { return fieldName_; }
    void SetFieldName(std::string name);
    /// The bound field while the data set is open, else nullptr.
    TField* Field() const { return field_; }
    bool CanModify() const;
    void Modified() { modified_ = true; }
    bool IsModified() const { return modified_; }
    /// Drops the control's pending text and shows the field again.
    void Reset();
    /// Writes the pending text now (as before an exit or a post).
    void UpdateRecord();

    TNotifyEvent OnDataChange;
    TNotifyEvent OnEditingChange;
    TNotifyEvent OnUpdateData;
    TNotifyEvent OnActiveChange;
    /// Set by the control that holds the link: moves the focus to it (TField::FocusControl).
    std::function<void()> OnFocusRequest;

protected:
    void ActiveChanged() override;
    void EditingChanged() override;
    void RecordChanged(TField* field) override;
    void UpdateData() override;

private:
    void ResolveField();
    std::string fieldName_;
    TField* field_ = nullptr;
    bool modified_ = false;
};
