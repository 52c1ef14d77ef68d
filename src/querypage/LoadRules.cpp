#include "querypage/LoadRules.h"

#include "core/ValueText.h"
#include "data/SqlScan.h"
#include "data/clsDO_sqltext.h"

#include <cfenv>
#include <cmath>

namespace loadrules {

namespace {

// The dotted parts of the name that opens the table part; brackets read whole.
QStringList nameParts(const QString& tablePart)
{
    QStringList parts;
    qsizetype i = 0;
    const qsizetype n = tablePart.size();
    while (i < n) {
        qsizetype end;
        if (tablePart[i] == u'[')
            end = sqltext::quotedEnd(tablePart, i, u']');
        else if (tablePart[i] == u'"')
            end = sqltext::quotedEnd(tablePart, i, u'"');
        else {
            end = i;
            while (end < n && tablePart[end] != u'.' && !tablePart[end].isSpace())
                ++end;
        }
        parts << tablePart.mid(i, end - i);
        i = end;
        if (i < n && tablePart[i] == u'.')
            ++i;
        else
            break;
    }
    return parts;
}

QString withoutBrackets(QString s)
{
    s.remove(u'[').remove(u']');
    return s.trimmed();
}

QString withoutDistinct(QString s)
{
    for (const char* word : {"Distinct", "distinct", "DISTINCT"})
        s.remove(QLatin1String(word));
    return s;
}

} // namespace

TableTest singleTableTest(const QString& statement)
{
    TableTest t;
    const QString upper = statement.toUpper();
    if (upper.contains(QLatin1String(" JOIN ")) || upper.contains(QLatin1String(" UNION ")) ||
        upper.count(QLatin1String(" FROM")) >= 2)
        return t;
    const qsizetype from = upper.indexOf(QLatin1String(" FROM "));
    if (from < 0)
        return t;
    const qsizetype start = from + 6;
    const qsizetype where = upper.indexOf(QLatin1String("WHERE"), start);
    t.tablePart = statement.mid(start, where < 0 ? -1 : where - start).trimmed();
    if (t.tablePart.isEmpty() || t.tablePart.contains(u','))
        return t;
    const QStringList parts = nameParts(t.tablePart);
    if (parts.isEmpty() || parts.first().isEmpty())
        return t;
    if (parts.size() == 1) {
        t.tableName = parts.first();
    } else {
        QStringList bracketed;
        for (const QString& p : parts)
            bracketed << (p.startsWith(u'[') ? p : sqltext::bracket(p));
        t.tableName = bracketed.join(u'.');
    }
    t.single = true;
    return t;
}

bool selectListIsWhole(const QStringList& items, const QString& tableName)
{
    if (items.size() != 1)
        return false;
    const QString item = withoutBrackets(items.first());
    return item == QLatin1String("*") ||
           item.compare(withoutBrackets(tableName) + QLatin1String(".*"), Qt::CaseInsensitive) == 0;
}

QString headerStatement(const QString& statement, int driver)
{
    const QString upper = statement.toUpper();
    const bool select = upper.startsWith(QLatin1String("SELECT "));
    if (upper.contains(QLatin1String("SELECT TOP "))) {
        QString digits;
        for (qsizetype i = 11; i < statement.size() && statement[i].isDigit(); ++i)
            digits += statement[i];
        if (!select || digits.isEmpty())
            return statement;
        return withoutDistinct(statement).replace(QLatin1String("SELECT TOP ") + digits,
                                                  QLatin1String("SELECT TOP 1"), Qt::CaseInsensitive);
    }
    if (!select)
        return statement;
    if (driver != 2)
        return QLatin1String("SELECT TOP 1") + withoutDistinct(statement.mid(6));
    const std::pair<const char*, const char*> clauses[] = {{" WHERE ", " WHERE 1 = 2 AND "},
                                                           {" GROUP BY ", " WHERE 1 = 2 GROUP BY "},
                                                           {" ORDER BY ", " WHERE 1 = 2 ORDER BY "}};
    for (const auto& [clause, replacement] : clauses) {
        const QLatin1String c(clause);
        const qsizetype p = upper.indexOf(c);
        if (p >= 0)
            return statement.left(p + 1) + QLatin1String(replacement) + statement.mid(p + c.size());
    }
    return statement + QLatin1String(" WHERE 1 = 2");
}

QString qualifier(const QString& tablePart)
{
    QString q = tablePart.trimmed();
    q.replace(QLatin1String(" ,"), QLatin1String(",")).replace(QLatin1String(", "), QLatin1String(","));
    return q.section(u',', 0, 0);
}

int columnWidth(int fieldTypeCode, qint64 size, const QString& header,
                const std::function<double(const QString&)>& measure)
{
    const double headerWidth = measure(header) + 100;
    double width;
    if (fieldTypeCode == 8)
        width = std::min(measure(QString(qsizetype(std::min<qint64>(std::max<qint64>(size, 0), 2000)), u'x')), 2500.0);
    else if (fieldTypeCode == 7)
        width = 1000;
    else
        width = headerWidth;
    return int(std::lround(std::max(width, headerWidth)));
}

int pageRows(double gridHeightTwips)
{
    const double rows = std::nearbyint(gridHeightTwips / 240.0 - 1.0); // halves to even
    return std::max(1, int(rows));
}

namespace {
constexpr qint64 PagingCellLimit = 330000;
qint64 cellLimit = PagingCellLimit;
} // namespace

bool isPaged(qint64 records, int columns) { return (records + 1) * qint64(columns) > cellLimit; }

void setPagingCellLimit(qint64 cells) { cellLimit = cells > 0 ? cells : PagingCellLimit; }

QString statusLine(const QString& loadTime, qint64 count, int columns)
{
    return QStringLiteral("Tiempo Total de Carga: {1") + loadTime + QStringLiteral("}     Nº Registros: {2") +
           ValueText::format(Variant(std::int64_t(count)), QStringLiteral("###,###,##0")) +
           QStringLiteral("}     Columnas: {3") + QString::number(columns) + QStringLiteral("}");
}

QString loadTime(qint64 milliseconds)
{
    const qint64 seconds = (milliseconds / 1000) % 86400;
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

} // namespace loadrules
