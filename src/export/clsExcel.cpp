#include "export/clsExcel.h"

#include "controls/ControlSupport.h"
#include "core/Error.h"
#include "core/FileReplace.h"
#include "core/ProgramFolder.h"
#include "core/ValueText.h"
#include "data/clsDO.h"
#include "export/ExportStatement.h"
#include "export/NumberDigits.h"
#include "platform/db/RowReader.h"
#include "platform/db/ResultSet.h"
#include "messages/clsError.h"
#include "platform/shell/Shell.h"
#include "platform/xlsx/Workbook.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <charconv>

namespace {


// A workbook written under a temporary name in its folder, which takes its
// own name only when complete; anything else leaves no file behind.
class WorkbookFile {
public:
    explicit WorkbookFile(const QString& target) : temporary_(target, FileReplace::Temporary::Use::Export)
    {
        if (!temporary_.isOpen())
            raise(Error::PathNotFound, temporary_.errorString() + QStringLiteral(": ") + target);
    }

    QString temporary() const { return temporary_.path(); }
    QString folder() const { return QFileInfo(temporary_.path()).absolutePath(); }
    // Puts the finished file in place (replacing a file of that name) once the
    // disk has taken all of it.
    void commit()
    {
        if (!temporary_.commit())
            raise(Error::PathNotFound, QStringLiteral("No se ha podido escribir ") + temporary_.target());
    }

private:
    FileReplace::Temporary temporary_;
};

// The looks of the workbook's cells.
struct Looks {
    explicit Looks(xlsx::Workbook& wb)
    {
        xlsx::Style t;
        t.fontName = QStringLiteral("Arial Narrow");
        t.fontSize = 14;
        t.bold = true;
        t.underline = true;
        title = wb.addFormat(t);
        xlsx::Style h;
        h.thinBorder = true;
        h.solidFill = 0x99CCFF;
        h.numberFormat = QStringLiteral("@");
        header = wb.addFormat(h);
        xlsx::Style x;
        x.numberFormat = QStringLiteral("@");
        text = wb.addFormat(x);
    }
    xlsx::Format title;
    xlsx::Format header;
    xlsx::Format text;
};

// Rows of the result from row `from` of the block in hand to the end, read without keeping them.
qint64 countRest(db::RowReader& reader, const db::ResultSet& block, qint64 from, qint64 blockRows)
{
    qint64 n = block.rowCount() - from;
    for (db::ResultSetPtr more = reader.next(blockRows); more->rowCount() > 0; more = reader.next(blockRows))
        n += more->rowCount();
    return n;
}

QStringList headerTitles(const QString& sHeaders)
{
    QString line = sHeaders;
    while (line.endsWith(u'\n') || line.endsWith(u'\r'))
        line.chop(1);
    if (line.endsWith(u'\t'))
        line.chop(1); // the data layer's header ends every title with a tab
    return line.isEmpty() ? QStringList() : line.split(u'\t');
}

} // namespace

std::map<int, QString> ParseColFormats(const QString& ColFormats)
{
    std::map<int, QString> formats;
    if (ColFormats.isEmpty())
        return formats;
    for (const QString& item : ColFormats.split(u'#')) {
        const qsizetype dash = item.indexOf(u'-');
        bool ok = false;
        const int column = dash < 0 ? 0 : item.left(dash).trimmed().toInt(&ok);
        if (!ok || column < 1 || column > 16384)
            raise(Error::TypeMismatch, QStringLiteral("Formato de columna no válido: ") + item);
        formats[column - 1] = item.mid(dash + 1);
    }
    return formats;
}

clsExcel::clsExcel() : ExportObject(QStringLiteral("Granvik.clsExcel")), clock_([] { return QDateTime::currentDateTime(); }) {}

void clsExcel::failed(const QString& procedure, const QString& description) const
{
    report(QStringLiteral("Función ") + procedure + QStringLiteral("\r\nError: ") + description);
}

