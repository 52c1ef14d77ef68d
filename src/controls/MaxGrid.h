#pragma once
// MaxGrid: the result grid in which the user reads, edits and checks rows.
// An inner table view (fgEditable) shows our own flat matrix of cell texts,
// fixed (header) rows included; the grid owns the current cell, the
// selection and the scrolling position. Cells are edited in place: typed
// characters go straight into the cell text, and a blinking caret is painted
// after it (never stored). Each column may carry a type word whose check runs
// when the user leaves a cell; a valid changed cell raises CellChanged.
#include "controls/ControlSupport.h"
#include "core/Variant.h"
#include "messages/TranslatableControls.h"
#include "services/ListGrid.h"

#include <QFont>
#include <QHash>
#include <QPixmap>
#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <vector>

class QTableView;
class QTimer;
class QEvent;
class QKeyEvent;
class QMouseEvent;
class QPainter;

namespace maxgrid_detail {
class Model;
class View;
class FixedRowsHeader;
class CellDelegate;
} // namespace maxgrid_detail

class MaxGrid : public QWidget, public TranslatableGrid, public ListGrid {
    Q_OBJECT
public:
    explicit MaxGrid(QWidget* parent = nullptr);
    ~MaxGrid() override;

    // Colour of a locked column's header cell (&H00E1FF).
    static constexpr std::uint32_t LockedHeaderColor = 57855;
    // Growth by the user stops before this many cells.
    static constexpr long long GrowthCellLimit = 300000;

    // ---- appearance (forwarded members of the inner grid)
    int Appearence() const { return appearance_; }
    void setAppearence(int value);
    std::uint32_t BackColor() const { return backColor_; }
    void setBackColor(std::uint32_t value);
    std::uint32_t CellBackColor() const;
    void setCellBackColor(std::uint32_t value);
    // A whole row's colour (&HBBGGRR) under the colours of its cells, without
    // moving the current cell; RowNoColor takes it away. Rows added or removed
    // carry their colour along.
    static constexpr std::uint32_t RowNoColor = 0xFFFFFFFFu;
    void setRowBackColor(int row, std::uint32_t value);
    std::uint32_t BackColorBkg() const { return backColorBkg_; }
    void setBackColorBkg(std::uint32_t value);
    std::uint32_t BackColorFixed() const { return backColorFixed_; }
    void setBackColorFixed(std::uint32_t value);
    std::uint32_t BackColorSel() const { return backColorSel_; }
    void setBackColorSel(std::uint32_t value);
    int BorderStyle() const { return borderStyle_; }
    void setBorderStyle(int value);
    std::uint32_t ForeColor() const { return foreColor_; }
    void setForeColor(std::uint32_t value);
    std::uint32_t ForeColorFixed() const { return foreColorFixed_; }
    void setForeColorFixed(std::uint32_t value);
    std::uint32_t ForeColorSel() const { return foreColorSel_; }
    void setForeColorSel(std::uint32_t value);
    std::uint32_t GridColor() const { return gridColor_; }
    void setGridColor(std::uint32_t value);
    std::uint32_t GridColorFixed() const { return gridColorFixed_; }
    void setGridColorFixed(std::uint32_t value);
    int GridLines() const { return gridLines_; }
    void setGridLines(int value);
    int GridLinesFixed() const { return gridLinesFixed_; }
    void setGridLinesFixed(int value);
    int GridLineWidth() const { return gridLineWidth_; }
    void setGridLineWidth(int value);
    int MergeCells() const { return mergeCells_; }
    void setMergeCells(int value); // kept only: no row or column carries a merge flag, so no cell merges
    int RowHeightMin() const { return rowHeightMin_; }
    void setRowHeightMin(int twips);
    // How the texts of the normal / the fixed cells are drawn: 0 flat, 1 raised,
    // 2 inset, 3 raised light, 4 inset light.
    int TextStyle() const { return textStyle_; }
    void setTextStyle(int value);
    int TextStyleFixed() const { return textStyleFixed_; }
    void setTextStyleFixed(int value);
    bool WordWrap() const { return wordWrap_; }
    void setWordWrap(bool value);
    bool AllowBigSelection() const { return allowBigSelection_; }
    void setAllowBigSelection(bool value) { allowBigSelection_ = value; }
    int AllowUserResizing() const { return allowUserResizing_; }
    void setAllowUserResizing(int value);
    bool CausesValidation() const { return causesValidation_; }
    void setCausesValidation(bool value) { causesValidation_ = value; }
    int DragMode() const { return dragMode_; }
    void setDragMode(int value); // kept only: no window of the program accepts a dropped control
    int FillStyle() const { return fillStyle_; }
    void setFillStyle(int value);
    int FocusRect() const { return focusRect_; }
    void setFocusRect(int value);
    int HighLight() const { return highLight_; }
    void setHighLight(int value);
    bool Redraw() const { return redraw_; }
    void setRedraw(bool on) override;
    bool RightToLeft() const { return rightToLeft_; }
    void setRightToLeft(bool value);
    int ScrollBars() const { return scrollBars_; }
    void setScrollBars(int value);
    bool ScrollTrack() const { return scrollTrack_; }
    void setScrollTrack(bool value) { scrollTrack_ = value; }
    int SelectionMode() const { return selectionMode_; }
    void setSelectionMode(int value);
    bool AutomaticGrowing() const { return automaticGrowing_; }
    void setAutomaticGrowing(bool value) { automaticGrowing_ = value; }
    QFont Font() const { return font(); }
    void setFont(const QFont& font);
    // Set to a record set, the grid shows it: the field names in the fixed row
    // (row 0), the records below as the grid shows values, from the first
    // non-fixed column; Rows and Cols follow it. Empty or Nothing unbinds and
    // leaves the rows as they are. A record set that cannot be read is
    // reported through MsgObject and the grid stays as it was; a value that is
    // no record set is refused.
    Variant DataSource() const { return dataSource_; }
    void setDataSource(const Variant& source);
    bool Enabled() const { return isEnabled(); }
    int HelpContextID() const { return helpContextID_; }
    // Kept only: the local help has no context numbers, and F1 opens the window's own page.
    void setHelpContextID(int value) { helpContextID_ = value; }
    int MousePointer() const { return mousePointer_; }
    void setMousePointer(int value);
    int OLEDropMode() const { return oleDropMode_; }
    void setOLEDropMode(int value); // kept only: the grid raises no drop events
    int PictureType() const { return pictureType_; }
    void setPictureType(int value); // kept only: the grid's picture is no member
    // Sorts the rows Row..RowSel (every non-fixed row when the two are equal)
    // by the columns Col..ColSel, leftmost first; equal keys keep their order.
    // 1/2 generic, 3/4 numeric, 5/6 text, 7/8 text with case, ascending /
    // descending; 0 and 9 (custom, which needs a compare event the grid does
    // not raise) leave the order as it is. Each row takes its colours,
    // alignments, pictures, height and the edit state of its tracked cell along.
    void setSort(int value);
    QString ToolTipText() const { return toolTip(); }
    void setToolTipText(const QString& text) { setToolTip(text); }
    void Drag(int action) { lastDragAction_ = action; } // kept only: no window accepts a dropped control
    void Refresh();
    void SetFocus();
    // The grid's "What's This" help text in its popup, over the grid.
    void ShowWhatsThis();
    // The control's size in twips.
    int Height() const;
    int Width() const;

