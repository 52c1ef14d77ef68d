// Placeholder so the tree links; the full value/text rules replace it.
#include "ValueText.h"

#include "Error.h"

namespace ValueText {
namespace {
QLocale& current()
{
    static QLocale l = QLocale::system();
    return l;
}
} // namespace

void setLocale(const QLocale& locale) { current() = locale; }
QLocale locale() { return current(); }
QChar decimalSeparator() { return current().decimalPoint().at(0); }
QChar groupSeparator() { return current().groupSeparator().at(0); }
QString booleanText(bool b) { return b ? QStringLiteral("Verdadero") : QStringLiteral("Falso"); }

QString toText(const Variant& v)
{
    switch (v.type()) {
    case VarType::Empty: return QString();
    case VarType::Null: raise(Error::InvalidUseOfNull, QStringLiteral("Uso no válido de Null"));
    case VarType::Boolean: return booleanText(v.toBool());
    case VarType::String: return v.toString();
    case VarType::Date: return v.toDate().toString(QStringLiteral("dd/MM/yyyy hh:mm:ss"));
    case VarType::Byte:
    case VarType::Integer:
    case VarType::Long:
    case VarType::LongLong: return QString::number(v.toLongLong());
    default: return current().toString(v.toDouble(), 'g', 15);
    }
}

QString displayText(const Variant& v) { return v.isNull() ? QString() : toText(v); }
bool isNumeric(const QString& text) { return parseNumber(text).has_value(); }
bool isDate(const QString& text) { return parseDate(text).has_value(); }
std::optional<double> parseNumber(const QString& text)
{
    bool ok = false;
    double d = current().toDouble(text.trimmed(), &ok);
    if (ok)
        return d;
    return std::nullopt;
}
std::optional<QDateTime> parseDate(const QString& text)
{
    QDateTime d = QDateTime::fromString(text.trimmed(), QStringLiteral("dd/MM/yyyy"));
    if (d.isValid())
        return QDateTime(d.date(), d.time(), Qt::UTC);
    return std::nullopt;
}
QString format(const Variant& value, const QString&) { return displayText(value); }
double roundHalfEven(double value, int) { return value; }
double roundHalfAway(double value, int) { return value; }
} // namespace ValueText
