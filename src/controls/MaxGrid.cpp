#include "MaxGrid.h"
#include "controls/TextRoom.h"

#include "MaxGridView.h"
#include "core/Screen.h"
#include "core/ValueText.h"
#include "platform/db/Recordset.h"
#include "platform/db/ResultTexts.h"

#include <QPainter>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QTimer>
#include <QWhatsThis>
#include <algorithm>
#include <optional>

using maxgrid_detail::Model;
using maxgrid_detail::NoColor;

namespace {

const QString kInvalidIndex = QStringLiteral("Índice de matriz de propiedades no válido");
const QString kInvalidValue = QStringLiteral("Valor de propiedad no válido");

[[noreturn]] void invalidIndex() { raise(381, kInvalidIndex, QStringLiteral("MaxGrid")); }
[[noreturn]] void invalidValue() { raise(381, kInvalidValue, QStringLiteral("MaxGrid")); }

void checkRange(int value, int low, int high)
{
    if (value < low || value > high)
        invalidValue();
}

// More cells than this would exhaust memory long before the grid is usable.
constexpr long long kMaxCells = 10'000'000;

constexpr int kDefaultRowTwips = 240;

// The system colours of a raised or inset edge: 3-D highlight and button shadow.
constexpr std::uint32_t kLightEdge = 0x80000014u;
constexpr std::uint32_t kDarkEdge = 0x80000010u;
constexpr int kDefaultColTwips = 960;

} // namespace

MaxGrid::MaxGrid(QWidget* parent) : QWidget(parent)
{
    model_ = new Model(this);
    model_->resize(2, 2);
    model_->setFixedRows(1);
    view_ = new maxgrid_detail::View(this, this);
    header_ = static_cast<maxgrid_detail::FixedRowsHeader*>(view_->horizontalHeader());
    colWidthTwips_ = {-1, -1};
    colAlignments_ = {9, 9};
    view_->setModel(model_);
    setFocusProxy(view_);

    view_->installEventFilter(this);
    view_->viewport()->installEventFilter(this);
    connect(model_, &QAbstractItemModel::modelReset, this, [this] {
        applyColumnWidths();
        applyRowHeights();
    });
    connect(header_, &QHeaderView::sectionResized, this, [this](int section, int, int size) {
        if (!applyingLayout_ && section < colWidthTwips_.size())
            colWidthTwips_[section] = Screen::twipsFromPixels(size);
    });
    auto scrolled = [this] { handler("fgEditable_Scroll", [this] { emit Scroll(); }); };
    connect(view_->verticalScrollBar(), &QScrollBar::valueChanged, this, scrolled);
    connect(view_->horizontalScrollBar(), &QScrollBar::valueChanged, this, scrolled);

    tmrCellFocused_ = new QTimer(this);
    tmrCellFocused_->setObjectName(QStringLiteral("tmrCellFocused"));
    tmrCellFocused_->setInterval(500);
    connect(tmrCellFocused_, &QTimer::timeout, this, &MaxGrid::tmrCellFocused_Timer);
    tmrSetLastCell_ = new QTimer(this);
    tmrSetLastCell_->setObjectName(QStringLiteral("tmrSetLastCell"));
    tmrSetLastCell_->setInterval(100);
    tmrSetLastCell_->setSingleShot(true);
    connect(tmrSetLastCell_, &QTimer::timeout, this, &MaxGrid::tmrSetLastCell_Timer);

    editable_ = false;
    applyFrame();
    applyScrollBars();
    applyColumnWidths();
    applyRowHeights();
    tmrCellFocused_->start();
}

MaxGrid::~MaxGrid()
{
    // The view goes while the grid it paints from is still whole.
    view_->removeEventFilter(this);
    view_->viewport()->removeEventFilter(this);
    delete view_;
}

QTableView* MaxGrid::innerGrid() const { return view_; }

void MaxGrid::resizeEvent(QResizeEvent*) { view_->setGeometry(rect()); }

// ---- checks

void MaxGrid::checkRow(int row) const
{
    if (row < 0 || row >= model_->rows())
        invalidIndex();
}

void MaxGrid::checkCol(int col) const
{
    if (col < 0 || col >= model_->cols())
        invalidIndex();
}

