// Translation of the Access dialect: what changes, and what must not.
#include "platform/db/sqlite/AccessDialect.h"

#include <gtest/gtest.h>

using db::sqlite::Statement;
using db::sqlite::translate;

TEST(AccessDialect, EachStatementTranslatesToExactlyThis)
{
    const std::pair<const char*, const char*> cases[] = {
        // SQLite's own dialect comes through unchanged (only '&' always concatenates).
        {"SELECT a || b, x & 0 = 0 FROM t LIMIT 5", "SELECT a || b, access_concat(x, 0) = 0 FROM t LIMIT 5"},
        {"SELECT \"TOP\", [SELECT TOP 1] FROM t WHERE c = 'SELECT TOP 5 * FROM u & #1/1/2020#'", nullptr},
        {"SELECT format('%d', 3)", nullptr},
        {"CREATE TRIGGER tr AFTER INSERT ON t BEGIN UPDATE t SET a = 1; UPDATE t SET b = 2; END", nullptr},
        {"SELECT * FROM a LEFT JOIN b ON a.id = b.id", nullptr},
        {"-- SELECT TOP 3 in a comment\nSELECT 1", nullptr},
        // TOP becomes LIMIT at its own level (the engine tests run the usual shapes); without a count it is a
        // column called TOP.
        {"SELECT TOP 1 a FROM t UNION SELECT b FROM u", "SELECT * FROM (SELECT a FROM t LIMIT 1) UNION SELECT b FROM u"},
        {"SELECT TOP 100 PERCENT a FROM t ORDER BY a", "SELECT a FROM t ORDER BY a"},
        {"SELECT TOP FROM t", nullptr},
        {"INSERT INTO t SELECT * FROM u", nullptr},
        // A trailing line comment never swallows what the translation appends.
        {"SELECT TOP 5 * FROM t -- five", "SELECT * FROM t -- five\n LIMIT 5"},
        {"SELECT TOP 1 a FROM t -- one\nUNION SELECT b FROM u", "SELECT * FROM (SELECT a FROM t -- one\n LIMIT 1)\nUNION SELECT b FROM u"},
        // Literals, brackets and dates.
        {"SELECT [a]]b] FROM t WHERE d = #12/25/2024# OR d = #2024-01-02 3:04 PM#",
         "SELECT \"a]b\" FROM t WHERE d = '2024-12-25 00:00:00' OR d = '2024-01-02 15:04:00'"},
        {"SELECT 'it''s & #1/1/2000#' & Name FROM t", "SELECT access_concat('it''s & #1/1/2000#', Name) FROM t"},
        // IsNull(x) reaches the Access function; the engine's ISNULL operator stays.
        {"SELECT IsNull(a), a ISNULL FROM t", "SELECT access_isnull(a), a ISNULL FROM t"},
        // Table definitions: a key counter never gives a number twice (a descending one is written as a key the
        // engine numbers); a key that is no counter stays as written.
        {"CREATE TABLE T ([Id] COUNTER, [N] TEXT(50) NOT NULL, [M] MEMO, [F] LOGICAL, CONSTRAINT PK_T PRIMARY KEY ([Id]))",
         "CREATE TABLE T ([Id] INTEGER, [N] TEXT(50) COLLATE NOCASE NOT NULL, [M] LONGTEXT COLLATE NOCASE, "
         "[F] LOGICAL NOT NULL ON CONFLICT REPLACE DEFAULT 0, CONSTRAINT PK_T PRIMARY KEY ([Id] AUTOINCREMENT))"},
        {"CREATE TABLE a (Id COUNTER PRIMARY KEY, b LONG)", "CREATE TABLE a (Id INTEGER PRIMARY KEY AUTOINCREMENT, b LONG)"},
        {"CREATE TABLE a (Id COUNTER PRIMARY KEY DESC ON CONFLICT FAIL)",
         "CREATE TABLE a (Id INTEGER PRIMARY KEY ASC ON CONFLICT FAIL AUTOINCREMENT)"},
        {"CREATE TABLE a (Id COUNTER PRIMARY KEY DESC)", "CREATE TABLE a (Id INTEGER PRIMARY KEY ASC AUTOINCREMENT)"},
        {"CREATE TABLE a (Id AUTOINCREMENT PRIMARY KEY AUTOINCREMENT)", "CREATE TABLE a (Id INTEGER PRIMARY KEY AUTOINCREMENT)"},
        {"CREATE TABLE a (Id COUNTER, PRIMARY KEY (Id ASC))", "CREATE TABLE a (Id INTEGER, PRIMARY KEY (Id ASC AUTOINCREMENT))"},
        {"CREATE TABLE a (Id COUNTER, PRIMARY KEY (Id DESC))", "CREATE TABLE a (Id INTEGER, PRIMARY KEY (Id ASC AUTOINCREMENT))"},
        {"CREATE TABLE a (Id LONG, CONSTRAINT k PRIMARY KEY (Id))", nullptr},
        {"CREATE TABLE s (a TEXT COLLATE BINARY)", nullptr},
        {"DROP INDEX ix ON [T]", "DROP INDEX ix"},
        // The collation follows every word of the type.
        {"CREATE TABLE a (b CHAR VARYING(50) NOT NULL, c DOUBLE PRECISION, d LONG BINARY)",
         "CREATE TABLE a (b CHAR VARYING(50) COLLATE NOCASE NOT NULL, c DOUBLE PRECISION, d LONG BINARY)"},
        {"CREATE TABLE a (b NATIONAL CHARACTER VARYING (20) DEFAULT 'x')",
         "CREATE TABLE a (b NATIONAL CHARACTER VARYING (20) COLLATE NOCASE DEFAULT 'x')"},
        // Yes/No columns hold no Null.
        {"ALTER TABLE t ADD COLUMN f BIT", "ALTER TABLE t ADD COLUMN f BIT NOT NULL ON CONFLICT REPLACE DEFAULT 0"},
        {"CREATE TABLE t (a YESNO NOT NULL DEFAULT 1, b BOOLEAN NOT NULL ON CONFLICT FAIL)",
         "CREATE TABLE t (a YESNO NOT NULL ON CONFLICT REPLACE DEFAULT 1, b BOOLEAN DEFAULT 0 NOT NULL ON CONFLICT FAIL)"},
        // Concatenation: arithmetic binds tighter than '&'; comparisons, logic, commas and clauses end an operand;
        // inner chains stay inside their parentheses; CASE and sub-queries are one operand each.
        {"SELECT a FROM t WHERE b & c = 'xy' AND -d & LEFT(e, 2) <> '' ORDER BY f & g",
         "SELECT a FROM t WHERE access_concat(b, c) = 'xy' AND access_concat(-d, access_left(e, 2)) <> '' ORDER BY access_concat(f, g)"},
        {"SELECT TOP 5 Trim(a & b) & (SELECT TOP 1 x FROM u) & CASE WHEN c THEN 'y' END FROM t",
         "SELECT access_concat(Trim(access_concat(a, b)), (SELECT x FROM u LIMIT 1), CASE WHEN c THEN 'y' END) FROM t LIMIT 5"},
        // Without an operand on each side the operator is left to concatenate as it can.
        {"SELECT & a FROM t", "SELECT || a FROM t"},
    };
    for (const auto& [sql, expected] : cases) {
        const auto v = translate(sql);
        ASSERT_EQ(v.size(), 1u) << sql;
        EXPECT_EQ(v[0].sql.toStdString(), expected ? expected : sql);
        EXPECT_NE(v[0].kind, Statement::SelectInto) << sql;
        EXPECT_TRUE(v[0].counters.isEmpty()) << sql; // only a counter beside another key is numbered by the backend
    }
}

