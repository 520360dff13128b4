#pragma once

#include "appserver/server.h"
#include "core/report_document.h"

#include <string>

namespace oca::server {

/// The non-conformance report of occurrence (branch, number) as stored now: its record with
/// every name looked up, its description and assessment with their formatting, its
/// treatment and actions when it has them, and its attached files with their thumbnails.
/// Raises ConfirmFailure when the occurrence does not exist.
ReportDocument BuildReport(db::Database& db, const std::string& branch, const std::string& number);

/// GetRelatorio (branch, number): the report as ReportToPacket gives it.
Variant GetRelatorio(db::Database& db, const Args& args);

} // namespace oca::server
