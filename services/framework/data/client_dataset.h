#pragma once

#include "framework/data/dataset.h"

#include <cstdint>
#include <memory>
#include <string>

class TDataSetProvider;

enum TUpdateStatus { usUnmodified, usModified, usInserted, usDeleted };

/// An in-memory data set filled from a packet, keeping a change log: every post and
/// delete is recorded with the values last accepted, until MergeChangeLog accepts the
/// changes or CancelUpdates undoes them. An insert later modified stays one insert; an
/// insert later deleted leaves no trace; a record modified twice keeps its first
/// original values.
class TClientDataSet : public TDataSet {
public:
    explicit TClientDataSet(TComponent* Owner = nullptr) : TDataSet(Owner) {}

    /// Replaces content and change log (closing and reopening the data set). Fields
    /// declared in code are matched by name and must all be in the packet; without
    /// declared fields they are created from the packet. A null value just closes.
    void SetData(const Variant& data);
    /// The same, adopting the packet's rows when this call holds the only reference to it
    /// (an answer just received): no second copy of a large load.
    void SetData(Variant&& data);
    /// The current content (change log applied), as a packet variant.
    Variant Data() const;
    /// The pending changes as a delta packet, in the order they were first made.
    Variant GetDelta() const;
    Variant Delta() const { return GetDelta(); }
    /// Number of records with a pending change (insert, modification or delete).
    int ChangeCount() const;
    int GetChangeCount() const { return ChangeCount(); }
    /// Accepts every pending change: the current content becomes the original.
    void MergeChangeLog();
    /// Undoes every pending change, back to the content last accepted.
    void CancelUpdates();
    /// The log status of the current record.
    TUpdateStatus UpdateStatus() const;
    /// When false, posts and deletes change the content without being logged.
    bool LogChanges() const { return logChanges_; }
    void SetLogChanges(bool log) { logChanges_ = log; }

    /// Opens an empty data set with the declared fields.
    void CreateDataSet();
    /// Removes every record (not logged) and keeps the data set open.
    void EmptyDataSet();

    const std::string& ProviderName() const { return providerName_; }
    /// The provider is looked up by name among the owner's components on Open.
    void SetProviderName(std::string name) { providerName_ = std::move(name); }
    void SetProvider(TDataSetProvider* provider) { provider_ = provider; }

protected:
    void InternalOpen() override;
    void InternalClose() override;
    size_t StorageSize() const override { return records_.size(); }
    Variant StorageValue(size_t index, size_t slot) const override {
        return records_[index].values.Get(slot);
    }
    Row StorageRow(size_t index) const override { return records_[index].values.ToRow(); }
    bool StorageText(size_t index, size_t slot, std::string_view& text) const override;
    bool StorageLive(size_t index) const override { return records_[index].status != usDeleted; }
    size_t StorageInsert(size_t before, Row values) override;
    void StorageUpdate(size_t index, Row values) override;
    bool StorageDelete(size_t index) override;

private:
    struct Record {
        CompactRow values;
        CompactRow original; ///< the values last accepted (modified and deleted records)
        TUpdateStatus status = usUnmodified;
        std::uint64_t sequence = 0; ///< order of the first pending change
    };

    void LoadPacket(const DataPacket& packet);
    /// Loads `packet`, moving its rows' values into the records when `adopt`.
    void LoadRows(DataPacket& packet, bool adopt);
    TDataSetProvider* ResolveProvider() const;

    std::vector<Record> records_;
    std::shared_ptr<const DataPacket> pending_;
    bool createEmpty_ = false;
    bool logChanges_ = true;
    std::uint64_t nextSequence_ = 1;
    std::string providerName_;
    TDataSetProvider* provider_ = nullptr;
};
