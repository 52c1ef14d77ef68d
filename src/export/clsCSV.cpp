#include "export/clsCSV.h"

#include "core/Error.h"
#include "controls/ControlSupport.h"
#include "core/ValueText.h"
#include "data/CsvText.h"
#include "data/clsDO.h"
#include "export/ExportStatement.h"
#include "export/NumberDigits.h"
#include "export/StatementResult.h"
#include "messages/clsError.h"
#include "platform/db/Recordset.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QtEndian>
#include <string>

namespace {

const QString kCrLf = QStringLiteral("\r\n");

bool isNumberGroup(int type)
{
    switch (type) {
    case 11: case 2: case 17: case 3: case 6: case 5: case 4:
        return true;
    default:
        return false;
    }
}

Variant option(const Collection& c, const char* key) { return c.Item(Variant(QString::fromLatin1(key))); }

// "-123.4567" rounded half to even at `places` decimals.
QString roundDigits(const std::string& text, int places, const QString& separator)
{
    const bool negative = !text.empty() && text.front() == '-';
    const std::size_t start = negative ? 1 : 0;
    const std::size_t point = std::min(text.find('.'), text.size());
    // A spare leading zero takes a carry out of the whole part.
    std::string whole(1, '0');
    whole.append(text, start, point - start);
    std::string fraction = point < text.size() ? text.substr(point + 1) : std::string();
    if (int(fraction.size()) <= places) {
        fraction.append(std::size_t(places) - fraction.size(), '0');
    } else {
        const std::string rest = fraction.substr(std::size_t(places));
        fraction.resize(std::size_t(places));
        const char last = places > 0 ? fraction.back() : whole.back();
        const bool moreAfterHalf = rest.find_first_not_of('0', 1) != std::string::npos;
        if (rest[0] > '5' || (rest[0] == '5' && (moreAfterHalf || (last - '0') % 2 == 1))) {
            int i = int(fraction.size()) - 1;
            for (; i >= 0 && fraction[std::size_t(i)] == '9'; --i)
                fraction[std::size_t(i)] = '0';
            if (i >= 0) {
                ++fraction[std::size_t(i)];
            } else {
                int j = int(whole.size()) - 1;
                for (; whole[std::size_t(j)] == '9'; --j)
                    whole[std::size_t(j)] = '0';
                ++whole[std::size_t(j)];
            }
        }
    }
    const std::size_t firstDigit = std::min(whole.find_first_not_of('0'), whole.size() - 1);
    const bool zero = whole.find_first_not_of('0') == std::string::npos &&
                      fraction.find_first_not_of('0') == std::string::npos;
    // A value that rounds to nothing is written without a sign.
    QString out = negative && !zero ? QStringLiteral("-") : QString();
    out += QLatin1String(whole.data() + firstDigit, qsizetype(whole.size() - firstDigit));
    out += separator;
    out += QLatin1String(fraction.data(), qsizetype(fraction.size()));
    return out;
}

QString dateText(const QDateTime& value, const QString& pattern)
{
    const QDate d = value.date();
    const auto two = [](int n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); };
    const QString year = QStringLiteral("%1").arg(d.year(), 4, 10, QLatin1Char('0'));
    // The two formats the options dialog offers, with their own marks whatever the desktop's.
    if (pattern.compare(QLatin1String("dd/mm/yyyy"), Qt::CaseInsensitive) == 0)
        return two(d.day()) + u'/' + two(d.month()) + u'/' + year;
    if (pattern.compare(QLatin1String("YYYY-MM-DD"), Qt::CaseInsensitive) == 0)
        return year + u'-' + two(d.month()) + u'-' + two(d.day());
    return ValueText::format(Variant(value), pattern);
}

QString dateValueText(const Variant& value, const QString& pattern)
{
    if (value.isNull())
        return dateText(QDateTime(QDate(1900, 1, 1), QTime(0, 0), Qt::UTC), pattern);
    if (value.isDate())
        return dateText(value.toDate(), pattern);
    const QString text = ValueText::displayText(value);
    if (const auto d = ValueText::parseDate(text))
        return dateText(*d, pattern);
    return text;
}

QString bare(const QString& text, const CSVSettings& o)
{
    QString out;
    csvtext::appendField(out, text, o.SeparadorCampos);
    return out;
}

QString delimited(const QString& text, const CSVSettings& o, bool escape)
{
    QString inner = text;
    if (escape)
        inner.replace(o.Delimitador, o.Diferenciador);
    return o.Delimitador + inner + o.Delimitador;
}

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
    const std::optional<std::string> digits = exportnumber::digits(value, fieldType);
    if (!digits)
        return ValueText::displayText(value);
    if (digits->find_first_not_of("-.0123456789") != std::string::npos)
        return QString::fromLatin1(digits->data(), qsizetype(digits->size())); // inf, nan
    return roundDigits(*digits, places, separator);
}

