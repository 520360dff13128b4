#include "core/report_document.h"

namespace {

constexpr const char* kTitle = "titulo";
constexpr const char* kText = "relatorio.html";

} // namespace

DataPacket ReportToPacket(const ReportDocument& report) {
    DataPacket packet;
    packet.fields = {{"NMRECURSO", FieldType::String, 80}, {"CONTEUDO", FieldType::Blob}};
    packet.rows.push_back({Variant(kTitle), Variant(Blob{report.title})});
    packet.rows.push_back({Variant(kText), Variant(Blob{report.html})});
    for (const auto& [name, bytes] : report.images) {
        packet.rows.push_back({Variant(name), Variant(Blob{bytes})});
    }
    return packet;
}

ReportDocument ReportFromPacket(const DataPacket& packet) {
    ReportDocument report;
    for (const Row& row : packet.rows) {
        if (row.size() < 2 || !row[1].Get<Blob>()) {
            continue;
        }
        const std::string name = row[0].AsString();
        const std::string& bytes = row[1].Get<Blob>()->bytes;
        if (name == kTitle) {
            report.title = bytes;
        } else if (name == kText) {
            report.html = bytes;
        } else {
            report.images[name] = bytes;
        }
    }
    return report;
}
