// The workbook writer: workbooks read back with minizip, part by part.
#include "ExportTestSupport.h"

#include "core/Error.h"
#include "core/ValueText.h"
#include "export/clsExcel.h"
#include "platform/shell/Shell.h"
#include "platform/xlsx/Workbook.h"
#include "support/FileMode.h"

#include <QDir>
#include <QRegularExpression>
#include <minizip/unzip.h>
#include <unistd.h>

using namespace exporttest;

namespace {

// The parts of an .xlsx file by name.
QMap<QString, QString> partsOf(const QString& path)
{
    QMap<QString, QString> parts;
    unzFile zip = unzOpen(QFile::encodeName(path).constData());
    if (!zip)
        return parts;
    for (int more = unzGoToFirstFile(zip); more == UNZ_OK; more = unzGoToNextFile(zip)) {
        char name[512];
        unz_file_info info;
        unzGetCurrentFileInfo(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0);
        QByteArray data(qsizetype(info.uncompressed_size), '\0');
        unzOpenCurrentFile(zip);
        unzReadCurrentFile(zip, data.data(), unsigned(data.size()));
        unzCloseCurrentFile(zip);
        parts.insert(QString::fromUtf8(name), QString::fromUtf8(data));
    }
    unzClose(zip);
    return parts;
}

// Every match of a pattern's first group.
QStringList all(const QString& text, const QString& pattern)
{
    QStringList out;
    auto it = QRegularExpression(pattern).globalMatch(text);
    while (it.hasNext())
        out << it.next().captured(1);
    return out;
}

// The cell element of a reference ("A1") in a sheet.
QString cell(const QString& sheet, const QString& ref)
{
    const auto m = QRegularExpression(QStringLiteral("<c r=\"%1\"[^>]*(/>|>.*?</c>)").arg(ref),
                                      QRegularExpression::DotMatchesEverythingOption)
                       .match(sheet);
    return m.hasMatch() ? m.captured(0) : QString();
}


// The files of a folder this process holds open though they are deleted.
int temporaryFilesHeldIn(const QString& folder)
{
    int n = 0;
    for (const QString& fd : QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::AllEntries | QDir::System)) {
        char target[4096];
        const ssize_t size = ::readlink(QFile::encodeName("/proc/self/fd/" + fd).constData(), target, sizeof target - 1);
        const QString link = QString::fromLocal8Bit(target, size > 0 ? size : 0);
        n += link.startsWith(folder + '/') && link.endsWith(" (deleted)");
    }
    return n;
}

class ExcelTest : public ExportTest {
protected:
    void SetUp() override
    {
        ExportTest::SetUp();
        file.exec({"CREATE TABLE C (Id LONG, Codigo TEXT(10), Nombre TEXT(40), Importe DOUBLE)",
                   "INSERT INTO C VALUES (1, '00123', 'Madrid, ES', 2.5)", "INSERT INTO C VALUES (2, '7', 'a\tb', NULL)",
                   "INSERT INTO C VALUES (3, NULL, 'x' & char(13, 10) & 'y', 1e-05)",
                   "INSERT INTO C VALUES (4, 'd', 'e', 4)", "INSERT INTO C VALUES (5, 'f', 'g', 5)",
                   "CREATE TABLE Vacia (Id LONG)"});
        excel.StartObject(&host, zolt, msg, nullptr);
        excel.setClock([] { return QDateTime(QDate(2024, 3, 5), QTime(10, 15, 0)); });
    }
    bool known(const QString& sql, const QString& formats = QString())
    {
        return excel.GenerateExcelKnownCellCount(sql, QStringLiteral("Clientes"), 3, 4,
                                                 QStringLiteral("Id\tCódigo\tNombre\tImporte\r\n"), formats);
    }
    QStringList excelFiles() const { return QDir(folder.filePath("Excel")).entryList(QDir::Files | QDir::Hidden); }

    shell::ScopedRecordingLauncher launcher;
    clsExcel excel;
};

const QString kFirstThree = QStringLiteral("SELECT Id, Codigo, Nombre, Importe FROM C WHERE Id <= 3 ORDER BY Id");
const QString kWorkbook = QStringLiteral("20240305_101500.xlsx");

