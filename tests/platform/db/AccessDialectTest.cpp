// Translation of the Access dialect: what changes, and what must not.
#include "platform/db/sqlite/AccessDialect.h"

#include <gtest/gtest.h>

using db::sqlite::Statement;
using db::sqlite::translate;

namespace {
QString one(const QString& sql)
{
    auto v = translate(sql);
    EXPECT_EQ(v.size(), 1u) << sql.toStdString();
    return v.empty() ? QString() : v.front().sql;
}
} // namespace

TEST(AccessDialect, SqliteDialectComesThroughUnchanged)
{
    const QStringList same = {
        "SELECT a || b, x & 0 = 0 FROM t LIMIT 5",
        "SELECT \"TOP\", [SELECT TOP 1] FROM t WHERE c = 'SELECT TOP 5 * FROM u & #1/1/2020#'",
        "SELECT format('%d', 3)",
        "CREATE TRIGGER tr AFTER INSERT ON t BEGIN UPDATE t SET a = 1; UPDATE t SET b = 2; END",
        "SELECT * FROM a LEFT JOIN b ON a.id = b.id",
        "-- SELECT TOP 3 in a comment\nSELECT 1",
    };
    for (const QString& s : same) {
        QString out = one(s);
        if (s.startsWith("SELECT a ||"))
            EXPECT_EQ(out, "SELECT a || b, access_concat(x, 0) = 0 FROM t LIMIT 5"); // '&' always concatenates
        else
            EXPECT_EQ(out, s);
    }
}

TEST(AccessDialect, TopBecomesLimitAtItsOwnLevel)
{
    EXPECT_EQ(one("SELECT TOP 10 * FROM t ORDER BY a"), "SELECT * FROM t ORDER BY a LIMIT 10");
    EXPECT_EQ(one("select distinct top 5 a from t"), "select distinct a from t LIMIT 5");
    EXPECT_EQ(one("SELECT TOP 2 * FROM (SELECT TOP 7 a FROM t ORDER BY a) A ORDER BY a DESC"),
              "SELECT * FROM (SELECT a FROM t ORDER BY a LIMIT 7) A ORDER BY a DESC LIMIT 2");
    EXPECT_EQ(one("SELECT TOP 1 a FROM t UNION SELECT b FROM u"), "SELECT * FROM (SELECT a FROM t LIMIT 1) UNION SELECT b FROM u");
    EXPECT_EQ(one("SELECT TOP 100 PERCENT a FROM t ORDER BY a"), "SELECT a FROM t ORDER BY a");
    // Without a count it is a column called TOP.
    EXPECT_EQ(one("SELECT TOP FROM t"), "SELECT TOP FROM t");
}

TEST(AccessDialect, SelectIntoNamesItsTarget)
{
    auto v = translate("SELECT * INTO [Orders_OLD] FROM [Orders]");
    ASSERT_EQ(v.size(), 1u);
    EXPECT_EQ(v[0].kind, Statement::SelectInto);
    EXPECT_EQ(v[0].target, "Orders_OLD");
    EXPECT_EQ(v[0].sql, "SELECT * FROM [Orders]");
    EXPECT_EQ(translate("INSERT INTO t SELECT * FROM u")[0].kind, Statement::Plain);
    EXPECT_EQ(translate("SELECT (SELECT 1 INTO x) FROM t")[0].kind, Statement::Plain);
}

TEST(AccessDialect, LiteralsBracketsAndDates)
{
    EXPECT_EQ(one("SELECT [a]]b] FROM t WHERE d = #12/25/2024# OR d = #2024-01-02 3:04 PM#"),
              "SELECT \"a]b\" FROM t WHERE d = '2024-12-25 00:00:00' OR d = '2024-01-02 15:04:00'");
    EXPECT_EQ(one("SELECT 'it''s & #1/1/2000#' & Name FROM t"), "SELECT access_concat('it''s & #1/1/2000#', Name) FROM t");
    EXPECT_EQ(one("SELECT FORMAT(d, 'dd/mm/yyyy') FROM t"), "SELECT access_format(d, 'dd/mm/yyyy') FROM t");
}