QString clsExcel::newWorkbookPath() const
{
    const QString folder = ProgramFolder::path() + QStringLiteral("/Excel");
    if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder))
        raise(Error::PathNotFound, QStringLiteral("No se ha podido crear la carpeta ") + folder);
    const QString stamp = ValueText::format(Variant(clock_()), QStringLiteral("YYYYMMDD_hhnnss"));
    QString path = folder + QLatin1Char('/') + stamp + QStringLiteral(".xlsx");
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = folder + QLatin1Char('/') + stamp + QStringLiteral("_%1.xlsx").arg(n);
    return path;
}

bool clsExcel::GenerateExcel(const QString& strSQL, const QString& sTitulo, const QString& ColFormats)
{
    return generate(QStringLiteral("GenerateExcel"), strSQL, sTitulo, std::nullopt, ColFormats);
}

bool clsExcel::GenerateExcelKnownCellCount(const QString& strSQL, const QString& sTitulo, std::int32_t lRows,
                                           std::int32_t lCols, const QString& sHeaders, const QString& ColFormats)
{
    Q_UNUSED(lRows);
    Q_UNUSED(lCols);
    return generate(QStringLiteral("GenerateExcelKnownCellCount"), strSQL, sTitulo, headerTitles(sHeaders),
                    ColFormats);
}

bool clsExcel::GenerateExcelDirect(const QString& strSQL, const QString& sTitulo, const QString& sFileName,
                                   const QString& ColFormats)
{
    const QString procedure = QStringLiteral("GenerateExcelDirect");
    bool saved = false;
    trap(
        [&] {
            WorkbookFile file(sFileName);
            xlsx::Workbook wb(file.temporary(), file.folder());
            wb.addSheet(QString());
            wb.close();
            file.commit();
            saved = true;
        },
        [&](const Error& e) { failed(procedure, e.description); });
    return saved && generate(procedure, strSQL, sTitulo, std::nullopt, ColFormats);
}

namespace {

// Texts and numbers as the rows hold them, without a Variant and a text of
// their own each: false for a value that only its Variant writes as it should.
bool writeStored(xlsx::Workbook& wb, int row, int col, const db::ResultSet& rows, qint64 i, xlsx::Format text)
{
    const int type = rows.fields[std::size_t(col)].type;
    switch (rows.tag(i, col)) {
    case db::ResultSet::Null:
        return true;
    case db::ResultSet::Text:
        if (type == db::adNumeric || type == db::adDecimal || db::isDateType(type))
            return false;
        wb.writeUtf8(row, col, rows.bytes(i, col), text);
        return true;
    case db::ResultSet::Int: {
        if (type == db::adBoolean || type == db::adCurrency || type == db::adSingle || type == db::adDouble
            || type == db::adNumeric || type == db::adDecimal || db::isDateType(type))
            return false;
        char digits[24];
        const char* end = std::to_chars(digits, digits + sizeof digits, rows.intValue(i, col)).ptr;
        wb.writeUtf8(row, col, std::string_view(digits, std::size_t(end - digits)), text);
        return true;
    }
    case db::ResultSet::Real: {
        if (type == db::adSingle || type == db::adCurrency || db::isDateType(type))
            return false;
        exportnumber::Digits d;
        exportnumber::of(d, rows.realValue(i, col));
        wb.writeUtf8(row, col, exportnumber::plain(d), text);
        return true;
    }
    default:
        return false;
    }
}

} // namespace

