// Access files written by the Windows engine, read end to end through the
// MDBTools driver (which reads one row at a time, has no further results and
// no index lists) and set beside what the MDBTools tools say about them.
#include "BackendSuite.h"
#include "platform/db/Db.h"
#include "platform/db/odbc/OdbcTestEnvironment.h"
#include "support/AccessTestFiles.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QProcess>
#include <QRegularExpression>

#include <map>
#include <set>
#include <gtest/gtest.h>

using namespace db;

namespace {

class RealAccessFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString why = accesstest::missing();
        if (!why.isEmpty())
            GTEST_SKIP() << why.toStdString();
        if (odbctest::mdbToolsDriverLibrary().isEmpty())
            GTEST_SKIP() << "MDBTools ODBC driver (package odbc-mdbtools) not installed";
        ASSERT_TRUE(accesstest::copyInto(dir_));
    }

    QString path(const char* file) const { return dir_.filePath(QLatin1String(file)); }

    ConnectionPtr open(const char* file) const
    {
        auto cn = std::make_shared<Connection>();
        cn->Open(QString("Provider=%1;Data Source=%2")
                     .arg(QString(file).endsWith(".mdb") ? "Microsoft.Jet.OLEDB.4.0" : "Microsoft.ACE.OLEDB.12.0", path(file)));
        return cn;
    }

    QTemporaryDir dir_;
};

using accesstest::Files;

// A value the way mdb-export writes it with the tests' date format.
std::optional<QString> exportText(const Variant& v)
{
    switch (v.type()) {
    case VarType::Null: return std::nullopt;
    case VarType::Date: return v.toDate().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    case VarType::Boolean: return QString::number(v.toBool() ? 1 : 0);
    case VarType::Currency: {
        const std::int64_t s = v.toCurrency().scaled;
        const std::uint64_t m = s < 0 ? std::uint64_t(0) - std::uint64_t(s) : std::uint64_t(s);
        return QStringLiteral("%1%2.%3").arg(s < 0 ? "-" : "").arg(m / 10000).arg(m % 10000, 4, 10, QLatin1Char('0'));
    }
    case VarType::Single: return QString::number(double(v.toSingle()), 'g', 8);
    case VarType::Double: return QString::number(v.toDouble(), 'g', 15);
    case VarType::Byte:
    case VarType::Integer:
    case VarType::Long:
    case VarType::LongLong: return QString::number(v.toLongLong());
    case VarType::Array: {
        QByteArray bytes;
        for (int i = 0; i < v.array()->count(); ++i)
            bytes += char(v.array()->at(i).toLongLong());
        return QString::fromLatin1(bytes.toHex().toUpper());
    }
    default: return v.toString();
    }
}

// The type a column of each mdb-schema type has, in the catalog and in a record set.
QString typed(const QString& column, const QString& schemaType)
{
    static const std::map<QString, int> types = {
        {"Text", adVarChar},       {"Memo/Hyperlink", adLongVarChar}, {"Byte", adUnsignedTinyInt}, {"Integer", adSmallInt},
        {"Long Integer", adInteger}, {"Single", adSingle},            {"Double", adDouble},         {"Currency", adCurrency},
        {"DateTime", adDBTimeStamp}, {"Boolean", adBoolean},          {"OLE", adLongVarBinary}};
    const auto it = types.find(schemaType);
    return column + QLatin1Char(':') + (it == types.end() ? schemaType : QString::number(it->second));
}

} // namespace