QString FormatCSVValue(const QString& columnName, const Variant& value, int fieldType, const CSVSettings& o,
                       bool title)
{
    const bool marked = columnName.endsWith(u'#');
    const bool canDelimit = marked && !o.Delimitador.isEmpty();
    if (title) {
        QString name = columnName;
        name.remove(u'#');
        const bool flag = isNumberGroup(fieldType) ? o.DelimitadorNumero
                          : fieldType == 8         ? o.DelimitadorTexto
                          : fieldType == 7         ? o.DelimitadorFecha
                                                   : false;
        return o.DelimitadorTitulos && canDelimit && flag ? delimited(name, o, false) : bare(name, o);
    }

    const bool null = value.isNull();
    QString text;
    bool flag = false;
    switch (fieldType) {
    case 11:
        text = !null && value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
        flag = o.DelimitadorNumero;
        break;
    case 2: case 17: case 3:
        text = null ? QStringLiteral("-1") : ValueText::displayText(value);
        flag = o.DelimitadorNumero;
        break;
    case 8:
        text = null ? QStringLiteral("N/A") : ValueText::displayText(value);
        // "NULL" was the writer's own null marker: a text that reads so is written as one.
        if (text == QLatin1String("NULL"))
            text = QStringLiteral("N/A");
        flag = o.DelimitadorTexto;
        break;
    case 6: case 5: case 4:
        text = FixedDecimals(null ? Variant(std::int32_t(-1)) : value, fieldType, o.PosicionesDecimales,
                             o.SeparadorDecimal);
        flag = o.DelimitadorNumero;
        break;
    case 7:
        text = dateValueText(value, o.FormatoFecha);
        return canDelimit && o.DelimitadorFecha ? delimited(text, o, false) : bare(text, o);
    case 12:
        return QString();
    default:
        // Types without a rule of their own (dates and times of a server, identifiers,
        // decimals) are written as they read; binary values are dropped.
        if (null || value.isArray())
            return QString();
        return bare(ValueText::displayText(value), o);
    }
    return canDelimit && flag ? delimited(text, o, true) : bare(text, o);
}

namespace {

// The export file, replaced only once it is complete.
class Target {
public:
    Target(const CSVSettings& o) : file_(o.FicheroDestino)
    {
        // The folder is made when missing (one level); a failure shows when the file opens.
        if (!o.RutaDestino.isEmpty() && !QFileInfo::exists(o.RutaDestino))
            QDir().mkdir(o.RutaDestino);
        if (!file_.open(QIODevice::WriteOnly))
            raise(Error::PathNotFound, file_.errorString());
    }
    void write(const char* data, qint64 size)
    {
        if (file_.write(data, size) != size)
            raise(Error::PathNotFound, file_.errorString());
    }
    void write(const QByteArray& bytes) { write(bytes.constData(), bytes.size()); }
    void commit()
    {
        if (!file_.commit())
            raise(Error::PathNotFound, file_.errorString());
    }

private:
    QSaveFile file_;
};

void writeUtf16(Target& target, const QString& text)
{
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    target.write(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
#else
    QByteArray bytes(text.size() * 2, Qt::Uninitialized);
    qToLittleEndian<char16_t>(text.utf16(), text.size(), bytes.data());
    target.write(bytes);
#endif
}

} // namespace

void clsCSV::writeFast(const db::ResultSet& r, const CSVSettings& options)
{
    Target target(options);
    QString block;
    const QString separator = QStringLiteral(";");
    const QString nullText = QStringLiteral("--");
    for (qint64 first = 0; first < r.rowCount(); first += BlockRows) {
        block.resize(0);
        csvtext::appendRows(block, r, first, std::min(BlockRows, r.rowCount() - first), separator, nullText, kCrLf);
        target.write(block.toUtf8());
    }
    target.write(kCrLf.toUtf8());
    target.commit();
}

void clsCSV::writeFull(const db::ResultSet& r, const CSVSettings& options)
{
    const int cols = r.columnCount();
    QStringList names;
    std::vector<int> types;
    for (int c = 0; c < cols; ++c) {
        const db::FieldInfo& f = r.fields[std::size_t(c)];
        // A repeated name gets its count, so every column has its own title.
        QString name = f.name;
        int count = 1;
        while (names.contains(name, Qt::CaseInsensitive))
            name = f.name + QStringLiteral("(%1)").arg(++count);
        names << name;
        const bool binary = f.type == db::adVarBinary || f.type == db::adLongVarBinary;
        types.push_back(binary ? 12 : zolt_->TipoDato(std::int16_t(f.type)));
    }

    Target target(options);
    QString block = QString(QChar(0xFEFF));
    for (int c = 0; c < cols; ++c) {
        if (c > 0)
            block += options.SeparadorCampos;
        block += FormatCSVValue(names.at(c), Variant(names.at(c)), types[std::size_t(c)], options, true);
    }
    block += kCrLf;
    for (qint64 row = 0; row < r.rowCount(); ++row) {
        for (int c = 0; c < cols; ++c) {
            if (c > 0)
                block += options.SeparadorCampos;
            block += FormatCSVValue(names.at(c), r.value(row, c), types[std::size_t(c)], options, false);
        }
        block += kCrLf;
        if ((row + 1) % BlockRows == 0) {
            writeUtf16(target, block);
            block.resize(0);
        }
    }
    writeUtf16(target, block);
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
            const StatementResult rs(*zolt_, *statement);
            if (!rs)
                return; // the connection did not open; the data-access object has said so
            if (options.fastPath())
                writeFast(rs.rows(), options);
            else
                writeFull(rs.rows(), options);
            result = true;
        },
        [&](const Error&) { report(QStringLiteral("Función GenerateCSV")); });
    return result;
}
