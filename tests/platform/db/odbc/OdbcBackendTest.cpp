// What only the ODBC backend does: driver resolution, exact types of the
// driver's columns, block and row-by-row fetching, catalog details.
#include "BackendSuite.h"
#include "platform/db/Db.h"
#include "platform/db/odbc/OdbcApi.h"
#include "platform/db/odbc/OdbcBackend.h"
#include "platform/db/odbc/OdbcConnectionString.h"
#include "platform/db/RowReader.h"
#include "platform/db/odbc/OdbcTestEnvironment.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace db;
using db::odbc::resolveSqlServerDriver;

namespace {

const QString Integrated = "driver={SQL Server};server=tcp:db01;Trusted_Connection=yes;database=Ventas";

} // namespace

// Which driver a "{SQL Server}" string gets on this machine, and how FreeTDS is told
// host, port and protocol version apart; strings of other drivers stay as they are.
TEST(SqlServerDriver, TheBestInstalledDriverTakesTheNameWithWhatItNeeds)
{
    const QString login = "driver={SQL Server};server=tcp:db01,1533;uid=sa;pwd=x;database=Ventas";
    const QString dsn = "DSN=Ventas;DATABASE=x;UID=u;PWD=p";
    const struct { QString cs; QStringList drivers; QString expected; } cases[] = {
        {Integrated, {"FreeTDS", "SQL Server", "ODBC Driver 18 for SQL Server"}, Integrated},
        {Integrated, {"FreeTDS", "ODBC Driver 17 for SQL Server", "ODBC Driver 18 for SQL Server"},
         "driver={ODBC Driver 18 for SQL Server};server=tcp:db01;Trusted_Connection=yes;database=Ventas;TrustServerCertificate=yes"},
        {Integrated, {"FreeTDS", "ODBC Driver 17 for SQL Server"},
         "driver={ODBC Driver 17 for SQL Server};server=tcp:db01;Trusted_Connection=yes;database=Ventas"},
        // A string that already says how to encrypt is left to say it.
        {"Driver={SQL Server};Server=x;Encrypt=no", {"ODBC Driver 18 for SQL Server"},
         "Driver={ODBC Driver 18 for SQL Server};Server=x;Encrypt=no"},
        {login, {"FreeTDS", "SQLite3"}, "driver={FreeTDS};server=db01;uid=sa;pwd=x;database=Ventas;Port=1533;TDS_Version=7.4"},
        {Integrated, {"FreeTDS"}, "driver={FreeTDS};server=db01;Trusted_Connection=yes;database=Ventas;TDS_Version=7.4"},
        // A named instance stays in the server name; a version given is kept.
        {"Driver={SQL Server};Server=tcp:host\\SQLEXPRESS;TDS_Version=7.2", {"FreeTDS"},
         "Driver={FreeTDS};Server=host\\SQLEXPRESS;TDS_Version=7.2"},
        {Integrated, {"SQLite3", "MDBTools"}, Integrated},
        {dsn, {"FreeTDS"}, dsn},
    };
    for (const auto& c : cases)
        EXPECT_EQ(resolveSqlServerDriver(c.cs, c.drivers), c.expected) << c.cs.toStdString();
}

TEST(OdbcConnectionString, BracedValuesKeepTheirSeparators)
{
    auto cs = odbc::ConnectionString::parse("Driver={My;Driver};PWD={a}}b;c};Server=s");
    EXPECT_EQ(cs.value("driver"), "My;Driver");
    EXPECT_EQ(cs.value("PWD"), "a}b;c");
    EXPECT_EQ(cs.value("SERVER"), "s");
    cs.set("PWD", "x;y}");
    EXPECT_EQ(cs.toString(), "Driver={My;Driver};PWD={x;y}}};Server=s");
    cs.remove("server");
    EXPECT_FALSE(cs.contains("Server"));
}

// ---- through the SQLite ODBC driver ------------------------------------------

class OdbcBackendTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        file_ = dir_.filePath("odbc.db");
    }
    void prepare(const QStringList& statements) { prepareSqliteFile(file_, statements); }
    // The suite's file with extra words, or the data source string given.
    ConnectionPtr open(const QString& extra = QString())
    {
        auto cn = std::make_shared<Connection>();
        cn->Open(extra.startsWith("DSN=") ? extra : odbctest::sqliteConnectionString(file_) + extra);
        return cn;
    }
    QTemporaryDir dir_;
    QString file_;
};

