#include "MaxGridView.h"

#include "MaxGrid.h"
#include "controls/ControlSupport.h"
#include "core/Screen.h"

#include <QPainter>
#include <QScrollBar>
#include <algorithm>

namespace maxgrid_detail {

// ---- Model

Model::Model(QObject* parent) : QAbstractTableModel(parent) {}

void Model::setText(int r, int c, const QString& t)
{
    texts_[cell(r, c)] = t;
    cellsChanged(r, c, r, c);
}

void Model::setBack(int r1, int c1, int r2, int c2, std::uint32_t color)
{
    for (int r = r1; r <= r2; ++r)
        std::fill_n(back_.begin() + std::ptrdiff_t(cell(r, c1)), c2 - c1 + 1, color);
    cellsChanged(r1, c1, r2, c2);
}

void Model::setRowBack(int r, std::uint32_t color)
{
    rowBack_[std::size_t(r)] = color;
    cellsChanged(r, 0, r, std::max(0, cols_ - 1));
}

std::uint32_t Model::shownBack(int r, int c) const
{
    const std::uint32_t own = back_[cell(r, c)];
    return own != NoColor ? own : rowBack_[std::size_t(r)];
}

void Model::setPicture(int r1, int c1, int r2, int c2, const QPixmap& picture)
{
    for (int r = r1; r <= r2; ++r)
        for (int c = c1; c <= c2; ++c) {
            if (picture.isNull())
                pictures_.remove(key(r, c));
            else
                pictures_.insert(key(r, c), picture);
        }
    cellsChanged(r1, c1, r2, c2);
}

void Model::setAlignment(int r1, int c1, int r2, int c2, int alignment)
{
    for (int r = r1; r <= r2; ++r)
        for (int c = c1; c <= c2; ++c)
            alignments_.insert(key(r, c), alignment);
    cellsChanged(r1, c1, r2, c2);
}

void Model::setPictureAlignment(int r1, int c1, int r2, int c2, int alignment)
{
    for (int r = r1; r <= r2; ++r)
        for (int c = c1; c <= c2; ++c)
            pictureAlignments_.insert(key(r, c), alignment);
    cellsChanged(r1, c1, r2, c2);
}

void Model::setBlock(int firstRow, int firstCol, const QList<QStringList>& rows)
{
    int last = firstRow - 1;
    for (const QStringList& row : rows) {
        ++last;
        if (last >= rows_)
            break;
        const int n = std::min<int>(int(row.size()), cols_ - firstCol);
        for (int c = 0; c < n; ++c)
            texts_[cell(last, firstCol + c)] = row[c];
    }
    if (last < firstRow)
        return;
    // One announcement for the whole block.
    if (deferred_)
        dirty_ = true;
    else
        reset();
}

void Model::clearTexts(int fromRow)
{
    std::fill(texts_.begin() + std::ptrdiff_t(cell(fromRow, 0)), texts_.end(), QString());
    if (rows_ > fromRow)
        cellsChanged(fromRow, 0, rows_ - 1, cols_ - 1);
}

template <class Map>
void Model::dropOutside(Map& map, int rows, int cols)
{
    for (auto it = map.begin(); it != map.end();) {
        const int r = int(it.key() >> 32), c = int(quint32(it.key()));
        it = (r >= rows || c >= cols) ? map.erase(it) : std::next(it);
    }
}

template <class Map, class F>
void Model::moveRows(Map& map, F&& to)
{
    Map out;
    for (auto it = map.cbegin(); it != map.cend(); ++it)
        if (const int r = to(int(it.key() >> 32)); r >= 0)
            out.insert(key(r, int(quint32(it.key()))), it.value());
    map.swap(out);
}

template <class Map>
void Model::shiftRows(Map& map, int from, int by)
{
    // A removed row (by < 0, r == from) goes.
    moveRows(map, [&](int r) { return r < from ? r : by > 0 || r > from ? r + by : -1; });
}

void Model::reorderRows(int first, const std::vector<int>& from)
{
    const int n = int(from.size());
    if (n == 0)
        return;
    std::vector<QString> texts(std::size_t(n) * std::size_t(cols_));
    std::vector<std::uint32_t> back(texts.size());
    std::vector<std::uint32_t> rowBack(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const int r = from[std::size_t(i)];
        std::move(texts_.begin() + std::ptrdiff_t(cell(r, 0)), texts_.begin() + std::ptrdiff_t(cell(r + 1, 0)),
                  texts.begin() + std::ptrdiff_t(i) * cols_);
        std::copy_n(back_.begin() + std::ptrdiff_t(cell(r, 0)), cols_, back.begin() + std::ptrdiff_t(i) * cols_);
        rowBack[std::size_t(i)] = rowBack_[std::size_t(r)];
    }
    std::move(texts.begin(), texts.end(), texts_.begin() + std::ptrdiff_t(cell(first, 0)));
    std::copy(back.begin(), back.end(), back_.begin() + std::ptrdiff_t(cell(first, 0)));
    std::copy(rowBack.begin(), rowBack.end(), rowBack_.begin() + first);
    const RowMove moved(first, from);
    moveRows(pictures_, moved);
    moveRows(alignments_, moved);
    moveRows(pictureAlignments_, moved);
    cellsChanged(first, 0, first + n - 1, std::max(0, cols_ - 1));
}

void Model::resize(int rows, int cols)
{
    if (rows == rows_ && cols == cols_)
        return;
    const int oldRows = rows_;
    const bool announceRows = !deferred_ && cols == cols_ && !dirty_;
    if (announceRows && rows > oldRows)
        beginInsertRows(QModelIndex(), oldRows - fixedRows_, rows - fixedRows_ - 1);
    if (announceRows && rows < oldRows)
        beginRemoveRows(QModelIndex(), rows - fixedRows_, oldRows - fixedRows_ - 1);

    if (cols == cols_) {
        texts_.resize(cell(rows, 0));
        back_.resize(cell(rows, 0), NoColor);
        if (rows < oldRows) {
            // Shrinking gives back the memory of the removed rows.
            texts_.shrink_to_fit();
            back_.shrink_to_fit();
        }
    } else {
        std::vector<QString> texts(std::size_t(rows) * std::size_t(cols));
        std::vector<std::uint32_t> back(texts.size(), NoColor);
        for (int r = 0; r < std::min(rows, rows_); ++r)
            for (int c = 0; c < std::min(cols, cols_); ++c) {
                texts[std::size_t(r) * cols + c] = std::move(texts_[cell(r, c)]);
                back[std::size_t(r) * cols + c] = back_[cell(r, c)];
            }
        texts_.swap(texts);
        back_.swap(back);
    }
    rowBack_.resize(std::size_t(rows), NoColor);
    rows_ = rows;
    cols_ = cols;
    dropOutside(pictures_, rows, cols);
    dropOutside(alignments_, rows, cols);
    dropOutside(pictureAlignments_, rows, cols);

    endRowChange(announceRows && rows != oldRows, rows > oldRows);
}

template <class F>
void Model::changeOneRow(int at, bool insert, F&& storage)
{
    const bool announce = !deferred_ && !dirty_ && at >= fixedRows_;
    if (announce && insert)
        beginInsertRows(QModelIndex(), at - fixedRows_, at - fixedRows_);
    else if (announce)
        beginRemoveRows(QModelIndex(), at - fixedRows_, at - fixedRows_);
    storage();
    shiftRows(pictures_, at, insert ? 1 : -1);
    shiftRows(alignments_, at, insert ? 1 : -1);
    shiftRows(pictureAlignments_, at, insert ? 1 : -1);
    endRowChange(announce, insert);
}

void Model::endRowChange(bool announced, bool inserted)
{
    if (announced) {
        publishedRows_ = rows_;
        if (inserted)
            endInsertRows();
        else
            endRemoveRows();
    } else if (deferred_) {
        dirty_ = true;
    } else {
        reset();
    }
}

void Model::insertRow(int at, const QStringList& texts)
{
    changeOneRow(at, true, [&] {
        texts_.insert(texts_.begin() + std::ptrdiff_t(cell(at, 0)), std::size_t(cols_), QString());
        back_.insert(back_.begin() + std::ptrdiff_t(cell(at, 0)), std::size_t(cols_), NoColor);
        rowBack_.insert(rowBack_.begin() + at, NoColor);
        for (int c = 0; c < std::min<int>(cols_, int(texts.size())); ++c)
            texts_[cell(at, c)] = texts[c];
        ++rows_;
    });
}

void Model::removeRow(int at)
{
    changeOneRow(at, false, [&] {
        texts_.erase(texts_.begin() + std::ptrdiff_t(cell(at, 0)), texts_.begin() + std::ptrdiff_t(cell(at + 1, 0)));
        back_.erase(back_.begin() + std::ptrdiff_t(cell(at, 0)), back_.begin() + std::ptrdiff_t(cell(at + 1, 0)));
        rowBack_.erase(rowBack_.begin() + at);
        --rows_;
    });
}

void Model::setFixedRows(int fixed)
{
    if (fixed == fixedRows_)
        return;
    fixedRows_ = fixed;
    if (deferred_)
        dirty_ = true;
    else
        reset();
}

void Model::setDeferred(bool deferred)
{
    deferred_ = deferred;
    if (!deferred_ && dirty_)
        reset();
}

void Model::reset()
{
    beginResetModel();
    publishedRows_ = rows_;
    publishedCols_ = cols_;
    publishedFixed_ = fixedRows_;
    dirty_ = false;
    endResetModel();
}

void Model::cellsChanged(int r1, int c1, int r2, int c2)
{
    if (deferred_ || dirty_) {
        dirty_ = true;
        return;
    }
    if (r1 < fixedRows_)
        emit headerDataChanged(Qt::Horizontal, c1, c2);
    if (r2 >= fixedRows_)
        emit dataChanged(createIndex(std::max(r1, fixedRows_) - fixedRows_, c1), createIndex(r2 - fixedRows_, c2));
}

int Model::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : std::max(0, publishedRows_ - publishedFixed_);
}