TEST_F(ExcelTest, OneSheetWithTheTitleTheFramedTitlesAndTheValuesAsText)
{
    ASSERT_TRUE(known(kFirstThree));
    EXPECT_EQ(excel.FileName(), folder.filePath("Excel/") + kWorkbook);
    EXPECT_EQ(excelFiles(), QStringList{kWorkbook});
    EXPECT_EQ(launcher->launched, QList<QUrl>{QUrl::fromLocalFile(excel.FileName())});

    const auto parts = partsOf(excel.FileName());
    EXPECT_EQ(all(parts["xl/workbook.xml"], "<sheet name=\"([^\"]+)\""), QStringList{QString::fromUtf8("Hoja Nº1")});
    const QString sheet = parts["xl/worksheets/sheet1.xml"];

    // Data from row 5, as text, unchanged; NULL blank; rows 4 to 7 are text rows.
    const std::pair<const char*, const char*> texts[] = {{"A1", "<t>Clientes</t>"}, {"B4", "<t>Código</t>"},
        {"B5", "t=\"inlineStr\""}, {"B5", "<t>00123</t>"}, {"C5", "<t>Madrid, ES</t>"},
        {"C6", "<t>a\tb</t>"}, {"C7", "<t>x_x000D_\ny</t>"} /* CR as the format writes it */, {"D5", "<t>2.5</t>"},
        {"D7", "<t>0.00001</t>"}};
    for (const auto& [ref, text] : texts)
        EXPECT_TRUE(cell(sheet, ref).contains(QString::fromUtf8(text))) << ref << " " << text;
    EXPECT_EQ(cell(sheet, "D6"), "");
    EXPECT_EQ(all(sheet, "<row r=\"(\\d+)\"[^>]*customFormat=\"1\""), (QStringList{"4", "5", "6", "7"}));
    // Widths from the longest text of each column (not A1), plus one.
    EXPECT_EQ(all(sheet, "<col min=\"(\\d+)\" max=\"\\d+\" width=\"\\d+"), (QStringList{"1", "2", "3", "4"}));
    EXPECT_EQ(all(sheet, "<col [^>]*width=\"(\\d+)"), (QStringList{"3", "7", "11", "8"}));

    // A failed launch is told and the workbook stays; in the same second the next free name is taken.
    launcher->answer = false;
    ASSERT_TRUE(known(kFirstThree));
    EXPECT_EQ(excelFiles(), (QStringList{kWorkbook, "20240305_101500_2.xlsx"}));
    EXPECT_EQ(shownTexts(), QStringList{"64|Aviso|Se ha generado el fichero " + excel.FileName() +
                                        ", pero no se ha podido abrir con el programa del escritorio."});

    // Yes/No values, and a date the engine keeps in a form of its own, as the grid shows them.
    file.exec({"CREATE TABLE K (Si YESNO, Alta DATETIME)", "INSERT INTO K VALUES (1, '2024-03-05 10:11:12.1234')"});
    ASSERT_TRUE(known("SELECT Si, Alta FROM K"));
    const QString k = partsOf(excel.FileName())["xl/worksheets/sheet1.xml"];
    // A server's exact decimal, held as its digits, is written with its decimals.
    auto a = db::RecordingBackend::Answer::table({"Num"}, {{QStringLiteral("1.50")}});
    a.fields[0].type = db::adNumeric;
    onServer().answer("SELECT Num FROM D", a);
    ASSERT_TRUE(known("SELECT Num FROM D"));
    const QString d = partsOf(excel.FileName())["xl/worksheets/sheet1.xml"];
    EXPECT_EQ(std::tuple(cell(k, "A5").contains("<t>" + ValueText::displayText(Variant(true)) + "</t>"),
                         cell(k, "B5").contains("<t>" + ValueText::displayText(Variant(QDateTime(QDate(2024, 3, 5), QTime(10, 11, 12, 123), Qt::UTC))) + "</t>"),
                         cell(d, "A5").contains("<t>1.5</t>")),
              std::tuple(true, true, true));
}

