#pragma once

#include "core/data_packet.h"
#include "framework/base/component.h"
#include "framework/data/field.h"
#include "framework/data/filter_expr.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class TDataSource;

enum TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert, dsCalcFields };

/// What a data set tells its data sources (and they their links).
enum TDataEvent {
    deFieldChange,     ///< one field of the current record changed
    deRecordChange,    ///< the current record was replaced (edit began)
    deDataSetChange,   ///< content or position changed wholesale
    deDataSetScroll,   ///< the cursor moved
    deUpdateState,     ///< the state changed
    deUpdateRecord,    ///< controls must write their pending text into their fields
    deCheckBrowseMode, ///< the record is about to be posted, cancelled or left
};

enum TLocateOption : unsigned { loCaseInsensitive = 1, loPartialKey = 2 };
using TLocateOptions = unsigned;

enum TFilterOption : unsigned { foCaseInsensitive = 1 };
using TFilterOptions = unsigned;

using TDataSetNotifyEvent = std::function<void(TDataSet* DataSet)>;

/// A cursor over records, with the state machine, events and field access of the
/// desktop framework. Subclasses hold the records (the storage); this class owns the
/// view over them (filtered, in order), the current record, the edit buffer and the
/// calculated values.
///
/// Events run in the framework's order; an exception from a Before* event, from
/// OnNewRecord or from a check aborts the operation and leaves state and record as they
/// were. Exceptions from After* events propagate with the operation already done.
class TDataSet : public TComponent {
public:
    explicit TDataSet(TComponent* Owner = nullptr);
    ~TDataSet() override;

    // -- fields
    size_t FieldCount() const { return fields_.size(); }
    TField* Fields(size_t index) const { return fields_.at(index); }
    const std::vector<TField*>& FieldList() const { return fields_; }
    /// The field of that name (ignoring case), or nullptr.
    TField* FindField(std::string_view fieldName) const;
    /// Raises EDatabaseError "Campo 'X' não encontrado" when absent.
    TField& FieldByName(std::string_view fieldName) const;
    int IndexOfField(const TField* field) const;
    /// Declares a field owned by this data set (only while closed).
    template <class F, class... Args> F* CreateField(std::string fieldName, Args&&... args) {
        F* field = Create<F>(Name() + fieldName, std::forward<Args>(args)...);
        field->SetFieldName(std::move(fieldName));
        field->SetDataSet(this);
        return field;
    }

    // -- state
    TDataSetState State() const { return state_; }
    bool Active() const { return state_ != dsInactive; }
    void SetActive(bool active) { active ? Open() : Close(); }
    void Open();
    void Close();
    /// True while the current record has changes not yet posted.
    bool Modified() const { return modified_; }
    virtual bool CanModify() const { return true; }

    // -- navigation
    void First();
    void Last();
    void Next() { MoveBy(1); }
    void Prior() { MoveBy(-1); }
    int MoveBy(int distance);
    bool Eof() const { return eof_; }
    bool Bof() const { return bof_; }
    size_t RecordCount() const { return view_.size(); }
    bool IsEmpty() const { return view_.empty() && state_ != dsInsert; }
    /// 1-based position of the current record; 0 when there is none.
    int RecNo() const;
    void SetRecNo(int recNo);

    // -- editing
    void Insert();
    void Append();
    /// On an empty data set Edit inserts, as the desktop framework does.
    void Edit();
    void Post();
    void Cancel();
    void Delete();
    /// Posts when the record was changed, cancels when not; nothing in browse.
    void CheckBrowseMode();
    /// Asks the controls to write their pending text into the fields.
    void UpdateRecord();

