#include "export/clsCSV.h"

#include "controls/ControlSupport.h"
#include "core/Error.h"
#include "core/FileReplace.h"
#include "core/ValueText.h"
#include "data/CsvText.h"
#include "data/clsDO.h"
#include "export/ExportStatement.h"
#include "export/NumberDigits.h"
#include "messages/clsError.h"
#include "platform/db/RowReader.h"

#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>
#include <QtEndian>
#include <algorithm>
#include <deque>
#include <future>
#include <thread>

namespace {

const QString kCrLf = QStringLiteral("\r\n");

Variant option(const Collection& c, const char* key) { return c.Item(Variant(QString::fromLatin1(key))); }

// How the values of a column are written.
enum class Kind { Boolean, Integer, Text, Fixed, Date, Dropped, Other };

Kind kindOf(int fieldType)
{
    switch (fieldType) {
    case 11: return Kind::Boolean;
    case 2: case 17: case 3: return Kind::Integer;
    case 8: return Kind::Text;
    case 6: case 5: case 4: return Kind::Fixed;
    case 7: return Kind::Date;
    case 12: return Kind::Dropped;
    default: return Kind::Other;
    }
}

// A calendar day, as the full path writes it.
struct Day {
    int year = 0, month = 0, day = 0;
    static Day of(QDate d)
    {
        Day r;
        d.getDate(&r.year, &r.month, &r.day); // one calendar conversion, not one per part
        return r;
    }
};

// The day of a text that starts "yyyy-mm-dd"; nothing when it is no valid day.
std::optional<Day> isoDay(std::string_view s)
{
    if (s.size() < 10 || s[4] != '-' || s[7] != '-')
        return std::nullopt;
    int v[3] = {0, 0, 0};
    const int at[3][2] = {{0, 4}, {5, 2}, {8, 2}};
    for (int k = 0; k < 3; ++k)
        for (int i = at[k][0]; i < at[k][0] + at[k][1]; ++i) {
            if (s[std::size_t(i)] < '0' || s[std::size_t(i)] > '9')
                return std::nullopt;
            v[k] = v[k] * 10 + (s[std::size_t(i)] - '0');
        }
    if (!QDate::isValid(v[0], v[1], v[2]))
        return std::nullopt;
    return Day{v[0], v[1], v[2]};
}

// A column as the full path writes it: worked out once, used for every value.
struct CSVColumn {
    int fieldType = 0;
    Kind kind = Kind::Other;
    bool delimited = false; // marked with "#", its type's flag set and a delimiter chosen

    CSVColumn(const QString& name, int type, const CSVSettings& o) : fieldType(type), kind(kindOf(type))
    {
        const bool flag = kind == Kind::Text                                            ? o.DelimitadorTexto
                          : kind == Kind::Date                                          ? o.DelimitadorFecha
                          : kind == Kind::Boolean || kind == Kind::Integer || kind == Kind::Fixed ? o.DelimitadorNumero
                                                                                        : false;
        delimited = name.endsWith(u'#') && flag && !o.Delimitador.isEmpty();
    }
};

// The value rules of the full path, appending to a block of text.
class CSVAppender {
public:
    explicit CSVAppender(const CSVSettings& o)
        : o_(o),
          // The two formats the options dialog offers, written with their own marks.
          dmy_(o.FormatoFecha.compare(QLatin1String("dd/mm/yyyy"), Qt::CaseInsensitive) == 0),
          ymd_(o.FormatoFecha.compare(QLatin1String("YYYY-MM-DD"), Qt::CaseInsensitive) == 0)
    {
    }

