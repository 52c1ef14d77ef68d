// Access files written by the Windows engine, read end to end through the
// MDBTools driver (which reads one row at a time, has no further results and
// no index lists) and set beside what the MDBTools tools say about them.
#include "platform/db/Db.h"
#include "platform/db/odbc/OdbcTestEnvironment.h"
#include "support/AccessTestFiles.h"

#include <QDateTime>
#include <QRegularExpression>
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
        const bool mdb = QString::fromLatin1(file).endsWith(QLatin1String(".mdb"));
        auto cn = std::make_shared<Connection>();
        cn->Open(QStringLiteral("Provider=%1;Data Source=%2")
                     .arg(mdb ? QStringLiteral("Microsoft.Jet.OLEDB.4.0") : QStringLiteral("Microsoft.ACE.OLEDB.12.0"),
                          path(file)));
        return cn;
    }

    QTemporaryDir dir_;
};

const char* const Files[] = {accesstest::MdbFile, accesstest::AccdbFile};

QStringList userTables(const ConnectionPtr& cn)
{
    Catalog cat;
    cat.setActiveConnection(cn);
    QStringList names;
    for (const auto& t : cat.Tables())
        if (t.type == QLatin1String("TABLE"))
            names << t.name;
    return names;
}

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
    case VarType::Single: return QString::number(double(v.toSingle()), 'g', 7);
    case VarType::Double: return QString::number(v.toDouble(), 'g', 15);
    case VarType::Byte:
    case VarType::Integer:
    case VarType::Long:
    case VarType::LongLong: return QString::number(v.toLongLong());
    default: return v.toString();
    }
}

} // namespace

TEST_F(RealAccessFile, ItsTablesAreThoseMdbTablesLists)
{
    for (const char* file : Files)
        EXPECT_EQ(userTables(open(file)), accesstest::tables(path(file))) << file;
}

TEST_F(RealAccessFile, SelectAllReadsEveryRowAsMdbExportShowsIt)
{
    // mdb-export writes a date the library cannot express (before 1899-12-30 or
    // after about 2700) as day zero of 1900; the driver cannot read it either.
    static const QRegularExpression unreadableDate(QStringLiteral(R"(^\d{4}-\d\d-00 )"));
    for (const char* file : Files) {
        auto cn = open(file);
        for (const QString& table : accesstest::tables(path(file))) {
            SCOPED_TRACE((QString::fromLatin1(file) + QLatin1Char('/') + table).toStdString());
            Recordset rs;
            rs.Open(QStringLiteral("SELECT * FROM [%1]").arg(table), cn);
            const auto expected = accesstest::exportTable(path(file), table);
            ASSERT_FALSE(expected.empty());
            ASSERT_EQ(rs.RecordCount(), accesstest::count(path(file), table));
            ASSERT_EQ(qint64(expected.size()) - 1, rs.RecordCount());
            ASSERT_EQ(std::size_t(rs.FieldCount()), expected[0].size());
            for (int f = 0; f < rs.FieldCount(); ++f)
                EXPECT_EQ(rs.Fields(f).Name(), expected[0][std::size_t(f)].value_or(QString()));
            for (std::size_t row = 1; row < expected.size(); ++row, rs.MoveNext()) {
                ASSERT_FALSE(rs.Eof());
                for (int f = 0; f < rs.FieldCount(); ++f) {
                    const auto& want = expected[row][std::size_t(f)];
                    const Variant got = rs.value(f);
                    if (want && unreadableDate.match(*want).hasMatch())
                        EXPECT_TRUE(got.isNull()) << "row " << row << " field " << f << ": " << debugText(got).toStdString();
                    else
                        EXPECT_EQ(exportText(got), want) << "row " << row << " field " << f << ": " << debugText(got).toStdString();
                }
            }
            EXPECT_TRUE(rs.Eof());
        }
    }
}

TEST_F(RealAccessFile, FieldsCarryTheTypesOfTheirColumns)
{
    Recordset rs;
    rs.Open(QStringLiteral("SELECT [Asset No], Acquired, Cost, Warranty, Comments FROM [Asset Items]"),
            open(accesstest::AccdbFile));
    const int types[] = {adVarChar, adDBTimeStamp, adCurrency, adInteger, adVarChar};
    for (int f = 0; f < 5; ++f)
        EXPECT_EQ(rs.Fields(f).Type(), types[f]) << f;
    EXPECT_EQ(rs.value(2), Variant(Currency::fromScaled(19955000)));
    EXPECT_EQ(rs.value(3), Variant(std::int32_t(12)));
    EXPECT_EQ(rs.value(1), Variant(QDate(1997, 9, 2)));
    EXPECT_TRUE(rs.value(4).isNull());
}

TEST_F(RealAccessFile, EachTableIsDescribedWithoutACrash)
{
    for (const char* file : Files) {
        auto cn = open(file);
        Catalog cat;
        cat.setActiveConnection(cn);
        for (const QString& table : accesstest::tables(path(file))) {
            const TableInfo t = cat.Table(table);
            EXPECT_EQ(t.name, table);
            EXPECT_EQ(t.type, "TABLE");
            QStringList columns;
            for (const auto& c : t.columns)
                columns << c.name;
            const auto header = accesstest::exportTable(path(file), table).at(0);
            QStringList expected;
            for (const auto& h : header)
                expected << h.value_or(QString());
            EXPECT_EQ(columns, expected) << file;
            // The driver lists no indexes, so the tables show none and no key.
            EXPECT_TRUE(t.indexes.empty());
            EXPECT_TRUE(cat.PrimaryKey(table).isEmpty());
        }
    }
}

TEST_F(RealAccessFile, EveryChangeIsRefusedAndTheFileStaysAsItWas)
{
    for (const char* file : Files) {
        const QString p = path(file);
        const QByteArray before = accesstest::sha256(p);
        const QDateTime modified = QFileInfo(p).lastModified();
        auto cn = open(file);
        const QString table = accesstest::tables(p).at(0);
        for (const QString& sql : {QStringLiteral("INSERT INTO [%1] SELECT * FROM [%1]"),
                                   QStringLiteral("UPDATE [%1] SET [%1] = NULL"), QStringLiteral("DELETE FROM [%1]"),
                                   QStringLiteral("CREATE TABLE Nueva (Id INTEGER)"),
                                   QStringLiteral("SELECT * INTO Copia FROM [%1]")}) {
            const QString statement = sql.contains(QLatin1String("%1")) ? sql.arg(table) : sql;
            try {
                cn->Execute(statement);
                ADD_FAILURE() << "ran " << statement.toStdString();
            } catch (const Error& e) {
                EXPECT_EQ(e.number, errReadOnlyDatabase) << statement.toStdString();
                EXPECT_TRUE(e.description.contains(QLatin1String(file))) << e.description.toStdString();
            }
        }
        Recordset rs;
        rs.Open(QStringLiteral("SELECT * FROM [%1]").arg(table), cn);
        EXPECT_GT(rs.RecordCount(), 0);
        cn->Close();
        EXPECT_EQ(accesstest::sha256(p), before) << file;
        EXPECT_EQ(QFileInfo(p).lastModified(), modified) << file;
    }
}
