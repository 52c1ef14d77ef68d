#pragma once
// What the grid's painting writes into a cell: the cell is painted through
// the view's delegate onto a device that keeps the texts the painter hands
// it, with their widths, places and pens, instead of pixels.
#include "controls/MaxGrid.h"

#include <QImage>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QStyleOptionViewItem>
#include <QTableView>

namespace painted {

// One text the painter drew: where its baseline starts and in which colour.
struct Run {
    QString text;
    QPointF at;
    QColor color;
};

class TextEngine : public QPaintEngine {
public:
    TextEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    QString text;
    qreal width = 0;
    QList<Run> runs;

    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    Type type() const override { return QPaintEngine::User; }
    void drawTextItem(const QPointF& at, const QTextItem& item) override
    {
        text += item.text();
        width += item.width();
        runs.append({item.text(), at, painter()->pen().color()});
    }
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawImage(const QRectF&, const QImage&, const QRectF&, Qt::ImageConversionFlags) override {}
    void drawTiledPixmap(const QRectF&, const QPixmap&, const QPointF&) override {}
    void drawPath(const QPainterPath&) override {}
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    void drawPolygon(const QPoint*, int, PolygonDrawMode) override {}
    void drawRects(const QRectF*, int) override {}
    void drawRects(const QRect*, int) override {}
    void drawLines(const QLineF*, int) override {}
    void drawLines(const QLine*, int) override {}
    void drawEllipse(const QRectF&) override {}
    void drawPoints(const QPointF*, int) override {}
};

// A device the size of an ordinary picture, measuring fonts as the screen does.
class TextDevice : public QPaintDevice {
public:
    TextEngine engine;
    QPaintEngine* paintEngine() const override { return const_cast<TextEngine*>(&engine); }

protected:
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth: return like.width();
        case PdmHeight: return like.height();
        case PdmWidthMM: return like.widthMM();
        case PdmHeightMM: return like.heightMM();
        case PdmNumColors: return like.colorCount();
        case PdmDepth: return like.depth();
        case PdmDpiX: return like.logicalDpiX();
        case PdmDpiY: return like.logicalDpiY();
        case PdmPhysicalDpiX: return like.physicalDpiX();
        case PdmPhysicalDpiY: return like.physicalDpiY();
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(QPaintDevice::devicePixelRatioFScale());
        default: return 0;
        }
    }

private:
    QImage like{2000, 200, QImage::Format_ARGB32};
};

struct Cell {
    QString text;  // what the painter wrote
    qreal width;   // its width in pixels
    int room;      // the width the cell offers its text
    QList<Run> runs; // each text drawn, in the order drawn
};

// Cell (row, col) of the grid, row below its fixed rows, as the view paints it.
inline Cell paint(MaxGrid& grid, int row, int col)
{
    QTableView* view = grid.innerGrid();
    const QModelIndex index = view->model()->index(row - grid.FixedRows(), col);
    QStyleOptionViewItem option;
    option.rect = view->visualRect(index);
    option.font = view->font();
    TextDevice device;
    {
        QPainter p(&device);
        p.setFont(view->font());
        view->itemDelegate()->paint(&p, option, index);
    }
    return {device.engine.text, device.engine.width, option.rect.width() - 4, device.engine.runs};
}

// Whole, or shortened with its mark: never a piece that reads as another value.
inline bool readsTrue(const QString& painted, const QString& value)
{
    return painted == value || (painted.endsWith(QChar(0x2026)) && value.startsWith(painted.chopped(1))) ||
           (painted.startsWith(QChar(0x2026)) && value.endsWith(painted.mid(1)));
}

} // namespace painted