TEST_F(OdbcBackendTest, ColumnTypesMapToDataTypeNumbersAndValuesKeepTheirKind)
{
    prepare({"CREATE TABLE T (i INTEGER, s SMALLINT, b BIGINT, d DOUBLE, v VARCHAR(20), t TEXT, f BIT, "
             "ts DATETIME, dt DATE, bl BLOB, ti TINYINT)",
             "INSERT INTO T VALUES (7, -3, 1099511627776, 2.5, 'abc', 'long', 1, '2024-12-25 10:30:15', '2023-01-02', "
             "x'00ff10', 200)"});
    auto cn = open();
    EXPECT_EQ(cn->Provider(), "MSDASQL");
    Recordset rs;
    rs.Open("SELECT i, s, b, d, v, t, f, ts, dt, bl, ti FROM T", cn);
    const int expected[] = {adInteger, adSmallInt, adBigInt, adDouble, adVarChar, adLongVarChar, adBoolean,
                            adDBTimeStamp, adDBDate, adBinary};
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(rs.Fields(i).Type(), expected[i]) << rs.Fields(i).Name().toStdString();
    const std::pair<const char*, Variant> values[] = {
        {"i", std::int32_t(7)}, {"s", std::int16_t(-3)}, {"b", std::int64_t(1099511627776)}, {"d", 2.5}, {"v", "abc"},
        {"f", true}, {"ts", QDateTime(QDate(2024, 12, 25), QTime(10, 30, 15), Qt::UTC)},
        {"dt", QDateTime(QDate(2023, 1, 2), QTime(0, 0), Qt::UTC)}};
    for (const auto& [name, value] : values)
        EXPECT_EQ(rs.value(name), value) << name;
    auto blob = rs.value("bl").array();
    ASSERT_EQ(blob->count(), 3);
    EXPECT_EQ(blob->at(1), Variant(std::uint8_t(255)));
    EXPECT_EQ(rs.value("ti").toLong(), 200);
    EXPECT_EQ(rs.Fields("v").DefinedSize(), 20);
}

TEST_F(OdbcBackendTest, TextLongerThanItsBufferOrBeyondAsciiIsReadWhole)
{
    const QString longText = QString("ñandú €😀 ").repeated(1500);
    const QString overflow = QString("x").repeated(3000) + "ü";
    prepare({"CREATE TABLE T (id INTEGER, memo TEXT, small VARCHAR(5))",
             "INSERT INTO T VALUES (1, '" + longText + "', '" + overflow + "')"});
    auto cn = open();
    cn->Execute("INSERT INTO T VALUES (2, NULL, 'ab')");
    // Statement text beyond ASCII, and beyond the first plane (which the driver
    // manager cannot pass to a driver without wide calls).
    cn->Execute("INSERT INTO T VALUES (3, 'ñandú € 😁', NULL)");
    Recordset rs;
    rs.Open("SELECT id, memo, small FROM T ORDER BY id", cn);
    ASSERT_EQ(rs.RecordCount(), 3);
    EXPECT_EQ(rs.value("memo").toString(), longText);
    EXPECT_EQ(rs.value("small").toString(), overflow); // the engine does not enforce VARCHAR(5)
    rs.MoveNext();
    EXPECT_TRUE(rs.value("memo").isNull());
    EXPECT_EQ(rs.value("small").toString(), "ab");
    rs.MoveNext();
    EXPECT_EQ(rs.value("memo").toString(), "ñandú € 😁");
}

TEST_F(OdbcBackendTest, ManyRowsCrossBlockBoundariesIntact)
{
    // Only fixed-size columns: fetched in blocks, each C type packed at its own size.
    prepare({"CREATE TABLE N (id INTEGER NOT NULL, half DOUBLE, odd INTEGER, flag BIT, at TIME, day DATETIME)",
             "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 5000) "
             "INSERT INTO N SELECT x, x / 2.0, CASE WHEN x % 2 = 1 THEN x END, x % 3 = 0, "
             "time(x * 7, 'unixepoch'), datetime(x * 86400, 'unixepoch') FROM c"});
    auto cn = open();
    Recordset rs;
    rs.Open("SELECT id, half, odd, flag, at, day FROM N ORDER BY id", cn);
    ASSERT_EQ(rs.RecordCount(), 5000);
    EXPECT_EQ(rs.Fields("at").Type(), adDBTime);
    qint64 sum = 0, nulls = 0;
    const QDateTime epoch(QDate(1970, 1, 1), QTime(0, 0), Qt::UTC);
    for (; !rs.Eof(); rs.MoveNext()) {
        const qint64 id = rs.value(0).toLongLong();
        sum += id;
        EXPECT_DOUBLE_EQ(rs.value(1).toDouble(), id / 2.0);
        if (rs.value(2).isNull())
            ++nulls;
        else
            EXPECT_EQ(rs.value(2).toLongLong(), id);
        ASSERT_EQ(rs.value("flag"), Variant(id % 3 == 0)) << id;
        ASSERT_EQ(rs.value("at"), Variant(QDateTime(QDate(1899, 12, 30), QTime(0, 0).addSecs(int(id * 7 % 86400)), Qt::UTC))) << id;
        ASSERT_EQ(rs.value("day"), Variant(epoch.addDays(id))) << id;
    }
    EXPECT_EQ(sum, 5000LL * 5001 / 2);
    EXPECT_EQ(nulls, 2500);
}

