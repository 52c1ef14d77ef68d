#include "controls/TypeWordChecks.h"

#include "core/ValueText.h"

#include <QStringList>

namespace typewords {

namespace {

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

} // namespace

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

Separators separators()
{
    const QString half = ValueText::format(Variant(0.5), QStringLiteral("0.0"));
    const QChar decimal = half.size() > 1 ? half.at(1) : QChar(u'.');
    return {decimal, decimal == u',' ? QChar(u'.') : QChar(u',')};
}

bool passes(Kind kind, const QString& text, const Separators& s)
{
    switch (kind) {
    case Kind::Whole: return wholeNumberRule(text, s);
    case Kind::Number: return numberRule(text, s);
    case Kind::Date: return ValueText::isDate(text);
    case Kind::YesNo: return text == u"S" || text == u"N";
    case Kind::None: return true;
    }
    return true;
}

bool passes(Kind kind, const QString& text) { return passes(kind, text, separators()); }

QString kindWord(Kind kind)
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

QString blockSafe(QString value) { return value.replace(u'{', u'(').replace(u'}', u')'); }

} // namespace typewords