int Model::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : publishedCols_; }

QVariant Model::data(const QModelIndex& idx, int role) const
{
    const int r = idx.row() + publishedFixed_, c = idx.column();
    if (r >= rows_ || c >= cols_)
        return {};
    if (role == Qt::BackgroundRole) {
        const std::uint32_t color = shownBack(r, c);
        return color == NoColor ? QVariant() : QVariant(controls::resolveColor(color));
    }
    if (role == Qt::DecorationRole) // what the grid paints; read by item-view clients and tests
        return pictures_.contains(key(r, c)) ? QVariant(picture(r, c)) : QVariant();
    return role == Qt::DisplayRole ? QVariant(text(r, c)) : QVariant();
}

QVariant Model::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || fixedRows_ < 1 || section >= cols_ || rows_ < 1)
        return {};
    if (role == Qt::DecorationRole)
        return pictures_.contains(key(0, section)) ? QVariant(picture(0, section)) : QVariant();
    return role == Qt::DisplayRole ? QVariant(text(0, section)) : QVariant();
}

// ---- FixedRowsHeader

FixedRowsHeader::FixedRowsHeader(MaxGrid* grid, QWidget* parent) : QHeaderView(Qt::Horizontal, parent), grid_(grid)
{
    setSectionsClickable(false);
    setHighlightSections(false);
    setMinimumSectionSize(1);
    setDefaultSectionSize(Screen::pixelsFromTwips(960));
}

