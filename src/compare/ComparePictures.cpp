#include "compare/ComparePictures.h"

#include <QPainter>
#include <QPainterPath>

namespace compare::pictures {

namespace {

QPixmap canvas(int size)
{
    QPixmap p(size, size);
    p.fill(Qt::transparent);
    return p;
}

// A round badge with a sign on it.
QPixmap badge(const QColor& color, const std::function<void(QPainter&)>& sign)
{
    QPixmap pm = canvas(16);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(color.darker(150), 1));
    p.setBrush(color);
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    p.setPen(QPen(Qt::white, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    sign(p);
    return pm;
}

QPixmap connector(bool last)
{
    QPixmap pm = canvas(16);
    QPainter p(&pm);
    p.setPen(QPen(QColor(70, 70, 70), 1.5));
    p.drawLine(QPointF(7.5, 0), QPointF(7.5, last ? 8 : 16));
    p.drawLine(QPointF(7.5, 8), QPointF(15, 8));
    return pm;
}

QPixmap tinted(const QPixmap& source, bool grey)
{
    if (!grey)
        return source;
    QImage image = source.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            const int g = qGray(c.rgb()) / 2 + 100;
            image.setPixelColor(x, y, QColor(g, g, g, c.alpha()));
        }
    return QPixmap::fromImage(image);
}

} // namespace

QPixmap equal()
{
    return badge(QColor(40, 150, 60), [](QPainter& p) {
        p.drawLine(QPointF(5, 6.5), QPointF(11, 6.5));
        p.drawLine(QPointF(5, 9.5), QPointF(11, 9.5));
    });
}

QPixmap different()
{
    return badge(QColor(220, 110, 20), [](QPainter& p) {
        p.drawLine(QPointF(5, 6.5), QPointF(11, 6.5));
        p.drawLine(QPointF(5, 9.5), QPointF(11, 9.5));
        p.drawLine(QPointF(10, 4), QPointF(6, 12));
    });
}

// A badge with an arrow pointing to the side that holds the object.
QPixmap arrowBadge(const QColor& color, bool right)
{
    return badge(color, [right](QPainter& p) {
        const double tip = right ? 10.5 : 5.5, tail = right ? 6.5 : 9.5;
        QPainterPath path(QPointF(tail, 4.5));
        path.lineTo(tip, 8);
        path.lineTo(tail, 11.5);
        p.drawPath(path);
    });
}

QPixmap onlyCurrent() { return arrowBadge(QColor(40, 90, 190), false); }
QPixmap onlyCompared() { return arrowBadge(QColor(150, 50, 160), true); }

QPixmap midIndexField() { return connector(false); }
QPixmap lastIndexField() { return connector(true); }

QPixmap compareButton(bool grey)
{
    QPixmap pm = canvas(32);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    auto cylinder = [&](double x, const QColor& c) {
        p.setPen(QPen(c.darker(160), 1));
        p.setBrush(c);
        p.drawRect(QRectF(x, 9, 11, 15));
        p.drawEllipse(QRectF(x, 20, 11, 6));
        p.setBrush(c.lighter(130));
        p.drawEllipse(QRectF(x, 6, 11, 6));
    };
    cylinder(2.5, QColor(60, 110, 190));
    cylinder(18.5, QColor(220, 140, 40));
    p.setPen(QPen(QColor(60, 60, 60), 1.6));
    p.drawLine(QPointF(13.5, 14), QPointF(18, 14));
    p.drawLine(QPointF(13.5, 19), QPointF(18, 19));
    p.end();
    return tinted(pm, grey);
}

QPixmap filterButton(bool grey)
{
    QPixmap pm = canvas(32);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath funnel(QPointF(4, 6));
    funnel.lineTo(28, 6);
    funnel.lineTo(18, 17);
    funnel.lineTo(18, 27);
    funnel.lineTo(14, 24);
    funnel.lineTo(14, 17);
    funnel.closeSubpath();
    p.setPen(QPen(QColor(40, 80, 140), 1.2));
    p.setBrush(QColor(90, 150, 220));
    p.drawPath(funnel);
    p.end();
    return tinted(pm, grey);
}

QPixmap exitButton()
{
    QPixmap pm = canvas(32);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(110, 70, 30), 1.2));
    p.setBrush(QColor(190, 140, 80));
    p.drawRect(QRectF(6.5, 4.5, 14, 23));
    p.setBrush(QColor(230, 200, 150));
    p.drawEllipse(QRectF(16, 15, 3, 3));
    p.setPen(QPen(QColor(180, 30, 30), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(22, 16), QPointF(29, 16));
    p.drawLine(QPointF(26, 12.5), QPointF(29, 16));
    p.drawLine(QPointF(26, 19.5), QPointF(29, 16));
    return pm;
}

} // namespace compare::pictures
