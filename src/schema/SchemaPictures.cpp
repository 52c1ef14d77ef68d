#include "schema/SchemaPictures.h"

#include <QPainter>
#include <QHash>
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

// The pictures of the top row's buttons.
enum class Sign { Accept, Exit, Add, Modify, Remove, List, Clear };

QPixmap drawSign(Sign sign)
{
    QPixmap pm = blank();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    auto pen = [&](const QColor& c, double w) {
        QPen pen(c, w);
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
    };
    auto strokes = [&](const QColor& c, double w, std::initializer_list<QLineF> lines) {
        pen(c, w);
        for (const QLineF& l : lines)
            p.drawLine(l);
    };
    // A filled outline.
    auto shape = [&](const QColor& line, const QColor& fill, const QPolygonF& outline) {
        p.setPen(QPen(line, 1));
        p.setBrush(fill);
        p.drawPolygon(outline);
    };
    switch (sign) {
    case Sign::Accept: {
        pen(QColor(0, 130, 0), 2.6);
        QPainterPath path(QPointF(3, 8.5));
        path.lineTo(6.5, 12);
        path.lineTo(13, 4);
        p.drawPath(path);
        break;
    }
    case Sign::Exit:
        shape(QColor(90, 60, 30), QColor(170, 120, 70), QPolygonF(QRectF(2.5, 1.5, 7, 13)));
        strokes(QColor(180, 0, 0), 2, {{8, 8, 14, 8}, {11.5, 5.5, 14, 8}, {11.5, 10.5, 14, 8}});
        break;
    case Sign::Add: strokes(QColor(0, 120, 0), 3, {{8, 3, 8, 13}, {3, 8, 13, 8}}); break;
    case Sign::Modify:
        shape(QColor(60, 60, 60), QColor(240, 190, 40), {{11, 2}, {14, 5}, {6, 13}, {3, 10}});
        shape(QColor(60, 60, 60), QColor(60, 60, 60), {{3, 10}, {6, 13}, {2, 14}});
        break;
    case Sign::Remove: strokes(QColor(200, 0, 0), 2.6, {{4, 4, 12, 12}, {12, 4, 4, 12}}); break;
    case Sign::List:
        shape(QColor(90, 90, 90), Qt::white, QPolygonF(QRectF(1.5, 1.5, 13, 13)));
        strokes(QColor(30, 70, 160), 1.6, {{4, 5, 12, 5}, {4, 8, 12, 8}, {4, 11, 12, 11}});
        break;
    case Sign::Clear:
        shape(QColor(90, 90, 90), QColor(230, 120, 150), {{7, 3}, {14, 8}, {9, 14}, {2, 9}});
        shape(QColor(90, 90, 90), QColor(80, 120, 200), {{4.5, 6}, {11.5, 11}, {9, 14}, {2, 9}});
        break;
    }
    return pm;
}

} // namespace

QPixmap forButton(const QString& name)
{
    static const QHash<QString, Sign> signs{
        {QStringLiteral("BttAceptar"), Sign::Accept},   {QStringLiteral("BttSalir"), Sign::Exit},
        {QStringLiteral("BttNueva"), Sign::Add},        {QStringLiteral("BttNuevo"), Sign::Add},
        {QStringLiteral("BttAñadir"), Sign::Add},       {QStringLiteral("BttModificar"), Sign::Modify},
        {QStringLiteral("BttEliminar"), Sign::Remove},  {QStringLiteral("BttIndexes"), Sign::List},
        {QStringLiteral("BttLimpiar"), Sign::Clear},
    };
    const auto it = signs.constFind(name);
    return it == signs.cend() ? QPixmap() : drawSign(*it);
}

QPixmap key() { return drawKey(QColor(200, 170, 60), false); }
QPixmap blackKey() { return drawKey(QColor(40, 40, 40), false); }
QPixmap goldKey() { return drawKey(QColor(240, 190, 20), false); }
QPixmap noKey() { return drawKey(QColor(150, 150, 150), true); }
QPixmap checked() { return drawBox(true); }
QPixmap unchecked() { return drawBox(false); }
QPixmap arrowRight(bool grey) { return drawArrow(true, grey); }
QPixmap arrowLeft(bool grey) { return drawArrow(false, grey); }

} // namespace schema::pictures
