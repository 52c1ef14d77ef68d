#pragma once
// The inner parts of MaxGrid: the cell storage and its table model, the
// table view, the header that paints the fixed rows, the cell delegate.
#include <QAbstractItemDelegate>
#include <QAbstractTableModel>
#include <QHash>
#include <QHeaderView>
#include <QPixmap>
#include <QTableView>
#include <cstdint>
#include <vector>

class MaxGrid;

namespace maxgrid_detail {

// No colour of its own: the cell takes the grid's (fixed) background.
constexpr std::uint32_t NoColor = 0xFFFFFFFFu;

// Where each row goes when rows first .. first + from.size() - 1 take a new
// order (from[i]: the row that comes to first + i); other rows stay.
class RowMove {
public:
    RowMove(int first, const std::vector<int>& from) : first_(first), to_(from.size())
    {
        for (std::size_t i = 0; i < from.size(); ++i)
            to_[std::size_t(from[i] - first)] = first + int(i);
    }
    int operator()(int row) const
    {
        return row < first_ || row >= first_ + int(to_.size()) ? row : to_[std::size_t(row - first_)];
    }

private:
    int first_;
    std::vector<int> to_;
};

// One flat matrix of texts, fixed cells included, with flat colours and
// sparse pictures and alignments. Views see the rows below the fixed ones;
// while drawing is off (deferred) changes are kept and published in one
// reset when it comes back on.
class Model : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit Model(QObject* parent = nullptr);

    int rows() const { return rows_; }
    int cols() const { return cols_; }
    int fixedRows() const { return fixedRows_; }

    const QString& text(int r, int c) const { return texts_[cell(r, c)]; }
    void setText(int r, int c, const QString& t);
    std::uint32_t back(int r, int c) const { return back_[cell(r, c)]; }
    void setBack(int r1, int c1, int r2, int c2, std::uint32_t color);
    // A row's own colour, under the colours of its cells (NoColor: none).
    std::uint32_t rowBack(int r) const { return rowBack_[std::size_t(r)]; }
    void setRowBack(int r, std::uint32_t color);
    // What a cell is painted with: its own colour, else its row's, else NoColor.
    std::uint32_t shownBack(int r, int c) const;
    QPixmap picture(int r, int c) const { return pictures_.value(key(r, c)); }
    void setPicture(int r1, int c1, int r2, int c2, const QPixmap& picture);
    int alignment(int r, int c) const { return alignments_.value(key(r, c), -1); }
    void setAlignment(int r1, int c1, int r2, int c2, int alignment);
    int pictureAlignment(int r, int c) const { return pictureAlignments_.value(key(r, c), 0); }
    void setPictureAlignment(int r1, int c1, int r2, int c2, int alignment);

    // Texts of a block of rows at once.
    void setBlock(int firstRow, int firstCol, const QList<QStringList>& rows);
    void clearTexts(int fromRow);

    void resize(int rows, int cols);
    void insertRow(int at, const QStringList& texts);
    void removeRow(int at);
    void setFixedRows(int fixed);
    // Puts rows first .. first + from.size() - 1 in a new order: from[i] is the
    // row that comes to first + i, with its colours, pictures and alignments.
    void reorderRows(int first, const std::vector<int>& from);

    // Drawing off: changes are not announced; on: one reset when anything changed.
    void setDeferred(bool deferred);
    bool deferred() const { return deferred_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::size_t cell(int r, int c) const { return std::size_t(r) * std::size_t(cols_) + std::size_t(c); }
    static qint64 key(int r, int c) { return (qint64(r) << 32) | quint32(c); }
    void cellsChanged(int r1, int c1, int r2, int c2);
    // Ends a change of rows: announced as such, kept for the next reset, or reset now.
    void endRowChange(bool announced, bool inserted);
    // Inserts or removes row at through storage, announced as one row when drawing is on.
    template <class F>
    void changeOneRow(int at, bool insert, F&& storage);
    void reset();
    template <class Map>
    static void dropOutside(Map& map, int rows, int cols);
    template <class Map>
    static void shiftRows(Map& map, int from, int by);
    // Moves each entry of row r to row to(r); an entry whose to(r) is negative goes.
    template <class Map, class F>
    static void moveRows(Map& map, F&& to);

    int rows_ = 0, cols_ = 0, fixedRows_ = 0;
    std::vector<QString> texts_;
    std::vector<std::uint32_t> back_;
    std::vector<std::uint32_t> rowBack_;
    QHash<qint64, QPixmap> pictures_;
    QHash<qint64, int> alignments_;
    QHash<qint64, int> pictureAlignments_;
    bool deferred_ = false;
    bool dirty_ = false;
    int publishedRows_ = 0, publishedCols_ = 0, publishedFixed_ = 0;
};

// The horizontal header: it shows the fixed rows, per-cell colours included,
// and stays on top when the rows scroll.
class FixedRowsHeader : public QHeaderView {
    Q_OBJECT
public:
    FixedRowsHeader(MaxGrid* grid, QWidget* parent);
    QSize sizeHint() const override;

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    QSize sectionSizeFromContents(int logicalIndex) const override;

private:
    MaxGrid* grid_;
};

class CellDelegate : public QAbstractItemDelegate {
    Q_OBJECT
public:
    CellDelegate(MaxGrid* grid, QObject* parent);
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    MaxGrid* grid_;
};

class View : public QTableView {
    Q_OBJECT
public:
    View(MaxGrid* grid, QWidget* parent);
    using QTableView::updateGeometries;
    // The first view row shown (rows scroll by whole items).
    int firstVisibleRow() const;
    void setFirstVisibleRow(int row);
    int visibleRows() const;
};

} // namespace maxgrid_detail