    void null(QString& out, const CSVColumn& c)
    {
        const qsizetype from = out.size();
        switch (c.kind) {
        case Kind::Boolean: out += u'0'; break;
        case Kind::Integer: out += QLatin1String("-1"); break;
        case Kind::Text: out += QLatin1String("N/A"); break;
        case Kind::Fixed: {
            exportnumber::Digits d;
            exportnumber::of(d, std::int64_t(-1));
            fixed(out, c, d.view());
            return;
        }
        case Kind::Date: date(out, c, Day{1900, 1, 1}); return;
        case Kind::Dropped:
        case Kind::Other: return;
        }
        finish(out, from, c, true);
    }
    // Text as held in the record set (UTF-8).
    void text(QString& out, const CSVColumn& c, std::string_view utf8)
    {
        const qsizetype from = out.size();
        appendUtf8(out, utf8);
        textDone(out, from, c);
    }
    // Text of any other value, written as given (booleans already "1"/"0").
    void text(QString& out, const CSVColumn& c, QStringView value)
    {
        const qsizetype from = out.size();
        out += value;
        textDone(out, from, c);
    }
    // Whole numbers and booleans.
    void integer(QString& out, const CSVColumn& c, std::int64_t value)
    {
        const qsizetype from = out.size();
        if (c.kind == Kind::Boolean) {
            out += value != 0 ? u'1' : u'0';
        } else {
            exportnumber::Digits d;
            exportnumber::of(d, value);
            out += QLatin1String(d.buffer.data(), qsizetype(d.length));
        }
        finish(out, from, c, true);
    }
    // The number's digits with exactly PosicionesDecimales decimals.
    void fixed(QString& out, const CSVColumn& c, std::string_view digits)
    {
        const qsizetype from = out.size();
        if (digits.find_first_not_of("-.0123456789") != std::string_view::npos)
            out += QLatin1String(digits.data(), qsizetype(digits.size())); // inf, nan
        else
            roundDigits(out, digits, o_.PosicionesDecimales, o_.SeparadorDecimal);
        finish(out, from, c, true);
    }
    // The date in FormatoFecha, with its own marks whatever the desktop's.
    void date(QString& out, const CSVColumn& c, Day d)
    {
        const qsizetype from = out.size();
        const bool dmy = dmy_;
        if ((dmy_ || ymd_) && d.year >= 0 && d.year <= 9999) {
            const int values[3] = {dmy ? d.day : d.year, d.month, dmy ? d.year : d.day};
            const int widths[3] = {dmy ? 2 : 4, 2, dmy ? 4 : 2};
            char buffer[10];
            char* p = buffer;
            for (int k = 0; k < 3; ++k) {
                if (k > 0)
                    *p++ = dmy ? '/' : '-';
                for (int i = widths[k] - 1, v = values[k]; i >= 0; --i, v /= 10)
                    p[i] = char('0' + v % 10);
                p += widths[k];
            }
            out += QLatin1String(buffer, 10);
        } else {
            out += ValueText::format(Variant(QDate(d.year, d.month, d.day)), o_.FormatoFecha);
        }
        finish(out, from, c, false);
    }

    // Any value, by its column's kind (the rules above; what a record set holds
    // in its own forms goes by the quicker ways in writeFull).
    void value(QString& out, const CSVColumn& c, const Variant& v)
    {
        if (v.isNull()) {
            null(out, c);
            return;
        }
        switch (c.kind) {
        case Kind::Boolean:
            integer(out, c, v.toBool() ? 1 : 0);
            return;
        case Kind::Integer:
        case Kind::Text:
            text(out, c, ValueText::displayText(v));
            return;
        case Kind::Fixed: {
            exportnumber::Digits d;
            if (exportnumber::of(d, v, c.fieldType))
                fixed(out, c, d.view());
            else
                text(out, c, ValueText::displayText(v));
            return;
        }
        case Kind::Date:
            if (v.isDate()) {
                date(out, c, Day::of(v.toDate().date()));
            } else if (const auto d = ValueText::parseDate(ValueText::displayText(v))) {
                date(out, c, Day::of(d->date()));
            } else {
                const qsizetype from = out.size();
                out += ValueText::displayText(v);
                finish(out, from, c, false);
            }
            return;
        case Kind::Dropped:
            return;
        case Kind::Other:
            // Types without a rule of their own (dates and times of a server,
            // identifiers, decimals) are written as they read, never delimited;
            // binary values are dropped.
            if (!v.isArray())
                csvtext::appendField(out, ValueText::displayText(v), o_.SeparadorCampos);
            return;
        }
    }

