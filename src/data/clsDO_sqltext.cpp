#include "data/clsDO_sqltext.h"

#include "core/Error.h"
#include "core/ValueText.h"

#include <QDate>

namespace sqltext {

QString bracket(const QString& name)
{
    QString inner = name;
    inner.replace(QLatin1Char(']'), QStringLiteral("]]"));
    return QLatin1Char('[') + inner + QLatin1Char(']');
}

QString doubleQuotes(const QString& text)
{
    QString t = text;
    t.replace(QLatin1Char('\''), QStringLiteral("''"));
    return t;
}

std::int16_t tipoDato(int adoType)
{
    switch (adoType) {
    case 2:   // adSmallInt
    case 17:  // adUnsignedTinyInt
        return 2;
    case 3:   // adInteger
    case 20:  // adBigInt
        return 3;
    case 4: return 4;
    case 5:   // adDouble
    case 131: // adNumeric
        return 5;
    case 6: return 6;
    case 7:   // adDate
    case 135: // adDBTimeStamp
        return 7;
    case 129: case 130: case 200: case 201: case 202: case 203: return 8;
    case 11: return 11;
    case 128: return 12; // adBinary only; the variable binaries stay 0
    case 16: return 17;  // adTinyInt
    default: return 0;
    }
}

std::int16_t tipoDatoOracle(const QString& t)
{
    if (t == QLatin1String("LONG"))
        return 3;
    if (t == QLatin1String("NUMBER"))
        return 4;
    if (t == QLatin1String("FLOAT") || t == QLatin1String("BINARY_FLOAT") || t == QLatin1String("BINARY_DOUBLE"))
        return 5;
    if (t == QLatin1String("DATE") || t == QLatin1String("TIMESTAMP"))
        return 7;
    static const QStringList texts = {QStringLiteral("NVARCHAR2"), QStringLiteral("VARCHAR2"), QStringLiteral("XMLTYPE"),
                                      QStringLiteral("CHAR"),      QStringLiteral("NCHAR"),    QStringLiteral("CLOB"),
                                      QStringLiteral("NCLOB")};
    if (texts.contains(t))
        return 8;
    if (t == QLatin1String("BOOLEAN"))
        return 11;
    if (t == QLatin1String("RAW") || t == QLatin1String("LONG RAW") || t == QLatin1String("BLOB"))
        return 12;
    return 0;
}

QString formatTypeName(int fieldType)
{
    switch (fieldType) {
    case 11: return QStringLiteral("boolean");
    case 17:
    case 2:
    case 12: return QStringLiteral("integer");
    case 3: return QStringLiteral("long");
    case 8: return QStringLiteral("string");
    case 7: return QStringLiteral("date");
    case 6:
    case 5:
    case 4: return QStringLiteral("float");
    default: return QString();
    }
}

namespace {

QString dateLiteral(const Dialect& d, const QDateTime& date)
{
    // The separators are escaped: every dialect literal reads "/" whatever the desktop's date separator.
    return d.sInicioFecha + ValueText::format(Variant(date), QStringLiteral("dd\\/mm\\/yyyy")) + d.sFinalFecha;
}

// A number written by the locale may come in exponent form; SQL wants plain digits.
QString plainNumberText(double x)
{
    QString t = ValueText::toText(Variant(x));
    if (t.contains(QLatin1Char('e'), Qt::CaseInsensitive)) {
        t = QString::number(x, 'f', QLocale::FloatingPointShortest);
        t.replace(QLatin1Char('.'), ValueText::decimalSeparator());
    }
    return t;
}

// Adds one to the magnitude of a whole-number text ("-12" -> "-13", "9" -> "10").
QString incrementMagnitude(const QString& integerPart)
{
    QString sign;
    QString digits = integerPart;
    if (digits.startsWith(QLatin1Char('-'))) {
        sign = QStringLiteral("-");
        digits.remove(0, 1);
    }
    if (digits.isEmpty())
        digits = QStringLiteral("0");
    int i = int(digits.size()) - 1;
    for (; i >= 0; --i) {
        if (digits[i] == QLatin1Char('9')) {
            digits[i] = QLatin1Char('0');
        } else {
            digits[i] = QChar(digits[i].unicode() + 1);
            break;
        }
    }
    if (i < 0)
        digits.prepend(QLatin1Char('1'));
    return sign + digits;
}

// Two decimals, rounded half away from zero on the written digits, carrying into
// the whole part (12.999 gives 13.00, not 12.00).
QString currency2dec(const Variant& value)
{
    const QString t = plainNumberText(value.toDouble());
    int p = -1;
    for (int i = 0; i < t.size(); ++i) {
        if (t[i] == QLatin1Char('.') || t[i] == QLatin1Char(',')) {
            p = i;
            break;
        }
    }
    if (p < 0)
        return t + QStringLiteral(".00");
    QString whole = t.left(p);
    QString f = t.mid(p + 1);
    if (f.size() <= 2)
        return whole + QLatin1Char('.') + f.leftJustified(2, QLatin1Char('0'));
    int two = f.left(2).toInt();
    if (f[2] >= QLatin1Char('5'))
        ++two;
    if (two == 100) {
        two = 0;
        whole = incrementMagnitude(whole);
    }
    return whole + QLatin1Char('.') + QStringLiteral("%1").arg(two, 2, 10, QLatin1Char('0'));
}

QString decimalNumber(const Variant& value)
{
    const QChar d = ValueText::decimalSeparator();
    const QChar g = d != QLatin1Char(',') ? QLatin1Char(',') : QLatin1Char('.');
    QString t = ValueText::toText(value);
    t.remove(g);
    t = plainNumberText(Variant(t).toDouble());
    const int p = int(t.indexOf(d));
    if (p < 0)
        return t + QStringLiteral(".00");
    QString after = t.mid(p + 1);
    if (after.size() == 1)
        after += QLatin1Char('0');
    return t.left(p) + QLatin1Char('.') + after;
}

bool blankValue(const Variant& v)
{
    return v.isNull() || v.isEmpty() || (v.isString() && v.toString().isEmpty());
}

} // namespace

Variant sqlFormat(const Dialect& dialect, const QString& typeWord, const Variant& value)
{
    const QString w = typeWord.toLower();
    if (w == QLatin1String("string") || w == QLatin1String("varchar"))
        return QLatin1Char('\'') + doubleQuotes(ValueText::toText(value)) + QLatin1Char('\'');
    if (w == QLatin1String("boolean"))
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    if (w == QLatin1String("date")) {
        if (blankValue(value))
            return dialect.sInicioFecha + dialect.sFinalFecha;
        return dateLiteral(dialect, value.toDate());
    }
    if (w == QLatin1String("currency2dec"))
        return currency2dec(value);
    if (w == QLatin1String("currency") || w == QLatin1String("double") || w == QLatin1String("single") ||
        w == QLatin1String("float"))
        return decimalNumber(value);
    if (w == QLatin1String("long") || w == QLatin1String("int"))
        return Variant(value.toLong());
    if (w == QLatin1String("integer") || w == QLatin1String("byte"))
        return Variant(value.toInt());
    if (w == QLatin1String("timestamp"))
        return QStringLiteral("NULL");
    return value;
}

QString dateTimeLiteral(int dialectKind, const QDateTime& value)
{
    const Variant v(value);
    switch (dialectKind) {
    case 1:
        return QLatin1Char('#') + ValueText::format(v, QStringLiteral("mm\\/dd\\/yyyy hh\\:nn\\:ss")) + QLatin1Char('#');
    case 2:
        return QStringLiteral("TO_DATE('") + ValueText::format(v, QStringLiteral("dd\\/mm\\/yyyy hh\\:nn\\:ss")) +
               QStringLiteral("', 'DD/MM/YYYY HH24:MI:SS')");
    default:
        return QStringLiteral("CONVERT(datetime,'") + ValueText::format(v, QStringLiteral("dd\\/mm\\/yyyy hh\\:nn\\:ss")) +
               QStringLiteral("',103)");
    }
}

bool emptyLiteral(const Dialect& dialect, const QString& typeWord, Variant& literal)
{
    const QString w = typeWord.toLower();
    if (w == QLatin1String("string") || w == QLatin1String("varchar"))
        literal = QStringLiteral("''");
    else if (w == QLatin1String("boolean"))
        literal = QStringLiteral("0");
    else if (w == QLatin1String("date"))
        literal = dateLiteral(dialect, QDateTime(QDate::currentDate(), QTime(0, 0), Qt::UTC));
    else if (w == QLatin1String("long") || w == QLatin1String("int"))
        literal = Variant(std::int32_t(0));
    else if (w == QLatin1String("integer") || w == QLatin1String("byte"))
        literal = Variant(std::int16_t(0));
    else if (w == QLatin1String("currency") || w == QLatin1String("double") || w == QLatin1String("single") ||
             w == QLatin1String("float") || w == QLatin1String("currency2dec"))
        literal = QStringLiteral("0.00");
    else
        return false;
    return true;
}

QString sqlIsNull(const Dialect& dialect, const Variant& expressions, const QString& defaultLiteral)
{
    // Without a type there is no default to fall back on; NULL keeps the
    // expression valid and leaves the value as it was.
    const QString d = defaultLiteral.isEmpty() ? QStringLiteral("NULL") : defaultLiteral;
    QStringList items;
    if (expressions.isArray()) {
        const VArrayPtr a = expressions.array();
        if (a->allocated())
            for (int i = a->lbound(); i <= a->ubound(); ++i)
                items << ValueText::toText(a->at(i));
    } else {
        items << ValueText::toText(expressions);
    }
    switch (dialect.kind) {
    case 0:
        if (!expressions.isArray())
            return QStringLiteral("ISNULL(") + items.first() + QStringLiteral(", ") + d + QLatin1Char(')');
        [[fallthrough]];
    case 2:
        return QStringLiteral("COALESCE(") + items.join(QStringLiteral(", ")) + (items.isEmpty() ? QString() : QStringLiteral(", ")) + d +
               QLatin1Char(')');
    case 1: {
        QString text = d;
        for (int i = int(items.size()) - 1; i >= 0; --i)
            text = QStringLiteral("IIF(") + items[i] + QStringLiteral(" IS NOT NULL, ") + items[i] + QStringLiteral(", ") +
                   text + QLatin1Char(')');
        return text;
    }
    default: return QString();
    }
}

QString sqlCondition(int dialectKind, const QString& condition, const QString& caseTrue, const QString& caseFalse,
                     const QString& name)
{
    QString text;
    if (dialectKind == 0 || dialectKind == 2)
        text = QStringLiteral("CASE WHEN ") + condition + QStringLiteral(" THEN ") + caseTrue + QStringLiteral(" ELSE ") +
               caseFalse + QStringLiteral(" END ");
    else if (dialectKind == 1)
        text = QStringLiteral("IIF(") + condition + QStringLiteral(", ") + caseTrue + QStringLiteral(", ") + caseFalse +
               QLatin1Char(')');
    else
        return QString();
    if (!name.isEmpty())
        text += QStringLiteral(" AS ") + name;
    return text;
}

QString formatoFechaSelect(const Dialect& dialect, const QString& field, const QString& alias)
{
    QString text = dialect.sInicioFecha + field + dialect.sFinalFecha;
    if (!alias.isEmpty())
        text += QStringLiteral(" AS ") + alias;
    return text;
}

namespace {

QString zeros(int n) { return n > 0 ? QString(n, QLatin1Char('0')) : QString(); }

// A number of decimals no engine shows more of (the widest decimal holds 28);
// an absurd count is refused before it becomes a pattern of that many zeros.
int decimalsOf(const Variant& decimals)
{
    const double n = decimals.toDouble();
    if (!(n <= 28.0))
        raise(Error::InvalidProcedureCall, QStringLiteral("Argumento o llamada a procedimiento no válida"));
    return n < 0 ? 0 : decimals.toLong();
}

QString accessMoney(const QString& x, const Variant& decimalsOrPattern, const QString& alias, bool pad)
{
    QString e;
    if (decimalsOrPattern.isNumeric()) {
        const int n = decimalsOf(decimalsOrPattern);
        e = QStringLiteral("FORMAT(") + x + QStringLiteral(",'###,###,##0") + (n > 0 ? QLatin1Char('.') + zeros(n) : QString()) +
            QStringLiteral("')");
    } else {
        const QString p = ValueText::toText(decimalsOrPattern);
        if (p.contains(QLatin1String("##")))
            e = QStringLiteral("FORMAT(") + x + QStringLiteral(",'") + p + QStringLiteral("')");
        else
            e = QStringLiteral("LEFT(FORMAT(") + x + QStringLiteral(",'###,###,##0.00000000'),LEN(FORMAT(") + x +
                QStringLiteral(",'###,###,##0.00000000'))-9) & LEFT(RIGHT(FORMAT(") + x +
                QStringLiteral(", '0.00000000'),9),") + p + QStringLiteral(" + IIF(") + p + QStringLiteral(" > 0,1,0))");
    }
    if (pad)
        e = QStringLiteral("IIF(LEN(") + e + QStringLiteral(") < 15, LEFT('") + QString(20, QLatin1Char(' ')) +
            QStringLiteral("', 15 - LEN(") + e + QStringLiteral(")) & ") + e + QLatin1Char(',') + e + QLatin1Char(')');
    return e + QStringLiteral(" AS ") + alias;
}

QString oracleMoney(const QString& x, Variant& decimalsOrPattern, const QString& alias, bool pad)
{
    const bool numeric = decimalsOrPattern.isNumeric();
    QString e;
    if (numeric) {
        const int n = decimalsOf(decimalsOrPattern);
        e = QStringLiteral("TO_CHAR(") + x + QStringLiteral(",'999,999,990") + (n > 0 ? QLatin1Char('.') + zeros(n) : QString()) +
            QStringLiteral("')");
    } else {
        const QString original = ValueText::toText(decimalsOrPattern);
        QString p = original;
        p.replace(QLatin1Char('#'), QLatin1Char('9'));
        decimalsOrPattern = p;
        if (original.contains(QLatin1String("##"))) {
            e = QStringLiteral("TO_CHAR(") + x + QStringLiteral(",'") + p + QStringLiteral("')");
        } else {
            // Grouped whole part, then the separator and p decimals cut from an
            // eight-decimal rendering, as the Access form does.
            const QString f = QStringLiteral("TO_CHAR(") + x + QStringLiteral(",'FM999,999,999,990.00000000')");
            e = QStringLiteral("SUBSTR(") + f + QStringLiteral(", 1, LENGTH(") + f + QStringLiteral(") - 9) || SUBSTR(") + f +
                QStringLiteral(", -9, ") + p + QStringLiteral(" + CASE WHEN ") + p + QStringLiteral(" > 0 THEN 1 ELSE 0 END)");
        }
    }
    if (pad)
        e = QStringLiteral("CASE WHEN LENGTH(") + e + QStringLiteral(") < 15 THEN LPAD(") + e + QStringLiteral(", 15) ELSE ") + e +
            QStringLiteral(" END");
    return e + QStringLiteral(" AS ") + alias;
}

QString sqlServerMoney(const Dialect& dialect, const QString& x, const Variant& decimalsOrPattern, const QString& alias)
{
    const QString sample = ValueText::format(Variant(1000.1), QStringLiteral("#,##0.00"));
    const QString g = sample.mid(1, 1);
    const QString s = sample.mid(5, 1);
    const QString u = dialect.sUnion;
    if (!decimalsOrPattern.isNumeric()) {
        const QString pattern = ValueText::toText(decimalsOrPattern);
        if (pattern.contains(QLatin1String("##"))) {
            const int dot = int(pattern.indexOf(QLatin1Char('.')));
            const std::int32_t n = dot < 0 ? 0 : std::int32_t(pattern.size() - dot - 1);
            return sqlServerMoney(dialect, x, Variant(n), alias);
        }
        raise(Error::TypeMismatch, QStringLiteral("No coinciden los tipos"));
    }
    const QString asAlias = alias.isEmpty() ? QString() : QStringLiteral("AS ") + alias;
    if (decimalsOrPattern.toDouble() == 2.0) {
        const QString money = QStringLiteral("CAST(CONVERT(varchar, CAST(") + x + QStringLiteral(" AS money), 1) AS varchar)");
        if (g != QLatin1String(","))
            return QStringLiteral(" REPLACE(REPLACE(REPLACE(") + money + QStringLiteral(", '.', '@'), ',', '.'), '@', ',') ") +
                   asAlias;
        return QLatin1Char(' ') + money + QLatin1Char(' ') + asAlias;
    }
    const QString d = ValueText::toText(decimalsOrPattern);
    const QString r = QStringLiteral("ROUND(") + x + QStringLiteral(", ") + d + QLatin1Char(')');
    QString e = QStringLiteral(" (CASE ISNULL(") + r + QStringLiteral(", 0) WHEN 0 THEN '0' ") + u + QStringLiteral(" CASE ") + d +
                QStringLiteral(" WHEN 0 THEN '' ELSE '") + s + QStringLiteral("' ") + u + QStringLiteral(" RIGHT('0000000000',") + d +
                QStringLiteral(") END ELSE (CASE WHEN ") + r + QStringLiteral(" < 0 THEN '-' ELSE '' END ") + u + QLatin1Char(' ');
    struct Group {
        const char* k;
        const char* divisor;
        const char* width;
    };
    static const Group groups[] = {{"12", "1000000000000", "20"}, {"9", "1000000000", "3"}, {"6", "1000000", "3"}, {"3", "1000", "3"}};
    for (const Group& grp : groups)
        e += QStringLiteral("CASE WHEN LEN(LTRIM(STR(FLOOR(ABS(") + r + QStringLiteral("))))) > ") + QLatin1String(grp.k) +
             QStringLiteral("  THEN RIGHT(LTRIM(STR(FLOOR(ABS(") + r + QStringLiteral(") / (") + QLatin1String(grp.divisor) +
             QStringLiteral(")), 20, 0)),") + QLatin1String(grp.width) + QStringLiteral(") ") + u + QStringLiteral(" '") + g +
             QStringLiteral("' ELSE '' END ") + u + QLatin1Char(' ');
    e += QStringLiteral("RIGHT(LTRIM(STR(FLOOR(ABS(") + r + QStringLiteral(")), 20, 0)),3) ") + u + QLatin1Char(' ');
    e += QStringLiteral("CASE ") + d + QStringLiteral(" WHEN 0 THEN '' ELSE '") + s + QStringLiteral("' ") + u +
         QStringLiteral(" RIGHT(STR(") + r + QStringLiteral(",20,") + d + QStringLiteral("),") + d + QStringLiteral(") END) END) ");
    return e + asAlias;
}

} // namespace

QString formatoMonedaSelect(const Dialect& dialect, const QString& field, Variant& decimalsOrPattern, const QString& alias,
                            bool padToOrder)
{
    switch (dialect.kind) {
    case 1: return accessMoney(field, decimalsOrPattern, alias, padToOrder);
    case 2: return oracleMoney(field, decimalsOrPattern, alias, padToOrder);
    case 0: return sqlServerMoney(dialect, field, decimalsOrPattern, alias);
    default: return QString();
    }
}

QString columnDefinition(int connectionType, const QString& name, int fieldType, std::int32_t length, bool fixed,
                         bool autoIncrease, bool allowNull)
{
    const QString head = bracket(name) + QLatin1Char(' ');
    if (connectionType < 0 || connectionType > 2)
        return head;
    const int c = connectionType;
    auto pick = [c](const char* sqlServer, const char* mdb, const char* accdb) {
        return QLatin1String(c == 0 ? sqlServer : c == 1 ? mdb : accdb);
    };
    QString type;
    bool nullable = true; // whether NOT NULL may follow
    switch (fieldType) {
    case 11:
        type = pick("BIT", "LOGICAL", "BOOLEAN");
        nullable = false;
        break;
    case 2: type = pick("SMALLINT", "SMALLINT", "INTEGER"); break;
    case 17: type = pick("TINYINT", "BYTE", "BYTE"); break;
    case 3:
        if (autoIncrease) {
            type = pick("INT IDENTITY(1,1)", "COUNTER", "COUNTER");
            nullable = false;
        } else {
            type = pick("INT", "LONG", "LONG");
        }
        break;
    case 8: {
        const int limit = c == 0 ? 4000 : 255;
        const QString n = QString::number(length);
        if (length > limit)
            type = pick("NVARCHAR(MAX)", "MEMO", "LONGTEXT");
        else if (fixed)
            type = QStringLiteral("CHAR(") + n + QLatin1Char(')');
        else
            type = (c == 0 ? QStringLiteral("NVARCHAR(") : QStringLiteral("TEXT(")) + n + QLatin1Char(')');
        break;
    }
    case 6: type = pick("MONEY", "CURRENCY", "CURRENCY"); break;
    case 7: type = QStringLiteral("DATETIME"); break;
    case 5: type = pick("FLOAT", "DOUBLE", "DOUBLE"); break;
    case 4: type = pick("REAL", "SINGLE", "SINGLE"); break;
    case 12: type = pick("SQL_VARIANT", "OLEOBJECT", "OLEOBJECT"); break;
    default: return head;
    }
    QString text = head + type;
    if (nullable && !allowNull)
        text += QStringLiteral(" NOT NULL");
    return text;
}

} // namespace sqltext
