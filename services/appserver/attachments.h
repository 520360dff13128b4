#pragma once

#include "appserver/server.h"
#include "core/attachment_parts.h"

#include <cstdint>
#include <vector>

namespace oca::server {

/// How large attached files may be, one by one and together on one occurrence.
struct AttachmentLimits {
    std::int64_t fileBytes = 20LL << 20;
    std::int64_t occurrenceBytes = 200LL << 20;
};
/// Set once at start (the server's options); every call after reads them.
void SetAttachmentLimits(const AttachmentLimits& limits);

/// The columns GetAnexos answers, in order.
const std::vector<PacketField>& AttachmentFields();

/// The attached files of an occurrence (branch, number), complete ones only, in order.
Variant GetAnexos(db::Database& db, const Args& args);
/// Starts sending a file (branch, number, name, size, SHA-256 in hex, PNG thumbnail or
/// null): its number, or the reason it is refused (too large, no room left on the
/// occurrence, no access, the occurrence gone).
Variant IniciaAnexo(db::Database& db, const Args& args);
/// One part (branch, number, attachment, part from 0, bytes): "" or the refusal. The
/// first part decides the file's kind: a kind not accepted, or one the name contradicts,
/// ends the upload.
Variant GravaParteAnexo(db::Database& db, const Args& args);
/// Ends an upload (branch, number, attachment): listed from now on, with its history, if
/// its parts make the size and the checksum announced; "" or the refusal.
Variant ConcluiAnexo(db::Database& db, const Args& args);
/// Gives up one's own upload still under way (branch, number, attachment), its parts
/// with it; "" also when there was nothing to give up.
Variant CancelaAnexo(db::Database& db, const Args& args);
/// One part of a complete file (branch, number, attachment, part), checked against the
/// checksum kept when it was stored.
Variant GetParteAnexo(db::Database& db, const Args& args);
/// Removes a file (branch, number, attachment, version as listed), with its history;
/// "" or the refusal.
Variant ExcluiAnexo(db::Database& db, const Args& args);

class HistoryWriter;
/// Notes in the history each file of an occurrence about to be deleted with it.
void NoteAttachmentsGone(db::Database& db, HistoryWriter& history, const std::string& branch,
                         const std::string& number);

} // namespace oca::server