    // A title: the name without "#", delimited when marked and the type's flag is set.
    void title(QString& out, const QString& name, const CSVColumn& c)
    {
        QString bare = name;
        bare.remove(u'#');
        const qsizetype from = out.size();
        out += bare;
        const bool delimit = o_.DelimitadorTitulos && c.delimited && c.kind != Kind::Dropped && c.kind != Kind::Other;
        if (delimit)
            delimitTail(out, from, false);
        else
            csvtext::quoteTail(out, from, o_.SeparadorCampos);
    }

private:
    void appendUtf8(QString& out, std::string_view utf8)
    {
        const qsizetype from = out.size();
        out.resize(from + qsizetype(utf8.size())); // never more UTF-16 units than UTF-8 bytes
        std::size_t i = 0;
        char16_t* to = reinterpret_cast<char16_t*>(out.data() + from);
        for (; i < utf8.size() && static_cast<unsigned char>(utf8[i]) < 0x80; ++i)
            to[i] = char16_t(utf8[i]); // ASCII widened as it is; the decoder takes the rest
        if (i == utf8.size())
            return;
        utf8.remove_prefix(i);
        QChar* end = decoder_.appendToBuffer(out.data() + from + qsizetype(i), QByteArrayView(utf8.data(), qsizetype(utf8.size())));
        out.resize(end - out.constData());
    }
    void textDone(QString& out, qsizetype from, const CSVColumn& c)
    {
        // "NULL" was the writer's own null marker: a text that reads so is written as one.
        if (c.kind == Kind::Text && QStringView(out).sliced(from) == QLatin1String("NULL")) {
            out.truncate(from);
            out += QLatin1String("N/A");
        }
        finish(out, from, c, true);
    }
    // The value that starts at `from` delimited (its delimiters replaced when
    // `escape`), or quoted when it needs it to stay one field.
    void finish(QString& out, qsizetype from, const CSVColumn& c, bool escape)
    {
        if (c.delimited)
            delimitTail(out, from, escape);
        else
            csvtext::quoteTail(out, from, o_.SeparadorCampos);
    }
    void delimitTail(QString& out, qsizetype from, bool escape)
    {
        if (escape && QStringView(out).sliced(from).contains(o_.Delimitador)) {
            QString inner = out.mid(from);
            inner.replace(o_.Delimitador, o_.Diferenciador);
            out.truncate(from);
            out += inner;
        }
        out.insert(from, o_.Delimitador);
        out += o_.Delimitador;
    }
    // "-123.4567" rounded half to even at `places` decimals.
    static void roundDigits(QString& out, std::string_view text, int places, const QString& separator)
    {
        const bool negative = !text.empty() && text.front() == '-';
        if (negative)
            text.remove_prefix(1);
        const std::size_t point = std::min(text.find('.'), text.size());
        // A spare leading zero takes a carry out of the whole part.
        char whole[1100];
        char fraction[32];
        std::size_t wholeLength = 1;
        whole[0] = '0';
        for (std::size_t i = 0; i < point && wholeLength < sizeof whole; ++i)
            whole[wholeLength++] = text[i];
        const std::string_view given = point < text.size() ? text.substr(point + 1) : std::string_view();
        places = std::clamp(places, 0, int(sizeof fraction));
        for (int i = 0; i < places; ++i)
            fraction[i] = std::size_t(i) < given.size() ? given[std::size_t(i)] : '0';
        if (given.size() > std::size_t(places)) {
            const std::string_view rest = given.substr(std::size_t(places));
            const char last = places > 0 ? fraction[places - 1] : whole[wholeLength - 1];
            const bool moreAfterHalf = rest.find_first_not_of('0', 1) != std::string_view::npos;
            if (rest[0] > '5' || (rest[0] == '5' && (moreAfterHalf || (last - '0') % 2 == 1))) {
                int i = places - 1;
                for (; i >= 0 && fraction[i] == '9'; --i)
                    fraction[i] = '0';
                if (i >= 0) {
                    ++fraction[i];
                } else {
                    std::size_t j = wholeLength - 1;
                    for (; whole[j] == '9'; --j)
                        whole[j] = '0';
                    ++whole[j];
                }
            }
        }
        std::size_t first = 0;
        while (first + 1 < wholeLength && whole[first] == '0')
            ++first;
        const bool zero = std::all_of(whole, whole + wholeLength, [](char ch) { return ch == '0'; }) &&
                          std::all_of(fraction, fraction + places, [](char ch) { return ch == '0'; });
        // A value that rounds to nothing is written without a sign.
        if (negative && !zero)
            out += u'-';
        out += QLatin1String(whole + first, qsizetype(wholeLength - first));
        out += separator;
        out += QLatin1String(fraction, places);
    }