TEST(AccessDialect, SelectIntoCountersAndBatches)
{
    auto v = translate("SELECT * INTO [Orders_OLD] FROM [Orders]");
    ASSERT_EQ(v.size(), 1u);
    EXPECT_EQ(v[0].kind, Statement::SelectInto);
    EXPECT_EQ(v[0].target, "Orders_OLD");
    EXPECT_EQ(v[0].sql, "SELECT * FROM [Orders]");
    EXPECT_EQ(translate("SELECT (SELECT 1 INTO x) FROM t")[0].kind, Statement::Plain);
    // A counter beside another key is numbered by the backend.
    v = translate("CREATE TABLE L (Doc TEXT(5), Num COUNTER(1, 1), PRIMARY KEY (Doc))");
    EXPECT_EQ(v[0].sql, "CREATE TABLE L (Doc TEXT(5) COLLATE NOCASE, Num COUNTER, PRIMARY KEY (Doc))");
    EXPECT_EQ(v[0].counters, QStringList{"Num"});
    // Batches split at top-level semicolons.
    v = translate("INSERT INTO t VALUES ('a;b'); SELECT TOP 1 * FROM t;");
    ASSERT_EQ(v.size(), 2u);
    EXPECT_EQ(v[0].sql, "INSERT INTO t VALUES ('a;b')");
    EXPECT_EQ(v[1].sql, "SELECT * FROM t LIMIT 1");
    EXPECT_EQ(translate("BEGIN; COMMIT").size(), 2u);
}
