#include "qt/icons.h"

#include <QApplication>
#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStyle>

#include <functional>
#include <map>

namespace oca::qt {

namespace {

constexpr int kSize = 48;

using Painter = std::function<void(QPainter&)>;

QPen Pen(const QColor& color, double width) {
    return QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void Letter(QPainter& p, const QString& text, bool bold, bool italic, bool underline) {
    QFont font("DejaVu Sans");
    font.setPixelSize(34);
    font.setBold(bold);
    font.setItalic(italic);
    font.setUnderline(underline);
    p.setFont(font);
    p.setPen(QColor(40, 40, 40));
    p.drawText(QRect(0, 0, kSize, kSize), Qt::AlignCenter, text);
}

void Lines(QPainter& p, Qt::Alignment align) {
    p.setPen(Pen(QColor(50, 50, 50), 4));
    const int widths[] = {36, 24, 36, 24};
    for (int i = 0; i < 4; ++i) {
        const int w = widths[i];
        const int left = align == Qt::AlignLeft    ? 6
                         : align == Qt::AlignRight ? kSize - 6 - w
                                                   : (kSize - w) / 2;
        const int y = 10 + i * 9;
        p.drawLine(left, y, left + w, y);
    }
}

void Magnifier(QPainter& p) {
    p.setPen(Pen(QColor(40, 70, 120), 5));
    p.drawEllipse(QPointF(20, 20), 12, 12);
    p.drawLine(29, 29, 42, 42);
}

const std::map<std::string, Painter>& Painters() {
    static const std::map<std::string, Painter> painters = {
        {"Confirmar",
         [](QPainter& p) {
             p.setPen(Pen(QColor(30, 140, 50), 7));
             p.drawPolyline(QPolygonF({{8, 26}, {19, 37}, {40, 12}}));
         }},
        {"Cancelar",
         [](QPainter& p) {
             p.setPen(Pen(QColor(190, 40, 40), 7));
             p.drawLine(11, 11, 37, 37);
             p.drawLine(37, 11, 11, 37);
         }},
        {"Incluir",
         [](QPainter& p) {
             p.setPen(Pen(QColor(30, 110, 190), 7));
             p.drawLine(24, 8, 24, 40);
             p.drawLine(8, 24, 40, 24);
         }},
        {"Excluir",
         [](QPainter& p) {
             p.setPen(Pen(QColor(190, 40, 40), 7));
             p.drawLine(8, 24, 40, 24);
         }},
        {"Alterar",
         [](QPainter& p) {
             p.setPen(Pen(QColor(150, 100, 20), 3));
             p.setBrush(QColor(240, 190, 60));
             p.drawPolygon(QPolygonF({{10, 38}, {12, 30}, {34, 8}, {40, 14}, {18, 36}}));
         }},
        {"Procurar", Magnifier},
        {"Pesquisar", Magnifier},
        {"Filtrar",
         [](QPainter& p) {
             p.setPen(Pen(QColor(40, 70, 120), 3));
             p.setBrush(QColor(120, 160, 220));
             p.drawPolygon(QPolygonF({{6, 8}, {42, 8}, {28, 24}, {28, 40}, {20, 36}, {20, 24}}));
         }},
        {"Verificar",
         [](QPainter& p) {
             p.setPen(Pen(QColor(30, 120, 60), 5));
             p.drawArc(QRectF(9, 9, 30, 30), 30 * 16, 280 * 16);
             p.setBrush(QColor(30, 120, 60));
             p.drawPolygon(QPolygonF({{36, 4}, {40, 18}, {27, 14}}));
         }},
        {"Imprimir",
         [](QPainter& p) {
             p.setPen(Pen(QColor(60, 60, 60), 3));
             p.setBrush(Qt::white);
             p.drawRect(14, 6, 20, 14);
             p.setBrush(QColor(150, 150, 150));
             p.drawRoundedRect(6, 18, 36, 16, 3, 3);
             p.setBrush(Qt::white);
             p.drawRect(14, 28, 20, 14);
         }},
        {"Ajuda",
         [](QPainter& p) {
             Letter(p, "?", true, false, false);
         }},
        {"Fechar",
         [](QPainter& p) {
             p.setPen(Pen(QColor(90, 60, 30), 3));
             p.setBrush(QColor(170, 120, 70));
             p.drawRect(12, 6, 24, 36);
             p.setBrush(QColor(90, 60, 30));
             p.drawEllipse(QPointF(30, 25), 2.5, 2.5);
         }},
        {"SalvarOpcoes",
         [](QPainter& p) {
             p.setPen(Pen(QColor(30, 60, 110), 3));
             p.setBrush(QColor(70, 110, 180));
             p.drawRoundedRect(8, 8, 32, 32, 3, 3);
             p.setBrush(Qt::white);
             p.drawRect(15, 8, 18, 11);
             p.drawRect(13, 27, 22, 13);
         }},
        {"CarregarOpcoes",
         [](QPainter& p) {
             p.setPen(Pen(QColor(140, 100, 20), 3));
             p.setBrush(QColor(240, 200, 90));
             p.drawPolygon(QPolygonF({{6, 12}, {18, 12}, {22, 16}, {42, 16}, {42, 38}, {6, 38}}));
         }},
        {"Recortar",
         [](QPainter& p) {
             p.setPen(Pen(QColor(50, 50, 50), 3));
             p.drawEllipse(QPointF(14, 36), 6, 6);
             p.drawEllipse(QPointF(34, 36), 6, 6);
             p.drawLine(18, 31, 34, 6);
             p.drawLine(30, 31, 14, 6);
         }},
        {"Copiar",
         [](QPainter& p) {
             p.setPen(Pen(QColor(50, 50, 50), 3));
             p.setBrush(Qt::white);
             p.drawRect(8, 6, 22, 26);
             p.drawRect(18, 16, 22, 26);
         }},
        {"Colar",
         [](QPainter& p) {
             p.setPen(Pen(QColor(110, 80, 30), 3));
             p.setBrush(QColor(210, 170, 110));
             p.drawRoundedRect(8, 8, 28, 34, 3, 3);
             p.setBrush(Qt::white);
             p.drawRect(20, 18, 20, 24);
         }},
        {"Voltar",
         [](QPainter& p) {
             p.setPen(Pen(QColor(40, 70, 120), 5));
             QPainterPath path;
             path.moveTo(12, 18);
             path.cubicTo(30, 8, 46, 22, 34, 40);
             p.drawPath(path);
             p.setBrush(QColor(40, 70, 120));
             p.drawPolygon(QPolygonF({{6, 18}, {16, 8}, {18, 24}}));
         }},
        {"Fonte",
         [](QPainter& p) {
             Letter(p, "F", false, false, false);
         }},
        {"Tamanho",
         [](QPainter& p) {
             Letter(p, "T", false, false, false);
         }},
        {"Negrito",
         [](QPainter& p) {
             Letter(p, "N", true, false, false);
         }},
        {"Italico",
         [](QPainter& p) {
             Letter(p, "I", false, true, false);
         }},
        {"Sublinhado",
         [](QPainter& p) {
             Letter(p, "S", false, false, true);
         }},
        {"Esquerda",
         [](QPainter& p) {
             Lines(p, Qt::AlignLeft);
         }},
        {"Centro",
         [](QPainter& p) {
             Lines(p, Qt::AlignHCenter);
         }},
        {"Direita",
         [](QPainter& p) {
             Lines(p, Qt::AlignRight);
         }},
        {"Numerador",
         [](QPainter& p) {
             p.setPen(Pen(QColor(50, 50, 50), 4));
             for (int i = 0; i < 3; ++i) {
                 const int y = 12 + i * 12;
                 p.drawPoint(9, y);
                 p.drawLine(18, y, 42, y);
             }
         }},
        {"Cores",
         [](QPainter& p) {
             Letter(p, "A", true, false, false);
             p.fillRect(6, 40, 36, 6, QColor(200, 30, 30));
         }},
    };
    return painters;
}

} // namespace

QIcon GlyphIcon(const std::string& glyph) {
    // Kept for the life of the process: pixmaps must not outlive the application
    // object in static destruction.
    static auto* cache = new std::map<std::string, QIcon>;
    const std::string name = glyph.empty() ? "Pesquisar" : glyph;
    if (const auto it = cache->find(name); it != cache->end()) {
        return it->second;
    }
    const auto painter = Painters().find(name);
    if (painter == Painters().end()) {
        return {};
    }
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    {
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        painter->second(p);
    }
    QIcon icon(pixmap);
    cache->emplace(name, icon);
    return icon;
}

QIcon ApplicationIcon() {
    QIcon icon;
    for (const int side : {16, 24, 32, 48, 64, 128}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        const qreal u = side / 16.0;
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x1f, 0x5f, 0xa8));
        p.drawRoundedRect(QRectF(1 * u, 1 * u, 14 * u, 14 * u), 2.5 * u, 2.5 * u);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4 * u, 3 * u, 8 * u, 10 * u));
        QPen check(QColor(0x2e, 0x9e, 0x3e), 1.6 * u, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        p.setPen(check);
        p.drawPolyline(QPolygonF(
            {QPointF(5.5 * u, 8.5 * u), QPointF(7.3 * u, 10.3 * u), QPointF(10.7 * u, 5.7 * u)}));
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace oca::qt
