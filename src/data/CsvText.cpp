#include "data/CsvText.h"

#include "platform/db/ResultSet.h"

namespace csvtext {

bool needsQuotes(QStringView field, QStringView separator)
{
    for (const QChar c : field)
        if (c == u'"' || c == u'\r' || c == u'\n')
            return true;
    return !separator.isEmpty() && field.contains(separator);
}

void quoteTail(QString& out, qsizetype from, QStringView separator)
{
    if (!needsQuotes(QStringView(out).mid(from), separator))
        return;
    QString inner = out.mid(from);
    inner.replace(u'"', QStringLiteral("\"\""));
    out.truncate(from);
    out += u'"';
    out += inner;
    out += u'"';
}

void appendField(QString& out, QStringView field, QStringView separator)
{
    const qsizetype from = out.size();
    out += field;
    quoteTail(out, from, separator);
}

void appendRows(QString& out, const db::ResultSet& result, qint64 first, qint64 count, QStringView separator,
                QStringView nullText, QStringView rowEnd)
{
    const int cols = result.columnCount();
    const QString nullString = nullText.toString();
    for (qint64 row = first; row < first + count; ++row) {
        for (int c = 0; c < cols; ++c) {
            const qsizetype from = out.size();
            result.appendText(out, row, c, nullString);
            quoteTail(out, from, separator);
            if (c + 1 < cols)
                out += separator;
        }
        out += rowEnd;
    }
}

} // namespace csvtext
