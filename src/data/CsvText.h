#pragma once
// Rows of a result as CSV text: the one place where a field is made safe for
// a CSV line. A field holding the separator, a double quote, CR or LF stands
// between double quotes with its own double quotes doubled, so no value can
// shift the columns after it. Query's "CSV" and "CSV2" forms and the CSV
// export write their fields through here.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace db {
class ResultSet;
}

namespace csvtext {

// Whether a bare field must be quoted to stay one field.
bool needsQuotes(QStringView field, QStringView separator);
bool needsQuotes(QByteArrayView field, QByteArrayView separator);
// Appends the field, quoted when it needs it.
void appendField(QString& out, QStringView field, QStringView separator);
// Quotes in place the field that starts at `from` in out, when it needs it.
void quoteTail(QString& out, qsizetype from, QStringView separator);
void quoteTail(QByteArray& out, qsizetype from, QByteArrayView separator);

// Appends `count` rows of the result from row `first` (0-based), in UTF-8:
// every value as the record set's row text writes it (Null as nullText),
// fields joined by separator, each row followed by rowEnd.
void appendRows(QByteArray& out, const db::ResultSet& result, qint64 first, qint64 count, QByteArrayView separator,
                QByteArrayView nullText, QByteArrayView rowEnd);

} // namespace csvtext