// Read forward in steps that end inside the driver's blocks, the rows are the
// whole result's, with the catalog's NOT NULL once they are all in; a reader
// dropped half-way leaves the connection free.
TEST_F(OdbcBackendTest, RowsReadForwardInStepsAreTheWholeResults)
{
    prepare({"CREATE TABLE N (id INTEGER NOT NULL, name VARCHAR(20), note TEXT)",
             "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 3000) "
             "INSERT INTO N SELECT x, 'n' || x, CASE WHEN x % 4 THEN printf('%.*d', x % 2000, x) END FROM c"});
    auto cn = open();
    const QString sql = "SELECT id, name, note FROM N ORDER BY id";
    Recordset whole;
    whole.Open(sql, cn);
    const ResultSet& all = *whole.result();
    {
        RowReader reader(sql, cn);
        ResultSet read;
        read.fields = reader.fields();
        ResultBuilder b(read);
        while (reader.read(b, 333) == 333) {
        }
        ASSERT_EQ(read.rowCount(), 3000);
        int differing = 0;
        for (qint64 r = 0; r < 3000; ++r)
            for (int c = 0; c < 3; ++c)
                differing += read.value(r, c) != all.value(r, c);
        EXPECT_EQ(differing, 0);
        EXPECT_EQ(std::tuple(reader.fields()[0].nullable(), reader.fields()[1].nullable()), std::tuple(false, true));
    }
    auto half = std::make_unique<RowReader>(sql, cn);
    EXPECT_EQ(half->next(1500)->value(1499, 1).toString(), "n1500");
    half.reset();
    EXPECT_NO_THROW(cn->Execute("DELETE FROM N WHERE id > 10"));
    Recordset left;
    left.Open("SELECT count(*) FROM N", cn);
    EXPECT_EQ(left.value(0).toLong(), 10);
}

TEST_F(OdbcBackendTest, CatalogReportsDefaultsAutoincrementNotNullOfBaseColumnsAndNameWithWildcards)
{
    prepare({"CREATE TABLE a_b (id INTEGER PRIMARY KEY AUTOINCREMENT, c VARCHAR(20) NOT NULL DEFAULT 'x', n INTEGER)",
             "CREATE TABLE aXb (other INTEGER NOT NULL)", "INSERT INTO a_b (n) VALUES (2)", "INSERT INTO aXb VALUES (1)"});
    auto cn = open();
    // Only base columns take NOT NULL from the catalog.
    Recordset rs;
    rs.Open("SELECT a_b.c, a_b.n, aXb.other, a_b.id + 1 AS next FROM a_b INNER JOIN aXb ON aXb.other = a_b.id", cn);
    for (const auto& [name, nullable] : {std::pair{"c", false}, {"n", true}, {"other", false}, {"next", true}})
        EXPECT_EQ(bool(rs.Fields(name).Attributes() & adFldIsNullable), nullable) << name;
    Catalog cat;
    cat.setActiveConnection(cn);
    auto t = cat.Table("a_b");
    ASSERT_EQ(t.columns.size(), 3u); // "_" is not a wildcard here: aXb stays out
    EXPECT_EQ(t.columns[0].name, "id");
    EXPECT_EQ(t.columns[0].property("Autoincrement"), Variant(true));
    EXPECT_EQ(t.columns[1].property("Autoincrement"), Variant(false));
    EXPECT_EQ(t.columns[1].property("Default").toString().remove('\''), "x");
    EXPECT_EQ(t.columns[2].property("Default").toString(), "");
    EXPECT_EQ(cat.PrimaryKey("a_b"), QStringList{"id"});
    EXPECT_EQ(cat.Table("[a_b]").name, "a_b");
}

TEST_F(OdbcBackendTest, OpeningFailuresCarryTheDriverManagersMessage)
{
    auto cn = std::make_shared<Connection>();
    EXPECT_TRUE(odbc::installedDrivers().contains("SQLite3")); // the test registry is what the driver manager reads
    expectError([&] { cn->Open("Driver={No Such Driver};Database=x"); }, 0, {"No Such Driver"});
    EXPECT_EQ(cn->State(), adStateClosed);
}

