// The recorder that stands in for engines that cannot run here.
#include "BackendSuite.h"
#include "platform/db/Db.h"

#include <gtest/gtest.h>

namespace {
db::ConnectionPtr connect(const QString& cs = "driver={SQL Server};server=tcp:srv;uid=u;pwd=p;database=d")
{
    auto cn = std::make_shared<db::Connection>();
    cn->Open(cs);
    return cn;
}
} // namespace

TEST(RecordingBackend, ScriptedErrorsExtraResultsAndACatalogUntilItsLastReference)
{
    {
        auto rec = db::RecordingBackend::install();
        rec->answerError("DBCC SHRINKDATABASE (x)", 5000, "permiso denegado");
        rec->failOpen("server=tcp:down", "servidor no disponible");
        auto first = db::RecordingBackend::Answer::table({"n"}, {{Variant(std::int32_t(7))}});
        first.more.push_back(db::RecordingBackend::Answer::table({"id"}, {{Variant(std::int32_t(8))}}));
        rec->answer("INSERT INTO t VALUES (1); SELECT SCOPE_IDENTITY()", first);
        rec->answerRows("SELECT x FROM empty", {"x"}, {});
        rec->setTables({{"Orders", "TABLE", {{"Id", db::adInteger, 0, 0, 0, 0, {}}},
                         {{"PK_Orders", true, true, db::adIndexNullsDisallow, {"Id"}}}}});
        auto cn = connect();
        EXPECT_EQ(expectError([&] { cn->Execute("DBCC SHRINKDATABASE (x)"); }, 5000).description, "permiso denegado");
        auto down = std::make_shared<db::Connection>();
        EXPECT_THROW(down->Open("driver={SQL Server};server=tcp:down;database=d"), Error);
        EXPECT_EQ(down->State(), db::adStateClosed);
        EXPECT_EQ(rec->connectionStrings().size(), 2);

        db::Recordset rs;
        rs.Open("INSERT INTO t VALUES (1); SELECT SCOPE_IDENTITY()", cn);
        EXPECT_EQ(rs.value(0).toLong(), 7);
        auto next = rs.NextRecordset();
        ASSERT_TRUE(next);
        EXPECT_EQ(next->value(0).toLong(), 8);
        db::Recordset empty;
        empty.Open("SELECT x FROM empty", cn);
        EXPECT_TRUE(empty.Eof());
        EXPECT_EQ(empty.RecordCount(), 0);
        EXPECT_THROW(empty.GetRows(), Error);
        // A statement without rows leaves the record set closed, as the original platform did.
        db::Recordset none;
        none.Open("UPDATE t SET a = 2", cn);
        EXPECT_EQ(none.State(), db::adStateClosed);
        EXPECT_THROW(none.RecordCount(), Error);

        db::Catalog cat;
        cat.setActiveConnection(cn);
        ASSERT_EQ(cat.Tables().size(), 1u);
        EXPECT_TRUE(cat.Tables()[0].columns.empty());
        EXPECT_EQ(cat.Table("orders").columns.size(), 1u);
        EXPECT_EQ(cat.PrimaryKey("Orders"), QStringList{"Id"});
        EXPECT_THROW(cat.Table("Other"), Error);
    }
    EXPECT_FALSE(db::RecordingBackend::installed());
    auto cn = std::make_shared<db::Connection>();
    EXPECT_THROW(cn->Open("Provider=SQLOLEDB;Data Source=x"), Error); // no engine serves it now
}

TEST(ConnectionString, KeysIgnoreCaseAndBracesHoldSemicolons)
{
    db::ConnectionString cs("Data Source=/tmp/a b.mdb;Provider=Microsoft.Jet.OLEDB.4.0; ");
    EXPECT_EQ(cs.value("data source"), "/tmp/a b.mdb");
    EXPECT_EQ(cs.value("PROVIDER"), "Microsoft.Jet.OLEDB.4.0");
    db::ConnectionString odbc("driver={SQL Server;x};server=tcp:h,1433;pwd=a=b");
    EXPECT_EQ(odbc.value("Driver"), "SQL Server;x");
    EXPECT_EQ(odbc.value("server"), "tcp:h,1433");
    EXPECT_EQ(odbc.value("pwd"), "a=b");
    EXPECT_FALSE(odbc.has("uid"));
}
