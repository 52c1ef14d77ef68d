#include "data/CsvText.h"

#include "core/ValueText.h"
#include "platform/db/ResultSet.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace csvtext {

namespace {

template <class View>
bool quotesNeeded(View field, View separator)
{
    // A one-unit separator (the usual case) is looked for in the same pass.
    const auto one = separator.size() == 1 ? separator[0] : '"';
    for (const auto c : field)
        if (c == '"' || c == '\r' || c == '\n' || c == one)
            return true;
    return separator.size() > 1 && field.contains(separator);
}

// Puts the field p[from, end) between double quotes, its own double quotes
// doubled, in place: p has room for `quotes` + 2 more units after end, and
// one pass from the back moves every unit once.
template <class Char>
void quoteBack(Char* p, qsizetype from, qsizetype end, qsizetype quotes)
{
    qsizetype to = end + quotes + 2;
    p[--to] = '"';
    for (qsizetype i = end; i-- > from;) {
        p[--to] = p[i];
        if (p[i] == '"')
            p[--to] = '"';
    }
    p[--to] = '"';
}

template <class Char>
qsizetype quotesIn(const Char* p, qsizetype from, qsizetype end)
{
    qsizetype n = 0;
    for (qsizetype i = from; i < end; ++i)
        n += p[i] == '"';
    return n;
}

template <class Text>
void quoteInPlace(Text& out, qsizetype from)
{
    const qsizetype end = out.size();
    const qsizetype quotes = quotesIn(out.constData(), from, end);
    out.resize(end + quotes + 2);
    quoteBack(out.data(), from, end, quotes);
}

template <class Text, class View>
void quoteFrom(Text& out, qsizetype from, View separator)
{
    if (quotesNeeded(View(out).sliced(from), separator))
        quoteInPlace(out, from);
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

namespace {

// Appends bytes to a QByteArray through a plain pointer: the rows of a
// million-row result are made of tens of millions of small pieces.
class Sink {
public:
    Sink(QByteArray& out, qsizetype expected) : out_(out), used_(out.size())
    {
        out_.resize(used_ + std::max<qsizetype>(expected, 4096));
    }
    ~Sink() { out_.resize(used_); }
    qsizetype size() const { return used_; }
    // Room for n more bytes, to be filled by the caller.
    char* grow(qsizetype n)
    {
        if (used_ + n > out_.size())
            out_.resize(std::max(out_.size() * 2, used_ + n));
        char* p = out_.data() + used_;
        used_ += n;
        return p;
    }
    void put(const char* data, qsizetype n)
    {
        if (n > 0)
            std::memcpy(grow(n), data, std::size_t(n));
    }
    void put(QByteArrayView v) { put(v.data(), v.size()); }
    // The field from `from` on between quotes, its own quotes doubled, when it needs it.
    void quoteFrom(qsizetype from, QByteArrayView separator)
    {
        const QByteArrayView field(out_.constData() + from, used_ - from);
        bool needed = false;
        for (const char c : field)
            needed = needed || c == '"' || c == '\r' || c == '\n' || (separator.size() == 1 && c == separator[0]);
        if (!needed && (separator.size() <= 1 || !field.contains(separator)))
            return;
        // Room for the marks, then the field quoted in place within the used part.
        const qsizetype end = used_;
        const qsizetype quotes = quotesIn(out_.constData(), from, end);
        grow(quotes + 2);
        quoteBack(out_.data(), from, end, quotes);
    }

private:
    QByteArray& out_;
    qsizetype used_;
};

} // namespace

void appendRows(QByteArray& out, const db::ResultSet& result, qint64 first, qint64 count, QByteArrayView separator,
                QByteArrayView nullText, QByteArrayView rowEnd)
{
    const int cols = result.columnCount();
    // Texts as held plus room for the other values and the marks.
    const double share = result.rowCount() > 0 ? double(count) / double(result.rowCount()) : 0;
    Sink sink(out, qsizetype(double(result.arenaBytes()) * share) +
                       qsizetype(count) * (cols * (14 + separator.size()) + rowEnd.size()));
    const QString nullString = QString::fromUtf8(nullText);
    QString other;
    char digits[24];
    // Numbers and dates written as the record set writes them, the locale read once.
    const ValueText::TextWriter writer;
    char16_t units[ValueText::TextWriter::MaxUnits];
    const auto putUnits = [&sink](const char16_t* begin, const char16_t* end) {
        bool ascii = true;
        for (const char16_t* u = begin; u != end; ++u)
            ascii = ascii && *u < 0x80;
        if (ascii) {
            char* p = sink.grow(end - begin);
            for (const char16_t* u = begin; u != end; ++u)
                *p++ = char(*u);
        } else {
            sink.put(QStringView(begin, end).toUtf8());
        }
    };
    for (qint64 row = first; row < first + count; ++row) {
        for (int c = 0; c < cols; ++c) {
            const qsizetype from = sink.size();
            const int type = result.fields[std::size_t(c)].type;
            const bool dateType = db::isDateType(type);
            const db::ResultSet::Tag tag = result.tag(row, c);
            if (tag == db::ResultSet::Null) {
                sink.put(nullText);
            } else if (tag == db::ResultSet::Text && !dateType) {
                const std::string_view bytes = result.bytes(row, c);
                sink.put(bytes.data(), qsizetype(bytes.size())); // held as UTF-8 already
            } else if (tag == db::ResultSet::Int && !dateType && type != db::adBoolean && type != db::adCurrency) {
                const auto end = std::to_chars(digits, digits + sizeof digits, result.intValue(row, c)).ptr;
                sink.put(digits, qsizetype(end - digits));
            } else if (tag == db::ResultSet::Real && !dateType && type != db::adSingle && type != db::adCurrency) {
                putUnits(units, writer.number(units, result.realValue(row, c)));
            } else if (db::IsoDate d; tag == db::ResultSet::Text && dateType && db::readIsoDate(result.bytes(row, c), d)) {
                putUnits(units, writer.date(units, d.year, d.month, d.day, d.hour, d.minute, d.second));
            } else if (tag == db::ResultSet::DateText && dateType) {
                const db::IsoDate t = result.isoDate(row, c);
                putUnits(units, writer.date(units, t.year, t.month, t.day, t.hour, t.minute, t.second));
            } else {
                // Everything else as the record set writes it.
                other.resize(0);
                result.appendText(other, row, c, nullString);
                const char16_t* text = reinterpret_cast<const char16_t*>(other.constData());
                putUnits(text, text + other.size());
            }
            sink.quoteFrom(from, separator);
            if (c + 1 < cols)
                sink.put(separator);
        }
        sink.put(rowEnd);
    }
}

} // namespace csvtext
