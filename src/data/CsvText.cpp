#include "data/CsvText.h"

#include "platform/db/ResultSet.h"

#include <charconv>

namespace csvtext {

namespace {

template <class View>
bool quotesNeeded(View field, View separator)
{
    for (const auto c : field)
        if (c == '"' || c == '\r' || c == '\n')
            return true;
    return !separator.isEmpty() && field.contains(separator);
}

template <class Text, class View>
void quoteFrom(Text& out, qsizetype from, View separator)
{
    if (!quotesNeeded(View(out).sliced(from), separator))
        return;
    Text inner = out.mid(from);
    inner.replace("\"", "\"\"");
    out.truncate(from);
    out += '"';
    out += inner;
    out += '"';
}

} // namespace

bool needsQuotes(QStringView field, QStringView separator) { return quotesNeeded(field, separator); }
bool needsQuotes(QByteArrayView field, QByteArrayView separator) { return quotesNeeded(field, separator); }
void quoteTail(QString& out, qsizetype from, QStringView separator) { quoteFrom(out, from, separator); }
void quoteTail(QByteArray& out, qsizetype from, QByteArrayView separator) { quoteFrom(out, from, separator); }

void appendField(QString& out, QStringView field, QStringView separator)
{
    const qsizetype from = out.size();
    out += field;
    quoteTail(out, from, separator);
}

void appendRows(QByteArray& out, const db::ResultSet& result, qint64 first, qint64 count, QByteArrayView separator,
                QByteArrayView nullText, QByteArrayView rowEnd)
{
    const int cols = result.columnCount();
    if (result.rowCount() > 0) {
        // Texts as held plus room for the other values and the marks: one allocation.
        const double share = double(count) / double(result.rowCount());
        out.reserve(out.size() + qsizetype(double(result.arenaBytes()) * share) +
                    qsizetype(count) * cols * (14 + separator.size()) + qsizetype(count) * rowEnd.size());
    }
    const QString nullString = QString::fromUtf8(nullText);
    QString other;
    char digits[24];
    for (qint64 row = first; row < first + count; ++row) {
        for (int c = 0; c < cols; ++c) {
            const qsizetype from = out.size();
            const int type = result.fields[std::size_t(c)].type;
            const bool dateType = type == db::adDate || type == db::adDBTimeStamp || type == db::adDBDate;
            const db::ResultSet::Tag tag = result.tag(row, c);
            if (tag == db::ResultSet::Null) {
                out += nullText;
            } else if (tag == db::ResultSet::Text && !dateType) {
                const std::string_view bytes = result.bytes(row, c);
                out.append(bytes.data(), qsizetype(bytes.size())); // held as UTF-8 already
            } else if (tag == db::ResultSet::Int && !dateType && type != db::adBoolean && type != db::adCurrency) {
                const auto end = std::to_chars(digits, digits + sizeof digits, result.intValue(row, c)).ptr;
                out.append(digits, qsizetype(end - digits));
            } else {
                // Everything else as the record set writes it.
                other.resize(0);
                result.appendText(other, row, c, nullString);
                bool ascii = true;
                for (const QChar ch : std::as_const(other))
                    ascii = ascii && ch.unicode() < 0x80;
                if (ascii)
                    for (const QChar ch : std::as_const(other))
                        out += char(ch.unicode());
                else
                    out += other.toUtf8();
            }
            quoteTail(out, from, separator);
            if (c + 1 < cols)
                out += separator;
        }
        out += rowEnd;
    }
}

} // namespace csvtext