// The data-shaping provider word does not reach the driver; a data source is
// reached in the Access driver form and in the SQL Server form with its empty
// user and password (connection type three).
TEST_F(OdbcBackendTest, ProviderWordsAndDataSourceStrings)
{
    file_ = odbctest::dsnFile();
    QFile::remove(file_);
    prepare({"CREATE TABLE T (id INTEGER)", "INSERT INTO T VALUES (9)"});
    const QString dsn = "DSN=" + QString(odbctest::TestDsn) + ";";
    for (const QString& cs : {QString(";Provider=MSDataShape"), QString(";Provider=MSDASQL.1"), dsn,
                              dsn + "DATABASE=" + file_ + ";UID=;PWD="}) {
        Recordset rs;
        rs.Open("SELECT id FROM T", open(cs));
        EXPECT_EQ(rs.value(0).toLong(), 9) << cs.toStdString();
    }
}

TEST(OdbcSqlServer, TheSqlServerDriverNameReachesFreeTds)
{
    odbctest::installDrivers();
    if (odbctest::freeTdsDriverLibrary().isEmpty())
        GTEST_SKIP() << "FreeTDS not installed";
    // Nothing listens on port 1: the refusal must come from FreeTDS, which shows
    // that "{SQL Server}" was resolved to it (not reported as an unknown driver).
    auto cn = std::make_shared<Connection>();
    cn->setConnectionTimeout(2);
    const Error e =
        expectError([&] { cn->Open("driver={SQL Server};server=tcp:127.0.0.1,1;uid=sa;pwd=x;database=Ventas"); }, 0, {"FreeTDS"});
    EXPECT_FALSE(e.description.contains("Can't open lib")) << e.description.toStdString();
}

TEST(OdbcMoney, DecimalTextBecomesExactScaledMoney)
{
    // Rounded half to even at the fifth decimal; beyond the range or not a number: refused.
    const std::pair<const char*, std::int64_t> exact[] = {{"1234.5678", 12345678}, {"-0,5", -5000}, {"2.00005", 20000},
                                                          {"2.00015", 20002},      {"2.000051", 20001},
                                                          {"922337203685477.5807", std::numeric_limits<std::int64_t>::max()}};
    for (const auto& [text, scaled] : exact) {
        std::int64_t v = 0;
        EXPECT_TRUE(odbc::parseMoneyText(text, v) && v == scaled) << text << " gave " << v;
    }
    std::int64_t v = 0;
    for (const char* refused : {"922337203685477.5808", "12abc", ""})
        EXPECT_FALSE(odbc::parseMoneyText(refused, v)) << refused;
}

TEST(OdbcTypes, EverySqlTypeOfASqlServerTableMapsToItsDataTypeNumber)
{
    struct Case { const char* what; int sqlType; int expected; bool isUnsigned = false, fixed = false; int scale = 0; };
    const Case cases[] = {
        {"tinyint", SQL_TINYINT, adUnsignedTinyInt, true}, {"signed tinyint", SQL_TINYINT, adTinyInt},
        {"smallint", SQL_SMALLINT, adSmallInt}, {"int", SQL_INTEGER, adInteger}, {"bigint", SQL_BIGINT, adBigInt},
        {"real", SQL_REAL, adSingle}, {"float", SQL_FLOAT, adDouble}, {"double", SQL_DOUBLE, adDouble},
        {"money", SQL_DECIMAL, adCurrency, false, true, 4}, {"smallmoney", SQL_DECIMAL, adCurrency, false, true, 4},
        {"decimal(18,4)", SQL_DECIMAL, adNumeric, false, false, 4}, {"numeric(10,2)", SQL_NUMERIC, adNumeric, false, false, 2},
        {"bit", SQL_BIT, adBoolean}, {"datetime", SQL_TYPE_TIMESTAMP, adDBTimeStamp, false, false, 3},
        {"date", SQL_TYPE_DATE, adDBDate}, {"time", SQL_TYPE_TIME, adDBTime}, {"char", SQL_CHAR, adChar},
        {"varchar", SQL_VARCHAR, adVarChar}, {"text", SQL_LONGVARCHAR, adLongVarChar}, {"nchar", SQL_WCHAR, adWChar},
        {"nvarchar", SQL_WVARCHAR, adVarWChar}, {"ntext", SQL_WLONGVARCHAR, adLongVarWChar}, {"binary", SQL_BINARY, adBinary},
        {"varbinary", SQL_VARBINARY, adVarBinary}, {"image", SQL_LONGVARBINARY, adLongVarBinary},
        {"uniqueidentifier", SQL_GUID, adGUID},
    };
    for (const auto& c : cases)
        EXPECT_EQ(odbc::dataTypeFor(c.sqlType, c.isUnsigned, c.fixed, c.scale), c.expected) << c.what;
}