QSize FixedRowsHeader::sizeHint() const
{
    int height = 0;
    for (int r = 0; r < grid_->fixedRows_; ++r)
        height += Screen::pixelsFromTwips(grid_->rowTwips(r));
    return QSize(length(), height);
}

QSize FixedRowsHeader::sectionSizeFromContents(int logicalIndex) const
{
    return QSize(sectionSize(logicalIndex), sizeHint().height());
}

void FixedRowsHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    int y = rect.y();
    for (int r = 0; r < grid_->fixedRows_ && r < grid_->model_->rows(); ++r) {
        const int h = Screen::pixelsFromTwips(grid_->rowTwips(r));
        grid_->paintCell(painter, QRect(rect.x(), y, rect.width(), h), r, logicalIndex);
        y += h;
    }
}

// ---- CellDelegate

CellDelegate::CellDelegate(MaxGrid* grid, QObject* parent) : QAbstractItemDelegate(parent), grid_(grid) {}

void CellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    grid_->paintCell(painter, option.rect, index.row() + grid_->fixedRows_, index.column());
}

QSize CellDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const
{
    return QSize(grid_->view_->columnWidth(index.column()), Screen::pixelsFromTwips(240));
}

// ---- View

View::View(MaxGrid* grid, QWidget* parent) : QTableView(parent)
{
    setObjectName(QStringLiteral("fgEditable"));
    setHorizontalHeader(new FixedRowsHeader(grid, this));
    setItemDelegate(new CellDelegate(grid, this));
    setShowGrid(false); // the delegate draws the lines in the grid's colours
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setAttribute(Qt::WA_InputMethodEnabled);
    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(Screen::pixelsFromTwips(240));
}

int View::firstVisibleRow() const { return verticalScrollBar()->value(); }

void View::setFirstVisibleRow(int row) { verticalScrollBar()->setValue(row); }

int View::visibleRows() const
{
    const int h = Screen::pixelsFromTwips(240);
    return std::max(1, viewport()->height() / std::max(1, h));
}

} // namespace maxgrid_detail
