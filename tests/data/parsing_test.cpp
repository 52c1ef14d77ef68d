// Reading the tables of a SELECT's select list, and removing parenthesised parts.
#include "DataTestSupport.h"

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

TEST(ParsingTest, SelectListItemsQualifiedByTheirTable)
{
    const std::pair<const char*, QStringList> cases[] = {
        // A star gives the first table.
        {"SELECT * FROM Customers c WHERE Id = 1", {"Customers.*"}},
        {"SELECT * FROM Customers, Orders", {"Customers.*"}},
        {"select * from Customers", {"Customers.*"}},
        // Items are qualified by their alias, or by the first table.
        {"SELECT c.Name, Total FROM Customers c, Orders o", {"Customers.Name", "Customers.Total"}},
        {"SELECT o.Id FROM Customers c JOIN Orders o ON c.Id = o.CustomerId", {"Orders.Id"}},
        {"SELECT o.Id, c.Name FROM Customers c LEFT JOIN Orders o ON c.Id = o.CustomerId", {"Orders.Id", "Customers.Name"}},
        {"SELECT o.Id FROM Customers c left join Orders o ON c.Id = o.CustomerId", {"Orders.Id"}},
        // The table name itself qualifies as well as its alias.
        {"SELECT Orders.Id FROM Customers c, Orders o", {"Orders.Id"}},
        // "AS" between table and alias: only words 0 and 1 are compared, the item stays.
        {"SELECT c.Name FROM Customers AS c", {"c.Name"}},
        {"SELECT c.Name FROM Customers c WHERE c.Id = 1 ORDER BY c.Name", {"Customers.Name"}},
        // Aliases, named expressions and TOP.
        {"SELECT SUM(Amount) AS Total FROM Orders", {"Orders.Total"}},
        {"SELECT SUM(Amount) as Total FROM Orders GROUP BY x", {"Orders.Total"}},
        {"SELECT Total = SUM(Amount) FROM Orders", {"Orders.Total"}},
        {"SELECT TOP 10 Name FROM Customers", {"Customers.Name"}},
    };
    for (const auto& [statement, items] : cases)
        EXPECT_EQ(parse(QLatin1String(statement)), items) << statement;
}

TEST(ParsingTest, StatementIsNormalisedInTheCallersVariableAndNeedsFrom)
{
    clsDO o;
    QString sql = u"SELECT DISTINCT Name FROM Customers WITH (NOLOCK)"_s;
    const Variant v = o.Parsing(sql);
    EXPECT_EQ(v.array()->at(0).toString(), "Customers.Name");
    EXPECT_EQ(sql, "SELECT Name FROM Customers ");

    sql = u"SELECT a as b,\r\n\tc\nFROM  t with (nolock)"_s;
    o.Parsing(sql);
    EXPECT_EQ(sql, "SELECT a AS b, c FROM t ");

    // A statement without FROM fails.
    sql = u"SELECT 1"_s;
    EXPECT_THROW(o.Parsing(sql), Error);
}

TEST(RemoveBracketsTest, NestedAndUnbalanced)
{
    clsDO o;
    QString s = u"ISNULL(a, (b)) + c"_s;
    EXPECT_EQ(o.RemoveBrackets(s), "ISNULL + c");
    EXPECT_EQ(s, "ISNULL + c");
    EXPECT_EQ(o.RemoveBrackets(u"f(x"_s), "f x");
    EXPECT_EQ(o.RemoveBrackets(u"a) b"_s), "a) b");
    EXPECT_EQ(o.RemoveBrackets(u"f(a) + g(b(c), d) + h"_s), "f + g + h");
}

} // namespace
