#include "querypage/InsertScript.h"

#include "platform/db/ResultFile.h"
#include <QIODevice>

#include "core/Error.h"
#include "core/ValueText.h"
#include "platform/db/ResultSet.h"
#include "data/SqlScan.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

namespace insertscript {

namespace {

void collapseBlanks(QString& s)
{
    while (s.contains(QLatin1String("  ")))
        s.replace(QLatin1String("  "), QLatin1String(" "));
}

// A whole number as SQL reads it, 64 bits wide (a big integer column keeps its values).
QString wholeNumber(const Variant& value)
{
    if (value.isString()) {
        const std::optional<double> n = ValueText::parseNumber(value.toString());
        if (!n)
            raise(Error::TypeMismatch, QStringLiteral("Type mismatch"));
        return QString::number(qint64(ValueText::roundHalfEven(*n)));
    }
    return QString::number(value.toLongLong());
}

// A number's own text with "." as its decimal point, never the locale's mark.
QString plainNumber(const Variant& value)
{
    QString t = ValueText::toText(value);
    t.replace(ValueText::decimalSeparator(), QLatin1Char('.'));
    return t;
}

QString dateLiteral(const sqltext::Dialect& dialect, const Variant& value)
{
    const QDateTime d = value.toDate();
    if (d.time() == QTime(0, 0))
        return ValueText::toText(sqltext::sqlFormat(dialect, QStringLiteral("date"), Variant(d)));
    return sqltext::dateTimeLiteral(dialect.kind, d);
}

} // namespace

QString normalise(const QString& statement)
{
    return sqltext::mapCode(statement, [](QStringView part, QString& out) {
        QString code = part.toString();
        code.replace(QLatin1String(" as "), QLatin1String(" AS "));
        code.replace(QLatin1String(" As "), QLatin1String(" AS "));
        code.replace(QLatin1String("\r\n"), QLatin1String(" "));
        code.replace(QLatin1Char('\r'), QLatin1Char(' '));
        code.replace(QLatin1Char('\n'), QLatin1Char(' '));
        code.replace(QLatin1Char('\t'), QLatin1Char(' '));
        code.replace(QLatin1String(" DISTINCT "), QLatin1String(" "));
        code.replace(QLatin1String(" distinct "), QLatin1String(" "));
        code.remove(QLatin1String("(NOLOCK)"));
        collapseBlanks(code);
        out += code;
    });
}

QString tableName(const QString& statement)
{
    for (const sqltext::Segment& seg : sqltext::segments(statement)) {
        if (seg.kind != sqltext::Kind::Code)
            continue;
        const qsizetype p = QStringView(statement).mid(seg.start, seg.length).indexOf(QLatin1String("FROM "), 0,
                                                                                       Qt::CaseInsensitive);
        if (p < 0)
            continue;
        const QString rest = statement.mid(seg.start + p + 5);
        QString name = rest.section(u' ', 0, 0);
        if (name.endsWith(u','))
            name.chop(1);
        return name;
    }
    return QString();
}

QString fileName(const QString& table, const QDateTime& at)
{
    QString name = table;
    for (QChar& c : name)
        if (c == u'/' || c.category() == QChar::Other_Control)
            c = u'_';
    return name + u'_' + at.toString(QStringLiteral("yyyyMMdd_HHmmss")) + QStringLiteral(".txt");
}

QString typeWord(int fieldTypeCode)
{
    switch (fieldTypeCode) {
    case 11: return QStringLiteral("boolean");
    case 2:
    case 17:
    case 3: return QStringLiteral("int");
    case 6:
    case 5:
    case 4: return QStringLiteral("currency");
    case 8: return QStringLiteral("string");
    case 7: return QStringLiteral("date");
    case 12: return QStringLiteral("TimeStamp");
    default: return QString();
    }
}

Layout layout(const QString& table, const QStringList& resultColumns, const std::vector<Field>& tableFields)
{
    Layout out;
    bool inTableOrder = qsizetype(tableFields.size()) == resultColumns.size();
    for (qsizetype c = 0; c < resultColumns.size(); ++c) {
        const QString& name = resultColumns[c];
        const auto f = std::find_if(tableFields.begin(), tableFields.end(), [&](const Field& field) {
            return field.name.compare(name, Qt::CaseInsensitive) == 0;
        });
        if (f == tableFields.end())
            raise(Error::InvalidProcedureCall,
                  QStringLiteral("La columna %1 no es un campo de la tabla %2").arg(name, table));
        inTableOrder = inTableOrder && f - tableFields.begin() == c;
        out.types.push_back(f->type);
    }
    out.head = QStringLiteral("INSERT INTO ") + table;
    if (!inTableOrder)
        out.head += QStringLiteral(" (") + resultColumns.join(QStringLiteral(", ")) + u')';
    out.head += QStringLiteral(" VALUES(");
    return out;
}

QString literal(const sqltext::Dialect& dialect, const Variant& value, int fieldType)
{
    if (value.isNull() || fieldType == 12)
        return QStringLiteral("NULL");
    if (value.isArray() || value.isObject() || value.isEmpty())
        raise(Error::TypeMismatch, QStringLiteral("Un valor binario no se puede escribir en el script"));
    switch (fieldType) {
    case 8:
        return ValueText::toText(sqltext::sqlFormat(dialect, QStringLiteral("string"), value));
    case 11:
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case 2:
    case 17:
    case 3:
        return wholeNumber(value);
    case 6:
    case 5:
    case 4:
        return ValueText::toText(sqltext::sqlFormat(dialect, QStringLiteral("currency"), value));
    case 7:
        return dateLiteral(dialect, value);
    default:
        // Untyped fields (GUIDs, decimals): text is quoted, the rest written as itself.
        if (value.isString())
            return ValueText::toText(sqltext::sqlFormat(dialect, QStringLiteral("string"), value));
        if (value.isDate())
            return dateLiteral(dialect, value);
        if (value.isBoolean())
            return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
        return plainNumber(value);
    }
}

qint64 script(db::ResultFile& rows, const Layout& layout, const sqltext::Dialect& dialect, QIODevice& out,
              const std::function<void(qint64 row, qint64 rows)>& progress)
{
    const int cols = int(layout.types.size());
    const qint64 total = rows.rowCount();
    qint64 written = 0;
    QString line;
    QElapsedTimer shown;
    shown.start();
    while (written < total) {
        const auto [block, at] = rows.locate(written);
        QByteArray text;
        for (qint64 r = at; r < block->rowCount(); ++r) {
            line = layout.head;
            for (int c = 0; c < cols; ++c) {
                if (c > 0)
                    line += QLatin1String(", ");
                line += literal(dialect, block->value(r, c), layout.types[std::size_t(c)]);
            }
            line += QLatin1String(")\r\n");
            text += line.toUtf8();
            ++written;
            if (progress && shown.elapsed() >= 100) {
                shown.restart();
                progress(written, total);
            }
        }
        if (out.write(text) != text.size())
            return -1;
    }
    if (progress)
        progress(written, total);
    return written;
}

QString defaultFolder(const QString& programFolder)
{
    return programFolder + QStringLiteral("/Scripts/");
}

Folder folder(const QString& setting, const QString& programFolder)
{
    if (!setting.isEmpty() && QFileInfo(setting).isDir())
        return {setting, false};
    return {defaultFolder(programFolder), true};
}

} // namespace insertscript