void MaxGrid::checkCell(int row, int col) const
{
    checkRow(row);
    checkCol(col);
}

// ---- appearance

void MaxGrid::setPainted(std::uint32_t& field, std::uint32_t value)
{
    field = value;
    Refresh();
}

void MaxGrid::setRanged(int& field, int value, int low, int high, bool repaint)
{
    checkRange(value, low, high);
    field = value;
    if (repaint)
        Refresh();
}

void MaxGrid::setAppearence(int value)
{
    checkRange(value, 0, 1);
    appearance_ = value;
    applyFrame();
}

void MaxGrid::setBorderStyle(int value)
{
    checkRange(value, 0, 1);
    borderStyle_ = value;
    applyFrame();
}

void MaxGrid::applyFrame()
{
    if (borderStyle_ == 0)
        view_->setFrameStyle(QFrame::NoFrame);
    else if (appearance_ == 0)
        view_->setFrameStyle(QFrame::Box | QFrame::Plain);
    else
        view_->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
}

void MaxGrid::setBackColor(std::uint32_t value) { setPainted(backColor_, value); }

void MaxGrid::setBackColorBkg(std::uint32_t value)
{
    backColorBkg_ = value;
    QPalette p = view_->viewport()->palette();
    p.setColor(QPalette::Base, color(value));
    view_->viewport()->setPalette(p);
    Refresh();
}

void MaxGrid::setBackColorFixed(std::uint32_t value) { setPainted(backColorFixed_, value); }

void MaxGrid::setBackColorSel(std::uint32_t value) { setPainted(backColorSel_, value); }

void MaxGrid::setForeColor(std::uint32_t value) { setPainted(foreColor_, value); }

void MaxGrid::setForeColorFixed(std::uint32_t value) { setPainted(foreColorFixed_, value); }

void MaxGrid::setForeColorSel(std::uint32_t value) { setPainted(foreColorSel_, value); }

void MaxGrid::setGridColor(std::uint32_t value) { setPainted(gridColor_, value); }

void MaxGrid::setGridColorFixed(std::uint32_t value) { setPainted(gridColorFixed_, value); }

void MaxGrid::setGridLines(int value) { setRanged(gridLines_, value, 0, 3, true); }

void MaxGrid::setGridLinesFixed(int value) { setRanged(gridLinesFixed_, value, 0, 3, true); }

void MaxGrid::setGridLineWidth(int value) { setRanged(gridLineWidth_, value, 1, 10, true); }

void MaxGrid::setMergeCells(int value) { setRanged(mergeCells_, value, 0, 4); }

void MaxGrid::setRowHeightMin(int twips)
{
    if (twips < 0)
        invalidValue();
    rowHeightMin_ = twips;
    applyRowHeights();
}

void MaxGrid::setTextStyle(int value) { setRanged(textStyle_, value, 0, 4, true); }

void MaxGrid::setTextStyleFixed(int value) { setRanged(textStyleFixed_, value, 0, 4, true); }

void MaxGrid::setWordWrap(bool value)
{
    wordWrap_ = value;
    Refresh();
}

void MaxGrid::setAllowUserResizing(int value)
{
    checkRange(value, 0, 3);
    allowUserResizing_ = value;
    header_->setSectionResizeMode((value & 1) ? QHeaderView::Interactive : QHeaderView::Fixed);
}

void MaxGrid::setDragMode(int value) { setRanged(dragMode_, value, 0, 1); }

void MaxGrid::setFillStyle(int value) { setRanged(fillStyle_, value, 0, 1); }

void MaxGrid::setFocusRect(int value) { setRanged(focusRect_, value, 0, 2, true); }

void MaxGrid::setHighLight(int value) { setRanged(highLight_, value, 0, 2, true); }

void MaxGrid::setRedraw(bool on)
{
    redraw_ = on;
    model_->setDeferred(!on);
    view_->setUpdatesEnabled(on);
    if (on) {
        applyTopRow();
        Refresh();
    }
}

void MaxGrid::setRightToLeft(bool value)
{
    rightToLeft_ = value;
    view_->setLayoutDirection(value ? Qt::RightToLeft : Qt::LeftToRight);
}

void MaxGrid::setScrollBars(int value)
{
    checkRange(value, 0, 3);
    scrollBars_ = value;
    applyScrollBars();
}