    /// A record as a person typed it: the data fields' values in record order, and
    /// whether it was being inserted or edited (browse: nothing typed).
    struct TTypedRecord {
        TDataSetState state = dsBrowse;
        Row values;
        bool modified = false; ///< changed since it was begun (a posted record always is)
    };
    /// The current record as typed: its buffer while it is edited or inserted, else its
    /// stored values, with `state` as given.
    TTypedRecord TypedRecord(TDataSetState state) const;
    /// Puts a typed record back: inserts it, or edits the record whose `keyFields` (";"
    /// between names) hold its key values, and writes its values into the buffer. No
    /// insert, edit or scroll event runs, nor a field's change event: what comes back is
    /// what was typed, not what those events would make of it. Data sources hear of the
    /// state and the record as usual. False, with nothing changed, when the record to
    /// edit is not there any more or the data set is not browsing.
    bool ResumeTyping(const TTypedRecord& typed, std::string_view keyFields = {});

    // -- search and filter
    /// `keyFields` are names separated by ";", one value each. Moves to the first
    /// matching record and returns true; false leaves the position alone.
    bool Locate(std::string_view keyFields, const std::vector<Variant>& values,
                TLocateOptions options = 0);
    bool Locate(std::string_view keyField, const Variant& value, TLocateOptions options = 0) {
        return Locate(keyField, std::vector<Variant>{value}, options);
    }
    const std::string& Filter() const { return filterText_; }
    /// Raises EDatabaseError for a text that does not parse; the old filter stays.
    void SetFilter(std::string_view text);
    bool Filtered() const { return filtered_; }
    void SetFiltered(bool filtered);
    TFilterOptions FilterOptions() const { return filterOptions_; }
    void SetFilterOptions(TFilterOptions options);

    // -- controls
    /// Orders the records by a data field (empty values first; numbers and dates by
    /// value, texts without regard to case), descending when asked; the current record
    /// stays current and later loads keep the order. An empty name gives back the
    /// stored order.
    void SortBy(const std::string& fieldName, bool descending = false);
    const std::string& SortField() const { return sortField_; }
    bool SortDescending() const { return sortDescending_; }
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return disableCount_ > 0; }

    /// The records in view (filter applied) and data fields as a packet.
    DataPacket ToPacket() const;
    /// The current record alone (as edited, while it is), as a packet of one row; none
    /// when the data set is empty.
    DataPacket RecordPacket() const;
    /// The display text of `field` in the record at `recNo` (1-based), read the way a
    /// grid paints a row it does not stand on: the record stands current for the read
    /// only, with its calculated fields, and no event reaches the data sources. The
    /// record being edited or inserted answers from its buffer. Empty outside the view.
    /// With `display` false, the field's plain string value instead (keys).
    std::string DisplayTextAt(int recNo, const TField& field, bool display = true);

    // -- events
    TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
    TDataSetNotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
    TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
    TDataSetNotifyEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
    TDataSetNotifyEvent OnNewRecord, OnCalcFields;

    // -- used by fields and data sources
    Variant GetFieldValue(const TField& field) const;
    void SetFieldValue(TField& field, const Variant& value);
    void AddField(TField* field);
    void RemoveField(TField* field);
    /// A display property of a field changed: bound controls refresh, as on any
    /// wholesale change.
    void FieldPropertyChanged(TField& field);
    /// Focuses the first control that shows `field` (the field's FocusControl).
    void FocusField(const TField& field);
    void AttachDataSource(TDataSource* source);
    void DetachDataSource(TDataSource* source);

