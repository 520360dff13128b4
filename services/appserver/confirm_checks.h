#pragma once

#include "core/data_packet.h"
#include "database/database.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace oca::server {

/// A failure that Confirma answers as its text (always longer than ten characters);
/// nothing of the call is written.
class ConfirmFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// Checks the values an inserted or modified occurrence would store, before anything is
/// written: each text fits its column, and each code names a row of the table it refers
/// to. For a modify only what changed is checked (with its companion, for pairs such as
/// group and type), so a value stored before these checks does not block other changes.
/// Raises ConfirmFailure naming the field.
void CheckOccurrenceValues(db::Database& db, const DataPacket& delta, const RowChange& change,
                           const std::vector<int>& own);

/// Characters, not bytes: a width is what a person may type.
size_t Characters(const std::string& text);

/// Values compare as stored: null, the empty text and blanks alike, dates to the second.
std::string Comparable(const Variant& v);

/// The person's name of a column of the occurrence, for messages.
std::string FieldLabel(const std::string& column);

} // namespace oca::server
