// The desktop's dealings with files: choosing them, opening them in the system's viewer,
// a thumbnail of a picture, and a report written as PDF.
#include "qt/qt_ui_driver.h"

#include "core/attachment_parts.h"
#include "qt/qt_support.h"
#include "qt/report_pdf.h"

#include <QBuffer>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QImageReader>
#include <QUrl>

namespace oca::qt {

std::vector<std::string> QtUiDriver::AskOpenFiles(const std::string& title,
                                                  const std::string& filter) {
    std::vector<std::string> paths;
    for (const QString& path :
         QFileDialog::getOpenFileNames(DialogParent(), Q(title), QDir::homePath(), Q(filter))) {
        paths.push_back(S(path));
    }
    return paths;
}

bool QtUiDriver::OpenDocument(const std::string& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(Q(path)));
}

std::string QtUiDriver::WritePdf(const ReportDocument& report, const std::string& path) {
    return WriteReportPdf(report, path);
}

std::optional<std::string> QtUiDriver::MakeThumbnail(const std::string& path) {
    QImageReader reader(Q(path));
    reader.setAutoTransform(true); // a phone's photo stands as it was taken
    if (!reader.canRead()) {
        return std::nullopt;
    }
    // Read already reduced: a large photo is never decoded whole for its thumbnail.
    const QSize full = reader.size();
    if (full.isValid() && (full.width() > 160 || full.height() > 120)) {
        reader.setScaledSize(full.scaled(160, 120, Qt::KeepAspectRatio));
    }
    const QImage image = reader.read();
    if (image.isNull()) {
        return std::nullopt;
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.scaled(160, 120, Qt::KeepAspectRatio, Qt::SmoothTransformation).save(&buffer, "PNG");
    if (bytes.isEmpty() || static_cast<size_t>(bytes.size()) > kAttachmentThumbnailBytes) {
        return std::nullopt;
    }
    return bytes.toStdString();
}

} // namespace oca::qt
