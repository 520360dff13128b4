#include "framework/data/client_dataset.h"

#include "core/exceptions.h"
#include "framework/data/provider.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <algorithm>
#include <system_error>
#include <thread>

void TClientDataSet::SetData(const Variant& data) {
    Close();
    if (data.IsNull()) {
        return;
    }
    if (data.Type() != VarType::Packet) {
        DatabaseError("SetData espera um pacote de dados");
    }
    pending_ = data.PacketPtr();
    try {
        Open();
    } catch (...) {
        pending_.reset();
        throw;
    }
}

void TClientDataSet::SetData(Variant&& data) {
    if (data.Type() != VarType::Packet) {
        SetData(static_cast<const Variant&>(data));
        return;
    }
    Close();
    pending_ = data.TakePacket();
    try {
        Open();
    } catch (...) {
        pending_.reset();
        throw;
    }
}

void TClientDataSet::CreateDataSet() {
    Close();
    createEmpty_ = true;
    try {
        Open();
    } catch (...) {
        createEmpty_ = false;
        throw;
    }
    createEmpty_ = false;
}

void TClientDataSet::EmptyDataSet() {
    CheckActive();
    Cancel();
    records_.clear();
    StorageReset();
}

TDataSetProvider* TClientDataSet::ResolveProvider() const {
    if (provider_) {
        return provider_;
    }
    if (providerName_.empty() || !Owner()) {
        return nullptr;
    }
    return dynamic_cast<TDataSetProvider*>(Owner()->FindComponent(providerName_));
}

void TClientDataSet::InternalOpen() {
    records_.clear();
    nextSequence_ = 1;
    if (pending_) {
        std::shared_ptr<const DataPacket> packet = std::move(pending_);
        pending_.reset();
        if (packet.use_count() == 1) {
            // Nobody else sees this packet: its values move into the records.
            LoadRows(const_cast<DataPacket&>(*packet), true);
        } else {
            LoadPacket(*packet);
        }
        return;
    }
    if (createEmpty_) {
        if (FieldCount() == 0) {
            DatabaseError("Não há campos declarados para criar o conjunto de dados");
        }
        return;
    }
    if (TDataSetProvider* provider = ResolveProvider()) {
        const Variant data = provider->GetData();
        LoadPacket(data.AsPacket());
        return;
    }
    DatabaseError("Falta o provedor ou o pacote de dados");
}

namespace {
// Rows past which a closing data set frees them on another thread and gives their memory
// back to the system (a whole company's).
constexpr size_t kTrimAfterRows = 10000;
} // namespace

void TClientDataSet::InternalClose() {
    if (records_.size() < kTrimAfterRows) {
        records_.clear();
        records_.shrink_to_fit();
        return;
    }
    // A whole company's rows are many small blocks: freeing them one by one takes tens of
    // milliseconds that a reload would wait for before its rows show, so another thread
    // frees them. Their memory then goes back to the system, not to this process's heap,
    // which would hold the old rows' memory beside the new ones for as long as it runs.
    auto release = [old = std::move(records_)]() mutable {
        old.clear();
        old.shrink_to_fit();
#ifdef __GLIBC__
        ::malloc_trim(0);
#endif
    };
    records_ = {};
    try {
        std::thread(std::move(release)).detach();
    } catch (const std::system_error&) {
        // No thread to be had: the rows went with its state, freed here; the memory is
        // still given back.
        release();
    }
}

void TClientDataSet::LoadPacket(const DataPacket& packet) {
    LoadRows(const_cast<DataPacket&>(packet), false);
}

void TClientDataSet::LoadRows(DataPacket& packet, bool adopt) {
    if (packet.isDelta) {
        DatabaseError("Um pacote de alterações não pode ser carregado como conteúdo");
    }
    if (FieldCount() == 0) {
        for (const PacketField& meta : packet.fields) {
            AdoptField(MakeField(meta));
        }
    }
    // Packet column of each data field, in record order.
    std::vector<TField*> dataFields;
    std::vector<size_t> column;
    for (TField* field : FieldList()) {
        if (field->Calculated()) {
            continue;
        }
        const int index = packet.FieldIndex(field->FieldName());
        if (index < 0) {
            DatabaseError("Campo '" + field->FieldName() + "' não encontrado no pacote de dados");
        }
        dataFields.push_back(field);
        column.push_back(static_cast<size_t>(index));
    }
    bool sameColumns = column.size() == packet.fields.size();
    for (size_t j = 0; sameColumns && j < column.size(); ++j) {
        sameColumns = column[j] == j;
    }
    std::vector<CompactRow::SlotRule> rules;
    for (const TField* field : dataFields) {
        rules.push_back(field->Rule());
    }
    records_.reserve(packet.rows.size());
    Row values;
    for (size_t r = 0; r < packet.rows.size(); ++r) {
        CompactRow& row = packet.rows.Compact(r);
        if (row.size() != packet.fields.size()) {
            throw EDataPacketError("Pacote de dados inválido: linha com número errado de valores");
        }
        Record record;
        if (sameColumns && row.Fits(rules)) {
            // The common load: the row's one block becomes the record's as it is.
            record.values = adopt ? std::move(row) : row;
        } else {
            values.clear();
            for (size_t j = 0; j < dataFields.size(); ++j) {
                values.push_back(dataFields[j]->Convert(row.Get(column[j])));
            }
            record.values = CompactRow(values);
            if (adopt) {
                row = CompactRow(); // the packet's copy goes as soon as the record has it
            }
        }
        records_.push_back(std::move(record));
    }
}

