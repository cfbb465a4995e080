#include "desktop/own_cursors.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace ZQ3::Desktop {
namespace {

constexpr int Size = 32;

// Black shapes with a white outline read on any background.
void DrawShape(QPainter& painter, const QPainterPath& path) {
    painter.setPen(QPen(Qt::white, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::black);
    painter.drawPath(path);
}

void DrawStroke(QPainter& painter, const QPainterPath& path, double width) {
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::white, width + 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(path);
    painter.setPen(QPen(Qt::black, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(path);
}

QPainterPath Arrow() {
    QPainterPath path;
    path.moveTo(1, 1);
    path.lineTo(1, 19);
    path.lineTo(5.5, 15);
    path.lineTo(9, 22);
    path.lineTo(12, 20.5);
    path.lineTo(8.5, 13.5);
    path.lineTo(14, 13.5);
    path.closeSubpath();
    return path;
}

// A double-headed arrow from (x1, y1) to (x2, y2), horizontal or vertical.
QPainterPath DoubleArrow(double x1, double y1, double x2, double y2) {
    QPainterPath path;
    path.moveTo(x1, y1);
    path.lineTo(x2, y2);
    const bool horizontal = y1 == y2;
    const double head = 4.5;
    if (horizontal) {
        path.moveTo(x1 + head, y1 - head);
        path.lineTo(x1, y1);
        path.lineTo(x1 + head, y1 + head);
        path.moveTo(x2 - head, y2 - head);
        path.lineTo(x2, y2);
        path.lineTo(x2 - head, y2 + head);
    } else {
        path.moveTo(x1 - head, y1 + head);
        path.lineTo(x1, y1);
        path.lineTo(x1 + head, y1 + head);
        path.moveTo(x2 - head, y2 - head);
        path.lineTo(x2, y2);
        path.lineTo(x2 + head, y2 - head);
    }
    return path;
}

QCursor Draw(int kind) {
    QPixmap pixmap(Size, Size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QPoint hotSpot(1, 1);
    switch (kind) {
    case 4: { // arrow over a pad
        DrawShape(painter, Arrow());
        QPainterPath pad;
        pad.addRoundedRect(16, 16, 13, 13, 2.5, 2.5);
        DrawShape(painter, pad);
        break;
    }
    case 5:   // arrow with a plus: something is put onto the card
    case 6: { // arrow with a minus: something is taken off it
        DrawShape(painter, Arrow());
        QPainterPath sign;
        sign.moveTo(17, 23);
        sign.lineTo(29, 23);
        if (kind == 5) {
            sign.moveTo(23, 17);
            sign.lineTo(23, 29);
        }
        DrawStroke(painter, sign, 3.0);
        break;
    }
    case 7: { // arrow with a play mark
        DrawShape(painter, Arrow());
        QPainterPath play;
        play.moveTo(18, 16);
        play.lineTo(29, 22.5);
        play.lineTo(18, 29);
        play.closeSubpath();
        DrawShape(painter, play);
        break;
    }
    case 8: { // no drop here
        QPainterPath sign;
        sign.addEllipse(QPointF(16, 16), 11, 11);
        sign.moveTo(8.5, 23.5);
        sign.lineTo(23.5, 8.5);
        DrawStroke(painter, sign, 3.5);
        hotSpot = QPoint(16, 16);
        break;
    }
    case 9: // horizontal size
        DrawStroke(painter, DoubleArrow(3, 16, 29, 16), 2.5);
        hotSpot = QPoint(16, 16);
        break;
    case 10: // vertical size
        DrawStroke(painter, DoubleArrow(16, 3, 16, 29), 2.5);
        hotSpot = QPoint(16, 16);
        break;
    case 11: { // move in any direction
        QPainterPath both = DoubleArrow(3, 16, 29, 16);
        both.addPath(DoubleArrow(16, 3, 16, 29));
        DrawStroke(painter, both, 2.5);
        hotSpot = QPoint(16, 16);
        break;
    }
    case 12: { // magnifier
        QPainterPath glass;
        glass.addEllipse(QPointF(12, 12), 8, 8);
        glass.moveTo(18, 18);
        glass.lineTo(28, 28);
        DrawStroke(painter, glass, 3.0);
        hotSpot = QPoint(12, 12);
        break;
    }
    case 13: { // target
        QPainterPath target;
        target.addEllipse(QPointF(16, 16), 7, 7);
        target.moveTo(16, 2);
        target.lineTo(16, 11);
        target.moveTo(16, 21);
        target.lineTo(16, 30);
        target.moveTo(2, 16);
        target.lineTo(11, 16);
        target.moveTo(21, 16);
        target.lineTo(30, 16);
        DrawStroke(painter, target, 2.0);
        hotSpot = QPoint(16, 16);
        break;
    }
    default:
        painter.end();
        return QCursor(Qt::ArrowCursor);
    }
    painter.end();
    return QCursor(pixmap, hotSpot.x(), hotSpot.y());
}

} // namespace

QCursor OwnCursor(int kind) {
    return Draw(kind);
}

} // namespace ZQ3::Desktop