// Each file's tables are those mdb-tables lists; each table is described with the
// columns of mdb-export's header and the types of mdb-schema (the driver lists no
// indexes, so no index and no key) and read row by row as mdb-export shows it.
TEST_F(RealAccessFile, EveryTableIsDescribedAndReadAsTheMdbToolsShowIt)
{
    // mdb-export writes a date the library cannot express (before 1899-12-30 or
    // after about 2700) as day zero of 1900; the driver cannot read it either.
    static const QRegularExpression unreadableDate(QStringLiteral(R"(^\d{4}-\d\d-00 )"));
    for (const char* file : Files) {
        auto cn = open(file);
        Catalog cat;
        cat.setActiveConnection(cn);
        const QStringList tables = accesstest::tables(path(file));
        QStringList listed;
        for (const auto& t : cat.Tables())
            if (t.type == QLatin1String("TABLE"))
                listed << t.name;
        EXPECT_EQ(listed, tables) << file;
        for (const QString& table : tables) {
            SCOPED_TRACE((QString::fromLatin1(file) + QLatin1Char('/') + table).toStdString());
            const auto expected = accesstest::exportTable(path(file), table);
            const QStringList schemaTypes = accesstest::schemaTypes(path(file), table);
            ASSERT_FALSE(expected.empty());
            ASSERT_EQ(qsizetype(expected[0].size()), schemaTypes.size());
            QStringList header, described, fields;
            for (std::size_t i = 0; i < expected[0].size(); ++i)
                header << typed(expected[0][i].value_or(QString()), schemaTypes[qsizetype(i)]);
            const TableInfo t = cat.Table(table);
            for (const auto& c : t.columns)
                described << typed(c.name, QString::number(c.type));
            EXPECT_EQ((t.name + ':' + t.type + ':' + described.join(',')).toStdString(),
                      (table + ":TABLE:" + header.join(',')).toStdString());
            EXPECT_TRUE(t.indexes.empty());
            EXPECT_TRUE(cat.PrimaryKey(table).isEmpty());

            Recordset rs;
            rs.Open(QStringLiteral("SELECT * FROM [%1]").arg(table), cn);
            ASSERT_EQ(rs.RecordCount(), accesstest::count(path(file), table));
            ASSERT_EQ(qint64(expected.size()) - 1, rs.RecordCount());
            for (int f = 0; f < rs.FieldCount(); ++f)
                fields << typed(rs.Fields(f).Name(), QString::number(rs.Fields(f).Type()));
            EXPECT_EQ(fields.join(',').toStdString(), header.join(',').toStdString());
            ASSERT_EQ(fields.size(), header.size());
            int wrong = 0; // values unlike mdb-export's; the first few are shown
            for (std::size_t row = 1; row < expected.size(); ++row, rs.MoveNext()) {
                ASSERT_FALSE(rs.Eof());
                for (int f = 0; f < rs.FieldCount(); ++f) {
                    auto want = expected[row][std::size_t(f)];
                    if (want && unreadableDate.match(*want).hasMatch())
                        want.reset();
                    const Variant got = rs.value(f);
                    if (exportText(got) != want && ++wrong <= 3)
                        ADD_FAILURE() << "row " << row << " " << header[f].toStdString() << ": "
                                      << debugText(got).left(80).toStdString() << " for " << want.value_or("NULL").left(80).toStdString();
                }
            }
            EXPECT_EQ(wrong, 0);
            EXPECT_TRUE(rs.Eof());
        }
    }
    // The discounts the file holds, as Single values, whatever the tools print for them.
    Recordset rs;
    rs.Open("SELECT Discount FROM [Order Details]", open(accesstest::NwindFile));
    std::set<float> discounts;
    for (; !rs.Eof(); rs.MoveNext())
        discounts.insert(rs.value(0).toSingle());
    EXPECT_EQ(discounts, (std::set<float>{0, .01f, .02f, .03f, .04f, .05f, .06f, .1f, .15f, .2f, .25f}));
}

TEST_F(RealAccessFile, EveryChangeIsRefusedAndTheFileStaysAsItWas)
{
    for (const char* file : Files) {
        const QString p = path(file);
        const QByteArray before = accesstest::sha256(p);
        const QDateTime modified = QFileInfo(p).lastModified();
        auto cn = open(file);
        const QString table = accesstest::tables(p).at(0);
        for (const char* sql : {"INSERT INTO [%1] SELECT * FROM [%1]", "UPDATE [%1] SET [%1] = NULL", "DELETE FROM [%1]",
                                "CREATE TABLE [%1 Nueva] (Id INTEGER)", "SELECT * INTO Copia FROM [%1]"})
            expectError([&] { cn->Execute(QString(sql).arg(table)); }, errReadOnlyDatabase, {QLatin1String(file)});
        Recordset rs;
        rs.Open(QStringLiteral("SELECT * FROM [%1]").arg(table), cn);
        EXPECT_GT(rs.RecordCount(), 0);
        cn->Close();
        EXPECT_EQ(accesstest::sha256(p), before) << file;
        EXPECT_EQ(QFileInfo(p).lastModified(), modified) << file;
    }
}

// A program started with no locale at all (a bare service or container) still
// finds and reads the tables whose names have an accent: the same reading,
// run again in a child with only the C locale.
TEST(RealAccessFileWithoutLocale, TablesWithAccentedNamesAreFoundAndRead)
{
    const QString why = accesstest::missing();
    if (!why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    if (odbctest::mdbToolsDriverLibrary().isEmpty())
        GTEST_SKIP() << "MDBTools ODBC driver (package odbc-mdbtools) not installed";
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& name : env.keys())
        if (name == QLatin1String("LANG") || name == QLatin1String("LANGUAGE") || name.startsWith(QLatin1String("LC_")))
            env.remove(name);
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=RealAccessFile.EveryTable*")});
    ASSERT_TRUE(p.waitForFinished(-1)); // the test runner's time limit ends a hang
    const QString out = QString::fromUtf8(p.readAll());
    EXPECT_EQ(p.exitCode(), 0) << out.toStdString();
    EXPECT_TRUE(out.contains(QLatin1String("[  PASSED  ] 1 test"))) << out.toStdString();
}