TEST_F(ExcelTest, ASheetPerBlockOfRowsOnlyWithOrderByAndColumnFormatsTypeNumbers)
{
    zolt->setRowsPerSheet(2);
    ASSERT_TRUE(excel.GenerateExcel("SELECT Id, Nombre, Importe FROM C ORDER BY Id", "T", "3-0.00"));
    const auto parts = partsOf(excel.FileName());
    EXPECT_EQ(all(parts["xl/workbook.xml"], "<sheet name=\"([^\"]+)\""),
              (QStringList{QString::fromUtf8("Hoja Nº1"), QString::fromUtf8("Hoja Nº2"), QString::fromUtf8("Hoja Nº3")}));
    EXPECT_EQ(all(parts["xl/workbook.xml"], "activeTab=\"(\\d+)\""), QStringList{"2"});
    QStringList ids;
    for (int s = 1; s <= 3; ++s) {
        const QString sheet = parts[QStringLiteral("xl/worksheets/sheet%1.xml").arg(s)];
        EXPECT_TRUE(cell(sheet, "A1").contains("<t>T</t>"));
        EXPECT_TRUE(cell(sheet, "B4").contains("<t>Nombre</t>"));
        ids << all(sheet, "<c r=\"A\\d+\"[^>]*><is><t>(\\d)</t>").join(',');
        // Rows 4 to 6 are text rows on every sheet, the last one too.
        EXPECT_EQ(all(sheet, "<row r=\"(\\d+)\"[^>]*customFormat=\"1\""), (QStringList{"4", "5", "6"}));
    }
    EXPECT_EQ(ids, (QStringList{"1,2", "3,4", "5"}));
    // The formatted column holds numbers in its format; the others stay text.
    const QString sheet = parts["xl/worksheets/sheet1.xml"];
    EXPECT_EQ(all(cell(sheet, "C5"), "<v>([^<]*)</v>"), QStringList{"2.5"});
    EXPECT_FALSE(cell(sheet, "C5").contains("t=\""));
    EXPECT_TRUE(cell(sheet, "B5").contains("<t>Madrid, ES</t>"));
    EXPECT_TRUE(parts["xl/styles.xml"].contains("formatCode=\"0.00\""));
    EXPECT_TRUE(sheet.contains(QRegularExpression("<col min=\"3\" max=\"3\" width=\"[\\d.]+\" style=\"\\d+\"")));

    // Without ORDER BY the rows cannot be cut into sheets.
    EXPECT_FALSE(excel.GenerateExcel("SELECT Id, Nombre FROM C", "T"));
    ASSERT_EQ(dialogs->calls.size(), 1u);
    EXPECT_EQ(dialogs->calls[0].prompt, QString::fromUtf8("Se han encontrado 5 registros, debido a que no existe "
                                                          "ordenación en la sentencia SQL, no se puede realizar paginación."));
    // Only the first workbook is there, and launched.
    EXPECT_EQ((std::tuple{excel.FileName(), excelFiles().size(), launcher->launched.size()}), (std::tuple{QString(), 1, 1}));
}

TEST_F(ExcelTest, AResultOfManyBlocksIsWrittenAsInOne)
{
    bigTable(file);
    zolt->setRowsPerSheet(30000);
    QMap<QString, QString> parts[2];
    for (const long long rows : {0LL, 1LL << 30}) {
        excel.setBlockRows(rows);
        ASSERT_TRUE(excel.GenerateExcel("SELECT Id, N + 0 AS V, Txt FROM B ORDER BY Id", "T", "2-0.00"));
        parts[rows == 0] = partsOf(excel.FileName());
        parts[rows == 0].remove("docProps/core.xml"); // the time it was written
    }
    EXPECT_EQ(parts[0].keys(), parts[1].keys());
    EXPECT_TRUE(parts[0] == parts[1]);
    EXPECT_EQ(all(parts[0]["xl/workbook.xml"], "<sheet name=\"([^\"]+)\"").size(), 3);
}

