// The rules of the main window and its dialogs without a window: settings
// read at start, tab files; the SQL editor's re-indenting, commenting and
// colouring delay; the new key's type checks and Max + 1 statements.
#include "DialogTestSupport.h"

#include "core/ProfileFile.h"
#include "data/SqlScan.h"
#include "mainwindow/EditRules.h"
#include "mainwindow/MainWindowRules.h"
#include "mainwindow/NewKeyRules.h"
#include "querypage/modCommons.h"

#include <QRegularExpression>

using namespace MainWindowRules;

namespace {
ProfileFile ini(const QByteArray& text) { return ProfileFile::fromBytes(text); }
// "⏎" in the expectations stands for CR LF.
QString lines(const char* text) { return QString::fromUtf8(text).replace(QStringLiteral("⏎"), QStringLiteral("\r\n")); }

// Input and re-indented output.
const std::pair<const char*, const char*> kIdentar[] = {
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

// A missing file gives the defaults; values that do not read, or lie out of
// range, read as the default or are clamped; only ExcludePrimaryKey=0 shows the key.
TEST(MainWindowSettings, ReadAtStart)
{
    const auto read = [](const QByteArray& text) {
        const FormSettings s = readFormSettings(ini(text));
        return QStringLiteral("%1x%2 state %3 tabs %4/%5 key %6 %7 border %8,%9 [%10]")
            .arg(s.Width).arg(s.Height).arg(s.WindowState).arg(s.OpenTabs).arg(s.SelectedTab).arg(s.ShowKey)
            .arg(s.Translation).arg(s.RightBorderWidth).arg(s.DownBorderHeight).arg(s.AccessProvider);
    };
    EXPECT_EQ(read(""), "14535x11370 state 0 tabs 1/1 key 1 Original border 0,0 []");
    const std::pair<QByteArray, QString> cases[] = {
        {"[Form]\nWidth=abc\nHeight=\nWindowState=x\nOpenTabs=?\nSelectedTab=z\n", "14535x11370 state 0 tabs 1/1"},
        {"[Form]\nOpenTabs=2\nSelectedTab=7\n", "14535x11370 state 0 tabs 2/2"},
        {"[Form]\nOpenTabs=0\nSelectedTab=0\n", "14535x11370 state 0 tabs 1/1"},
        {"[Form]\nOpenTabs=-3\nSelectedTab=-1\nWindowState=3\n", "14535x11370 state 0 tabs 1/1"},
        {"[Form]\nOpenTabs=99999\nWindowState=-1\n", "14535x11370 state 0 tabs 1/1"},
        {"[form]\nwidth=16000\nheight=9000\nwindowstate=2\nopentabs=3\nselectedtab=3\n", "16000x9000 state 2 tabs 3/3"},
        {"[Form]\nWindowState=1\nWidth=15060,5\n", "15060.5x11370 state 1 tabs 1/1"},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(read(text).left(expected.size()), expected) << text.constData();
    for (auto [value, key] : {std::pair{"0", "1"}, {"1", "0"}, {"abc", "0"}, {"00", "0"}})
        EXPECT_EQ(read(QByteArray("[Connection]\nExcludePrimaryKey=") + value).section(' ', 5, 6), "key " + QString(key)) << value;
}

TEST(MainWindowTabs, ClosingAMiddleTabMovesLaterFilesDownAndAMissingFileRemovesItsTarget)
{
    QTemporaryDir dir;
    const QString d = dir.path();
    for (const auto& [n, text] : {std::pair{1, "one"}, {2, "two"}, {3, "three"}, {5, "five"}})
        ASSERT_TRUE(ProfileFile::write(tabFile(d, n), "T", "v", text));
    auto files = [&] {
        QStringList out;
        for (int n = 1; n <= 5; ++n)
            out << ProfileFile::read(tabFile(d, n), "T", "v", "(none)");
        return out.join(' ');
    };
    EXPECT_TRUE(shiftTabFiles(d, 2, 5));
    EXPECT_EQ(files(), "one three (none) five (none)"); // tab 4 had no file
}

TEST(Identar, Table)
{
    for (const auto& [input, output] : kIdentar)
        EXPECT_EQ(EditRules::Identar(lines(input), 0), lines(output)) << input;
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
    // The code without whitespace, and the literals, names and comments.
    const auto parts = [](const QString& text) {
        std::pair<QString, QStringList> out;
        auto& [code, kept] = out;
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
        return out;
    };
    for (const char* c : corpus) {
        QString input = lines(c);
        const QString output = EditRules::Identar(input, 0);
        modCommons::UpperKeywords(input);
        EXPECT_EQ(parts(output), parts(input)) << c;
    }
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

TEST(NewKeyRules, TypeChecksWithSpanishMarks)
{
    ValueText::ScopedLocale spanish{QLocale(QLocale::Spanish, QLocale::Spain)};
    const struct {
        const char *type, *value;
        bool passes;
    } checks[] = {
        {"YESNO", "S", true},     {"YESNO", "N", true},      {"YESNO", "s", false},      {"YESNO", "n", false},
        {"YESNO", "Si", false},   {"YESNO", "S#N", false},   {"yesno", "N", true},       {"LONG", "1.234", true},
        {"LONG", "12.34", false}, {"LONG", "1234,5", false}, {"DOUBLE", "1234,5", true}, {"DOUBLE", "1.234,5", true},
        {"integer", "x", false},  {"DATE", "31/12/2020", true}, {"DATE", "31/13/2020", false}, {"STRING", "S#N", true},
        {"OTHER", "abc", true},
    };
    for (const auto& c : checks)
        EXPECT_EQ(NewKeyRules::typeMessage(c.type, c.value, "f").isEmpty(), c.passes) << c.type << " " << c.value;
}

// The statements for "dbo.Orders.Id" and "ORDERS.ID" are pinned as sent, in DialogsTest.
TEST(NewKeyRules, MaxStatementsQuoteEveryPart)
{
    using NewKeyRules::Quoting;
    const std::tuple<const char*, Quoting, const char*> cases[] = {
        {"Orders.Id", Quoting::Brackets, "SELECT MAX([Id]) AS MaxValue FROM [Orders]"},
        {"Order Lines.Line No", Quoting::Brackets, "SELECT MAX([Line No]) AS MaxValue FROM [Order Lines]"},
        {"[a.b].[c]]d]", Quoting::Brackets, "SELECT MAX([c]]d]) AS MaxValue FROM [a.b]"},
        {"SCOTT.Order Lines.No", Quoting::Oracle, "SELECT MAX(No) AS MaxValue FROM SCOTT.\"Order Lines\""},
    };
    for (const auto& [name, quoting, sql] : cases)
        EXPECT_EQ(NewKeyRules::maxStatement(name, quoting), sql) << name;
    EXPECT_EQ(QStringList({NewKeyRules::nextValue(Variant::null()), NewKeyRules::nextValue(Variant("41")),
                           NewKeyRules::nextValue(Variant(std::int64_t(9007199254740993LL)))}),
              QStringList({"1", "42", "9007199254740994"}));
}
