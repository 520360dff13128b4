#include "qt/report_pdf.h"

#include "qt/qt_support.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>
#include <QUrl>

namespace {

using oca::qt::Q;

void FootNote(QPainter& painter, const QRectF& area, int page, int pages) {
    QFont font = painter.font();
    font.setPointSizeF(8);
    painter.setFont(font);
    painter.drawText(area, Qt::AlignRight | Qt::AlignBottom,
                     QStringLiteral("Página %1 de %2").arg(page).arg(pages));
}

} // namespace

std::string WriteReportPdf(const ReportDocument& report, const std::string& path) {
    {
        QFile probe(Q(path));
        if (!probe.open(QIODevice::WriteOnly)) {
            return "Não foi possível gravar o relatório em \"" + path +
                   "\": " + probe.errorString().toStdString() + ".";
        }
    }
    QPdfWriter writer(Q(path));
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(15, 15, 15, 12), QPageLayout::Millimeter);
    writer.setResolution(300);
    writer.setTitle(Q(report.title));
    writer.setCreator(QStringLiteral("Ocorrências de atendimento"));

    QTextDocument document;
    // Laid out for the PDF's resolution, so that a point is a point on paper.
    document.documentLayout()->setPaintDevice(&writer);
    for (const auto& [name, bytes] : report.images) {
        document.addResource(QTextDocument::ImageResource, QUrl(Q(name)),
                             QImage::fromData(reinterpret_cast<const uchar*>(bytes.data()),
                                              static_cast<int>(bytes.size())));
    }
    document.setHtml(Q(report.html));

    const QRectF paper = writer.pageLayout().paintRectPixels(writer.resolution());
    const double foot = writer.resolution() * 8.0 / 25.4; // 8 mm for the page number
    const QSizeF body(paper.width(), paper.height() - foot);
    document.setPageSize(body);
    const int pages = document.pageCount();

    QPainter painter;
    if (!painter.begin(&writer)) {
        return "Não foi possível gravar o relatório em \"" + path + "\".";
    }
    for (int page = 0; page < pages; ++page) {
        if (page > 0) {
            writer.newPage();
        }
        painter.save();
        painter.translate(0, -page * body.height());
        document.drawContents(&painter, QRectF(QPointF(0, page * body.height()), body));
        painter.restore();
        FootNote(painter, QRectF(0, body.height(), body.width(), foot), page + 1, pages);
    }
    painter.end();
    return "";
}