    const CSVSettings& o_;
    const bool dmy_;
    const bool ymd_;
    QStringDecoder decoder_{QStringDecoder::Utf8, QStringDecoder::Flag::Stateless};
};

} // namespace

CSVSettings CSVSettings::fromOptions(const Collection& c)
{
    CSVSettings s;
    s.FicheroDestino = option(c, "FicheroDestino").toString();
    s.RutaDestino = option(c, "RutaDestino").toString();
    s.SeparadorCampos = option(c, "SeparadorCampos").toString();
    s.FormatoFecha = option(c, "FormatoFecha").toString();
    s.SeparadorDecimal = option(c, "SeparadorDecimal").toString();
    s.PosicionesDecimales = option(c, "PosicionesDecimales").toInt();
    // The dialog hands a double quote chosen as delimiter over as two apostrophes.
    s.Delimitador = option(c, "DelimitadorCampos").toString().replace(QStringLiteral("''"), QStringLiteral("\""));
    s.Diferenciador = option(c, "Diferenciador").toString();
    s.DelimitadorTexto = option(c, "DelimitadorTexto").toBool();
    s.DelimitadorNumero = option(c, "DelimitadorNumero").toBool();
    s.DelimitadorFecha = option(c, "DelimitadorFecha").toBool();
    s.DelimitadorTitulos = option(c, "DelimitadorTitulos").toBool();
    return s;
}

bool CSVSettings::fastPath() const
{
    return SeparadorCampos == QLatin1String(";") && Delimitador.isEmpty() && !DelimitadorTexto &&
           !DelimitadorNumero && !DelimitadorFecha && !DelimitadorTitulos;
}

QString FixedDecimals(const Variant& value, int fieldType, int places, const QString& separator)
{
    CSVSettings o;
    o.PosicionesDecimales = places;
    o.SeparadorDecimal = separator;
    o.SeparadorCampos.clear();
    CSVAppender a(o);
    QString out;
    a.value(out, CSVColumn(QString(), fieldType == 4 || fieldType == 6 ? fieldType : 5, o), value);
    return out;
}

QString FormatCSVValue(const QString& columnName, const Variant& value, int fieldType, const CSVSettings& o,
                       bool title)
{
    CSVAppender a(o);
    const CSVColumn column(columnName, fieldType, o);
    QString out;
    if (title)
        a.title(out, columnName, column);
    else
        a.value(out, column, value);
    return out;
}

