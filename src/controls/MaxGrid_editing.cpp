// In-cell editing: the current cell and its moves, keys, the caret, focus
// and mouse.
#include "MaxGrid.h"

#include "MaxGridView.h"
#include "core/Screen.h"
#include "platform/keys/KeyEvents.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScopeGuard>
#include <QTimer>

namespace {
// Virtual-key numbers the grid acts on.
enum : int {
    VkTab = 9, VkPrior = 33, VkNext = 34, VkEnd = 35, VkHome = 36, VkLeft = 37, VkUp = 38, VkRight = 39,
    VkDown = 40, VkInsert = 45, VkDelete = 46, VkC = 67, VkV = 86,
};
constexpr int kShift = 1, kCtrl = 2;
} // namespace

// ---- edition allowed, tracked cell

bool MaxGrid::EditionAllowed() const
{
    if (!editable_)
        return false;
    // The header and fixed columns are never typed into: the page reads its
    // field names from row 0.
    if (row_ < fixedRows_ || col_ < fixedCols_ || row_ >= Rows() || col_ >= Cols())
        return false;
    return !lockedColumnSet_.contains(col_);
}

void MaxGrid::setEditable(bool on)
{
    editable_ = on;
    if (EditionAllowed())
        tmrCellFocused_->start();
}

void MaxGrid::resetTrackedCell()
{
    lastRowChanged_ = -1;
    lastColChanged_ = -1;
    lastValue_.clear();
}

void MaxGrid::trackCurrentCell()
{
    lastRowChanged_ = row_;
    lastColChanged_ = col_;
    lastValue_ = model_->text(row_, col_);
}

// A host that points the tracked cell somewhere also gets that cell's text as
// its entry text, so the next leave compares with what the cell holds.
void MaxGrid::setLastRowChanged(int row)
{
    lastRowChanged_ = row;
    lastValue_ = (row >= 0 && row < Rows() && lastColChanged_ >= 0 && lastColChanged_ < Cols())
                     ? model_->text(row, lastColChanged_)
                     : QString();
}

void MaxGrid::setLastColChanged(int col)
{
    lastColChanged_ = col;
    lastValue_ = (col >= 0 && col < Cols() && lastRowChanged_ >= 0 && lastRowChanged_ < Rows())
                     ? model_->text(lastRowChanged_, col)
                     : QString();
}

// ---- moves

void MaxGrid::setRow(int row)
{
    checkRow(row);
    moveTo(row, col_);
    setSelection(row, colSel_);
}

void MaxGrid::setCol(int col)
{
    checkCol(col);
    moveTo(row_, col);
    setSelection(rowSel_, col);
}

void MaxGrid::setRowSel(int row)
{
    checkRow(row);
    setSelection(row, colSel_);
}

void MaxGrid::setColSel(int col)
{
    checkCol(col);
    setSelection(rowSel_, col);
}

void MaxGrid::setSelection(int rowSel, int colSel)
{
    const CellRange before = selectionRange();
    rowSel_ = rowSel;
    colSel_ = colSel;
    const CellRange after = selectionRange();
    if (before.r1 != after.r1 || before.r2 != after.r2 || before.c1 != after.c1 || before.c2 != after.c2) {
        Refresh();
        emit SelChange();
    }
}

void MaxGrid::moveTo(int row, int col)
{
    if (row == row_ && col == col_)
        return; // assigning the current cell again raises nothing
    leaveCellHandling();
    const int oldRow = row_, oldCol = col_;
    row_ = row;
    col_ = col;
    caretShown_ = false;
    updateCell(oldRow, oldCol);
    enterCellHandling();
    emit RowColChange();
    if (redraw_ && row_ >= fixedRows_ && row_ < Rows())
        view_->scrollTo(model_->index(row_ - fixedRows_, col_));
    updateCell(row_, col_);
}

void MaxGrid::leaveCellHandling()
{
    if (!editable_ || returningToCell_)
        return;
    caretShown_ = false;
    updateCell(row_, col_);
    if (lastRowChanged_ <= Rows() - 1) {
        // After a reload nothing is tracked until a cell is entered again.
        if (lastRowChanged_ >= 0 && lastColChanged_ >= 0 && lastColChanged_ < Cols())
            CheckCellType(lastRowChanged_, lastColChanged_, false);
        emit LeaveCell();
    }
}

void MaxGrid::enterCellHandling()
{
    if (EditionAllowed()) {
        tmrCellFocused_->start();
        if (automaticGrowing_ && row_ == Rows() - 1 && (long long)(Rows() + 1) * Cols() < GrowthCellLimit)
            setRows(Rows() + 1);
        trackCurrentCell();
    }
    emit EnterCell();
}

void MaxGrid::nextCell()
{
    if (col_ + 1 <= Cols() - 1) {
        setCol(col_ + 1);
        return;
    }
    const int target = row_ + 1 <= Rows() - 1 ? row_ + 1 : 1;
    if (target < Rows()) // a grid without row 1 has nowhere to wrap to
        setRow(target);
    setCol(0);
}

