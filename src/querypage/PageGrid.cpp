#include "querypage/PageGrid.h"

#include "core/Error.h"
#include "core/Screen.h"
#include "querypage/ColumnFit.h"

#include <QHeaderView>

QVariant StandInGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::TextAlignmentRole) {
        const std::size_t c = std::size_t(index.column());
        return int(columnfit::textAlignment(c < alignments_.size() ? alignments_[c] : columnfit::Left));
    }
    if (role != Qt::DisplayRole)
        return {};
    return cells_[std::size_t(index.row() + 1) * std::size_t(cols_) + std::size_t(index.column())];
}

QVariant StandInGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    return section < cols_ ? QVariant(cells_[std::size_t(section)]) : QVariant();
}

void StandInGridModel::reset(const std::function<void()>& change)
{
    if (!live_) {
        change();
        return;
    }
    beginResetModel();
    change();
    endResetModel();
    ++resets_;
}

StandInGrid::StandInGrid(QWidget* parent) : QTableView(parent)
{
    model_.cells_.assign(2, QString());
    model_.alignments_.assign(2, columnfit::Left);
    widths_.assign(2, 0);
    setModel(&model_);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    verticalHeader()->setDefaultSectionSize(Screen::pixelsFromTwips(240));
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setVisible(false);
}

std::size_t StandInGrid::at(int row, int col) const
{
    if (row < 0 || col < 0 || row >= model_.rows_ || col >= model_.cols_)
        ::raise(Error::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
    return std::size_t(row) * std::size_t(model_.cols_) + std::size_t(col);
}

void StandInGrid::reshape(int rows, int cols)
{
    if (rows < 1 || cols < 0)
        ::raise(Error::InvalidProcedureCall, QStringLiteral("Invalid procedure call or argument"));
    model_.reset([&] {
        std::vector<QString> cells(std::size_t(rows) * std::size_t(cols));
        const int keepRows = std::min(rows, model_.rows_);
        const int keepCols = std::min(cols, model_.cols_);
        for (int r = 0; r < keepRows; ++r)
            for (int c = 0; c < keepCols; ++c)
                cells[std::size_t(r) * std::size_t(cols) + std::size_t(c)] =
                    std::move(model_.cells_[std::size_t(r) * std::size_t(model_.cols_) + std::size_t(c)]);
        model_.cells_ = std::move(cells);
        model_.rows_ = rows;
        model_.cols_ = cols;
        model_.alignments_.resize(std::size_t(cols), columnfit::Left);
    });
    widths_.resize(std::size_t(cols), 0);
    dirty_ = !redraw_;
    if (redraw_)
        for (int c = 0; c < cols; ++c)
            setColumnWidth(c, Screen::pixelsFromTwips(widths_[std::size_t(c)] ? widths_[std::size_t(c)] : 1200));
}

void StandInGrid::setRows(int rows) { reshape(rows, model_.cols_); }

void StandInGrid::setCols(int cols) { reshape(model_.rows_, cols); }

QString StandInGrid::TextMatrix(int row, int col) const { return model_.cells_[at(row, col)]; }

void StandInGrid::setTextMatrix(int row, int col, const QString& text)
{
    model_.cells_[at(row, col)] = text;
    if (!redraw_) {
        dirty_ = true;
    } else if (row == 0) {
        emit model_.headerDataChanged(Qt::Horizontal, col, col);
    } else {
        const QModelIndex i = model_.index(row - 1, col);
        emit model_.dataChanged(i, i);
    }
}

int StandInGrid::ColWidth(int col) const
{
    at(0, col);
    return widths_[std::size_t(col)];
}

void StandInGrid::setColWidth(int col, int twips)
{
    at(0, col);
    widths_[std::size_t(col)] = twips;
    setColumnWidth(col, Screen::pixelsFromTwips(twips));
}

int StandInGrid::ColAlignment(int col) const
{
    at(0, col);
    return model_.alignments_[std::size_t(col)];
}

void StandInGrid::setColAlignment(int col, int alignment)
{
    at(0, col);
    model_.alignments_[std::size_t(col)] = alignment;
    if (redraw_ && model_.rows_ > 1)
        emit model_.dataChanged(model_.index(0, col), model_.index(model_.rows_ - 2, col));
}

int StandInGrid::TopRow() const
{
    const int first = rowAt(0);
    return std::min(model_.rows_ - 1, 1 + std::max(0, first));
}

int StandInGrid::RowHeight(int row) const
{
    at(row, 0);
    return Screen::twipsFromPixels(verticalHeader()->defaultSectionSize());
}

int StandInGrid::Height() const { return Screen::twipsFromPixels(height()); }

int StandInGrid::Width() const { return Screen::twipsFromPixels(width()); }

void StandInGrid::setRedraw(bool on)
{
    redraw_ = on;
    model_.live_ = on;
    if (on && dirty_) {
        dirty_ = false;
        model_.reset([] {});
        for (int c = 0; c < model_.cols_; ++c)
            setColumnWidth(c, Screen::pixelsFromTwips(widths_[std::size_t(c)] ? widths_[std::size_t(c)] : 1200));
    }
}

void StandInGrid::setScrollBars(int bars)
{
    scrollBars_ = bars;
    setHorizontalScrollBarPolicy(bars & 1 ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(bars & 2 ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
}

void StandInGrid::FillRows(int firstRow, int count, const CellWriter& cell)
{
    if (count <= 0)
        return;
    at(firstRow, 0);
    at(firstRow + count - 1, 0);
    model_.reset([&] {
        const int cols = model_.cols_;
        for (int r = firstRow; r < firstRow + count; ++r)
            for (int c = 0; c < cols; ++c) {
                QString& out = model_.cells_[std::size_t(r) * std::size_t(cols) + std::size_t(c)];
                out.clear();
                cell(r, c, out);
            }
    });
    dirty_ = dirty_ || !redraw_;
}

int StandInGrid::takeResets()
{
    const int n = model_.resets_;
    model_.resets_ = 0;
    return n;
}