namespace {

// The export file, replaced only once it is complete. A block is written
// while the next one is made; one write at a time is under way.
class Target {
public:
    explicit Target(const CSVSettings& o) : file_(o.FicheroDestino)
    {
        // The folder is made when missing (one level); a failure shows when the file opens.
        if (!o.RutaDestino.isEmpty() && !QFileInfo::exists(o.RutaDestino))
            QDir().mkdir(o.RutaDestino);
        if (!file_.open())
            fail();
    }
    ~Target()
    {
        if (pending_.valid())
            pending_.wait(); // never leave a write running on a file that goes away
    }
    Target(const Target&) = delete;
    Target& operator=(const Target&) = delete;

    void write(QByteArray bytes)
    {
        wait();
        pending_ = std::async(std::launch::async, [this, bytes = std::move(bytes)] { put(bytes.constData(), bytes.size()); });
    }
    // UTF-16LE.
    void write(QString text)
    {
        wait();
        pending_ = std::async(std::launch::async, [this, text = std::move(text)] {
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
            put(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
#else
            QByteArray bytes(text.size() * 2, Qt::Uninitialized);
            qToLittleEndian<char16_t>(text.utf16(), text.size(), bytes.data());
            put(bytes.constData(), bytes.size());
#endif
        });
    }
    void commit()
    {
        wait();
        if (!file_.commit())
            fail();
    }

private:
    void wait()
    {
        if (pending_.valid())
            pending_.get(); // a failed write raises here
    }
    void put(const char* data, qint64 size)
    {
        if (file_.write(data, size) != size)
            fail();
    }
    [[noreturn]] void fail() const
    {
        raise(Error::PathNotFound, QStringLiteral("No se ha podido escribir el fichero ") + file_.fileName() +
                                       QStringLiteral(": ") + file_.errorString());
    }

    FileReplace::Stream file_;
    std::future<void> pending_;
};

} // namespace

namespace {

// Blocks of rows are read in order, made into text on a few threads at once
// and written in their order; at most `workers` blocks wait, so memory stays
// bounded whatever the rows.
template <class Render>
void writeBlocks(Target& target, db::RowReader& reader, qint64 blockRows, int workers, Render render)
{
    using Block = decltype(render(std::declval<const db::ResultSet&>()));
    std::deque<std::future<Block>> queue;
    const auto launch = [&] {
        db::ResultSetPtr rows = reader.next(blockRows);
        if (rows->rowCount() > 0)
            queue.push_back(std::async(std::launch::async, [&render, rows] { return render(*rows); }));
    };
    while (!reader.atEnd() && int(queue.size()) < workers)
        launch();
    while (!queue.empty()) {
        Block block = queue.front().get(); // a failure while making it raises here
        queue.pop_front();
        if (!reader.atEnd())
            launch();
        target.write(std::move(block));
    }
}

// Threads making blocks: half the processors, at most `most` (memory grows with each).
int workers(unsigned most) { return int(std::clamp(std::thread::hardware_concurrency() / 2, 1u, most)); }

} // namespace

void clsCSV::writeFast(db::RowReader& reader, const CSVSettings& options)
{
    Target target(options);
    writeBlocks(target, reader, blockRows_ > 0 ? blockRows_ : BlockRows, workers(3), [](const db::ResultSet& r) {
        QByteArray block;
        csvtext::appendRows(block, r, 0, r.rowCount(), ";", "--", "\r\n");
        return block;
    });
    target.write(QByteArray("\r\n"));
    target.commit();
}

void clsCSV::writeFull(db::RowReader& reader, const CSVSettings& options)
{
    const std::vector<db::FieldInfo> fields = reader.fields();
    const int cols = int(fields.size());
    QStringList names;
    std::vector<CSVColumn> columns;
    for (int c = 0; c < cols; ++c) {
        const db::FieldInfo& f = fields[std::size_t(c)];
        // A repeated name gets its count, so every column has its own title.
        QString name = f.name;
        int count = 1;
        while (names.contains(name, Qt::CaseInsensitive))
            name = f.name + QStringLiteral("(%1)").arg(++count);
        names << name;
        const bool binary = f.type == db::adVarBinary || f.type == db::adLongVarBinary;
        columns.emplace_back(name, binary ? 12 : zolt_->TipoDato(std::int16_t(f.type)), options);
    }

    Target target(options);
    QString titles = QString(QChar(0xFEFF));
    {
        CSVAppender a(options);
        for (int c = 0; c < cols; ++c) {
            if (c > 0)
                titles += options.SeparadorCampos;
            a.title(titles, names.at(c), columns[std::size_t(c)]);
        }
    }
    titles += kCrLf;
    target.write(std::move(titles));

    writeBlocks(target, reader, blockRows_ > 0 ? blockRows_ : FullBlockRows, workers(3), [&](const db::ResultSet& r) {
        CSVAppender a(options);
        QString block;
        const qint64 count = r.rowCount();
        block.reserve(qsizetype(r.arenaBytes()) + qsizetype(count) * cols * 14);
        for (qint64 row = 0; row < count; ++row) {
            for (int c = 0; c < cols; ++c) {
                if (c > 0)
                    block += options.SeparadorCampos;
                const CSVColumn& column = columns[std::size_t(c)];
                const int adoType = r.fields[std::size_t(c)].type;
                // The record set's own forms of the common values, without a Variant each.
                switch (r.tag(row, c)) {
                case db::ResultSet::Null:
                    a.null(block, column);
                    continue;
                case db::ResultSet::Text: {
                    const std::string_view bytes = r.bytes(row, c);
                    if (column.kind == Kind::Text || (column.kind == Kind::Integer && !db::isDateType(adoType))) {
                        a.text(block, column, bytes);
                        continue;
                    }
                    if (column.kind == Kind::Date) {
                        // The local engine keeps dates as "yyyy-mm-dd[ hh:nn:ss]".
                        if (const auto d = isoDay(bytes)) {
                            a.date(block, column, *d);
                            continue;
                        }
                    }
                    break;
                }
                case db::ResultSet::DateText:
                    if (column.kind == Kind::Date && db::isDateType(adoType)) {
                        const db::IsoDate d = r.isoDate(row, c);
                        a.date(block, column, Day{d.year, d.month, d.day});
                        continue;
                    }
                    break;
                case db::ResultSet::Int:
                    if ((column.kind == Kind::Integer || column.kind == Kind::Boolean) && !db::isDateType(adoType) &&
                        adoType != db::adCurrency) {
                        a.integer(block, column, r.intValue(row, c));
                        continue;
                    }
                    break;
                case db::ResultSet::Real:
                    if (column.kind == Kind::Fixed) {
                        exportnumber::Digits d;
                        column.fieldType == 4 ? exportnumber::of(d, float(r.realValue(row, c)))
                                              : exportnumber::of(d, r.realValue(row, c));
                        a.fixed(block, column, d.view());
                        continue;
                    }
                    break;
                default:
                    break;
                }
                a.value(block, column, r.value(row, c));
            }
            block += kCrLf;
        }
        return block;
    });
    target.commit();
}

bool clsCSV::GenerateCSV(const QString& sSQL, const CollectionPtr& colParams)
{
    bool result = false;
    const controls::WaitCursor hourglass;
    trap(
        [&] {
            const CSVSettings options = CSVSettings::fromOptions(*colParams);
            const std::optional<QString> statement = exportsql::singleSelect(sSQL);
            if (!statement) {
                notice(exportsql::refusalText());
                return;
            }
            // The fast path writes values by what they hold, so the types the
            // values settle need not be known beforehand.
            const std::unique_ptr<db::RowReader> rows = zolt_->OpenReader(*statement, !options.fastPath());
            if (!rows)
                return; // the connection did not open; the data-access object has said so
            if (options.fastPath())
                writeFast(*rows, options);
            else
                writeFull(*rows, options);
            result = true;
        },
        [&](const Error&) { report(QStringLiteral("Función GenerateCSV")); });
    return result;
}
