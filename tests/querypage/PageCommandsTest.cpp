// The page's small commands: column fit, comment lines, the SQL editor, key
// fields, the table list and compaction.
#include "PageFixture.h"

#include "querypage/ColumnFit.h"
#include "querypage/PushButton.h"
#include "schema/ModalRunner.h"
#include "compare/frmCompare.h"
#include "controls/ModalRunner.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTextCursor>

namespace {

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

    // Header + 200, the widest visible cell + 200, never more than a third of the grid.
    EXPECT_EQ(fitColumn({"header", "1"})[0].width, 800);
    EXPECT_EQ(fitColumn({"h", QString(50, 'x')})[0].width, 1000);
}

class PageCommands : public PageFixture {
protected:
    QPlainTextEdit* box() { return child<QPlainTextEdit>("txtTabla"); }
    void press(const char* button)
    {
        emit child<PushButton>(button)->mouseUp(1, 0, 0, 0);
    }
    void select(int start, int end)
    {
        QTextCursor c = box()->textCursor();
        c.setPosition(start);
        c.setPosition(end, QTextCursor::KeepAnchor);
        box()->setTextCursor(c);
    }
};

TEST_F(PageCommands, CommentAndUncomment)
{
    page.setTextSQL("a\n\nb");
    press("BttComment");
    EXPECT_EQ(page.TextSQL(), QStringLiteral("--a\n--\n--b"));

    page.setTextSQL("   --SELECT 1\n-- --x\nSELECT 2");
    press("BttUncomment");
    EXPECT_EQ(page.TextSQL(), QStringLiteral("   SELECT 1\n --x\nSELECT 2"));

    page.setTextSQL("ab\ncd");
    select(0, 4);
    page.Flexi().setEditable(true); // a text change would reset it; commenting does not
    press("BttComment");
    EXPECT_EQ(page.TextSQL(), QStringLiteral("--ab\n--cd"));
    EXPECT_TRUE(page.Flexi().Editable());
    EXPECT_TRUE(rec->statements().isEmpty());
}

TEST_F(PageCommands, Editor)
{
    QString returned;
    QString given;
    script<EditDialog>(page.Dialogs().frmEdit, [&](EditDialog& d) {
        given = d.Text;
        d.Text = returned;
    });
    page.setTextSQL("SELECT 1");
    returned = "{ignore}";
    press("BttEditor");
    EXPECT_EQ(given, QStringLiteral("SELECT 1"));
    EXPECT_EQ(page.TextSQL(), QStringLiteral("SELECT 1"));

    returned = "SELECT 2";
    press("BttEditor");
    EXPECT_EQ(page.TextSQL(), QStringLiteral("SELECT 2"));

    returned.clear();
    recorder->answers = {7, 6};
    press("BttEditor");
    EXPECT_EQ(page.TextSQL(), QStringLiteral("SELECT 2"));
    press("BttEditor");
    EXPECT_TRUE(page.TextSQL().isEmpty());
    EXPECT_EQ(shown().value(0),
              QStringLiteral("El editor no ha devuelto ninguna consulta, ¿Desea borrar la consulta actual? (36, Velmora 3.0)"));
    recorder->calls.clear();
    press("BttEditor"); // empty over empty asks nothing
    EXPECT_TRUE(shown().isEmpty());
}

