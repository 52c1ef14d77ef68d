#include "platform/db/Db.h"

#include <gtest/gtest.h>

TEST(RecordingBackend, RecordsStatementsAndReplaysRows)
{
    auto rec = db::RecordingBackend::install();
    rec->answerRows("SELECT a FROM t", {"a"}, {{Variant(std::int32_t(1))}, {Variant(std::int32_t(2))}});
    auto cn = std::make_shared<db::Connection>();
    cn->Open("DSN=x;");
    db::Recordset rs;
    rs.Open("SELECT a FROM t", cn);
    EXPECT_EQ(rs.RecordCount(), 2);
    EXPECT_EQ(rs.value(0), Variant(std::int32_t(1)));
    EXPECT_EQ(rec->statements(), QStringList{"SELECT a FROM t"});
    EXPECT_EQ(rec->connectionStrings(), QStringList{"DSN=x;"});
}
