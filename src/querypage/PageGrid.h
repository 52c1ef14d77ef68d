#pragma once
// The members of the result grid the page drives, under the grid's own names.
// The page talks to this interface only, so the grid control can be swapped
// without touching the page's rules. StandInGrid implements it over a
// QTableView until the project's editable grid is wired in.
#include <QAbstractTableModel>
#include <QString>
#include <QTableView>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

class clsError;

class PageGrid {
public:
    virtual ~PageGrid() = default;
    virtual QWidget* widget() = 0;

    // Rows include the fixed header row 0.
    virtual int Rows() const = 0;
    virtual void setRows(int rows) = 0;
    virtual int Cols() const = 0;
    virtual void setCols(int cols) = 0;
    virtual QString TextMatrix(int row, int col) const = 0;
    virtual void setTextMatrix(int row, int col, const QString& text) = 0;
    // Widths in twips.
    virtual int ColWidth(int col) const = 0;
    virtual void setColWidth(int col, int twips) = 0;
    // 1 left, 4 centre, 7 right, each centred vertically.
    virtual int ColAlignment(int col) const = 0;
    virtual void setColAlignment(int col, int alignment) = 0;
    // The first row shown below the header; the header row's height and the
    // grid's own size, in twips.
    virtual int TopRow() const = 0;
    virtual int RowHeight(int row) const = 0;
    virtual int Height() const = 0;
    virtual int Width() const = 0;
    virtual bool Redraw() const = 0;
    virtual void setRedraw(bool on) = 0;
    virtual bool Editable() const = 0;
    virtual void setEditable(bool on) = 0;
    virtual QString TypesString() const = 0;
    virtual void setTypesString(const QString& types) = 0;
    virtual QString LockedColumns() const = 0;
    virtual void setLockedColumns(const QString& columns) = 0;
    // 0 none, 1 horizontal, 2 vertical, 3 both.
    virtual int ScrollBars() const = 0;
    virtual void setScrollBars(int bars) = 0;
    virtual QString Tag() const = 0;
    virtual void setTag(const QString& tag) = 0;
    virtual void setMsgObject(std::shared_ptr<clsError> msg) = 0;

    // Bulk fill: grid rows firstRow .. firstRow + count - 1, every column,
    // each cell written by `cell` into an empty text; the view is told once.
    using CellWriter = std::function<void(int row, int col, QString& out)>;
    virtual void FillRows(int firstRow, int count, const CellWriter& cell) = 0;
    // Model resets since the counter was last read (tests and benchmarks).
    virtual int takeResets() = 0;
};

// A flat matrix of cell texts with the header row, shown by a QTableView.
class StandInGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : std::max(0, rows_ - 1); }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : cols_; }
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    int rows_ = 1;
    int cols_ = 2;
    std::vector<QString> cells_; // rows_ x cols_, row 0 the header
    std::vector<int> alignments_; // by column
    bool live_ = true;           // false while Redraw is off: changes are told at Redraw
    int resets_ = 0;
    void reset(const std::function<void()>& change);
};

class StandInGrid : public QTableView, public PageGrid {
    Q_OBJECT
public:
    explicit StandInGrid(QWidget* parent = nullptr);
    QWidget* widget() override { return this; }
    int Rows() const override { return model_.rows_; }
    void setRows(int rows) override;
    int Cols() const override { return model_.cols_; }
    void setCols(int cols) override;
    QString TextMatrix(int row, int col) const override;
    void setTextMatrix(int row, int col, const QString& text) override;
    int ColWidth(int col) const override;
    void setColWidth(int col, int twips) override;
    int ColAlignment(int col) const override;
    void setColAlignment(int col, int alignment) override;
    int TopRow() const override;
    int RowHeight(int row) const override;
    int Height() const override;
    int Width() const override;
    bool Redraw() const override { return redraw_; }
    void setRedraw(bool on) override;
    bool Editable() const override { return editable_; }
    void setEditable(bool on) override { editable_ = on; }
    QString TypesString() const override { return types_; }
    void setTypesString(const QString& types) override { types_ = types; }
    QString LockedColumns() const override { return locked_; }
    void setLockedColumns(const QString& columns) override { locked_ = columns; }
    int ScrollBars() const override { return scrollBars_; }
    void setScrollBars(int bars) override;
    QString Tag() const override { return tag_; }
    void setTag(const QString& tag) override { tag_ = tag; }
    void setMsgObject(std::shared_ptr<clsError> msg) override { msg_ = std::move(msg); }
    void FillRows(int firstRow, int count, const CellWriter& cell) override;
    int takeResets() override;

private:
    void reshape(int rows, int cols);
    std::size_t at(int row, int col) const;
    StandInGridModel model_;
    std::vector<int> widths_;
    bool redraw_ = true;
    bool dirty_ = false;
    bool editable_ = false;
    QString types_, locked_, tag_;
    int scrollBars_ = 3;
    std::shared_ptr<clsError> msg_;
};