void MaxGrid::previousCell()
{
    if (col_ == 0) {
        if (row_ >= fixedRows_ + 1) {
            setRow(row_ - 1);
            setCol(Cols() - 1);
        }
    } else {
        setCol(col_ - 1);
    }
}

int MaxGrid::pagesize() const { return std::max(1, view_->visibleRows() - 1); }

void MaxGrid::navigate(int keyCode, int shift)
{
    if (Rows() <= fixedRows_ || Cols() <= fixedCols_)
        return;
    const bool extend = (shift & kShift) && keyCode != VkTab;
    int r = extend ? rowSel_ : row_, c = extend ? colSel_ : col_;
    switch (keyCode) {
    case VkUp: r = std::max(fixedRows_, r - 1); break;
    case VkDown: r = std::min(Rows() - 1, r + 1); break;
    case VkLeft: c = std::max(fixedCols_, c - 1); break;
    case VkRight: c = std::min(Cols() - 1, c + 1); break;
    case VkPrior: r = std::max(fixedRows_, r - pagesize()); break;
    case VkNext: r = std::min(Rows() - 1, r + pagesize()); break;
    case VkHome:
        c = fixedCols_;
        if (shift & kCtrl)
            r = fixedRows_;
        break;
    case VkEnd:
        c = Cols() - 1;
        if (shift & kCtrl)
            r = Rows() - 1;
        break;
    default: return;
    }
    if (extend) {
        setSelection(r, c);
    } else {
        moveTo(r, c);
        setSelection(r, c);
    }
}

// ---- keys

void MaxGrid::characterHandling(int keyAscii)
{
    caretShown_ = false;
    tmrCellFocused_->stop();
    updateCell(row_, col_);
    if (!EditionAllowed()) {
        emit KeyPress(keyAscii);
        return;
    }
    if (keyAscii == 13 || keyAscii == 9) {
        nextCell();
    } else if (keyAscii == 8) {
        QString text = model_->text(row_, col_);
        if (!text.isEmpty()) {
            text.chop(text.size() >= 2 && text.back().isLowSurrogate() ? 2 : 1);
            model_->setText(row_, col_, text);
        }
    } else if (keyAscii >= 32) {
        const char32_t c = char32_t(keyAscii);
        model_->setText(row_, col_, model_->text(row_, col_) + QString::fromUcs4(&c, 1));
    }
    tmrCellFocused_->start();
    emit KeyPress(keyAscii);
}

bool MaxGrid::ownKeyDown(int& keyCode, int shift)
{
    if (!EditionAllowed())
        return false;
    if (keyCode == VkC && shift == kCtrl) {
        QGuiApplication::clipboard()->setText(model_->text(row_, col_));
    } else if (keyCode == VkV && shift == kCtrl) {
        model_->setText(row_, col_, QGuiApplication::clipboard()->text());
    } else if (keyCode == VkDelete && shift != kCtrl) {
        model_->setText(row_, col_, QString());
    } else if (keyCode == VkDelete) {
        if (Rows() > 2 && row_ >= fixedRows_) {
            RemoveItem(row_);
            if (EditionAllowed())
                trackCurrentCell(); // the row now under the cursor is the one entered
        }
    } else if (keyCode == VkInsert && shift == kCtrl) {
        if (automaticGrowing_) {
            AddItem(QString(), row_);
            trackCurrentCell();
        }
    } else if (keyCode == VkTab && hasFocus_) {
        keyCode = 0;
        if (shift == kShift)
            previousCell();
        else
            characterHandling(13);
    } else {
        return false;
    }
    return true;
}

bool MaxGrid::handleKeyPress(QKeyEvent* e)
{
    const keys::KeyStroke stroke = keys::fromKeyEvent(*e);
    bool acted = false;
    const bool taken = keys::dispatchPress(
        stroke,
        [&](int& keyCode, int& shift) {
            // The host sees the key first; a key code it zeroes is not acted on.
            emit KeyDown(keyCode, shift);
            if (keyCode == 0)
                return;
            acted = ownKeyDown(keyCode, shift);
            if (keyCode != 0 && keyCode >= VkPrior && keyCode <= VkDown) {
                navigate(keyCode, shift);
                acted = true;
            }
        },
        [&](int& keyAscii) {
            const bool allowed = EditionAllowed();
            characterHandling(keyAscii);
            acted = acted || allowed;
        });
    return taken || acted;
}

void MaxGrid::handleKeyRelease(QKeyEvent* e)
{
    const keys::KeyStroke stroke = keys::fromKeyEvent(*e);
    int keyCode = stroke.KeyCode, shift = stroke.Shift;
    emit KeyUp(keyCode, shift);
}

void MaxGrid::handleCommit(const QString& text)
{
    for (int ascii : keys::keyAsciiOfCommit(text))
        characterHandling(ascii);
}

// ---- caret and return ticks

