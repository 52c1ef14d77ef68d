#include "schema/SchemaGrid.h"

#include "core/Error.h"
#include "core/Screen.h"

#include <QApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

namespace {

constexpr int kPictureAlignmentRole = Qt::UserRole + 1;

// Centred pictures are drawn in the middle of their cell; the item view would put them at the left.
class PictureDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        if (index.data(kPictureAlignmentRole).toInt() != SchemaGrid::CenterCenter) {
            QStyledItemDelegate::paint(p, option, index);
            return;
        }
        QStyleOptionViewItem plain = option;
        initStyleOption(&plain, index);
        const QPixmap picture = index.data(Qt::DecorationRole).value<QPixmap>();
        plain.icon = QIcon();
        plain.features &= ~QStyleOptionViewItem::HasDecoration;
        const QStyle* style = option.widget ? option.widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &plain, p, option.widget);
        if (!picture.isNull()) {
            const QRect r = option.rect;
            p->drawPixmap(r.x() + (r.width() - picture.width()) / 2, r.y() + (r.height() - picture.height()) / 2,
                          picture);
        }
    }
};

double twipsOf(int pixels) { return Screen::twipsFromPixels(pixels); }

} // namespace

SchemaGrid::SchemaGrid(QWidget* parent) : QTableWidget(parent)
{
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(Screen::pixelsFromTwips(240));
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setStretchLastSection(true);
    setItemDelegate(new PictureDelegate(this));
    setWordWrap(false);
    connect(this, &QTableWidget::currentCellChanged, this, [this](int row, int col, int oldRow, int oldCol) {
        if (row >= 0 && (row != oldRow || col != oldCol))
            emit EnterCell();
    });
}

void SchemaGrid::setRows(int rows)
{
    const int data = std::max(rows - 1, 0);
    setRowCount(data);
    for (int r = 0; r < data; ++r)
        for (int c = 0; c < columnCount(); ++c)
            if (!item(r, c))
                setItem(r, c, new QTableWidgetItem);
}

void SchemaGrid::setCols(int cols)
{
    setColumnCount(std::max(cols, 0));
    for (int c = 0; c < columnCount(); ++c)
        if (!horizontalHeaderItem(c))
            setHorizontalHeaderItem(c, new QTableWidgetItem(QString()));
}

void SchemaGrid::checkCell(int row, int col) const
{
    if (row < 0 || row >= Rows() || col < 0 || col >= Cols())
        ::raise(381, QStringLiteral("Subíndice fuera del intervalo"));
}

QTableWidgetItem* SchemaGrid::cell(int row, int col)
{
    checkCell(row, col);
    if (row == 0) {
        QTableWidgetItem* h = horizontalHeaderItem(col);
        if (!h) {
            h = new QTableWidgetItem;
            setHorizontalHeaderItem(col, h);
        }
        return h;
    }
    QTableWidgetItem* it = item(row - 1, col);
    if (!it) {
        it = new QTableWidgetItem;
        setItem(row - 1, col, it);
    }
    return it;
}

QString SchemaGrid::TextMatrix(int row, int col) const
{
    checkCell(row, col);
    const QTableWidgetItem* it = row == 0 ? horizontalHeaderItem(col) : item(row - 1, col);
    return it ? it->text() : QString();
}

void SchemaGrid::setTextMatrix(int row, int col, const QString& text) { cell(row, col)->setText(text); }

int SchemaGrid::Row() const { return currentRow() + 1; }

void SchemaGrid::setRow(int row)
{
    checkCell(row, 0);
    if (row == 0)
        setCurrentCell(-1, -1);
    else
        setCurrentCell(row - 1, std::max(currentColumn(), 0));
}

int SchemaGrid::Col() const { return std::max(currentColumn(), 0); }

void SchemaGrid::setCol(int col)
{
    checkCell(0, col);
    if (currentRow() >= 0)
        setCurrentCell(currentRow(), col);
}

void SchemaGrid::setTopRow(int row)
{
    if (row >= 1 && row < Rows())
        scrollToItem(cell(row, 0), QAbstractItemView::PositionAtTop);
}

double SchemaGrid::InnerWidth() const { return twipsOf(width() - 2 * frameWidth()); }

double SchemaGrid::ColWidth(int col) const
{
    checkCell(0, col);
    return isColumnHidden(col) ? 0 : twipsOf(columnWidth(col));
}

void SchemaGrid::setColWidth(int col, double twips)
{
    checkCell(0, col);
    setColumnHidden(col, twips <= 0);
    if (twips > 0)
        setColumnWidth(col, Screen::pixelsFromTwips(twips));
}

double SchemaGrid::RowHeight(int row) const
{
    checkCell(row, 0);
    return twipsOf(row == 0 ? horizontalHeader()->height() : rowHeight(row - 1));
}

void SchemaGrid::setRedraw(bool on)
{
    redraw_ = on;
    setUpdatesEnabled(on);
}

void SchemaGrid::setCellPicture(int row, int col, const QPixmap& picture, PictureAlignment alignment)
{
    QTableWidgetItem* it = cell(row, col);
    it->setData(Qt::DecorationRole, picture);
    it->setData(kPictureAlignmentRole, int(alignment));
}

bool SchemaGrid::HasCellPicture(int row, int col) const
{
    checkCell(row, col);
    const QTableWidgetItem* it = row == 0 ? horizontalHeaderItem(col) : item(row - 1, col);
    return it && !it->data(Qt::DecorationRole).value<QPixmap>().isNull();
}

void SchemaGrid::mousePressEvent(QMouseEvent* e)
{
    const QModelIndex index = indexAt(e->position().toPoint());
    mouseRow_ = index.isValid() ? index.row() + 1 : -1;
    mouseCol_ = index.isValid() ? index.column() : -1;
    QTableWidget::mousePressEvent(e);
    int shift = 0;
    if (e->modifiers() & Qt::ShiftModifier)
        shift |= 1;
    if (e->modifiers() & Qt::ControlModifier)
        shift |= 2;
    if (e->modifiers() & Qt::AltModifier)
        shift |= 4;
    const int button = e->button() == Qt::LeftButton ? 1 : e->button() == Qt::RightButton ? 2 : 4;
    emit MouseDown(button, shift, twipsOf(int(e->position().x())),
                   twipsOf(int(e->position().y()) + horizontalHeader()->height()));
}

void SchemaGrid::mouseDoubleClickEvent(QMouseEvent* e)
{
    QTableWidget::mouseDoubleClickEvent(e);
    emit DblClick();
}

void SchemaGrid::focusInEvent(QFocusEvent* e)
{
    QTableWidget::focusInEvent(e);
    emit GotFocus();
}