    // ---- dimensions and contents
    int Rows() const override;
    void setRows(int rows);
    int Cols() const override;
    void setCols(int cols);
    int FixedRows() const override { return fixedRows_; }
    void setFixedRows(int rows);
    int FixedCols() const { return fixedCols_; }
    void setFixedCols(int cols);
    QString FormatString() const { return formatString_; }
    void setFormatString(const QString& format);
    QString TextMatrix(int row, int col) const override;
    void setTextMatrix(int row, int col, const QString& text) override;
    QString Text() const;
    void setText(const QString& text);
    // Texts of the selection: a tab between cells, a CR between rows. Let fills
    // the selection from its top-left cell.
    QString Clip() const;
    void setClip(const QString& clip);
    // Item split at tabs into the columns of the new row; Index -1 appends.
    void AddItem(const QString& Item, int Index = -1);
    void RemoveItem(int Index);
    void Clear(bool ClearAll = false);
    // Writes a block of rows (texts by column from firstCol) at once: one
    // model reset, for loading results.
    void setTextBlock(int firstRow, int firstCol, const QList<QStringList>& rows);

    int ColWidth(int col) const;
    void setColWidth(int col, int twips);
    // Columns shown at least as wide as their texts, for lists the program
    // fills itself (a result grid keeps the widths it is given). A column of
    // width 0 stays hidden; what grows past the grid scrolls.
    void setColumnsFitText(bool on);
    int RowHeight(int row) const;
    void setRowHeight(int row, int twips);
    int ColAlignment(int col) const;
    void setColAlignment(int col, int alignment);
    // The current cell's own alignment, else its column's; writing sets the fill range's.
    int CellAlignment() const;
    void setCellAlignment(int alignment);
    int CellPictureAlignment() const;
    void setCellPictureAlignment(int alignment);
    QPixmap CellPicture() const;
    void setCellPicture(const QPixmap& picture);