protected:
    // -- storage, implemented by subclasses. Rows hold the data fields' values in
    // DataFields() order. A storage row may stay behind deleted (a change log); it is
    // then not live and stays out of view.
    /// Loads the storage; may create fields (with AdoptField) when none are declared.
    virtual void InternalOpen() = 0;
    virtual void InternalClose() = 0;
    virtual size_t StorageSize() const = 0;
    /// The value of data field `slot` in storage row `index`.
    virtual Variant StorageValue(size_t index, size_t slot) const = 0;
    /// Storage row `index` whole.
    virtual Row StorageRow(size_t index) const = 0;
    /// A text value read in place, when the storage keeps texts so; false for any other
    /// value or storage (the caller then reads StorageValue).
    virtual bool StorageText(size_t, size_t, std::string_view&) const { return false; }
    virtual bool StorageLive(size_t) const { return true; }
    /// Stores a new row before storage row `before` (StorageSize() to append) and
    /// returns its storage index.
    virtual size_t StorageInsert(size_t before, Row values) = 0;
    virtual void StorageUpdate(size_t index, Row values) = 0;
    /// Returns true when the row left the storage (indexes after it shift down).
    virtual bool StorageDelete(size_t index) = 0;

    /// The data fields in record order, valid while open.
    const std::vector<TField*>& DataFields() const { return dataFields_; }
    /// Declares a field created from metadata, owned by this data set and freed on close.
    TField* AdoptField(std::unique_ptr<TField> field);
    /// Subclasses call this after changing the storage behind the cursor's back
    /// (undo, reload): the view is rebuilt, the position kept where it can be, and the
    /// data sources told.
    void StorageReset();
    /// Storage index of the current record, or none.
    std::optional<size_t> CurrentStorageIndex() const;
    void DataEvent(TDataEvent event, TField* field = nullptr);
    void SetState(TDataSetState state);
    void CheckActive() const;
    [[noreturn]] void DatabaseError(const std::string& message) const;

private:
    void BindFields();
    void FreeDefaultFields();
    /// A packet of the data fields, without rows.
    DataPacket FieldsPacket() const;
    void RebuildView();
    void SortView();
    bool RowPasses(size_t index) const;
    void CompileFilter();
    void CalculateFields();
    void BeginInsertAppend(bool append);
    void CheckCanModify() const;
    void CheckRequiredFields() const;
    void InternalPost();
    void ScrollTo(size_t position, TDataEvent event);
    void Fire(const TDataSetNotifyEvent& event);
    bool Matches(size_t index, const std::vector<TField*>& keys, const std::vector<Variant>& values,
                 TLocateOptions options) const;

    std::vector<TField*> fields_;
    std::vector<TField*> dataFields_;
    std::vector<TField*> calcFields_;
    std::vector<TField*> defaultFields_;
    std::vector<TDataSource*> sources_;

    TDataSetState state_ = dsInactive;
    std::vector<size_t> view_; ///< storage indexes of the records in view, in order
    std::string sortField_;
    bool sortDescending_ = false;
    size_t cur_ = 0; ///< position in view_ of the current record
    bool bof_ = true;
    bool eof_ = true;

    Row editBuffer_;       ///< the record being edited or inserted
    bool editing_ = false; ///< editBuffer_ holds the current record
    size_t insertPos_ = 0; ///< where an inserted record will stand in view_
    bool modified_ = false;
    std::vector<Variant> calcValues_;

    std::string filterText_;
    std::optional<FilterExpression> filterExpr_;
    std::vector<int> filterSlots_; ///< record index of each field the filter names
    bool filtered_ = false;
    TFilterOptions filterOptions_ = 0;

    int disableCount_ = 0;
    TDataSetState stateAtDisable_ = dsInactive;
};

/// Keeps a data set's bound controls quiet for a scope: they show the data once, when
/// the scope ends on any path, not at every change made inside it.
class TControlsQuiet {
public:
    explicit TControlsQuiet(TDataSet& data) : data_(data) { data_.DisableControls(); }
    ~TControlsQuiet() { data_.EnableControls(); }
    TControlsQuiet(const TControlsQuiet&) = delete;
    TControlsQuiet& operator=(const TControlsQuiet&) = delete;

private:
    TDataSet& data_;
};

/// Field names separated by ";", trimmed, empty ones dropped.
std::vector<std::string> SplitFieldNames(std::string_view names);

/// "Campo 'X' não encontrado" and friends share one wording.
std::string FieldNotFoundMessage(std::string_view fieldName);
