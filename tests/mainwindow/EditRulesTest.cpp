// The SQL editor's rules: re-indenting, commenting, resizing, colouring delay.
#include "DialogTestSupport.h"

#include "data/SqlScan.h"
#include "mainwindow/EditRules.h"
#include "querypage/CommentLines.h"
#include "querypage/modCommons.h"

#include <QRegularExpression>

namespace {

// "⏎" in the expectations stands for CR LF.
QString lines(const char* text) { return QString::fromUtf8(text).replace(QStringLiteral("⏎"), QStringLiteral("\r\n")); }

struct IdentarCase {
    const char* input;
    const char* output;
};

const IdentarCase kIdentar[] = {
    {"SELECT a FROM t WHERE b IN (SELECT c FROM u)",
     "SELECT ⏎     a ⏎FROM t ⏎WHERE b IN (SELECT ⏎        c ⏎   FROM u)"},
    {"UPDATE t SET n = 'x and  y|z' WHERE id = 1", "UPDATE t SET n = 'x and  y|z' ⏎WHERE id = 1"},
    {"SELECT a -- from x⏎FROM t", "SELECT ⏎     a -- from x ⏎FROM t"},
    {"select x|y from t", "SELECT ⏎     x|y ⏎FROM t"},
    {"SELECT (a", "SELECT ⏎   (a"},
    // Without SELECT the column step is skipped, the line breaks still come.
    {"DELETE FROM t WHERE a = 1 AND b = 2", "DELETE ⏎FROM t ⏎WHERE a = 1 ⏎AND b = 2"},
    {"SELECT a, b, c FROM t", "SELECT ⏎   a, ⏎   b, ⏎   c ⏎FROM t"},
    {"INSERT INTO t (a, b) SELECT a, b FROM u", "INSERT INTO t (a, b) ⏎SELECT ⏎   a, ⏎   b ⏎FROM u"},
    // Commas inside a group do not split the list; the group sits one level deeper.
    {"SELECT MAX(a, b), c FROM t", "SELECT ⏎   MAX(a, b), ⏎   c ⏎FROM t"},
    // Lines and tabs are joined, blanks collapse, the text is trimmed.
    {"  select\ta⏎from   t  ", "SELECT ⏎     a ⏎FROM t"},
    // A comment followed by more text on its line after joining ends its line.
    {"SELECT a -- c⏎, b FROM t", "SELECT ⏎   a -- c⏎, ⏎   b ⏎FROM t"},
    // Names in brackets and quotes are the user's, as are braces.
    {"SELECT [from x], \"and y\" FROM t WHERE c = '{1}'",
     "SELECT ⏎   [from x], ⏎   \"and y\" ⏎FROM t ⏎WHERE c = '{1}'"},
    // A subquery is one level deeper; its list ends on its own line, so its FROM is unindented.
    {"SELECT a FROM (SELECT b, c FROM u WHERE d = 1) x",
     "SELECT ⏎     a ⏎FROM (SELECT ⏎      b, ⏎      c ⏎FROM u ⏎   WHERE d = 1) x"},
    {"SELECT 'a FROM t", "SELECT ⏎   'a FROM t"}, // an unclosed quote runs to the end
};

} // namespace

TEST(Identar, Table)
{
    for (const IdentarCase& c : kIdentar)
        EXPECT_EQ(EditRules::Identar(lines(c.input), 0), lines(c.output)) << c.input;
    // Many groups still end.
    QString many = "SELECT a FROM t WHERE x IN (1)";
    for (int i = 0; i < 15; ++i)
        many += QStringLiteral(" OR x IN (%1)").arg(i);
    const QString out = EditRules::Identar(many, 0);
    EXPECT_TRUE(out.endsWith(lines("⏎OR x IN (14)"))) << out.toStdString();
    EXPECT_FALSE(out.contains(u'{'));
}