void MaxGrid::tmrCellFocused_Timer()
{
    handler("tmrCellFocused_Timer", [this] {
        if (EditionAllowed()) {
            caretShown_ = !caretShown_;
        } else {
            tmrCellFocused_->stop();
            caretShown_ = false;
        }
        updateCell(row_, col_);
    });
}

void MaxGrid::tmrSetLastCell_Timer()
{
    handler("tmrSetLastCell_Timer", [this] {
        tmrSetLastCell_->stop();
        const controls::RedrawGuard redraw(*this); // drawing comes back on whatever happens
        returningToCell_ = true;
        const auto back = qScopeGuard([this] { returningToCell_ = false; });
        setRow(returnRow_);
        setCol(returnCol_);
    });
}

// ---- focus and mouse

void MaxGrid::focusIn()
{
    if (hasFocus_)
        return; // coming back from another window (a message box) is no new focus
    hasFocus_ = true;
    emit GotFocus();
}

void MaxGrid::focusOut()
{
    if (!hasFocus_)
        return;
    tmrCellFocused_->stop();
    hasFocus_ = false;
    caretShown_ = false;
    updateCell(row_, col_);
    emit LostFocus();
}

bool MaxGrid::handleMouse(QMouseEvent* e)
{
    int button = (e->button() == Qt::NoButton ? int(e->buttons()) : int(e->button())) & 7;
    button = (button & Qt::LeftButton ? 1 : 0) | (button & Qt::RightButton ? 2 : 0) | (button & Qt::MiddleButton ? 4 : 0);
    int shift = keys::shiftState(e->modifiers());
    const QPoint inGrid = view_->viewport()->mapTo(this, e->position().toPoint());
    float x = float(Screen::twipsFromPixels(inGrid.x())), y = float(Screen::twipsFromPixels(inGrid.y()));
    const QModelIndex index = view_->indexAt(e->position().toPoint());
    const int r = index.isValid() ? index.row() + fixedRows_ : -1, c = index.isValid() ? index.column() : -1;
    const bool movable = index.isValid() && c >= fixedCols_;
    mouseRow_ = r;
    mouseCol_ = c;

    auto selectTo = [&](int row, int col) {
        if (selectionMode_ == 1)
            setSelection(row, Cols() - 1);
        else if (selectionMode_ == 2)
            setSelection(Rows() - 1, col);
        else
            setSelection(row, col);
    };

    switch (e->type()) {
    case QEvent::MouseButtonPress:
        emit MouseDown(button, shift, x, y);
        if (movable && e->button() == Qt::LeftButton) {
            if (!(e->modifiers() & Qt::ShiftModifier)) {
                const int col = selectionMode_ == 1 ? fixedCols_ : c;
                const int row = selectionMode_ == 2 ? fixedRows_ : r;
                moveTo(row, col);
            }
            selectTo(r, c);
            dragging_ = true;
        }
        return true;
    case QEvent::MouseMove:
        emit MouseMove(button, shift, x, y);
        if (dragging_ && (e->buttons() & Qt::LeftButton) && movable)
            selectTo(r, c);
        return true;
    case QEvent::MouseButtonRelease:
        dragging_ = false;
        emit MouseUp(button, shift, x, y);
        emit Click();
        return true;
    case QEvent::MouseButtonDblClick:
        emit DblClick();
        return true;
    default: return false;
    }
}

bool MaxGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == view_) {
        switch (event->type()) {
        case QEvent::KeyPress: {
            auto* key = static_cast<QKeyEvent*>(event);
            bool accepted = false;
            handler("fgEditable_KeyDown", [&] { accepted = handleKeyPress(key); });
            if (accepted) {
                key->accept();
                return true;
            }
            if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
                return false; // a grid that does not edit passes the focus on
            key->ignore();    // the window may want it (Esc, Enter)
            return true;
        }
        case QEvent::KeyRelease:
            handler("fgEditable_KeyUp", [&] { handleKeyRelease(static_cast<QKeyEvent*>(event)); });
            event->ignore();
            return true;
        case QEvent::InputMethod: {
            auto* im = static_cast<QInputMethodEvent*>(event);
            handler("fgEditable_KeyPress", [&] { handleCommit(im->commitString()); });
            im->accept();
            return true;
        }
        case QEvent::FocusIn:
            handler("fgEditable_GotFocus", [this] { focusIn(); });
            return false;
        case QEvent::FocusOut: {
            const auto reason = static_cast<QFocusEvent*>(event)->reason();
            // Another window taking the focus (a message box) is not a loss of focus.
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                handler("fgEditable_LostFocus", [this] { focusOut(); });
            return false;
        }
        default: break;
        }
    } else if (watched == view_->viewport()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseMove:
        case QEvent::MouseButtonDblClick: {
            bool handled = true;
            handler("fgEditable_Mouse", [&] { handled = handleMouse(static_cast<QMouseEvent*>(event)); });
            return handled;
        }
        default: break;
        }
    }
    return QWidget::eventFilter(watched, event);
}