    // ---- current cell, selection, scrolling
    int Row() const { return row_; }
    void setRow(int row);
    int Col() const { return col_; }
    void setCol(int col);
    int RowSel() const { return rowSel_; }
    void setRowSel(int row);
    int ColSel() const { return colSel_; }
    void setColSel(int col);
    int TopRow() const;
    void setTopRow(int row) override;
    // The cell under the pointer at the last mouse event over the cells, set
    // before the event is raised; -1 when the pointer was on no cell.
    int MouseRow() const { return mouseRow_; }
    int MouseCol() const { return mouseCol_; }

    // ---- editing
    bool Editable() const { return editable_; }
    void setEditable(bool on);
    QString TypesString() const { return typesString_; }
    void setTypesString(const QString& types);
    void setMsgObject(clsErrorPtr msg) { msgObject_ = std::move(msg); }
    QString LockedColumns() const;
    void setLockedColumns(const QString& list);
    bool EditionAllowed() const;
    bool Loading() const { return loading_; }
    void setLoading(bool on) { loading_ = on; }
    int LastRowChanged() const { return lastRowChanged_; }
    void setLastRowChanged(int row);
    int LastColChanged() const { return lastColChanged_; }
    void setLastColChanged(int col);
    QString LastValue() const { return lastValue_; }
    void setLastValue(const QString& value) { lastValue_ = value; }
    void CheckCellType(int lRow, int lCol, bool bMultiMessage = false);
    void ValidateAll();

    // The caret is painted after the current cell's text while this is true.
    bool caretShown() const { return caretShown_; }
    bool hasFocusFlag() const { return hasFocus_; }

    // ---- saved properties (47 keys)
    void WriteProperties(controls::PropertyBag& bag) const;
    void ReadProperties(const controls::PropertyBag& bag);

    QTableView* innerGrid() const;
    QTimer* cellFocusedTimer() const { return tmrCellFocused_; }
    QTimer* setLastCellTimer() const { return tmrSetLastCell_; }

public slots:
    // Timer ticks (tests call them directly).
    void tmrCellFocused_Timer();
    void tmrSetLastCell_Timer();

signals:
    void Click();
    void DblClick();
    void EnterCell();
    void KeyDown(int& KeyCode, int& Shift);
    void KeyPress(int& KeyAscii);
    void KeyUp(int& KeyCode, int& Shift);
    void LeaveCell();
    void MouseDown(int& Button, int& Shift, float& X, float& Y);
    void MouseMove(int& Button, int& Shift, float& X, float& Y);
    void MouseUp(int& Button, int& Shift, float& X, float& Y);
    void RowColChange();
    void Scroll();
    void SelChange();
    void CellChanged();
    void GotFocus();
    void LostFocus();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    friend class maxgrid_detail::View;
    friend class maxgrid_detail::FixedRowsHeader;
    friend class maxgrid_detail::CellDelegate;

    // One move of the current cell, whatever asked for it: leave handling,
    // move, enter handling, RowColChange.
    void moveTo(int row, int col);
    void setSelection(int rowSel, int colSel);
    void leaveCellHandling();
    void enterCellHandling();
    void characterHandling(int keyAscii);
    bool ownKeyDown(int& keyCode, int shift); // true when the key did something here
    void nextCell();
    void previousCell();
    void navigate(int keyCode, int shift);
    bool handleKeyPress(QKeyEvent* e);
    void handleKeyRelease(QKeyEvent* e);
    void handleCommit(const QString& text);
    bool handleMouse(QMouseEvent* e);
    void focusIn();
    void focusOut();
    void resetTrackedCell();
    void trackCurrentCell();
    void showMessage(const QString& text, int style, const QString& title);
    void addPendingMessage(const QString& text);
    void showPendingMessage(int style, const QString& title, const QString& subTitle);
    void paintHeaderCell(std::uint32_t color, int first, int last);
    int pagesize() const;

    // Painting (called by the view's delegate and header).
    void paintCell(QPainter* p, const QRect& rect, int row, int col) const;
    void drawCellText(QPainter* p, const QRect& room, int flags, const QString& text, const QColor& fore,
                      int style) const;
    Qt::Alignment alignmentOf(int row, int col, const QString& text) const;
    QColor color(std::uint32_t ole) const;

