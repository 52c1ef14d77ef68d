// Column types, cell checks and locked columns.
#include "MaxGrid.h"

#include "MaxGridView.h"
#include "controls/TypeWordChecks.h"
#include "core/Dialogs.h"
#include "core/ValueText.h"

#include <QTimer>
#include <cmath>

namespace {

using typewords::Kind;
using typewords::Separators;

// The grid also takes the texts a boolean value reads as when loaded.
bool cellPasses(Kind kind, const QString& text, const Separators& s)
{
    if (kind == Kind::YesNo)
        return typewords::passes(kind, text, s) || text == ValueText::booleanText(true) ||
               text == ValueText::booleanText(false);
    return typewords::passes(kind, text, s);
}

} // namespace

void MaxGrid::setTypesString(const QString& types)
{
    typesString_ = types;
    typeWords_ = types.split(u'|');
    typeWordsAssigned_ = true;
}

void MaxGrid::CheckCellType(int lRow, int lCol, bool bMultiMessage)
{
    const Separators seps = typewords::separators();
    QString message;
    if (lRow >= fixedRows_) {
        const QString text = TextMatrix(lRow, lCol);
        if (!text.isEmpty() && typeWordsAssigned_ && lCol >= 0 && lCol < typeWords_.size()) {
            const Kind kind = typewords::kindOf(typeWords_[lCol]);
            if (!cellPasses(kind, text, seps)) {
                const QString column = fixedRows_ == 1 ? TextMatrix(0, lCol) : QString::number(lCol);
                message = QStringLiteral("El valor '{1") + typewords::blockSafe(text) +
                          QStringLiteral("}' no corresponde al tipo de dato ") + typewords::kindWord(kind) +
                          QStringLiteral(" establecido para la columna '{2") + typewords::blockSafe(column) +
                          QStringLiteral("}' fila '{3") + QString::number(lRow) + QStringLiteral("}'");
            }
        }
    }

    if (!message.isEmpty()) {
        if (bMultiMessage)
            addPendingMessage(message);
        else
            showMessage(message, 16, QStringLiteral("Aviso"));
        // Only the tracked cell has an entry text to go back to; another
        // failing cell keeps its text and stands in the message.
        if (lRow == lastRowChanged_ && lCol == lastColChanged_)
            model_->setText(lRow, lCol, lastValue_);
        returnRow_ = lRow;
        returnCol_ = lCol;
        setRedraw(false);
        tmrSetLastCell_->start();
        return;
    }

    if (!loading_ && lRow >= fixedRows_ && lRow == lastRowChanged_ && lCol == lastColChanged_ &&
        TextMatrix(lRow, lCol) != lastValue_)
        emit CellChanged();
}

void MaxGrid::showMessage(const QString& text, int style, const QString& title)
{
    if (msgObject_) {
        QString body = text, head = title;
        msgObject_->MsgBox(body, style, head);
    } else {
        SystemMsgBox(text, style, title);
    }
}

void MaxGrid::addPendingMessage(const QString& text)
{
    const QString part = msgObject_ ? msgObject_->Translate(text, true, QStringLiteral("MaxGrid")) : text;
    pendingMessages_ = pendingMessages_.isEmpty() ? part : pendingMessages_ + QStringLiteral("\r\n") + part;
}

void MaxGrid::showPendingMessage(int style, const QString& title, const QString& subTitle)
{
    if (msgObject_) {
        QString body = QStringLiteral("{1") + pendingMessages_ + QStringLiteral("}"), head = title, sub = subTitle;
        msgObject_->MsgBox(body, style, head, sub);
    } else {
        SystemMsgBox(pendingMessages_, style, title);
    }
    pendingMessages_.clear();
}

void MaxGrid::ValidateAll()
{
    pendingMessages_.clear();
    {
        const controls::RedrawGuard redraw(*this);
        for (int row = fixedRows_; row < Rows(); ++row)
            for (int col = fixedCols_; col < Cols(); ++col)
                CheckCellType(row, col, true);
    }
    if (!pendingMessages_.isEmpty())
        showPendingMessage(16, QStringLiteral("Aviso"), QString());
}

QString MaxGrid::LockedColumns() const
{
    QStringList numbers;
    for (int c : lockedColumnSet_)
        numbers << QString::number(c);
    return numbers.join(u',');
}

void MaxGrid::setLockedColumns(const QString& list)
{
    // Read the whole list first, so that a refused one leaves nothing half done.
    QList<int> locked;
    bool refused = false;
    auto take = [&](const QString& element) {
        const auto n = ValueText::parseNumber(element);
        if (!n || *n < 0 || *n >= Cols() || *n != std::floor(*n)) {
            refused = true;
            return;
        }
        if (!locked.contains(int(*n)))
            locked << int(*n); // a repeat is ignored
    };
    if (list.contains(u',')) {
        QString cleaned = list;
        cleaned.remove(u' ').remove(QStringLiteral("\r\n")).remove(u'\t');
        for (const QString& element : cleaned.split(u',')) {
            if (!ValueText::isNumeric(element)) {
                locked.clear(); // a list with a non-number locks nothing
                break;
            }
            take(element);
        }
    } else if (!list.isEmpty() && ValueText::isNumeric(list)) {
        take(list);
    }
    if (refused)
        locked.clear();

    // Drawing is off while the header is repainted and then back as it was:
    // a host that switched it off for a whole load keeps it off.
    const bool drawing = redraw_;
    const controls::RedrawGuard redraw([this, drawing](bool on) { setRedraw(on && drawing); });
    lockedColumnSet_ = locked;
    paintHeaderCell(backColorFixed_, 0, Cols() - 1);
    for (int c : locked)
        paintHeaderCell(LockedHeaderColor, c, -1);
    if (refused)
        ::raise(381, QStringLiteral("Índice de matriz de propiedades no válido"), QStringLiteral("MaxGrid"));
}

// Colours the header cells (row 0 of a grid with exactly one fixed row) of
// the columns first to last (-1: first alone). The current cell ends on row 0
// in the last painted column; the host sets the cell it wants afterwards.
void MaxGrid::paintHeaderCell(std::uint32_t color, int first, int last)
{
    if (fixedRows_ != 1 || Cols() == 0)
        return;
    if (last == -1)
        last = first;
    model_->setBack(0, first, 0, last, color);
    setRow(0);
    setCol(last);
}
