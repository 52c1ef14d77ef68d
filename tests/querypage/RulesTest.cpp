// The page's pure rules: reading SQL text (comments, clean-up, splitting,
// colouring), the single-table test, header probe, paging, status line,
// connection validation, key fields, column alignment and the INSERT
// script's text.
#include "querypage/ColumnFit.h"
#include "querypage/InsertScript.h"
#include "querypage/KeyFields.h"
#include "querypage/LoadRules.h"
#include "querypage/PageController.h"
#include "querypage/PageLayout.h"
#include "querypage/SqlText.h"
#include "querypage/Validation.h"
#include "querypage/modCommons.h"
#include "core/ValueText.h"

#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextLayout>
#include <gtest/gtest.h>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

QStringList texts(const std::vector<sqllex::Piece>& pieces)
{
    QStringList out;
    for (const auto& p : pieces)
        out << p.text + (p.runTwice ? QStringLiteral(" [x2]") : QString());
    return out;
}

TEST(SqlText, CommentsGoLineBreaksAndLiteralsStay)
{
    const std::pair<const char*, const char*> cases[] = {
        {"DELETE FROM t -- a -- b\nWHERE id = 5", "DELETE FROM t \nWHERE id = 5"},
        {"SELECT '--x' FROM t -- c", "SELECT '--x' FROM t "},
        {"SELECT [a--b], \"c--d\" FROM t", "SELECT [a--b], \"c--d\" FROM t"},
        {"SELECT 1 /* -- */", "SELECT 1 /* "},
        {"SELECT 'it''s -- here' -- gone\nx", "SELECT 'it''s -- here' \nx"},
        {"SELECT 'open -- no end", "SELECT 'open -- no end"},
        {"SELECT 1 --ab\r\nFROM t --a\r\nWHERE 2", "SELECT 1 \r\nFROM t \r\nWHERE 2"},
        {"SELECT 1\n----\nFROM t", "SELECT 1\n\nFROM t"},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(sqllex::removeComments(QString::fromUtf8(in)), QString::fromUtf8(out)) << in;
}

TEST(SqlText, CleanUpNormalisesOutsideLiteralsOnly)
{
    const std::pair<const char*, const char*> cases[] = {
        {"  SELECT   a,\tb\n FROM t;", "SELECT a, b FROM t"},
        {"SELECT 'x  y' FROM [a  b]  ;", "SELECT 'x  y' FROM [a  b] "},
        {"UPDATE t SET a = 'l1\nl2'", "UPDATE t SET a = 'l1\nl2'"},
        {"DELETE FROM t \nWHERE id = 5", "DELETE FROM t WHERE id = 5"},
        {"SELECT 1;", "SELECT 1"},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(sqllex::cleanUp(QString::fromUtf8(in)), QString::fromUtf8(out)) << in;
}

TEST(SqlText, SplitsOutsideLiteralsSkipsBlanksAndMarksContextCalls)
{
    const std::pair<const char*, QStringList> cases[] = {
        {"SELECT * FROM t WHERE a = 'x;y'", {"SELECT * FROM t WHERE a = 'x;y'"}},
        {"UPDATE t SET a = 'x'; SELECT * FROM t", {"UPDATE t SET a = 'x'", "SELECT * FROM t"}},
        {"a;;SELECT 1", {"a", "SELECT 1"}},
        {"a; ;b", {"a", "b"}},
        {" ; ", {}},
        {"SELECT [x;y] FROM t; b", {"SELECT [x;y] FROM t", "b"}},
        {"EXEC sp_set_session_context 'k', 1; SELECT 1", {"EXEC sp_set_session_context 'k', 1 [x2]", "SELECT 1"}},
        {"EXEC sp_set_session_context @k, 1; SELECT 1", {"EXEC sp_set_session_context @k, 1", "SELECT 1"}},
        {"EXEC sp_set_session_context 'k', ';'; SELECT 1", {"EXEC sp_set_session_context 'k', ';'", "SELECT 1"}},
        {"SELECT 'open; x", {"SELECT 'open; x"}},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(texts(sqllex::split(QString::fromUtf8(in))), out) << in;
}

QStringList spanText(const std::vector<modCommons::Span>& spans)
{
    QStringList out;
    for (const auto& s : spans)
        out << QStringLiteral("%1+%2%3").arg(s.start).arg(s.length).arg(s.colour == modCommons::KeywordColour ? "b" : "g");
    return out;
}

TEST(Colouring, KeywordsAndCommentsAsWholeWords)
{
    const std::pair<const char*, QStringList> cases[] = {
        {"select a from t", {"0+6b", "9+4b"}},
        {"SELECTED my_select Select1 AS_OF", {}},
        {"t.FROM [FROM] (IN)", {"2+4b", "8+4b", "15+2b"}},
        {"INç ñin INé", {"0+2b"}},
        {"SELECT 1 -- FROM x", {"0+6b", "9+9g"}},
        {"a--b", {}},
        {"x -- c\ny -- c", {"2+4g", "9+4g"}},
        {"'where' -- in", {"1+5b", "8+5g"}},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(spanText(modCommons::keywordSpans(QString::fromUtf8(in))), out) << in;
}

TEST(Colouring, UpperKeywordsLeavesLiteralsNamesAndComments)
{
    QString text = QStringLiteral("where name = 'in' and [order by] = \"from\" -- select\nor x in (1)");
    EXPECT_EQ(modCommons::UpperKeywords(text),
              QStringLiteral("WHERE name = 'in' AND [order by] = \"from\" -- select\nOR x IN (1)"));
    EXPECT_EQ(text.left(5), QStringLiteral("WHERE"));
}

TEST(Colouring, HighlightKeywordsColoursBlocksKeepsCaretTextAndUndo)
{
    QPlainTextEdit box;
    const QString text = QStringLiteral("select a -- note\nfrom t where b in (1) -- note");
    box.setPlainText(text);
    QTextCursor c = box.textCursor();
    c.setPosition(5);
    c.setPosition(9, QTextCursor::KeepAnchor);
    box.setTextCursor(c);
    const bool undo = box.document()->isUndoAvailable();
    modCommons::HighlightKeywords(&box);

    std::vector<modCommons::Span> shown;
    int offset = 0;
    for (QTextBlock b = box.document()->begin(); b.isValid(); b = b.next()) {
        for (const QTextLayout::FormatRange& r : b.layout()->formats()) {
            const QColor col = r.format.foreground().color();
            if (col == QColor(0, 0, 255))
                shown.push_back({offset + r.start, r.length, modCommons::KeywordColour});
            else if (col == QColor(0, 128, 0))
                shown.push_back({offset + r.start, r.length, modCommons::CommentColour});
        }
        offset += b.length();
    }
    EXPECT_EQ(spanText(shown), spanText(modCommons::keywordSpans(text)));
    EXPECT_EQ(std::tuple(box.textCursor().position(), box.textCursor().hasSelection(), box.toPlainText(),
                         box.document()->isUndoAvailable()),
              std::tuple(9, false, text, undo));

    // One keystroke re-colours one block.
    auto* h = modCommons::highlighterOf(&box);
    h->takeBlocksHighlighted();
    QTextCursor end = box.textCursor();
    end.movePosition(QTextCursor::End);
    end.insertText(QStringLiteral("x"));
    EXPECT_EQ(h->takeBlocksHighlighted(), 1);
}


TEST(LoadRules, SingleTableTest)
{
    // The SQL: whether it reads one table, that table's name and the text naming it.
    const std::tuple<const char*, bool, const char*, const char*> cases[] = {
        {"SELECT * FROM t", true, "t", "t"},
        {"select t.* from t where a = 1", true, "t", "t"},
        {"SELECT * FROM dbo.Orders", true, "[dbo].[Orders]", "dbo.Orders"},
        {"SELECT * FROM [Order Details] WHERE x = 1", true, "[Order Details]", "[Order Details]"},
        {"SELECT * FROM dbo.[Order Details] o", true, "[dbo].[Order Details]", "dbo.[Order Details] o"},
        {"SELECT GETDATE()", false, "", ""},
        {"SELECT * FROM t join u ON t.id = u.id", false, "", ""},
        {"SELECT * FROM t UNION SELECT * FROM u", false, "", ""},
        {"SELECT * FROM t WHERE a IN (SELECT a FROM u)", false, "", ""},
        {"SELECT * FROM t, u", false, "", "t, u"},
        {"SELECT * FROM t ORDER BY a, b", false, "", "t ORDER BY a, b"},
    };
    for (const auto& [sql, single, name, part] : cases) {
        const loadrules::TableTest t = loadrules::singleTableTest(QString::fromUtf8(sql));
        EXPECT_EQ(std::tuple(t.single, t.tableName, t.tablePart), std::tuple(single, QString::fromUtf8(name), QString::fromUtf8(part))) << sql;
    }
    EXPECT_EQ((std::vector{loadrules::selectListIsWhole({"dbo.Orders.*"}, "[dbo].[Orders]"), loadrules::selectListIsWhole({" * "}, "t"),
                           loadrules::selectListIsWhole({"t.a"}, "t"), loadrules::selectListIsWhole({"t.*", "u.*"}, "t")}),
              (std::vector{true, true, false, false}));
}

TEST(LoadRules, HeaderProbe)
{
    const std::tuple<const char*, int, const char*> cases[] = { // the SQL, the driver, the probe
        {"SELECT a, b FROM t", 0, "SELECT TOP 1 a, b FROM t"},
        {"SELECT TOP 500 * FROM t JOIN u ON t.id = u.id", 0, "SELECT TOP 1 * FROM t JOIN u ON t.id = u.id"},
        {"SELECT DISTINCT a FROM t", 1, "SELECT TOP 1  a FROM t"},
        {"SELECT a FROM t JOIN u ON x ORDER BY a", 2, "SELECT a FROM t JOIN u ON x  WHERE 1 = 2 ORDER BY a"},
        {"SELECT a FROM t WHERE b = 1", 2, "SELECT a FROM t  WHERE 1 = 2 AND b = 1"},
        {"SELECT a FROM t", 2, "SELECT a FROM t WHERE 1 = 2"},
        {"WITH x AS (SELECT 1) SELECT * FROM x", 0, "WITH x AS (SELECT 1) SELECT * FROM x"},
    };
    for (const auto& [sql, driver, probe] : cases)
        EXPECT_EQ(loadrules::headerStatement(QString::fromUtf8(sql), driver), QString::fromUtf8(probe)) << sql;
    EXPECT_EQ(loadrules::qualifier(" t , u"), QStringLiteral("t"));
}

TEST(LoadRules, PagesAndStatusLine)
{
    // A column is as wide as its type's values or its header, whichever is wider, with a ceiling.
    const auto measure = [](const QString& t) { return double(t.size()) * 100; }; // 100 twips a character
    const auto width = [&](int type, int size, const char* header) { return loadrules::columnWidth(type, size, header, measure); };
    EXPECT_EQ((std::vector{width(8, 10000, "Name"), width(8, 10, "Name"), width(8, 1, "LongHeader"), width(7, 8, "When"),
                           width(7, 8, "DeliveryDate"), width(3, 4, "Id")}),
              (std::vector{2500, 1000, 1100, 1000, 1300, 300}));
    EXPECT_EQ((std::vector{loadrules::isPaged(10000, 33), loadrules::isPaged(10000, 32), loadrules::isPaged(9999, 33)}),
              (std::vector{true, false, false}));

    EXPECT_EQ(loadrules::statusLine("00:00:00", 3, 2),
              QStringLiteral("Tiempo Total de Carga: {100:00:00}     Nº Registros: {23}     Columnas: {32}"));
    EXPECT_EQ(loadrules::statusLine("00:00:01", 1234567, 2).section("{2", 1).section('}', 0, 0),
              QStringLiteral("1.234.567"));
    EXPECT_EQ(loadrules::loadTime(3723000), QStringLiteral("01:02:03"));
    EXPECT_EQ(loadrules::loadTime(86400000 + 5000), QStringLiteral("00:00:05"));
}

// The page's state without a window: the paging bar's moves stay inside the
// result, the status line counts the whole paged result, an edit of the text
// is noticed once and checked only after the clock's second has moved on.
TEST(PageController, PagingMovesEditsAndStatus)
{
    PageController c;
    c.PagingRecordCount = 100;
    c.PageRows = 30;
    c.PagePosition = 90;
    using C = PageController;
    EXPECT_EQ((std::vector{c.MovedPosition(C::StepForward, 0), c.MovedPosition(C::PageForward, 0),
                           c.MovedPosition(C::ToLast, 0), c.MovedPosition(C::Drag, 0), c.MovedPosition(C::Drag, 500),
                           c.MovedPosition(C::NoMove, 5)}),
              (std::vector<qint64>{91, 100, 100, 1, 100, -1}));
    c.PagePosition = 10;
    EXPECT_EQ((std::vector{c.MovedPosition(C::PageBack, 0), c.MovedPosition(C::StepBack, 0)}), (std::vector<qint64>{1, 9}));
    c.PagingActive = true;
    c.LoadTime = QStringLiteral("00:00:01");
    EXPECT_EQ(c.StatusLine(30, 2), loadrules::statusLine("00:00:01", 100, 2));

    QDateTime t = QDateTime::fromSecsSinceEpoch(1000);
    c.clock = [&t] { return t; };
    QString last = QStringLiteral("a");
    EXPECT_EQ((std::vector{c.BoxChanged("a", last), c.BoxChanged("b", last), c.IdleCheckDue()}), (std::vector{false, true, false}));
    t = t.addSecs(1);
    EXPECT_EQ(std::pair(last, c.IdleCheckDue()), std::pair(QString("b"), true));
    c.SingleTable = c.KeyUnique = true;
    EXPECT_EQ(std::pair(c.DecideEditable(), c.EditButtonStates().remove), std::pair(false, false)); // no record set
}

class ScriptedUi : public validation::Ui {
public:
    bool notBlank(validation::Field f, const QString& d) override
    {
        const QString value = f == validation::Field::Server     ? panel.server
                              : f == validation::Field::Database ? panel.database
                              : f == validation::Field::User     ? panel.user
                              : f == validation::Field::Password ? panel.password
                              : f == validation::Field::Sql      ? panel.sql
                                                                 : QString();
        if (!value.isEmpty())
            return true;
        shown << d + " no puede estar en blanco";
        return false;
    }
    void reject(const QString& m) override { shown << m; }
    bool ask(const QString& q) override
    {
        shown << q.section('\r', 0, 0);
        return yes;
    }
    bool fileExists(const QString& path) override { return QFile::exists(path); }
    validation::Panel panel;
    QStringList shown;
    bool yes = true;
};

TEST(Validation, PanelRules)
{
    QTemporaryDir dir;
    const QString dat = dir.filePath("d.dat"), mdb = dir.filePath("a.mdb");
    for (const QString& f : {dat, mdb}) {
        QFile file(f);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const QString sqlServer = "Con una conexión SQL Server ", access = "Con una conexión Access ";
    // Each panel, whether SQL is wanted: accepted or not, and what is shown (a .dat file is asked about once per page).
    const std::tuple<validation::Panel, bool, bool, QString> cases[] = {
        {{0, 0, "s", "C:/X.MDB", "u", "p", "x"}, true, false,
         sqlServer + "la caja de texto de la base de datos no puede contener una ruta a un fichero con extensión .mdb"},
        {{1, 1, "", "C:\\a.mdb", "", "", "x"}, true, false,
         access + "la caja de texto de la base de datos debe contener la ruta completa a un fichero con extensión .mdb"},
        {{1, 1, "", mdb, "", "", "x"}, true, true, ""},
        {{1, 1, "", dat, "", "", "x"}, true, true,
         access + "se espera la ruta completa a un fichero con extensión .mdb en la caja de texto de la base de datos."},
        {{1, 1, "", dat, "", "", "x"}, true, true, ""},
        {{1, 1, "", dir.filePath("none.mdb"), "", "", "x"}, true, false, "No se encuentra el fichero de base de datos especificado."},
        {{0, 0, "s", "d", "INTEGRATED", "", ""}, false, false, sqlServer + "la contraseña no puede estar en blanco"},
        {{3, 2, "s", "d", "u", "", ""}, false, false, "Con una conexión Oracle la contraseña no puede estar en blanco"},
        {{3, 1, "dsn", "", "", "", ""}, false, true, ""},
        {{0, 0, "s", "d", "u", "p", ""}, true, false, "El área de consulta SQL no puede estar en blanco"},
    };
    ScriptedUi ui;
    validation::Accepted accepted;
    for (const auto& [panel, sql, ok, shown] : cases) {
        ui.panel = panel;
        ui.shown.clear();
        EXPECT_EQ(validation::ValidateAll(panel, sql, accepted, ui), ok) << panel.database.toStdString();
        EXPECT_EQ(ui.shown.join('\n'), shown) << panel.database.toStdString();
    }
}

TEST(KeyFieldRules, Resolution)
{
    const QStringList names = {"[T].ID", "T.LINE", "T.NAME"};
    EXPECT_EQ(keyfields::FieldIndexByName(names, "t.[id]"), "1");
    const keyfields::Resolution r = keyfields::resolve(keyfields::keyText(" [NAME] ,\r\n\t1 "), names, "T");
    EXPECT_EQ(std::tuple(r.ok, r.list, r.positions, r.locked), std::tuple(true, QString("T.NAME,[T].ID"), QString("3,1"), QString("2,0")));
    EXPECT_FALSE(keyfields::resolve("1,4", names, "T").ok);
}

TEST(InsertScriptRules, TextOutsideLiterals)
{
    EXPECT_EQ(insertscript::normalise("SELECT DISTINCT a as x,\tb FROM t (NOLOCK)  WHERE c = ' DISTINCT  a as (NOLOCK)'"),
              QStringLiteral("SELECT a AS x, b FROM t WHERE c = ' DISTINCT  a as (NOLOCK)'"));
    EXPECT_EQ(insertscript::tableName("SELECT * FROM T, U"), QStringLiteral("T"));
    EXPECT_EQ(insertscript::tableName("SELECT 'from x' FROM dbo.T WHERE 1 = 1"), QStringLiteral("dbo.T"));
    EXPECT_EQ(insertscript::tableName("SELECT 1"), QString());
    EXPECT_EQ(insertscript::fileName(QStringLiteral("a/b\tc"), QDateTime(QDate(2024, 1, 31), QTime(9, 5, 3))),
              QStringLiteral("a_b_c_20240131_090503.txt"));
}

using columnfit::Column;

// Every character 100 twips wide; "M" too.
double width(const QString& t) { return 100.0 * double(t.size()); }

std::vector<Column> fitColumn(const QStringList& cells, int topRow = 1, double height = 2400)
{
    const columnfit::Grid g{int(cells.size()), 1, topRow, 3000, height, 240,
                            [&cells](int r, int) { return cells[r]; }};
    return columnfit::fit(g, width);
}

TEST(ColumnFit, AlignmentOfWhatIsVisible)
{
    const ValueText::ScopedLocale es{QLocale(QLocale::Spanish, QLocale::Spain)};
    const struct {
        QStringList cells;
        columnfit::Alignment alignment;
    } cases[] = {
        {{"h"}, columnfit::Right},                                      // the header alone
        {{"h", "1", "", "2,5"}, columnfit::Right},                      // numbers and empty cells
        {{"h", "1", "31/01/2024", "01/02/2024"}, columnfit::Centre},    // dates from the first non-number on
        {{"h", "31/01/2024", "", "01/02/2024"}, columnfit::Left},       // an empty cell is no date
        {{"h", "1", "abc"}, columnfit::Left},                           // numbers then text
        {{"h", "31/01/2024", "abc"}, columnfit::Left},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fitColumn(c.cells)[0].alignment, c.alignment) << c.cells.join('|').toStdString();

    // Only rows TopRow .. TopRow + Height / RowHeight count: row 3 holds text but is not visible.
    EXPECT_EQ(fitColumn({"h", "1", "2", "abc"}, 1, 240)[0], (Column{300, columnfit::Right}));
    EXPECT_EQ(fitColumn({"h", "abc", "2", "3"}, 2, 240)[0].alignment, columnfit::Right);

    // Header or the widest visible cell, never more than a third of the grid.
    EXPECT_EQ(fitColumn({"header", "1"})[0].width, 800);
    EXPECT_EQ(fitColumn({"h", QString(50, 'x')})[0].width, 1000);
}

} // namespace