void MaxGrid::applyScrollBars()
{
    view_->setHorizontalScrollBarPolicy((scrollBars_ & 1) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    view_->setVerticalScrollBarPolicy((scrollBars_ & 2) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
}

void MaxGrid::setSelectionMode(int value)
{
    checkRange(value, 0, 2);
    selectionMode_ = value;
    setSelection(rowSel_, colSel_);
}

void MaxGrid::setFont(const QFont& font)
{
    QWidget::setFont(font);
    view_->setFont(font);
    header_->setFont(font);
}

void MaxGrid::setMousePointer(int value)
{
    if (!((value >= 0 && value <= 15) || value == 99))
        invalidValue();
    mousePointer_ = value;
    static const Qt::CursorShape shapes[] = {
        Qt::ArrowCursor,     Qt::ArrowCursor,    Qt::CrossCursor,   Qt::IBeamCursor,    Qt::ArrowCursor,
        Qt::SizeAllCursor,   Qt::SizeBDiagCursor, Qt::SizeVerCursor, Qt::SizeFDiagCursor, Qt::SizeHorCursor,
        Qt::UpArrowCursor,   Qt::WaitCursor,     Qt::ForbiddenCursor, Qt::BusyCursor,   Qt::WhatsThisCursor,
        Qt::SizeAllCursor,
    };
    if (value == 0 || value == 99)
        view_->viewport()->unsetCursor();
    else
        view_->viewport()->setCursor(shapes[value]);
}

void MaxGrid::setOLEDropMode(int value) { setRanged(oleDropMode_, value, 0, 1); }

void MaxGrid::setPictureType(int value) { setRanged(pictureType_, value, 0, 1); }

void MaxGrid::Refresh()
{
    if (!redraw_)
        return;
    view_->viewport()->update();
    header_->viewport()->update();
}

void MaxGrid::SetFocus() { view_->setFocus(Qt::OtherFocusReason); }

void MaxGrid::ShowWhatsThis() { QWhatsThis::showText(mapToGlobal(rect().center()), whatsThis(), this); }

int MaxGrid::Height() const { return Screen::twipsFromPixels(height()); }
int MaxGrid::Width() const { return Screen::twipsFromPixels(width()); }

// ---- dimensions

int MaxGrid::Rows() const { return model_->rows(); }
int MaxGrid::Cols() const { return model_->cols(); }

void MaxGrid::setRows(int rows)
{
    if (rows < fixedRows_ || (long long)rows * model_->cols() > kMaxCells)
        invalidValue();
    model_->resize(rows, model_->cols());
    for (auto it = rowHeightTwips_.begin(); it != rowHeightTwips_.end();)
        it = it.key() >= rows ? rowHeightTwips_.erase(it) : std::next(it);
    row_ = std::min(row_, std::max(0, rows - 1));
    rowSel_ = std::min(rowSel_, std::max(0, rows - 1));
    resetTrackedCell();
    Refresh();
}

void MaxGrid::setCols(int cols)
{
    if (cols < fixedCols_ || (long long)cols * model_->rows() > kMaxCells)
        invalidValue();
    colWidthTwips_.resize(cols, -1);
    colAlignments_.resize(cols, 9);
    model_->resize(model_->rows(), cols);
    col_ = std::min(col_, std::max(0, cols - 1));
    colSel_ = std::min(colSel_, std::max(0, cols - 1));
    resetTrackedCell();
    Refresh();
}

void MaxGrid::setFixedRows(int rows)
{
    if (rows < 0 || rows > model_->rows())
        invalidValue();
    fixedRows_ = rows;
    model_->setFixedRows(rows);
    updateHeaderGeometry();
    Refresh();
}

void MaxGrid::setFixedCols(int cols)
{
    if (cols < 0 || cols > model_->cols())
        invalidValue();
    fixedCols_ = cols;
    Refresh();
}

void MaxGrid::setFormatString(const QString& format)
{
    // "|" separates columns, ";" the column part from the row part; a leading
    // "<", "^" or ">" aligns the column left, centre or right.
    const int semicolon = format.indexOf(u';');
    const QString columnPart = semicolon < 0 ? format : format.left(semicolon);
    const QString rowPart = semicolon < 0 ? QString() : format.mid(semicolon + 1);
    const QStringList columns = columnPart.isEmpty() ? QStringList() : columnPart.split(u'|');
    const QStringList rows = rowPart.isEmpty() ? QStringList() : rowPart.split(u'|');
    if (columns.size() > Cols())
        setCols(int(columns.size()));
    if (rows.size() > Rows())
        setRows(int(rows.size()));
    for (int c = 0; c < columns.size(); ++c) {
        QString text = columns[c];
        if (!text.isEmpty() && QStringLiteral("<^>").contains(text.front())) {
            colAlignments_[c] = text.front() == u'<' ? 1 : text.front() == u'^' ? 4 : 7;
            text.remove(0, 1);
        }
        if (fixedRows_ > 0)
            model_->setText(0, c, text);
        if (!text.isEmpty())
            setColWidth(c, Screen::twipsFromPixels(controls::headerCellWidthNeeded(view_->font(), text)));
    }
    for (int r = 0; r < rows.size(); ++r)
        if (fixedCols_ > 0)
            model_->setText(r, 0, rows[r]);
    formatString_ = format;
    Refresh();
}

// ---- contents

QString MaxGrid::TextMatrix(int row, int col) const
{
    checkCell(row, col);
    return model_->text(row, col);
}

void MaxGrid::setTextMatrix(int row, int col, const QString& text)
{
    checkCell(row, col);
    model_->setText(row, col, text);
    if (columnsFitText_ && col < header_->count() && header_->sectionSize(col) > 0) {
        const int need = widthNeeded(row, text);
        if (need > header_->sectionSize(col))
            widenColumn(col, need);
    }
}

QString MaxGrid::Text() const { return TextMatrix(row_, col_); }

void MaxGrid::setText(const QString& text) { setTextMatrix(row_, col_, text); }

MaxGrid::CellRange MaxGrid::selectionRange() const
{
    return {std::min(row_, rowSel_), std::min(col_, colSel_), std::max(row_, rowSel_), std::max(col_, colSel_)};
}

MaxGrid::CellRange MaxGrid::fillRange() const
{
    checkCell(row_, col_);
    if (fillStyle_ == 1) {
        const CellRange r = selectionRange();
        checkCell(r.r2, r.c2);
        return r;
    }
    return {row_, col_, row_, col_};
}

QString MaxGrid::Clip() const
{
    const CellRange s = selectionRange();
    checkCell(s.r2, s.c2);
    QStringList lines;
    for (int r = s.r1; r <= s.r2; ++r) {
        QStringList cells;
        for (int c = s.c1; c <= s.c2; ++c)
            cells << model_->text(r, c);
        lines << cells.join(u'\t');
    }
    return lines.join(u'\r');
}

void MaxGrid::setClip(const QString& clip)
{
    const CellRange s = selectionRange();
    checkCell(s.r2, s.c2);
    const QStringList lines = clip.split(u'\r');
    for (int i = 0; i < lines.size() && s.r1 + i <= s.r2; ++i) {
        QString line = lines[i];
        if (line.startsWith(u'\n'))
            line.remove(0, 1);
        const QStringList cells = line.split(u'\t');
        for (int j = 0; j < cells.size() && s.c1 + j <= s.c2; ++j)
            model_->setText(s.r1 + i, s.c1 + j, cells[j]);
    }
}

void MaxGrid::AddItem(const QString& Item, int Index)
{
    const int at = Index == -1 ? Rows() : Index;
    if (at < fixedRows_ || at > Rows() || (long long)(Rows() + 1) * Cols() > kMaxCells)
        invalidIndex();
    model_->insertRow(at, Item.split(u'\t'));
    if (lastRowChanged_ >= at)
        ++lastRowChanged_; // the tracked cell moved down with its row
    Refresh();
}

void MaxGrid::RemoveItem(int Index)
{
    if (Rows() <= fixedRows_ + 1) {
        setRows(fixedRows_); // the last data row goes whatever the index
        return;
    }
    const int at = Index == -1 ? Rows() - 1 : Index;
    if (at < fixedRows_ || at >= Rows())
        invalidIndex();
    model_->removeRow(at);
    if (lastRowChanged_ == at)
        resetTrackedCell();
    else if (lastRowChanged_ > at)
        --lastRowChanged_;
    row_ = std::min(row_, Rows() - 1);
    rowSel_ = std::min(rowSel_, Rows() - 1);
    Refresh();
}

void MaxGrid::Clear(bool ClearAll)
{
    model_->clearTexts(!ClearAll && fixedRows_ == 1 ? 1 : 0);
    resetTrackedCell();
}

void MaxGrid::setTextBlock(int firstRow, int firstCol, const QList<QStringList>& rows)
{
    checkCell(firstRow, firstCol);
    model_->setBlock(firstRow, firstCol, rows);
}

// ---- sizes and alignment

int MaxGrid::ColWidth(int col) const
{
    checkCol(col);
    return colWidthTwips_[col] < 0 ? kDefaultColTwips : colWidthTwips_[col];
}

void MaxGrid::setColWidth(int col, int twips)
{
    checkCol(col);
    if (twips < -1)
        invalidValue();
    colWidthTwips_[col] = twips;
    if (const int shown = shownWidth(col); shown > designWidth(col)) {
        widenColumn(col, shown);
    } else {
        const QScopedValueRollback<bool> applying(applyingLayout_, true);
        header_->resizeSection(col, shown);
    }
}

void MaxGrid::applyColumnWidths()
{
    const QScopedValueRollback<bool> applying(applyingLayout_, true);
    for (int c = 0; c < colWidthTwips_.size() && c < header_->count(); ++c)
        if (const int shown = shownWidth(c); shown > designWidth(c))
            widenColumn(c, shown);
        else
            header_->resizeSection(c, shown);
}

int MaxGrid::designWidth(int col) const
{
    return Screen::pixelsFromTwips(colWidthTwips_[col] < 0 ? kDefaultColTwips : colWidthTwips_[col]);
}

int MaxGrid::shownWidth(int col) const
{
    const int design = designWidth(col);
    if (!columnsFitText_ || design == 0)
        return design;
    int need = design;
    for (int r = 0; r < model_->rows(); ++r)
        need = std::max(need, widthNeeded(r, model_->text(r, col)));
    return need;
}

int MaxGrid::widthNeeded(int row, const QString& text) const
{
    return row < fixedRows_ ? controls::headerCellWidthNeeded(view_->font(), text)
                            : controls::cellWidthNeeded(view_->font(), text);
}

void MaxGrid::widenColumn(int col, int pixels)
{
    const QScopedValueRollback<bool> applying(applyingLayout_, true);
    header_->resizeSection(col, pixels);
    // What grew past the grid is reached by scrolling.
    view_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

void MaxGrid::setColumnsFitText(bool on)
{
    columnsFitText_ = on;
    applyScrollBars();
    applyColumnWidths();
}

int MaxGrid::RowHeight(int row) const
{
    checkRow(row);
    return rowTwips(row);
}

int MaxGrid::rowTwips(int row) const { return std::max(rowHeightTwips_.value(row, kDefaultRowTwips), rowHeightMin_); }

void MaxGrid::setRowHeight(int row, int twips)
{
    checkRow(row);
    if (twips < 0)
        invalidValue();
    if (twips == kDefaultRowTwips)
        rowHeightTwips_.remove(row);
    else
        rowHeightTwips_.insert(row, twips);
    if (row < fixedRows_)
        updateHeaderGeometry();
    else if (row - fixedRows_ < view_->verticalHeader()->count())
        view_->verticalHeader()->resizeSection(row - fixedRows_, Screen::pixelsFromTwips(rowTwips(row)));
}

void MaxGrid::applyRowHeights()
{
    QHeaderView* rows = view_->verticalHeader();
    rows->setDefaultSectionSize(Screen::pixelsFromTwips(std::max(kDefaultRowTwips, rowHeightMin_)));
    for (auto it = rowHeightTwips_.cbegin(); it != rowHeightTwips_.cend(); ++it)
        if (it.key() >= fixedRows_ && it.key() - fixedRows_ < rows->count())
            rows->resizeSection(it.key() - fixedRows_, Screen::pixelsFromTwips(std::max(it.value(), rowHeightMin_)));
    updateHeaderGeometry();
}

void MaxGrid::updateHeaderGeometry()
{
    header_->setVisible(fixedRows_ > 0);
    view_->updateGeometries();
    header_->viewport()->update();
}

int MaxGrid::ColAlignment(int col) const
{
    checkCol(col);
    return colAlignments_[col];
}

void MaxGrid::setColAlignment(int col, int alignment)
{
    checkCol(col);
    checkRange(alignment, 0, 9);
    colAlignments_[col] = alignment;
    Refresh();
}

int MaxGrid::CellAlignment() const
{
    checkCell(row_, col_);
    const int a = model_->alignment(row_, col_);
    return a < 0 ? colAlignments_[col_] : a;
}

void MaxGrid::setCellAlignment(int alignment)
{
    checkRange(alignment, 0, 9);
    const CellRange r = fillRange();
    model_->setAlignment(r.r1, r.c1, r.r2, r.c2, alignment);
}

int MaxGrid::CellPictureAlignment() const
{
    checkCell(row_, col_);
    return model_->pictureAlignment(row_, col_);
}

void MaxGrid::setCellPictureAlignment(int alignment)
{
    checkRange(alignment, 0, 9);
    const CellRange r = fillRange();
    model_->setPictureAlignment(r.r1, r.c1, r.r2, r.c2, alignment);
}

QPixmap MaxGrid::CellPicture() const
{
    checkCell(row_, col_);
    return model_->picture(row_, col_);
}

void MaxGrid::setCellPicture(const QPixmap& picture)
{
    const CellRange r = fillRange();
    model_->setPicture(r.r1, r.c1, r.r2, r.c2, picture);
}

std::uint32_t MaxGrid::CellBackColor() const
{
    checkCell(row_, col_);
    const std::uint32_t c = model_->back(row_, col_);
    if (c != NoColor)
        return c;
    return (row_ < fixedRows_ || col_ < fixedCols_) ? backColorFixed_ : backColor_;
}

void MaxGrid::setRowBackColor(int row, std::uint32_t value)
{
    checkRow(row);
    model_->setRowBack(row, value);
}

void MaxGrid::setCellBackColor(std::uint32_t value)
{
    const CellRange r = fillRange();
    model_->setBack(r.r1, r.c1, r.r2, r.c2, value);
}

// ---- sorting and binding

namespace {

// A key cell as the sort settings read it: its text and, for the generic and
// numeric settings, its number when it reads as one.
struct SortKey {
    QString text;
    std::optional<double> number;
};

int compareKeys(const SortKey& a, const SortKey& b, int setting)
{
    const auto numbers = [](double x, double y) { return x < y ? -1 : y < x ? 1 : 0; };
    switch (setting) {
    case 1:
    case 2:
        if (a.number && b.number)
            return numbers(*a.number, *b.number);
        return QString::compare(a.text, b.text, Qt::CaseInsensitive);
    case 3:
    case 4: return numbers(a.number.value_or(0), b.number.value_or(0)); // text that is no number counts as 0
    case 5:
    case 6: return QString::compare(a.text, b.text, Qt::CaseInsensitive);
    default: return QString::compare(a.text, b.text, Qt::CaseSensitive);
    }
}

} // namespace

void MaxGrid::setSort(int value)
{
    checkRange(value, 0, 9);
    // Custom (9) asks the host through a compare event, which the grid does not raise.
    if (value == 0 || value == 9 || Cols() == 0)
        return;
    const CellRange s = selectionRange();
    checkCol(s.c2);
    const int first = row_ == rowSel_ ? fixedRows_ : std::max(s.r1, fixedRows_);
    const int last = row_ == rowSel_ ? Rows() - 1 : std::min(s.r2, Rows() - 1);
    if (last <= first)
        return;

    const int rows = last - first + 1, keys = s.c2 - s.c1 + 1;
    std::vector<SortKey> cells(std::size_t(rows) * std::size_t(keys));
    for (int r = 0; r < rows; ++r)
        for (int k = 0; k < keys; ++k) {
            SortKey& key = cells[std::size_t(r) * std::size_t(keys) + std::size_t(k)];
            key.text = model_->text(first + r, s.c1 + k);
            if (value <= 4)
                key.number = ValueText::parseNumber(key.text);
        }
    std::vector<int> from(static_cast<std::size_t>(rows));
    for (int r = 0; r < rows; ++r)
        from[std::size_t(r)] = r;
    const bool descending = value % 2 == 0;
    std::stable_sort(from.begin(), from.end(), [&](int a, int b) {
        for (int k = 0; k < keys; ++k) {
            const int c = compareKeys(cells[std::size_t(a) * std::size_t(keys) + std::size_t(k)],
                                      cells[std::size_t(b) * std::size_t(keys) + std::size_t(k)], value);
            if (c != 0)
                return descending ? c > 0 : c < 0;
        }
        return false;
    });
    for (int& r : from)
        r += first;
    reorderRows(first, from);
}

void MaxGrid::reorderRows(int first, const std::vector<int>& from)
{
    const int n = int(from.size());
    const maxgrid_detail::RowMove moved(first, from);
    model_->reorderRows(first, from);
    QHash<int, int> heights;
    for (auto it = rowHeightTwips_.cbegin(); it != rowHeightTwips_.cend(); ++it)
        heights.insert(moved(it.key()), it.value());
    rowHeightTwips_.swap(heights);
    QHeaderView* sections = view_->verticalHeader();
    for (int r = first; r < first + n && r - fixedRows_ < sections->count(); ++r)
        sections->resizeSection(r - fixedRows_, Screen::pixelsFromTwips(rowTwips(r)));
    // The cell being edited, and the one a failed check returns to, stay with their rows.
    lastRowChanged_ = moved(lastRowChanged_);
    returnRow_ = moved(returnRow_);
    Refresh();
}

void MaxGrid::setDataSource(const Variant& source)
{
    if (source.isEmpty() || source.isNothing()) {
        dataSource_ = Variant(); // the rows shown stay
        return;
    }
    const auto records = source.as<db::Recordset>();
    if (!records)
        invalidValue();
    handler("DataSource", [&] {
        // Everything is read before the grid changes: a set that cannot be read leaves it as it was.
        const qint64 count = records->RecordCount();
        QStringList names;
        for (int f = 0; f < records->FieldCount(); ++f)
            names << records->Fields(f).Name();
        const long long rows = fixedRows_ + count, cols = fixedCols_ + names.size();
        if (rows * std::max(1ll, cols) > kMaxCells)
            invalidValue();
        const QList<QStringList> texts = resulttexts::rows(*records->result(), 0, int(count));

        setRows(fixedRows_);
        setCols(int(cols));
        setRows(int(rows));
        model_->clearTexts(0);
        for (int f = 0; f < names.size() && fixedRows_ > 0; ++f)
            model_->setText(0, fixedCols_ + f, names[f]);
        if (count > 0 && cols > fixedCols_)
            model_->setBlock(fixedRows_, fixedCols_, texts);
        dataSource_ = source;
    });
}

// ---- scrolling

int MaxGrid::TopRow() const
{
    if (pendingTopRow_ >= 0)
        return pendingTopRow_;
    return std::min(Rows() - 1, fixedRows_ + view_->firstVisibleRow());
}

void MaxGrid::setTopRow(int row)
{
    checkRow(row);
    pendingTopRow_ = std::max(row, fixedRows_);
    applyTopRow();
}

void MaxGrid::applyTopRow()
{
    if (pendingTopRow_ < 0 || !redraw_)
        return;
    const int row = pendingTopRow_;
    pendingTopRow_ = -1;
    view_->updateGeometries(); // the scroll range must know the rows before it is set
    view_->setFirstVisibleRow(row - fixedRows_);
}

void MaxGrid::updateCell(int row, int col)
{
    if (!redraw_ || row < 0 || col < 0)
        return;
    if (row < fixedRows_)
        header_->viewport()->update();
    else
        view_->update(model_->index(row - fixedRows_, col));
}

// ---- painting

QColor MaxGrid::color(std::uint32_t ole) const { return controls::resolveColor(ole); }

Qt::Alignment MaxGrid::alignmentOf(int row, int col, const QString& text) const
{
    int a = model_->alignment(row, col);
    if (a < 0)
        a = col < colAlignments_.size() ? colAlignments_[col] : 9;
    if (a == 9) // general: numbers right, everything else left
        return Qt::AlignVCenter | (ValueText::isNumeric(text) ? Qt::AlignRight : Qt::AlignLeft);
    static const Qt::Alignment horizontal[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
    static const Qt::Alignment vertical[] = {Qt::AlignTop, Qt::AlignVCenter, Qt::AlignBottom};
    return horizontal[a / 3] | vertical[a % 3];
}

void MaxGrid::paintCell(QPainter* p, const QRect& rect, int row, int col) const
{
    if (row < 0 || col < 0 || row >= model_->rows() || col >= model_->cols())
        return;
    const bool fixed = row < fixedRows_ || col < fixedCols_;
    const bool current = row == row_ && col == col_;
    const CellRange sel = selectionRange();
    const bool multiple = sel.r1 != sel.r2 || sel.c1 != sel.c2;
    const bool showSelection = highLight_ == 1 || (highLight_ == 2 && hasFocus_);
    const bool selected = !fixed && !current && multiple && showSelection && row >= sel.r1 && row <= sel.r2 &&
                          col >= sel.c1 && col <= sel.c2;
    const std::uint32_t own = model_->shownBack(row, col);

    QColor background = selected ? color(backColorSel_)
                        : own != NoColor ? color(own)
                                         : color(fixed ? backColorFixed_ : backColor_);
    p->save();
    p->setClipRect(rect);
    p->fillRect(rect, background);

    const QPixmap picture = model_->picture(row, col);
    if (!picture.isNull()) {
        const int pa = model_->pictureAlignment(row, col);
        QRect target(QPoint(), picture.size());
        const int hPart = (pa == 9) ? 1 : pa / 3, vPart = (pa == 9) ? 1 : pa % 3;
        target.moveLeft(hPart == 0 ? rect.left() : hPart == 1 ? rect.center().x() - target.width() / 2
                                                                : rect.right() - target.width());
        target.moveTop(vPart == 0 ? rect.top() : vPart == 1 ? rect.center().y() - target.height() / 2
                                                              : rect.bottom() - target.height());
        p->drawPixmap(target, picture);
    }

    QString text = model_->text(row, col);
    const Qt::Alignment align = alignmentOf(row, col, text);
    const bool caret = current && caretShown_;
    if (caret)
        text += u'|'; // the caret is painted, never stored
    const QRect room = rect.adjusted(2, 0, -2, 0);
    // A text wider than its column is drawn shortened with a mark, never
    // clipped: a clipped right-aligned number reads as another number.
    if (!wordWrap_)
        text = controls::fittedCellText(text, p->fontMetrics(), room.width(), caret);
    drawCellText(p, room, int(align) | (wordWrap_ ? Qt::TextWordWrap : Qt::TextSingleLine), text,
                 color(selected ? foreColorSel_ : fixed ? foreColorFixed_ : foreColor_),
                 fixed ? textStyleFixed_ : textStyle_);

    const int lines = fixed ? gridLinesFixed_ : gridLines_;
    if (lines != 0) {
        QPen pen(color(fixed ? gridColorFixed_ : gridColor_));
        pen.setWidth(gridLineWidth_);
        if (lines == 2)
            pen.setStyle(Qt::SolidLine);
        else if (lines == 3)
            pen.setStyle(Qt::DotLine);
        p->setPen(pen);
        p->drawLine(rect.topRight(), rect.bottomRight());
        p->drawLine(rect.bottomLeft(), rect.bottomRight());
    }
    if (current && focusRect_ != 0 && !fixed) {
        QPen pen(color(foreColor_));
        pen.setStyle(focusRect_ == 1 ? Qt::DotLine : Qt::SolidLine);
        pen.setWidth(focusRect_ == 2 ? 2 : 1);
        p->setPen(pen);
        p->drawRect(rect.adjusted(0, 0, -1, -1));
    }
    p->restore();
}

void MaxGrid::drawCellText(QPainter* p, const QRect& room, int flags, const QString& text, const QColor& fore,
                           int style) const
{
    // Raised text catches the light above-left and casts its shadow below-right;
    // inset text the other way round. The light styles leave the shadow out.
    if (style != 0) {
        const int light = (style == 1 || style == 3) ? -1 : 1;
        p->setPen(color(kLightEdge));
        p->drawText(room.translated(light, light), flags, text);
        if (style <= 2) {
            p->setPen(color(kDarkEdge));
            p->drawText(room.translated(-light, -light), flags, text);
        }
    }
    p->setPen(fore);
    p->drawText(room, flags, text);
}
