// Access files written by the Windows engine, read end to end through the
// MDBTools driver (which reads one row at a time, has no further results and
// no index lists) and set beside what the MDBTools tools say about them.
#include "BackendSuite.h"
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
        auto cn = std::make_shared<Connection>();
        cn->Open(QString("Provider=%1;Data Source=%2")
                     .arg(QString(file).endsWith(".mdb") ? "Microsoft.Jet.OLEDB.4.0" : "Microsoft.ACE.OLEDB.12.0", path(file)));
        return cn;
    }

    QTemporaryDir dir_;
};

const char* const Files[] = {accesstest::MdbFile, accesstest::AccdbFile};

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

// Each file's tables are those mdb-tables lists; each table is described with the
// columns of mdb-export's header (the driver lists no indexes, so no index and no
// key) and read row by row as mdb-export shows it.
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
            ASSERT_FALSE(expected.empty());
            QStringList header, described, fields;
            for (const auto& h : expected[0])
                header << h.value_or(QString());
            const TableInfo t = cat.Table(table);
            for (const auto& c : t.columns)
                described << c.name;
            EXPECT_EQ(t.name + ':' + t.type + ':' + described.join(','), table + ":TABLE:" + header.join(','));
            EXPECT_TRUE(t.indexes.empty());
            EXPECT_TRUE(cat.PrimaryKey(table).isEmpty());

            Recordset rs;
            rs.Open(QStringLiteral("SELECT * FROM [%1]").arg(table), cn);
            ASSERT_EQ(rs.RecordCount(), accesstest::count(path(file), table));
            ASSERT_EQ(qint64(expected.size()) - 1, rs.RecordCount());
            for (int f = 0; f < rs.FieldCount(); ++f)
                fields << rs.Fields(f).Name();
            ASSERT_EQ(fields, header);
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

TEST_F(RealAccessFile, EveryChangeIsRefusedTheFileStaysAsItWasAndFieldsCarryTheirTypes)
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
    Recordset rs;
    rs.Open("SELECT [Asset No], Acquired, Cost, Warranty, Comments FROM [Asset Items]", open(accesstest::AccdbFile));
    const int types[] = {adVarChar, adDBTimeStamp, adCurrency, adInteger, adVarChar};
    for (int f = 0; f < 5; ++f)
        EXPECT_EQ(rs.Fields(f).Type(), types[f]) << f;
    EXPECT_EQ(rs.value(2), Variant(Currency::fromScaled(19955000)));
    EXPECT_EQ(rs.value(3), Variant(std::int32_t(12)));
    EXPECT_EQ(rs.value(1), Variant(QDate(1997, 9, 2)));
    EXPECT_TRUE(rs.value(4).isNull());
}