TEST(AccessDialect, TableDefinitions)
{
    auto v = translate("CREATE TABLE T ([Id] COUNTER, [N] TEXT(50) NOT NULL, [M] MEMO, [F] LOGICAL, "
                       "CONSTRAINT PK_T PRIMARY KEY ([Id]))");
    ASSERT_EQ(v.size(), 1u);
    EXPECT_EQ(v[0].sql, "CREATE TABLE T ([Id] INTEGER, [N] TEXT(50) COLLATE NOCASE NOT NULL, [M] LONGTEXT COLLATE NOCASE, "
                        "[F] LOGICAL NOT NULL ON CONFLICT REPLACE DEFAULT 0, CONSTRAINT PK_T PRIMARY KEY ([Id] AUTOINCREMENT))");
    EXPECT_TRUE(v[0].counters.isEmpty());
    // A key counter never gives a number twice; a key that is no counter stays as written.
    EXPECT_EQ(one("CREATE TABLE a (Id COUNTER PRIMARY KEY, b LONG)"), "CREATE TABLE a (Id INTEGER PRIMARY KEY AUTOINCREMENT, b LONG)");
    EXPECT_EQ(one("CREATE TABLE a (Id COUNTER PRIMARY KEY DESC ON CONFLICT FAIL)"),
              "CREATE TABLE a (Id INTEGER PRIMARY KEY ASC ON CONFLICT FAIL AUTOINCREMENT)");
    EXPECT_EQ(one("CREATE TABLE a (Id AUTOINCREMENT PRIMARY KEY AUTOINCREMENT)"),
              "CREATE TABLE a (Id INTEGER PRIMARY KEY AUTOINCREMENT)");
    EXPECT_EQ(one("CREATE TABLE a (Id COUNTER, PRIMARY KEY (Id ASC))"), "CREATE TABLE a (Id INTEGER, PRIMARY KEY (Id ASC AUTOINCREMENT))");
    EXPECT_EQ(one("CREATE TABLE a (Id LONG, CONSTRAINT k PRIMARY KEY (Id))"), "CREATE TABLE a (Id LONG, CONSTRAINT k PRIMARY KEY (Id))");
    auto w = translate("CREATE TABLE L (Doc TEXT(5), Num COUNTER(1, 1), PRIMARY KEY (Doc))");
    EXPECT_EQ(w[0].sql, "CREATE TABLE L (Doc TEXT(5) COLLATE NOCASE, Num COUNTER, PRIMARY KEY (Doc))");
    EXPECT_EQ(w[0].counters, QStringList{"Num"});
    EXPECT_EQ(one("CREATE TABLE s (a TEXT COLLATE BINARY)"), "CREATE TABLE s (a TEXT COLLATE BINARY)");
    EXPECT_EQ(one("DROP INDEX ix ON [T]"), "DROP INDEX ix");
}

TEST(AccessDialect, BatchesSplitAtTopLevelSemicolons)
{
    auto v = translate("INSERT INTO t VALUES ('a;b'); SELECT TOP 1 * FROM t;");
    ASSERT_EQ(v.size(), 2u);
    EXPECT_EQ(v[0].sql, "INSERT INTO t VALUES ('a;b')");
    EXPECT_EQ(v[1].sql, "SELECT * FROM t LIMIT 1");
    EXPECT_EQ(translate("BEGIN; COMMIT").size(), 2u);
}

