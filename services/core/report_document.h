#pragma once

#include "core/data_packet.h"

#include <map>
#include <string>

/// A report as a document a PDF writer lays out: its text (HTML of the subset a rich-text
/// document reads) and the pictures it names, by the name its <img> tags use. The server
/// builds it; the desktop and the command line write it as PDF.
struct ReportDocument {
    std::string title; ///< "Relatório de não conformidade 0001/0000000123"
    std::string html;
    std::map<std::string, std::string> images; ///< name → PNG bytes
};

/// The document as a packet of resources (NMRECURSO, CONTEUDO as blob): "titulo",
/// "relatorio.html", then one row per picture; and back.
DataPacket ReportToPacket(const ReportDocument& report);
ReportDocument ReportFromPacket(const DataPacket& packet);