TEST_F(ExcelTest, NoRowsARefusalABadFormatOrAFailureMidWriteLeaveNoWorkbookAndDirectExportsOnce)
{
    EXPECT_TRUE(excel.GenerateExcel("SELECT Id FROM Vacia", "T"));
    EXPECT_FALSE(known("SELECT Id INTO D FROM C"));
    // The bad format is found before any file; a text longer than a cell takes fails the second row.
    file.exec({"INSERT INTO C VALUES (9, 'long', '" + QString(40000, 'z') + "', 0)"});
    EXPECT_FALSE(known(kFirstThree, "x-0.00"));
    EXPECT_FALSE(known(kFirstThree, "0-0.00")); // before the first column
    EXPECT_FALSE(known("SELECT Id, Codigo, Nombre, Importe FROM C WHERE Id IN (1, 9) ORDER BY Id"));
    const QStringList reports = shownTexts();
    const QString failed = QString::fromUtf8("16|Error|Error en Función GenerateExcelKnownCellCount\r\nError: ");
    const QString badFormat = QString::fromUtf8("Formato de columna no válido: %1\r\nComponente: GRANVIK.CLSEXCEL");
    EXPECT_EQ(reports.mid(0, 4), (QStringList{"64|Aviso|No se han encontrado resultados para generar el Excel",
                                              QString::fromUtf8("64|Aviso|Solo se puede exportar el resultado de una "
                                                                "única sentencia SELECT sin INTO."),
                                              failed + badFormat.arg("x-0.00"), failed + badFormat.arg("0-0.00")}));
    EXPECT_TRUE(reports.value(4).startsWith(failed)) << reports.value(4).toStdString();
    EXPECT_EQ((std::tuple{excelFiles().size(), launcher->launched.size(), excel.FileName()}), (std::tuple{0, 0, QString()}));
    EXPECT_EQ(temporaryFilesHeldIn(folder.filePath("Excel")), 0);

    // Direct saves an empty workbook first, then exports once.
    const QString target = folder.filePath("vacio.xlsx");
    ASSERT_TRUE(excel.GenerateExcelDirect(kFirstThree, "T", target));
    EXPECT_EQ((std::tuple{partsOf(target).contains("xl/worksheets/sheet1.xml"), excelFiles(), launcher->launched.size()}),
              (std::tuple{true, QStringList{kWorkbook}, 1}));

    // On a server the statement is run once, for its rows.
    onServer().answerRows("SELECT a FROM t", {"a"}, {{Variant(std::int32_t(1))}});
    ASSERT_TRUE(excel.GenerateExcelDirect("SELECT a FROM t", "T", target));
    EXPECT_EQ(rec->statements(), QStringList{"SELECT a FROM t"});
}


// Exports are the user's files: a new one takes the mode the user's mask
// gives (as the CSV and script exports do); one written over keeps its own.
TEST_F(ExcelTest, AWorkbookTakesTheModeOfTheUsersMaskAndAReplacedOneKeepsItsOwn)
{
    const filemode::UserMask mask(027);
    ASSERT_TRUE(known(kFirstThree));
    const QString fresh = excel.FileName(), direct = folder.filePath("libro.xlsx");
    ASSERT_TRUE(excel.GenerateExcelDirect(kFirstThree, "T", direct));
    ::chmod(QFile::encodeName(direct).constData(), 0604);
    ASSERT_TRUE(excel.GenerateExcelDirect(kFirstThree, "T", direct));
    EXPECT_EQ((std::pair{filemode::of(fresh), filemode::of(direct)}), (std::pair{0640u, 0604u}));
}

// A workbook dropped halfway or failing at its close gives back at once the
// room of the library's temporary files (open, already deleted).
TEST(Workbook, ADroppedOrFailedWorkbookHoldsNoTemporaryFile)
{
    QTemporaryDir d;
    for (const bool closing : {false, true}) {
        {
            xlsx::Workbook wb(d.filePath(closing ? "missing/a.xlsx" : "a.xlsx"), d.path());
            for (const QString& sheet : {QStringLiteral("uno"), QStringLiteral("dos")}) {
                wb.addSheet(sheet);
                for (int r = 0; r < 100; ++r)
                    wb.writeText(r, 0, u"texto", nullptr);
            }
            EXPECT_EQ(temporaryFilesHeldIn(d.path()), 2);
            if (closing) {
                EXPECT_THROW(wb.close(), Error);
            }
        }
        EXPECT_EQ(temporaryFilesHeldIn(d.path()), 0) << closing;
    }
}

} // namespace