TEST(AccessDialect, ConcatenationChainsTakeWholeOperands)
{
    // Arithmetic binds tighter than '&'; comparisons, logic, commas and clauses end an operand.
    EXPECT_EQ(one("SELECT [Qty] * t.Price & ' EUR' AS Total, Code & '-' & Name FROM t").toStdString(),
              "SELECT access_concat([Qty] * t.Price, ' EUR') AS Total, access_concat(Code, '-', Name) FROM t");
    EXPECT_EQ(one("SELECT a FROM t WHERE b & c = 'xy' AND -d & LEFT(e, 2) <> '' ORDER BY f & g").toStdString(),
              "SELECT a FROM t WHERE access_concat(b, c) = 'xy' AND access_concat(-d, access_left(e, 2)) <> '' "
              "ORDER BY access_concat(f, g)");
    // Inner chains stay inside their parentheses; CASE and sub-queries are one operand each.
    EXPECT_EQ(one("SELECT TOP 5 Trim(a & b) & (SELECT TOP 1 x FROM u) & CASE WHEN c THEN 'y' END FROM t").toStdString(),
              "SELECT access_concat(Trim(access_concat(a, b)), (SELECT x FROM u LIMIT 1), CASE WHEN c THEN 'y' END) "
              "FROM t LIMIT 5");
    // Without an operand on each side the operator is left to concatenate as it can.
    EXPECT_EQ(one("SELECT & a FROM t").toStdString(), "SELECT || a FROM t");
}

TEST(AccessDialect, YesNoColumnsHoldNoNull)
{
    EXPECT_EQ(one("ALTER TABLE t ADD COLUMN f BIT").toStdString(),
              "ALTER TABLE t ADD COLUMN f BIT NOT NULL ON CONFLICT REPLACE DEFAULT 0");
    EXPECT_EQ(one("CREATE TABLE t (a YESNO NOT NULL DEFAULT 1, b BOOLEAN NOT NULL ON CONFLICT FAIL)").toStdString(),
              "CREATE TABLE t (a YESNO NOT NULL ON CONFLICT REPLACE DEFAULT 1, b BOOLEAN DEFAULT 0 NOT NULL ON CONFLICT FAIL)");
}

// Inputs the fuzzing of the translation found: each gave a plain wrong result.
TEST(AccessDialect, FuzzFoundFaults)
{
    // A trailing line comment never swallows what the translation appends.
    EXPECT_EQ(one("SELECT TOP 5 * FROM t -- five"), "SELECT * FROM t -- five\n LIMIT 5");
    EXPECT_EQ(one("SELECT TOP 1 a FROM t -- one\nUNION SELECT b FROM u"),
              "SELECT * FROM (SELECT a FROM t -- one\n LIMIT 1)\nUNION SELECT b FROM u");
    // A descending counter key is written as a key the engine numbers.
    EXPECT_EQ(one("CREATE TABLE a (Id COUNTER PRIMARY KEY DESC)"), "CREATE TABLE a (Id INTEGER PRIMARY KEY ASC AUTOINCREMENT)");
    EXPECT_EQ(one("CREATE TABLE a (Id COUNTER, PRIMARY KEY (Id DESC))"), "CREATE TABLE a (Id INTEGER, PRIMARY KEY (Id ASC AUTOINCREMENT))");
    // The collation follows every word of the type.
    EXPECT_EQ(one("CREATE TABLE a (b CHAR VARYING(50) NOT NULL, c DOUBLE PRECISION, d LONG BINARY)"),
              "CREATE TABLE a (b CHAR VARYING(50) COLLATE NOCASE NOT NULL, c DOUBLE PRECISION, d LONG BINARY)");
    EXPECT_EQ(one("CREATE TABLE a (b NATIONAL CHARACTER VARYING (20) DEFAULT 'x')"),
              "CREATE TABLE a (b NATIONAL CHARACTER VARYING (20) COLLATE NOCASE DEFAULT 'x')");
    // IsNull(x) reaches the Access function; the engine's ISNULL operator stays.
    EXPECT_EQ(one("SELECT IsNull(a), a ISNULL FROM t"), "SELECT access_isnull(a), a ISNULL FROM t");
}
