#pragma once
// The read-only display grid of the schema windows. It offers the members the
// windows use of the editable grid, under the same names (row 0 is the fixed
// header row; an empty grid has Rows 1 and current row 0; widths and heights
// in twips), over a QTableWidget: the header row is the view's header and
// data row r is view row r - 1. Pictures are the cells' decoration.
#include "messages/TranslatableControls.h"

#include <QPixmap>
#include <QTableWidget>

class SchemaGrid : public QTableWidget, public TranslatableGrid {
    Q_OBJECT
public:
    explicit SchemaGrid(QWidget* parent = nullptr);

    int Rows() const { return rowCount() + 1; }
    void setRows(int rows);
    int Cols() const override { return columnCount(); }
    void setCols(int cols);
    int FixedRows() const override { return 1; }

    // Outside the grid raises the grid's error (381).
    QString TextMatrix(int row, int col) const override;
    void setTextMatrix(int row, int col, const QString& text) override;

    // The current cell; setting it raises EnterCell when the cell changes.
    int Row() const;
    void setRow(int row);
    int Col() const;
    void setCol(int col);
    void setColSel(int col) { colSel_ = col; }
    void setRowSel(int row) { rowSel_ = row; }
    void setTopRow(int row);

    // The width inside the frame, twips.
    double InnerWidth() const;
    double ColWidth(int col) const;
    void setColWidth(int col, double twips);
    double RowHeight(int row) const;

    void setRedraw(bool on);
    bool Redraw() const { return redraw_; }

    // A picture in a cell (row 0: the header cell), centred or at the left.
    enum PictureAlignment { LeftCenter = 1, CenterCenter = 4 };
    void setCellPicture(int row, int col, const QPixmap& picture, PictureAlignment alignment);
    bool HasCellPicture(int row, int col) const;

    // Where the last mouse press fell (row 0: the header).
    int MouseRow() const { return mouseRow_; }
    int MouseCol() const { return mouseCol_; }

signals:
    void EnterCell();
    void DblClick();
    // Button, Shift, X and Y in twips, as the editable grid raises them.
    void MouseDown(int button, int shift, double x, double y);
    void GotFocus();

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;

private:
    QTableWidgetItem* cell(int row, int col);
    void checkCell(int row, int col) const;

    bool redraw_ = true;
    int colSel_ = 0;
    int rowSel_ = 0;
    int mouseRow_ = -1;
    int mouseCol_ = -1;
};
