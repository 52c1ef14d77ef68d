// Reading the tables of a SELECT's select list, and removing parenthesised parts.
#include "DataTestSupport.h"

#include "core/Error.h"

#include <gtest/gtest.h>

namespace {

QStringList parse(const QString& statement)
{
    clsDO o;
    const Variant v = o.Parsing(statement);
    QStringList out;
    const VArray& a = *v.array();
    EXPECT_EQ(a.lbound(), 0);
    for (int i = a.lbound(); i <= a.ubound(); ++i)
        out << a.at(i).toString();
    return out;
}

TEST(ParsingTest, SelectAllGivesTheFirstTable)
{
    EXPECT_EQ(parse(QStringLiteral("SELECT * FROM Customers c WHERE Id = 1")), QStringList{"Customers.*"});
    EXPECT_EQ(parse(QStringLiteral("SELECT * FROM Customers, Orders")), QStringList{"Customers.*"});
    EXPECT_EQ(parse(QStringLiteral("select * from Customers")), QStringList{"Customers.*"});
}

TEST(ParsingTest, ItemsAreQualifiedByAliasOrFirstTable)
{
    EXPECT_EQ(parse(QStringLiteral("SELECT c.Name, Total FROM Customers c, Orders o")),
              (QStringList{"Customers.Name", "Customers.Total"}));
    EXPECT_EQ(parse(QStringLiteral("SELECT o.Id FROM Customers c JOIN Orders o ON c.Id = o.CustomerId")),
              QStringList{"Orders.Id"});
    EXPECT_EQ(parse(QStringLiteral("SELECT o.Id, c.Name FROM Customers c LEFT JOIN Orders o ON c.Id = o.CustomerId")),
              (QStringList{"Orders.Id", "Customers.Name"}));
    EXPECT_EQ(parse(QStringLiteral("SELECT o.Id FROM Customers c left join Orders o ON c.Id = o.CustomerId")),
              QStringList{"Orders.Id"});
    // The table name itself qualifies as well as its alias.
    EXPECT_EQ(parse(QStringLiteral("SELECT Orders.Id FROM Customers c, Orders o")), QStringList{"Orders.Id"});
    // "AS" between table and alias: only words 0 and 1 are compared, the item stays.
    EXPECT_EQ(parse(QStringLiteral("SELECT c.Name FROM Customers AS c")), QStringList{"c.Name"});
    EXPECT_EQ(parse(QStringLiteral("SELECT c.Name FROM Customers c WHERE c.Id = 1 ORDER BY c.Name")),
              QStringList{"Customers.Name"});
}

TEST(ParsingTest, AliasesExpressionsTopAndNamedExpressions)
{
    EXPECT_EQ(parse(QStringLiteral("SELECT SUM(Amount) AS Total FROM Orders")), QStringList{"Orders.Total"});
    EXPECT_EQ(parse(QStringLiteral("SELECT SUM(Amount) as Total FROM Orders GROUP BY x")), QStringList{"Orders.Total"});
    EXPECT_EQ(parse(QStringLiteral("SELECT Total = SUM(Amount) FROM Orders")), QStringList{"Orders.Total"});
    EXPECT_EQ(parse(QStringLiteral("SELECT TOP 10 Name FROM Customers")), QStringList{"Customers.Name"});
}

TEST(ParsingTest, StatementIsNormalisedInTheCallersVariable)
{
    clsDO o;
    QString sql = QStringLiteral("SELECT DISTINCT Name FROM Customers WITH (NOLOCK)");
    const Variant v = o.Parsing(sql);
    EXPECT_EQ(v.array()->at(0).toString(), "Customers.Name");
    EXPECT_EQ(sql, "SELECT Name FROM Customers ");

    sql = QStringLiteral("SELECT a as b,\r\n\tc\nFROM  t with (nolock)");
    o.Parsing(sql);
    EXPECT_EQ(sql, "SELECT a AS b, c FROM t ");
}

TEST(ParsingTest, StatementWithoutFromFails)
{
    clsDO o;
    QString sql = QStringLiteral("SELECT 1");
    EXPECT_THROW(o.Parsing(sql), Error);
}

TEST(RemoveBracketsTest, NestedAndUnbalanced)
{
    clsDO o;
    QString s = QStringLiteral("ISNULL(a, (b)) + c");
    EXPECT_EQ(o.RemoveBrackets(s), "ISNULL + c");
    EXPECT_EQ(s, "ISNULL + c");
    EXPECT_EQ(o.RemoveBrackets(QStringLiteral("f(x")), "f x");
    EXPECT_EQ(o.RemoveBrackets(QStringLiteral("a) b")), "a) b");
    EXPECT_EQ(o.RemoveBrackets(QStringLiteral("f(a) + g(b(c), d) + h")), "f + g + h");
}

} // namespace
