// The CSV writer: the value rules in a table, then whole files from a local
// database file (and one server column type through the recorder).
#include "ExportTestSupport.h"

#include "core/FileReplace.h"
#include "core/ValueText.h"
#include "export/ExportStatement.h"
#include "export/clsCSV.h"
#include "export/frmCSV.h"
#include "support/FileMode.h"

#include <QDir>
#include <QStringDecoder>
#include <sys/ioctl.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <unistd.h>

using namespace exporttest;

namespace {

const QString kBom = QString(QChar(0xFEFF));

// The full path's choices of the examples: ",", Comillas Dobles, '""' as
// replacement, delimiters on text and titles, 4 places, dd/mm/yyyy.
CSVOutputs fullOptions(const QString& folder)
{
    return {.FicheroDestino = folder + "/CLIENTES.csv", .RutaDestino = folder + '/', .NombreFichero = "CLIENTES.csv",
            .SeparadorCampos = ",", .FormatoFecha = "dd/mm/yyyy", .SeparadorDecimal = ".", .PosicionesDecimales = 4,
            .DelimitadorCampos = "''", .Diferenciador = "\"\"", .DelimitadorTexto = true, .DelimitadorTitulos = true};
}

// The fast path's: ";", no delimiters, no replacement.
CSVOutputs fastOptions(const QString& folder)
{
    const CSVOutputs f = fullOptions(folder);
    return {f.FicheroDestino, f.RutaDestino, f.NombreFichero, ";", f.FormatoFecha, f.SeparadorDecimal, f.PosicionesDecimales,
            {}, {}};
}

CSVSettings settingsOf(const CSVOutputs& o) { return CSVSettings::fromOptions(*CSVOptions(o)); }

QString utf16File(const QByteArray& bytes)
{
    return bytes.startsWith("\xFF\xFE") ? QStringDecoder(QStringDecoder::Utf16LE, QStringDecoder::Flag::ConvertInitialBom)(bytes)
                                        : QStringLiteral("<no UTF-16LE BOM>");
}

TEST(FormatCSVValue, FixedDecimalsRoundHalfToEvenFromTheShortestDigitsAndMarkersDelimitersAndQuotesGoByType)
{
    const std::tuple<Variant, int, int, const char*, const char*> cases[] = {
        {2.675, 5, 2, ".", "2.68"},   {2.125, 5, 2, ".", "2.12"},    {3.996, 5, 2, ".", "4.00"},
        {-2.675, 5, 2, ".", "-2.68"}, {1e-05, 5, 4, ".", "0.0000"},  {3.5, 5, 4, ",", "3,5000"},
        {12.0, 5, 0, ".", "12."},     {3.14159, 5, 2, ".", "3.14"},  {3.0456, 5, 2, ".", "3.05"},
        {9.995, 5, 2, ".", "10.00"},   {99.5, 5, 0, ".", "100."},     {1e20, 5, 1, ".", "100000000000000000000.0"},
        {-0.00001, 5, 2, ".", "0.00"},
        // A Single keeps its own digits, not those of the wider number it becomes.
        {float(0.1f), 4, 9, ".", "0.100000000"}, {float(2.675f), 4, 2, ".", "2.68"},
        {0.123456789, 4, 9, ".", "0.123456790"}, // and a wider number in a Single column takes a Single's
        {Currency::fromScaled(26750), 6, 2, ".", "2.68"}, {Currency::fromScaled(-5), 6, 3, ".", "0.000"},
        {std::int32_t(12), 5, 4, ".", "12.0000"}, {QStringLiteral("1,5"), 5, 2, ".", "1.50"},
        {QStringLiteral("abc"), 5, 2, ".", "abc"},
    };
    for (const auto& [value, type, places, separator, expected] : cases)
        EXPECT_EQ(FixedDecimals(value, type, places, QLatin1String(separator)), QLatin1String(expected))
            << debugText(value).toStdString() << " P=" << places;

    // Null markers, delimiters and quotes by type.
    CSVOutputs o = fullOptions(QStringLiteral("/x"));
    o.DelimitadorNumero = o.DelimitadorFecha = true;
    const CSVSettings s = settingsOf(o);
    const Variant null = Variant::null();
    const QDateTime day(QDate(2024, 3, 5), QTime(10, 30), Qt::UTC);
    const std::tuple<const char*, Variant, int, bool, const char*> markers[] = {
        {"B#", true, 11, false, "\"1\""},        {"B", null, 11, false, "0"},       {"B", false, 11, false, "0"},
        {"N#", null, 3, false, "\"-1\""},        {"N", std::int16_t(5), 2, false, "5"},
        {"T#", null, 8, false, "\"N/A\""},       {"T", QStringLiteral("NULL"), 8, false, "N/A"},
        {"T#", QStringLiteral("a\"b"), 8, false, "\"a\"\"b\""},
        {"T", QStringLiteral("Madrid, ES"), 8, false, "\"Madrid, ES\""},
        {"T", QStringLiteral("x\r\ny"), 8, false, "\"x\r\ny\""},
        {"D", null, 5, false, "-1.0000"},        {"D#", 3.5, 5, false, "\"3.5000\""},
        {"F#", day, 7, false, "\"05/03/2024\""}, {"F", null, 7, false, "01/01/1900"},
        {"F", QStringLiteral("2024-03-05"), 7, false, "05/03/2024"},
        {"G", QStringLiteral("{1234-ab}"), 0, false, "{1234-ab}"}, {"G", null, 0, false, ""},
        {"Bin", null, 12, false, ""},
        // Titles: "#" dropped; delimited when marked and the type's flag is set.
        {"Nombre#", {}, 8, true, "\"Nombre\""}, {"Id", {}, 3, true, "Id"}, {"Alta#", {}, 7, true, "\"Alta\""},
        {"Bin#", {}, 12, true, "Bin"}, {"Guid#", {}, 0, true, "Guid"}, {"a,b", {}, 3, true, "\"a,b\""},
    };
    for (const auto& [name, value, type, title, expected] : markers)
        EXPECT_EQ(FormatCSVValue(QLatin1String(name), value, type, s, title), QString::fromUtf8(expected))
            << name << " " << debugText(value).toStdString();

    // Without "#" or without the type's flag nothing is delimited; the date form ignores the replacement.
    o.DelimitadorNumero = false;
    o.FormatoFecha = QStringLiteral("YYYY-MM-DD");
    o.DelimitadorCampos = QStringLiteral("'");
    o.Diferenciador = QStringLiteral("''");
    const CSVSettings t = settingsOf(o);
    // A typed '' stays two apostrophes: only the delimiter list's "''" means a double quote.
    EXPECT_EQ((QStringList{FormatCSVValue("N#", std::int32_t(7), 3, t, false), FormatCSVValue("F#", day, 7, t, false),
                           FormatCSVValue("T#", QStringLiteral("O'Brien"), 8, t, false)}),
              (QStringList{"7", "'2024-03-05'", "'O''Brien'"}));
}

class CsvWriterTest : public ExportTest {
protected:
    void SetUp() override
    {
        ExportTest::SetUp();
        file.exec({"CREATE TABLE T (Id LONG, Nombre TEXT(40), Importe DOUBLE, Alta DATE)",
                   "INSERT INTO T VALUES (7, 'Dice \"holá\"', 3.5, '2024-03-05')",
                   "INSERT INTO T VALUES (NULL, NULL, NULL, NULL)", "CREATE TABLE Vacia (Id LONG, Nombre TEXT(40))"});
    }
    bool generate(const QString& sql, const CSVOutputs& o)
    {
        clsCSV csv;
        csv.StartObject(&host, zolt, msg, nullptr);
        return csv.GenerateCSV(sql, CSVOptions(o));
    }
    QString target() const { return out + QStringLiteral("/CLIENTES.csv"); }
    const QString out = folder.filePath("out");
};

const QString kTable = QStringLiteral("SELECT Id, Nombre AS [Nombre#], Importe, Alta FROM T ORDER BY Id DESC");

TEST_F(CsvWriterTest, FullPathWritesUtf16WhateverTheLocaleTheFastPathUtf8AndAServerRunsOnlyOneSelect)
{
    const QString expected = kBom + "Id,\"Nombre\",Importe,Alta\r\n7,\"Dice \"\"holá\"\"\",3.5000,05/03/2024\r\n"
                                    "-1,\"N/A\",-1.0000,01/01/1900\r\n";
    for (const QLocale& locale : {QLocale(QLocale::Spanish, QLocale::Spain), QLocale(QLocale::English, QLocale::UnitedStates)}) {
        ValueText::ScopedLocale in(locale);
        ASSERT_TRUE(generate(kTable, fullOptions(out)));
        EXPECT_EQ(utf16File(bytesOf(target())), expected) << locale.name().toStdString();
    }
    EXPECT_TRUE(notices->calls.empty());

    // ";" with a decimal comma; a repeated name is counted; a comma inside a bare value is quoted.
    CSVOutputs o = fullOptions(out);
    o.SeparadorCampos = QStringLiteral(";");
    o.SeparadorDecimal = QStringLiteral(",");
    ASSERT_TRUE(generate("SELECT Importe AS a, Importe AS a, 'Madrid, ES' AS c FROM T WHERE Id = 7", o));
    EXPECT_EQ(utf16File(bytesOf(target())), kBom + "a;a(2);c\r\n3,5000;3,5000;Madrid, ES\r\n");
    // An empty result still gives its title line.
    ASSERT_TRUE(generate("SELECT Id, Nombre FROM Vacia", o));
    EXPECT_EQ(utf16File(bytesOf(target())), kBom + "Id;Nombre\r\n");

    // The fast path writes the data layer's rows in UTF-8 without a mark.
    // Numbers and dates read as the record set writes them, in the desktop's marks; a NULL is "--"; a value
    // with the separator stays one field.
    file.exec({"CREATE TABLE G (n INTEGER, r DOUBLE, d DATETIME, b TEXT(10))",
               "INSERT INTO G VALUES (1, 2.5, '2024-03-05 13:14:15', 'a')",
               "INSERT INTO G VALUES (2, 0.00001, '1899-12-30 10:11:12', 'b;c')",
               "INSERT INTO G VALUES (3, 1e15, '2024-03-05', 'c')", "INSERT INTO G VALUES (NULL, NULL, '2024-02-30', 'd')"});
    ASSERT_TRUE(generate("SELECT n, r, d, b FROM G ORDER BY b", fastOptions(out)));
    EXPECT_EQ(bytesOf(target()), QByteArray("1;2,5;05/03/2024 13:14:15;a\r\n2;1E-05;10:11:12;\"b;c\"\r\n3;1E+15;05/03/2024;c\r\n"
                                            "--;--;2024-02-30;d\r\n\r\n"));
    // No rows leave one empty line.
    ASSERT_TRUE(generate("SELECT Id FROM Vacia", fastOptions(out)));
    EXPECT_EQ(bytesOf(target()), QByteArray("\r\n"));

    // On a server only one SELECT without INTO is run, and columns of other types keep their values and titles.
    db::RecordingBackend& server = onServer();
    // What is refused is in the statement table below.
    EXPECT_FALSE(generate("SELECT a INTO x FROM t", fullOptions(out)));
    EXPECT_EQ(shownTexts(), QStringList{QString::fromUtf8(
                                "64|Aviso|Solo se puede exportar el resultado de una única sentencia SELECT sin INTO.")});
    EXPECT_EQ(bytesOf(target()), QByteArray("\r\n")) << "the last file stays";
    auto bytes = std::make_shared<VArray>(0, 0);
    bytes->at(0) = Variant(std::uint8_t(7));
    auto a = db::RecordingBackend::Answer::table({"Dia#", "Foto"}, {{Variant(QDate(2024, 3, 5)), Variant(bytes)},
                                                                    {Variant::null(), Variant::null()}});
    a.fields[0].type = db::adDBDate;
    a.fields[1].type = db::adVarBinary;
    server.answer("SELECT Dia, Foto FROM Agenda", a);
    ASSERT_TRUE(generate("SELECT Dia, Foto FROM Agenda", fullOptions(out)));
    EXPECT_EQ(utf16File(bytesOf(target())), kBom + "Dia,Foto\r\n05/03/2024,\r\n,\r\n");
    // Only the accepted statement ran, once, as written: no probe of its columns.
    EXPECT_EQ(server.statements(), QStringList{"SELECT Dia, Foto FROM Agenda"});
}

TEST(ExportStatement, SplitsOutsideLiteralsNamesAndComments)
{
    const std::pair<const char*, const char*> cases[] = { // second nullptr: refused
        {"SELECT 'a;b' FROM t;", "SELECT 'a;b' FROM t"},
        {"select into_x, [a;INTO] FROM t -- ; DELETE FROM t", "select into_x, [a;INTO] FROM t -- ; DELETE FROM t"},
        {"  -- the list\r\nSELECT \"b;c\" FROM t ; ; ", "-- the list\r\nSELECT \"b;c\" FROM t"},
        {"SELECT 'it''s;' INTO", nullptr}, {"SELECT a INTO x FROM t", nullptr}, {"SELECT 1; DELETE FROM t", nullptr},
        {"SELECT 1; SELECT 2", nullptr}, {"WITH c AS (SELECT 1) SELECT * FROM c", nullptr}, {"(SELECT 1)", nullptr},
        {"'SELECT'", nullptr}, {"-- SELECT 1", nullptr}, {"DELETE FROM t", nullptr}, {"", nullptr},
        {"SELECT 'unclosed; DELETE FROM t", "SELECT 'unclosed; DELETE FROM t"},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(exportsql::singleSelect(QString::fromUtf8(text)).value_or(QStringLiteral("<refused>")),
                  QString::fromUtf8(expected ? expected : "<refused>"))
            << text;
}

// Makes a folder unwritable for the test's lifetime: its mode, and for root
// (whom modes do not stop) the immutable attribute.
struct Unwritable {
    explicit Unwritable(const QString& dir) : path(QFile::encodeName(dir))
    {
        ::chmod(path.constData(), 0555);
        immutable = ::geteuid() == 0 && setFlags(FS_IMMUTABLE_FL);
    }
    ~Unwritable()
    {
        if (immutable)
            setFlags(0);
        ::chmod(path.constData(), 0755);
    }
    bool setFlags(int immutableFlag) const
    {
        const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY);
        int flags = 0;
        const bool ok = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 &&
                        (flags = (flags & ~FS_IMMUTABLE_FL) | immutableFlag, ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0);
        ::close(fd);
        return ok;
    }
    QByteArray path;
    bool immutable = false;
};

TEST_F(CsvWriterTest, AFailureIsReportedAndLeavesTheOldFileAsItWas)
{
    ASSERT_TRUE(QDir().mkpath(out));
    QFile old(target());
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old contents");
    old.close();
    {
        Unwritable lock(out);
        if (::geteuid() == 0 && !lock.immutable)
            GTEST_SKIP() << "no way to make a folder unwritable here";
        EXPECT_FALSE(generate(kTable, fullOptions(out)));
        EXPECT_FALSE(generate(kTable, fastOptions(out)));
    }
    EXPECT_EQ(shownTexts(), QStringList(2, QString::fromUtf8("16|Error|Error en Función GenerateCSV\r\nComponente: "
                                                             "GRANVIK.CLSCSV")));
    EXPECT_EQ((std::pair{bytesOf(target()), QDir(out).entryList(QDir::Files | QDir::Hidden)}),
              (std::pair{QByteArray("old contents"), QStringList{"CLIENTES.csv"}}));
}

// Like every export: a new file as the user's mask says, a replaced one keeps its mode.
TEST_F(CsvWriterTest, AFileTakesTheModeOfTheUsersMaskAndAReplacedOneKeepsItsOwn)
{
    const filemode::UserMask mask(027);
    ASSERT_TRUE(generate(kTable, fastOptions(out)));
    const unsigned fresh = filemode::of(target());
    ::chmod(QFile::encodeName(target()).constData(), 0604);
    ASSERT_TRUE(generate(kTable, fullOptions(out)));
    EXPECT_EQ(std::pair(fresh, filemode::of(target())), std::pair(0640u, 0604u));
}

TEST_F(CsvWriterTest, AResultOfManyBlocksIsWrittenAsInOneAndAFailureMidWayLeavesTheOldFile)
{
    bigTable(file);
    const QString sql = QStringLiteral("SELECT Id, N + 0 AS V, Txt FROM B ORDER BY Id");
    for (const CSVOutputs& o : {fastOptions(out), fullOptions(out)}) {
        QByteArray files[2];
        for (const long long rows : {0LL, 1LL << 30}) {
            clsCSV csv;
            csv.StartObject(&host, zolt, msg, nullptr);
            csv.setBlockRows(rows);
            ASSERT_TRUE(csv.GenerateCSV(sql, CSVOptions(o)));
            files[rows == 0] = bytesOf(target());
        }
        EXPECT_EQ(files[0].size(), files[1].size()) << o.SeparadorCampos.toStdString();
        EXPECT_TRUE(files[0] == files[1]) << o.SeparadorCampos.toStdString();
        // The first rows are written as the real column the whole result makes of V.
        if (o.SeparadorCampos == ";")
            EXPECT_TRUE(files[0].startsWith("1;1;1\r\n"));
        else
            EXPECT_TRUE(utf16File(files[0]).startsWith(kBom + "Id,V,Txt\r\n1,1.0000,1\r\n"));
    }
    // The late row that cannot be converted fails the export after blocks were written: the last file stays.
    const QByteArray last = bytesOf(target());
    EXPECT_FALSE(generate("SELECT Id, CLng(Txt) AS T FROM B ORDER BY Id", fastOptions(out)));
    EXPECT_TRUE(bytesOf(target()) == last);

    // A disk that fills at the first or at the last byte: reported, the last
    // file stays whole and nothing is left beside it.
    for (const CSVOutputs& o : {fastOptions(out), fullOptions(out)}) {
        ASSERT_TRUE(generate(sql, o));
        const QByteArray whole = bytesOf(target());
        for (const qint64 room : {qint64(0), qint64(whole.size() - 1)}) {
            auto left = std::make_shared<qint64>(room);
            FileReplace::installWriter([left](QIODevice& file, const QByteArray& bytes) {
                const qint64 n = std::min<qint64>(*left, bytes.size());
                *left -= n;
                return file.write(bytes.left(n)) == n && n == bytes.size();
            });
            notices->calls.clear();
            EXPECT_FALSE(generate(sql, o)) << room;
            FileReplace::installWriter(nullptr);
            EXPECT_TRUE(bytesOf(target()) == whole) << room;
            EXPECT_EQ((std::pair{shownTexts(), QDir(out).entryList(QDir::Files | QDir::Hidden)}),
                      (std::pair{QStringList{"16|Error|Error en Función GenerateCSV\r\nComponente: GRANVIK.CLSCSV"},
                                 QStringList{"CLIENTES.csv"}}));
        }
    }
}

} // namespace
