#pragma once

#include "core/data_packet.h"

#include <string>
#include <vector>

namespace oca::server {

/// The columns of the occurrence record as the selection answers them, in record order,
/// each with the SQL expression that gives it.
struct RecordColumn {
    PacketField field;
    const char* expression;
    bool own; ///< a column of MOVOCORR itself (written by Confirma)
};

const std::vector<RecordColumn>& OccurrenceColumns();
/// Whether `name` is one of the record's columns; `own` tells whether it is MOVOCORR's.
bool IsRecordColumn(const std::string& name, bool* own = nullptr);

} // namespace oca::server
