#pragma once

#include "core/report_document.h"

#include <string>

/// Writes `report` as an A4 PDF at `path`, with "Página N de M" at the foot of each page.
/// Needs a Qt application object (a QGuiApplication will do, on any platform plugin). Gives
/// "" or the reason it could not.
std::string WriteReportPdf(const ReportDocument& report, const std::string& path);