bool clsExcel::generate(const QString& procedure, const QString& sql, const QString& title,
                        const std::optional<QStringList>& headers, const QString& colFormats)
{
    fileName_.clear();
    bool result = false;
    const controls::WaitCursor hourglass;
    trap(
        [&] {
            const std::map<int, QString> formatTexts = ParseColFormats(colFormats);
            const std::optional<QString> statement = exportsql::singleSelect(sql);
            if (!statement) {
                notice(exportsql::refusalText());
                return;
            }
            const qint64 perSheet = zolt_->GetMaxExcelRows();
            const std::unique_ptr<db::RowReader> reader = zolt_->OpenReader(*statement);
            if (!reader)
                return;
            const qint64 blockRows = blockRows_ > 0 ? blockRows_ : BlockRows;
            db::ResultSetPtr rows = reader->next(blockRows);
            if (rows->rowCount() == 0) {
                notice(QStringLiteral("No se han encontrado resultados para generar el Excel"));
                result = true;
                return;
            }
            const int cols = rows->columnCount();

            QStringList titles = headers.value_or(QStringList());
            if (!headers)
                for (int c = 0; c < cols; ++c)
                    titles << rows->fields[std::size_t(c)].name;
            const int headerCells = std::max(cols, int(titles.size()));

            const QString target = newWorkbookPath();
            WorkbookFile file(target);
            xlsx::Workbook wb(file.temporary(), file.folder());
            const Looks looks(wb);
            std::map<int, xlsx::Format> formats;
            for (const auto& [col, text] : formatTexts) {
                xlsx::Style s;
                s.numberFormat = text;
                formats[col] = wb.addFormat(s);
            }

            // The rows are written as they are read, a sheet after another.
            // Rows 4 to L + 4 of every sheet are text, L being the rows of a full sheet.
            qint64 sheets = 0;
            qint64 inSheet = perSheet; // rows written to the current sheet
            qint64 written = 0;
            while (rows->rowCount() > 0) {
                for (qint64 i = 0; i < rows->rowCount(); ++i) {
                    if (inSheet == perSheet) {
                        if (sheets == 1 && !zolt_->PagingAllowed(*statement, written + 1, [&] {
                                return written + countRest(*reader, *rows, i, blockRows);
                            }))
                            return; // the workbook begun is dropped
                        if (sheets > 0)
                            wb.fitColumns(formats);
                        wb.addSheet(QStringLiteral("Hoja Nº%1").arg(++sheets));
                        wb.writeText(0, 0, title, looks.title, false);
                        wb.setRowFormat(3, looks.text);
                        for (int c = 0; c < headerCells; ++c)
                            wb.writeText(3, c, c < titles.size() ? titles.at(c) : QString(), looks.header);
                        inSheet = 0;
                    }
                    const int row = int(4 + inSheet);
                    wb.setRowFormat(row, looks.text);
                    for (int c = 0; c < cols; ++c) {
                        if (!formats.count(c) && writeStored(wb, row, c, *rows, i, looks.text))
                            continue;
                        const Variant v = rows->value(i, c);
                        if (v.isNull() || v.isArray())
                            continue; // NULL blank; binary values are not written
                        const auto f = formats.find(c);
                        if (f != formats.end() && v.isNumber()) {
                            wb.writeNumber(row, c, v.toDouble(), f->second, int(exportnumber::plainText(v).size()));
                        } else if (f != formats.end() && v.isDate()) {
                            wb.writeDate(row, c, v.toDate(), f->second, int(ValueText::displayText(v).size()));
                        } else {
                            // Values go in as they are: a comma, a tab or a line break stays inside its cell.
                            wb.writeText(row, c, v.isNumber() ? exportnumber::plainText(v) : ValueText::displayText(v),
                                         looks.text);
                        }
                    }
                    ++inSheet;
                    ++written;
                }
                rows = reader->next(blockRows);
            }
            if (sheets > 1)
                for (qint64 r = 4 + inSheet; r < 4 + perSheet; ++r)
                    wb.setRowFormat(int(r), looks.text);
            wb.fitColumns(formats);
            wb.activateSheet(); // the last one
            wb.close();
            file.commit();
            fileName_ = target;
            result = true;

            if (shell::open(target) != shell::OpenResult::Opened)
                notice(QStringLiteral("Se ha generado el fichero ") + BraceBlock(1, target) +
                       QStringLiteral(", pero no se ha podido abrir con el programa del escritorio."));
        },
        [&](const Error& e) {
            result = false;
            fileName_.clear();
            failed(procedure, e.description);
        });
    return result;
}