TEST_F(PageCommands, KeyFields)
{
    load("UPDATE t SET a = a + 1; SELECT * FROM t");
    struct {
        int Height = 0;
        bool ContextVisible = false;
        QString Context;
    } seen;
    bool cancel = false;
    QString keys = "a";
    script<KeyFieldsDialog>(page.Dialogs().frmKeyFields, [&](KeyFieldsDialog& d) {
        seen.Height = d.Height;
        seen.ContextVisible = d.ContextVisible;
        seen.Context = d.Context;
        d.Cancelled = cancel;
        d.KeyFields = keys;
        d.Context = "EXEC ctx";
    });
    auto* keyBox = child<QPlainTextEdit>("txtKeyFields");
    QSignalSpy reset(&page, &MaxSQL::ScriptEnabledChanged);

    press("BttKey");
    EXPECT_EQ(seen.Height, 7110);
    EXPECT_TRUE(seen.ContextVisible);
    EXPECT_EQ(page.contextStatement(), QStringLiteral("EXEC ctx"));
    // Only the grid's own SELECT runs again (its load empties the box: the declared key wins).
    EXPECT_EQ(rec->statements().filter("UPDATE").size(), 0);
    EXPECT_EQ(rec->statements().count("SELECT * FROM t"), 1);

    keyBox->setPlainText("a");
    rec->clearLog();
    press("BttKey"); // the same keys: nothing runs
    EXPECT_TRUE(rec->statements().isEmpty());

    keys.clear();
    reset.clear();
    press("BttKey"); // cleared keys: the edit state goes, the box stays, nothing runs
    EXPECT_EQ(reset.count(), 1);
    EXPECT_EQ(keyBox->toPlainText(), QStringLiteral("a"));
    EXPECT_TRUE(rec->statements().isEmpty());

    cancel = true;
    keys = "b";
    page.setContextStatement("old");
    press("BttKey");
    EXPECT_EQ(keyBox->toPlainText(), QStringLiteral("a"));
    EXPECT_EQ(page.contextStatement(), QStringLiteral("old"));
    EXPECT_TRUE(rec->statements().isEmpty());

    QFile f(dir.filePath("db.mdb"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    page.ParametersConnection(1, 1, "", f.fileName(), "", "");
    press("BttKey");
    EXPECT_EQ(seen.Height, 6400);
    EXPECT_FALSE(seen.ContextVisible);
}

TEST_F(PageCommands, TableList)
{
    struct {
        QString SRV, PWD;
        std::shared_ptr<clsDO> Zolt;
    } seen;
    bool cancel = true;
    script<TablesDialog>(page.Dialogs().frmTables, [&](TablesDialog& d) {
        seen.SRV = d.SRV;
        seen.PWD = d.PWD;
        seen.Zolt = d.Zolt;
        d.Cancelled = cancel;
        d.sql = "SELECT * FROM t";
        d.KeyFields = "a";
    });
    page.ParametersConnection(0, 0, "", "d", "u", "p");
    page.ShowTables();
    EXPECT_EQ(dialogsShown, 0);
    recorder->calls.clear();

    page.ParametersConnection(0, 0, "s", "d", "u", "p");
    page.setTextSQL("SELECT 1");
    page.ShowTables();
    EXPECT_EQ(dialogsShown, 1);
    EXPECT_EQ(seen.SRV, QStringLiteral("s"));
    EXPECT_EQ(seen.PWD, QStringLiteral("p"));
    EXPECT_EQ(seen.Zolt, zolt);
    EXPECT_EQ(page.TextSQL(), QStringLiteral("SELECT 1"));
    EXPECT_TRUE(rec->statements().isEmpty());

    cancel = false;
    page.ShowTables();
    EXPECT_EQ(page.TextSQL(), QStringLiteral("SELECT * FROM t"));
    EXPECT_EQ(rec->statements().count("SELECT * FROM t"), 1);
    EXPECT_EQ(page.LastFinalSelect(), QStringLiteral("SELECT * FROM t"));
}

TEST_F(PageCommands, TheSchemaEditorsTableList)
{
    schema::ScopedScriptedRunner runner; // no step: left as its close box leaves it
    page.ShowTables();
    EXPECT_EQ(runner->shown, QStringList{"frmTables"});
    EXPECT_TRUE(page.LastFinalSelect().isEmpty());
}

TEST_F(PageCommands, TheComparisonWindow)
{
    controls::ScopedScriptedRunner runner;
    QString server, password;
    std::shared_ptr<clsDO> zoltGiven;
    runner.then<frmCompare>([&](frmCompare& w) {
        server = w.logic().CurrentSRV;
        password = w.logic().CurrentPWD;
        zoltGiven = w.logic().Zolt;
    });
    page.CompareDatabases();
    EXPECT_EQ(server, QStringLiteral("s"));
    EXPECT_EQ(password, QStringLiteral("p"));
    EXPECT_EQ(zoltGiven, zolt);

    page.ParametersConnection(0, 0, "", "d", "u", "p"); // a failed validation opens nothing
    runner->steps.clear();
    server.clear();
    page.CompareDatabases();
    EXPECT_TRUE(server.isEmpty());
    EXPECT_EQ(runner->shown, QStringList{"frmCompare"});
}

TEST_F(PageCommands, Compaction)
{
    QWidget main;
    main.setWindowTitle("Velmora - principal");
    page.setParentForm(&main);
    const QString question = "CONSIDERACIONES SOBRE EL COMPACTADO:\r\n -Necesita permiso de administrador.\r\n"
                             " -Afecta al rendimiento.\r\n -Se recomienda hacer un backup antes de compactar.\r\n"
                             " -Compactar fichero a fichero reduce más el espacio pero   puede perder transacciones en curso.\r\n"
                             " -Realícelo preferentemente cuando la base de datos no esté en uso.\r\n\r\n"
                             "¿Prefiere compactar fichero a fichero?\r\n\r\n  SI:     compactará fichero a fichero.\r\n"
                             "  NO:     compactará la base de datos completa.\r\n  CANCEL: abortará la operación.";
    const auto shrinks = [this] {
        return rec->statements().filter("SHRINKDATABASE").size() * 10 + rec->statements().filter("SHRINKFILE").size() +
               rec->statements().filter("sys.master_files").size() * 100;
    };

    rec->answerRegex("sys\\.master_files", Answer::table({"name", "physical_name", "type_desc", "MbSize"},
                                                          {{"d", "/data/d.mdf", "ROWS", 10}}));
    rec->answerRegex("sys\\.Databases", Answer::table({"name", "recovery_model_desc"}, {{"d", "SIMPLE"}}));
    recorder->answers = {6, 2}; // Cancel (also Esc and the close box)
    page.CompactDatabase();
    ASSERT_EQ(recorder->calls.size(), 2u);
    EXPECT_EQ(recorder->calls[1].body.trimmed(), question);
    EXPECT_EQ(recorder->calls[1].style, 35);
    EXPECT_EQ(recorder->calls[1].title, QStringLiteral("Velmora - principal"));
    EXPECT_TRUE(rec->statements().isEmpty());

    recorder->calls.clear();
    recorder->answers = {6, 7}; // No: the whole database
    page.CompactDatabase();
    EXPECT_EQ(rec->statements().filter("SHRINKDATABASE (d)").size(), 1);
    ASSERT_EQ(recorder->calls.size(), 3u);
    EXPECT_EQ(recorder->calls[2].style, 64);
    EXPECT_EQ(recorder->calls[2].title, QStringLiteral("Velmora 3.0"));

    rec->clearLog();
    recorder->answers = {6, 6}; // Yes: file by file, no whole-database shrink
    page.CompactDatabase();
    EXPECT_EQ(rec->statements().filter("SHRINKDATABASE").size(), 0);
    EXPECT_GT(shrinks(), 0);

    rec->clearLog();
    recorder->calls.clear();
    recorder->answers = {7}; // the first question refused
    page.CompactDatabase();
    EXPECT_EQ(recorder->calls.size(), 1u);

    QFile file(dir.filePath("db.mdb"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    page.ParametersConnection(1, 1, "", file.fileName(), "", "");
    recorder->calls.clear();
    recorder->answers = {6}; // Access: no second question, the file's report
    page.CompactDatabase();
    ASSERT_EQ(recorder->calls.size(), 2u);
    EXPECT_EQ(recorder->calls[1].style, 64);
    EXPECT_TRUE(recorder->calls[1].body.contains(file.fileName())) << recorder->calls[1].body.toStdString();
    EXPECT_EQ(shrinks(), 0);

    page.ParametersConnection(3, 0, "dsn", "", "u", "p");
    recorder->calls.clear();
    recorder->answers = {6};
    page.CompactDatabase(); // ODBC: the first question, then nothing
    EXPECT_EQ(shown().size(), 1);
    EXPECT_EQ(shrinks(), 0);
}

} // namespace

namespace {

// A picture of a fitted result for the eye: numbers right, dates centred, text left.
TEST_F(PageCommands, FittedGridPicture)
{
    const QString folder = qEnvironmentVariable("VELMORA_SCREENSHOTS");
    if (folder.isEmpty())
        GTEST_SKIP() << "VELMORA_SCREENSHOTS not set";
    QDir().mkpath(folder);
    rec->answerRows("SELECT * FROM ventas", {"Numero", "Fecha", "Cliente", "Importe", "Nota"},
                    {{1, "31/01/2024", "Talleres Ruiz", "1.250,50", "primer pedido"},
                     {2, "01/02/2024", "O'Brien e hijos", "87,00", ""},
                     {13, "15/02/2024", "Comercial del Norte", "12.000,00", "pago a 30 días"},
                     {104, "29/02/2024", "Ana", "3", "una nota bastante más larga que las demás para ver el ancho"}});
    page.resize(900, 420);
    page.show();
    load("SELECT * FROM ventas");
    QCoreApplication::processEvents();
    EXPECT_EQ(page.Flexi().ColAlignment(0), 7);
    EXPECT_EQ(page.Flexi().ColAlignment(1), 4);
    EXPECT_EQ(page.Flexi().ColAlignment(2), 1);
    EXPECT_EQ(page.Flexi().ColAlignment(3), 7);
    EXPECT_TRUE(page.grab().save(folder + "/fitted_grid.png"));
}

} // namespace