    int rowTwips(int row) const; // RowHeight without the index check
    void setPainted(std::uint32_t& field, std::uint32_t value);
    void setRanged(int& field, int value, int low, int high, bool repaint = false);
    void checkRow(int row) const;
    void checkCol(int col) const;
    void checkCell(int row, int col) const;
    void applyColumnWidths();
    void applyRowHeights();
    // Puts the rows first.. in the order given (from[i]: the row that comes to first + i), with all they carry.
    void reorderRows(int first, const std::vector<int>& from);
    void applyTopRow();
    void updateCell(int row, int col);
    void updateHeaderGeometry();
    void applyFrame();
    void applyScrollBars();
    // The cells FillStyle acts on: the selection with FillStyle 1, else the current cell.
    struct CellRange {
        int r1, c1, r2, c2;
    };
    CellRange fillRange() const;
    CellRange selectionRange() const;
    // Runs an event handler of the grid inside the trap: an error is
    // reported with TraceTag("MaxGrid", procedure) and goes no further.
    template <class F>
    bool handler(const char* procedure, F&& body);

    maxgrid_detail::Model* model_ = nullptr;
    maxgrid_detail::View* view_ = nullptr;
    maxgrid_detail::FixedRowsHeader* header_ = nullptr;
    QTimer* tmrCellFocused_ = nullptr;
    QTimer* tmrSetLastCell_ = nullptr;

    // current cell and selection
    int row_ = 1, col_ = 1, rowSel_ = 1, colSel_ = 1;
    int pendingTopRow_ = -1;
    int mouseRow_ = -1, mouseCol_ = -1;
    int fixedRows_ = 1, fixedCols_ = 1;

    // editing state
    bool caretShown_ = false;
    bool hasFocus_ = false;
    bool editable_ = false;
    QString typesString_;
    QStringList typeWords_;
    bool typeWordsAssigned_ = false;
    bool automaticGrowing_ = false;
    clsErrorPtr msgObject_;
    int returnRow_ = 0, returnCol_ = 0;
    bool returningToCell_ = false;
    QString pendingMessages_;
    QList<int> lockedColumnSet_;
    int lastRowChanged_ = 0, lastColChanged_ = 0;
    QString lastValue_;
    bool loading_ = false;

    // forwarded members
    int appearance_ = 1;
    std::uint32_t backColor_ = 0x80000005u, backColorBkg_ = 0x808080u, backColorFixed_ = 0x8000000Fu,
                  backColorSel_ = 0x8000000Du, foreColor_ = 0x80000008u, foreColorFixed_ = 0x80000012u,
                  foreColorSel_ = 0x8000000Eu, gridColor_ = 0xC0C0C0u, gridColorFixed_ = 0x0u;
    int borderStyle_ = 1, gridLines_ = 1, gridLinesFixed_ = 2, gridLineWidth_ = 1, mergeCells_ = 0;
    int rowHeightMin_ = 0, textStyle_ = 0, textStyleFixed_ = 0;
    bool wordWrap_ = false, allowBigSelection_ = true, causesValidation_ = true;
    int allowUserResizing_ = 0, dragMode_ = 0, fillStyle_ = 0, focusRect_ = 1, highLight_ = 1;
    bool redraw_ = true, rightToLeft_ = false, scrollTrack_ = false;
    int scrollBars_ = 3, selectionMode_ = 0;
    Variant dataSource_;
    int helpContextID_ = 0, mousePointer_ = 0, oleDropMode_ = 0, pictureType_ = 0;
    int lastDragAction_ = 0;
    QString formatString_;
    int designWidth(int col) const; // pixels
    int shownWidth(int col) const;
    int widthNeeded(int row, const QString& text) const; // pixels, header rows with their margins
    void widenColumn(int col, int pixels);
    bool columnsFitText_ = false;
    QList<int> colWidthTwips_;   // -1: the default width
    QList<int> colAlignments_;   // 0-9 per column, 9 general
    QHash<int, int> rowHeightTwips_; // rows whose height is not the default 240
    bool applyingLayout_ = false;
    bool dragging_ = false;
};

template <class F>
bool MaxGrid::handler(const char* procedure, F&& body)
{
    return controls::trapHandler(msgObject_, QStringLiteral("MaxGrid"), QString::fromLatin1(procedure),
                                 std::forward<F>(body));
}
