#include "app/ui/Icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

void DrawDrum(QPainter& painter, QRectF box, const QColor& color) {
    qreal capHeight = box.height() / 4;
    painter.setBrush(color);
    painter.setPen(QPen(color.darker(160), box.width() / 16));
    QPainterPath body;
    body.moveTo(box.left(), box.top() + capHeight / 2);
    body.lineTo(box.left(), box.bottom() - capHeight / 2);
    body.arcTo(QRectF(box.left(), box.bottom() - capHeight, box.width(), capHeight), 180, 180);
    body.lineTo(box.right(), box.top() + capHeight / 2);
    painter.drawPath(body);
    painter.setBrush(color.lighter(130));
    painter.drawEllipse(QRectF(box.left(), box.top(), box.width(), capHeight));
}

QPixmap ProgramPixmap(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    qreal s = size / 32.0;
    DrawDrum(painter, QRectF(2 * s, 3 * s, 18 * s, 24 * s), QColor(0x2e, 0x6d, 0xb4));
    painter.setPen(QPen(QColor(0x55, 0x55, 0x55), s));
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(15 * s, 11 * s, 15 * s, 19 * s));
    painter.setPen(QPen(QColor(0xc0, 0x30, 0x30), 1.5 * s));
    for (int line = 0; line < 4; ++line)
        painter.drawLine(QPointF(18 * s, (15 + 4 * line) * s), QPointF((line % 2 ? 24 : 27) * s, (15 + 4 * line) * s));
    return pixmap;
}

QPixmap GlyphPixmap(TGlyph glyph) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(QColor(0x30, 0x30, 0x30), 1.6);
    painter.setPen(pen);
    switch (glyph) {
    case TGlyph::Connect:
        DrawDrum(painter, QRectF(2, 1, 9, 13), QColor(0x2e, 0x6d, 0xb4));
        painter.setPen(QPen(QColor(0x20, 0x90, 0x30), 2));
        painter.drawLine(QPointF(9, 11), QPointF(15, 11));
        painter.drawLine(QPointF(12, 8), QPointF(15, 11));
        painter.drawLine(QPointF(12, 14), QPointF(15, 11));
        break;
    case TGlyph::NewConnection:
        DrawDrum(painter, QRectF(1, 1, 9, 13), QColor(0x2e, 0x6d, 0xb4));
        painter.setPen(QPen(QColor(0x20, 0x90, 0x30), 2));
        painter.drawLine(QPointF(12, 7), QPointF(12, 15));
        painter.drawLine(QPointF(8, 11), QPointF(16, 11));
        break;
    case TGlyph::About:
    case TGlyph::Help:
        painter.setBrush(QColor(0x2e, 0x6d, 0xb4));
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(QRectF(1, 1, 14, 14));
        painter.setPen(QPen(Qt::white, 2));
        if (glyph == TGlyph::About) {
            painter.drawLine(QPointF(8, 7), QPointF(8, 12));
            painter.drawPoint(QPointF(8, 4.5));
        } else {
            painter.setFont(QFont(QStringLiteral("Sans"), 9, QFont::Bold));
            painter.drawText(QRectF(1, 1, 14, 14), Qt::AlignCenter, QStringLiteral("?"));
        }
        break;
    case TGlyph::Close:
        painter.setPen(QPen(QColor(0xc0, 0x20, 0x20), 2.4));
        painter.drawLine(QPointF(3, 3), QPointF(13, 13));
        painter.drawLine(QPointF(13, 3), QPointF(3, 13));
        break;
    case TGlyph::Run: {
        painter.setBrush(QColor(0x20, 0x90, 0x30));
        painter.setPen(Qt::NoPen);
        QPolygonF triangle({QPointF(4, 2), QPointF(14, 8), QPointF(4, 14)});
        painter.drawPolygon(triangle);
        break;
    }
    case TGlyph::Export:
        painter.setBrush(Qt::white);
        painter.drawRect(QRectF(2, 1.5, 9, 13));
        painter.setPen(QPen(QColor(0xc0, 0x30, 0x30), 2));
        painter.drawLine(QPointF(7, 8), QPointF(15, 8));
        painter.drawLine(QPointF(12, 5), QPointF(15, 8));
        painter.drawLine(QPointF(12, 11), QPointF(15, 8));
        break;
    case TGlyph::Save:
        painter.setBrush(QColor(0x2e, 0x6d, 0xb4));
        painter.drawRect(QRectF(1.5, 1.5, 13, 13));
        painter.setBrush(Qt::white);
        painter.setPen(Qt::NoPen);
        painter.drawRect(QRectF(4, 2, 8, 5));
        painter.drawRect(QRectF(4, 9.5, 8, 4.5));
        break;
    case TGlyph::Clear:
        painter.setBrush(Qt::white);
        painter.drawRect(QRectF(3, 1.5, 10, 13));
        painter.setPen(QPen(QColor(0xc0, 0x20, 0x20), 2));
        painter.drawLine(QPointF(5, 5), QPointF(11, 11));
        painter.drawLine(QPointF(11, 5), QPointF(5, 11));
        break;
    case TGlyph::Copy:
        painter.setBrush(Qt::white);
        painter.drawRect(QRectF(1.5, 1.5, 9, 10));
        painter.drawRect(QRectF(5.5, 4.5, 9, 10));
        break;
    case TGlyph::OK:
        painter.setPen(QPen(QColor(0x20, 0x90, 0x30), 2.4));
        painter.drawLine(QPointF(2, 8), QPointF(6, 12));
        painter.drawLine(QPointF(6, 12), QPointF(14, 3));
        break;
    }
    return pixmap;
}

} // namespace

QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128}) icon.addPixmap(ProgramPixmap(size));
    return icon;
}

QIcon ButtonIcon(TGlyph glyph) { return QIcon(GlyphPixmap(glyph)); }