// Outside literals, names and comments only whitespace and keyword case
// change; inside them nothing does.
TEST(Identar, CorpusChangesOnlyWhitespaceAndKeywordCase)
{
    const char* corpus[] = {
        "select a, 'x -- y', b from t where c = 'it''s (' and d in (select e from u where f like '%|%')",
        "UPDATE [Order Lines] SET [from] = \"select\" WHERE a = 1 -- and b = 2⏎OR c = 3",
        "insert into t (a, b) select a, 'select , from' from u union select 1, 2 from v",
        "SELECT a,b FROM t INNER JOIN u ON t.k = u.k LEFT JOIN v ON v.k = t.k ORDER BY a GROUP BY b HAVING COUNT(*) > 1",
        "select {fn NOW()}, x|y, '|' from t where a between 1 and 2 -- a || b ( c",
        "SELECT ((a), (b, (c))) FROM (SELECT 1 AS a) x WHERE y = ')' AND z = '('",
        "\tselect\t'  two  blanks  '\t,\tb⏎⏎from t --last",
        "SELECT a FROM t WHERE (b = 1",
    };
    const auto parts = [](const QString& text, QString& code, QStringList& kept) {
        for (const sqltext::Segment& s : sqltext::segments(text)) {
            QString part = text.mid(s.start, s.length);
            if (s.kind == sqltext::Kind::Code) {
                part.remove(QRegularExpression(QStringLiteral("\\s")));
                code += part;
            } else {
                while (!part.isEmpty() && part.back().isSpace())
                    part.chop(1);
                kept << part;
            }
        }
    };
    for (const char* c : corpus) {
        QString input = lines(c);
        const QString output = EditRules::Identar(input, 0);
        QString inCode, outCode;
        QStringList inKept, outKept;
        modCommons::UpperKeywords(input);
        parts(input, inCode, inKept);
        parts(output, outCode, outKept);
        EXPECT_EQ(outCode, inCode) << c;
        EXPECT_EQ(outKept, inKept) << c;
    }
}

TEST(CommentLines, WholeTextSelectionAndBlanks)
{
    EXPECT_EQ(commentlines::comment("a\r\n  b\r\n", 0, 0), "--a\r\n--  b\r\n--");
    EXPECT_EQ(commentlines::comment("a\nb", 0, 0), "--a\n--b");
    // A selection from mid-line comments from there; the rest of the text stays.
    EXPECT_EQ(commentlines::comment("SELECT a\nFROM t", 7, 6), "SELECT --a\n--FROM t");
    EXPECT_EQ(commentlines::comment("abc", 0, 2), "--abc");
    EXPECT_EQ(commentlines::uncomment("   --SELECT\n-- --x\nplain", 0, 0), "   SELECT\n --x\nplain");
    EXPECT_EQ(commentlines::uncomment("x --a", 0, 0), "x --a");
}

TEST(EditResize, MinimumSizeAndPlaces)
{
    const EditRules::ResizeResult small = EditRules::resize({.Width = 5000, .Height = 3000, .CaptionHeight = 300,
                                                             .FrameWidth = 60, .FrameHeight = 60});
    EXPECT_EQ(small.Width, 8000);
    EXPECT_EQ(small.Height, 4000);
    EXPECT_EQ(small.TextWidth, 8000 - 2 * (90 + 60));
    EXPECT_EQ(small.TextHeight, 4000 - 1050 - 2 * 60 - 90 - 300);
    EXPECT_EQ(small.SalirLeft, 8000 - 795 - 200);
    EXPECT_EQ(small.LineX2, 8000);
    const EditRules::ResizeResult minimised = EditRules::resize({.Width = 12000, .Height = 9000, .Minimised = true});
    EXPECT_FALSE(minimised.Placed);
    EXPECT_EQ(minimised.Width, 12000);
}

TEST(ColouringDelay, OnceNoSoonerThanASecondAfterTheLastChange)
{
    EditRules::ColouringDelay d;
    EXPECT_TRUE(d.changed("a", 0));
    EXPECT_FALSE(d.tick(500));
    EXPECT_TRUE(d.changed("ab", 700)); // typing goes on
    EXPECT_FALSE(d.tick(1500));
    EXPECT_TRUE(d.tick(1700));
    EXPECT_FALSE(d.tick(5000)); // once
    // A change to the same text starts nothing; "{ignore}" is no change time.
    EXPECT_FALSE(d.changed("ab", 6000));
    EXPECT_TRUE(d.changed("{ignore}", 9000));
    EXPECT_EQ(d.lastChange(), 6000);
}
