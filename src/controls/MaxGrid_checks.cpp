// Column types, cell checks and locked columns.
#include "MaxGrid.h"

#include "MaxGridView.h"
#include "core/Dialogs.h"
#include "core/ValueText.h"

#include <QTimer>
#include <cmath>

namespace {

struct Separators {
    QChar decimal;
    QChar thousands;
};

// Worked out at each check from the user's locale.
Separators separators()
{
    const QString half = ValueText::format(Variant(0.5), QStringLiteral("0.0"));
    const QChar decimal = half.size() > 1 ? half.at(1) : QChar(u'.');
    return {decimal, decimal == u',' ? QChar(u'.') : QChar(u',')};
}

// Groups between thousands separators: the first at most 3 characters (a
// sign counts), every later one exactly 3, all of them numbers.
bool thousandsCheck(const QString& text, const Separators& s)
{
    const QStringList groups = text.split(s.thousands);
    for (qsizetype i = 0; i < groups.size(); ++i) {
        const QString& g = groups[i];
        if ((i == 0 && g.size() > 3) || (i > 0 && g.size() != 3) || !ValueText::isNumeric(g))
            return false;
    }
    return true;
}

// Steps shared by both number rules once the text holds no decimal separator.
bool wholeNumberTail(const QString& text, const Separators& s)
{
    if (ValueText::format(Variant(text), QStringLiteral("###,###,##0")) == text)
        return true;
    if (!text.contains(s.thousands))
        return true; // leading zeros and ungrouped digits
    return thousandsCheck(text, s);
}

bool wholeNumberRule(const QString& text, const Separators& s)
{
    if (!ValueText::isNumeric(text) || text.contains(s.decimal))
        return false;
    return wholeNumberTail(text, s);
}

bool numberRule(const QString& text, const Separators& s)
{
    if (!ValueText::isNumeric(text))
        return false;
    if (!text.contains(s.decimal))
        return wholeNumberTail(text, s);
    if (ValueText::format(Variant(text), QStringLiteral("###,###,##0.0###")) == text)
        return true;
    const QStringList parts = text.split(s.decimal);
    const QString integerPart = parts.value(0), fraction = parts.value(1);
    if (fraction.contains(s.thousands))
        return false;
    if (integerPart.contains(s.thousands))
        return thousandsCheck(integerPart, s);
    return ValueText::isNumeric(integerPart);
}

// Exactly "S", "N" and the texts a boolean value reads as when loaded.
bool yesNoRule(const QString& text)
{
    return text == u"S" || text == u"N" || text == ValueText::booleanText(true) ||
           text == ValueText::booleanText(false);
}

enum class Kind { None, Whole, Number, Date, YesNo };

Kind kindOf(const QString& typeWord)
{
    const QString w = typeWord.toUpper();
    if (w == u"INTEGER" || w == u"LONG")
        return Kind::Whole;
    if (w == u"DOUBLE" || w == u"CURRENCY" || w == u"SINGLE")
        return Kind::Number;
    if (w == u"DATE")
        return Kind::Date;
    if (w == u"YESNO")
        return Kind::YesNo;
    return Kind::None; // "STRING" and every other word
}

bool passes(Kind kind, const QString& text, const Separators& s)
{
    switch (kind) {
    case Kind::Whole: return wholeNumberRule(text, s);
    case Kind::Number: return numberRule(text, s);
    case Kind::Date: return ValueText::isDate(text);
    case Kind::YesNo: return yesNoRule(text);
    case Kind::None: return true;
    }
    return true;
}

QString kindPart(Kind kind)
{
    switch (kind) {
    case Kind::Whole: return QStringLiteral("entero");
    case Kind::Number: return QStringLiteral("numérico");
    case Kind::Date: return QStringLiteral("fecha");
    case Kind::YesNo: return QStringLiteral("booleano (S o N)");
    case Kind::None: break;
    }
    return QString();
}

// A value inside a BraceBlock must not close it early.
QString blockSafe(QString value) { return value.replace(u'{', u'(').replace(u'}', u')'); }

} // namespace

void MaxGrid::setTypesString(const QString& types)
{
    typesString_ = types;
    typeWords_ = types.split(u'|');
    typeWordsAssigned_ = true;
}

void MaxGrid::CheckCellType(int lRow, int lCol, bool bMultiMessage)
{
    const Separators seps = separators();
    QString message;
    if (lRow >= fixedRows_) {
        const QString text = TextMatrix(lRow, lCol);
        if (!text.isEmpty() && typeWordsAssigned_ && lCol >= 0 && lCol < typeWords_.size()) {
            const Kind kind = kindOf(typeWords_[lCol]);
            if (!passes(kind, text, seps)) {
                const QString column = fixedRows_ == 1 ? TextMatrix(0, lCol) : QString::number(lCol);
                message = QStringLiteral("El valor '{1") + blockSafe(text) +
                          QStringLiteral("}' no corresponde al tipo de dato ") + kindPart(kind) +
                          QStringLiteral(" establecido para la columna '{2") + blockSafe(column) +
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