Variant TClientDataSet::Data() const {
    if (!Active()) {
        return {};
    }
    DataPacket packet;
    for (const TField* field : DataFields()) {
        packet.fields.push_back(field->Describe());
    }
    packet.rows.reserve(records_.size());
    for (const Record& r : records_) {
        if (r.status != usDeleted) {
            packet.rows.push_back(r.values);
        }
    }
    return MakePacketVariant(std::move(packet));
}

size_t TClientDataSet::StorageInsert(size_t before, Row values) {
    Record record;
    record.values = CompactRow(values);
    if (logChanges_) {
        record.status = usInserted;
        record.sequence = nextSequence_++;
    }
    records_.insert(records_.begin() + static_cast<std::ptrdiff_t>(before), std::move(record));
    return before;
}

void TClientDataSet::StorageUpdate(size_t index, Row values) {
    Record& record = records_[index];
    if (logChanges_ && record.status == usUnmodified) {
        record.original = std::move(record.values);
        record.status = usModified;
        record.sequence = nextSequence_++;
    }
    record.values = CompactRow(values);
}

bool TClientDataSet::StorageDelete(size_t index) {
    Record& record = records_[index];
    if (!logChanges_ || record.status == usInserted) {
        records_.erase(records_.begin() + static_cast<std::ptrdiff_t>(index));
        return true;
    }
    if (record.status == usUnmodified) {
        record.original = record.values;
        record.sequence = nextSequence_++;
    }
    record.status = usDeleted;
    return false;
}

bool TClientDataSet::StorageText(size_t index, size_t slot, std::string_view& text) const {
    return records_[index].values.Text(slot, text);
}

int TClientDataSet::ChangeCount() const {
    if (!Active()) {
        return 0;
    }
    return static_cast<int>(std::count_if(records_.begin(), records_.end(), [](const Record& r) {
        return r.status != usUnmodified;
    }));
}

Variant TClientDataSet::GetDelta() const {
    CheckActive();
    std::vector<const Record*> changed;
    for (const Record& r : records_) {
        if (r.status != usUnmodified) {
            changed.push_back(&r);
        }
    }
    std::sort(changed.begin(), changed.end(),
              [](const Record* a, const Record* b) { return a->sequence < b->sequence; });
    DataPacket delta;
    delta.isDelta = true;
    for (const TField* field : DataFields()) {
        delta.fields.push_back(field->Describe());
    }
    for (const Record* r : changed) {
        RowChange change;
        switch (r->status) {
        case usInserted:
            change.state = RowState::Inserted;
            change.newValues = r->values.ToRow();
            break;
        case usModified:
            change.state = RowState::Modified;
            change.oldValues = r->original.ToRow();
            change.newValues = r->values.ToRow();
            break;
        default:
            change.state = RowState::Deleted;
            change.oldValues = r->original.ToRow();
            break;
        }
        delta.changes.push_back(std::move(change));
    }
    return MakePacketVariant(std::move(delta));
}

void TClientDataSet::MergeChangeLog() {
    CheckBrowseMode();
    std::erase_if(records_, [](const Record& r) { return r.status == usDeleted; });
    for (Record& r : records_) {
        r.status = usUnmodified;
        r.original = CompactRow();
        r.sequence = 0;
    }
    StorageReset();
}

void TClientDataSet::CancelUpdates() {
    if (!Active()) {
        return;
    }
    Cancel();
    std::erase_if(records_, [](const Record& r) { return r.status == usInserted; });
    for (Record& r : records_) {
        if (r.status == usModified || r.status == usDeleted) {
            r.values = std::move(r.original);
            r.original = CompactRow();
        }
        r.status = usUnmodified;
        r.sequence = 0;
    }
    StorageReset();
}

TUpdateStatus TClientDataSet::UpdateStatus() const {
    if (State() == dsInsert) {
        return usInserted;
    }
    const std::optional<size_t> index = CurrentStorageIndex();
    return index ? records_[*index].status : usUnmodified;
}
