#include "schema/SchemaPictures.h"

#include <QPainter>
#include <QPainterPath>

namespace schema::pictures {

namespace {

constexpr int kSize = 16;

QPixmap blank()
{
    QPixmap p(kSize, kSize);
    p.fill(Qt::transparent);
    return p;
}

QPixmap drawKey(const QColor& color, bool crossed)
{
    QPixmap pm = blank();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QPen pen(color.darker(160), 1.2);
    p.setPen(pen);
    p.setBrush(color);
    p.drawEllipse(QRectF(1.5, 4.5, 7, 7));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(3.7, 6.7, 2.6, 2.6));
    p.setPen(QPen(color.darker(160), 2));
    p.drawLine(QPointF(8.5, 8), QPointF(14.5, 8));
    p.drawLine(QPointF(12.5, 8), QPointF(12.5, 11));
    p.drawLine(QPointF(14.5, 8), QPointF(14.5, 10.5));
    if (crossed) {
        p.setPen(QPen(QColor(200, 0, 0), 1.8));
        p.drawLine(QPointF(2, 14), QPointF(14, 2));
    }
    return pm;
}

QPixmap drawBox(bool tick)
{
    QPixmap pm = blank();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(2.5, 2.5, 11, 11));
    if (tick) {
        p.setPen(QPen(QColor(0, 110, 0), 2));
        QPainterPath path(QPointF(4.5, 8));
        path.lineTo(7, 11);
        path.lineTo(11.5, 5);
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
    }
    return pm;
}

QPixmap drawArrow(bool right, bool grey)
{
    QPixmap pm = blank();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor c = grey ? QColor(160, 160, 160) : QColor(30, 120, 30);
    p.setPen(QPen(c.darker(130), 1));
    p.setBrush(c);
    QPolygonF shape;
    if (right)
        shape << QPointF(2, 6) << QPointF(8, 6) << QPointF(8, 2) << QPointF(14, 8) << QPointF(8, 14) << QPointF(8, 10)
              << QPointF(2, 10);
    else
        shape << QPointF(14, 6) << QPointF(8, 6) << QPointF(8, 2) << QPointF(2, 8) << QPointF(8, 14) << QPointF(8, 10)
              << QPointF(14, 10);
    p.drawPolygon(shape);
    return pm;
}

} // namespace

QPixmap key() { return drawKey(QColor(200, 170, 60), false); }
QPixmap blackKey() { return drawKey(QColor(40, 40, 40), false); }
QPixmap goldKey() { return drawKey(QColor(240, 190, 20), false); }
QPixmap noKey() { return drawKey(QColor(150, 150, 150), true); }
QPixmap checked() { return drawBox(true); }
QPixmap unchecked() { return drawBox(false); }
QPixmap arrowRight(bool grey) { return drawArrow(true, grey); }
QPixmap arrowLeft(bool grey) { return drawArrow(false, grey); }

} // namespace schema::pictures
