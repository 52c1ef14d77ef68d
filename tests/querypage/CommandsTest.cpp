// The page's small commands: column fit, comment lines, the SQL editor, key
// fields, the table list, compaction, help and settings, and the clipboard and
// clearing commands the main window calls.
#include "PageFixture.h"

#include "core/Error.h"
// After Error.h: the fake store raises the database's errors.
#include "../messages/FakeTranslationStore.h"
#include "compare/frmCompare.h"
#include "mainwindow/PageDialogFactories.h"
#include "controls/ModalRunner.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QTextCursor>

namespace {

class PageCommands : public PageFixture {
protected:
    QPlainTextEdit* box() { return child<QPlainTextEdit>("txtTabla"); }
    void select(int start, int end)
    {
        QTextCursor c = box()->textCursor();
        c.setPosition(start);
        c.setPosition(end, QTextCursor::KeepAnchor);
        box()->setTextCursor(c);
    }

    shell::ScopedRecordingLauncher launcher;
    ScopedRecordingDialogs system;
};

TEST_F(PageCommands, CommentAndUncomment)
{
    page.setTextSQL("a\n\nb");
    click("BttComment");
    EXPECT_EQ(page.TextSQL(), QStringLiteral("--a\n--\n--b"));

    page.setTextSQL("   --SELECT 1\n-- --x\nSELECT 2");
    click("BttUncomment");
    EXPECT_EQ(page.TextSQL(), QStringLiteral("   SELECT 1\n --x\nSELECT 2"));

    page.setTextSQL("ab\ncd");
    select(0, 4);
    page.Flexi().setEditable(true); // a text change would reset it; commenting does not
    click("BttComment");
    EXPECT_EQ(std::tuple(page.TextSQL(), page.Flexi().Editable(), rec->statements().size()), std::tuple("--ab\n--cd", true, 0));
}

TEST_F(PageCommands, Editor)
{
    QString returned, given;
    script<EditDialog>(page.Dialogs().frmEdit, [&](EditDialog& d) {
        given = d.Text;
        d.Text = returned;
    });
    page.setTextSQL("SELECT 1");
    // What the editor hands back, the answer to the page's question (0: none asked; empty over empty
    // asks nothing), the page's text after.
    const std::tuple<QString, int, QString> steps[] = {
        {"{ignore}", 0, "SELECT 1"}, {"SELECT 2", 0, "SELECT 2"}, {"", 7, "SELECT 2"}, {"", 6, ""}, {"", 0, ""}};
    for (const auto& [back, answer, text] : steps) {
        const QString before = page.TextSQL();
        recorder->calls.clear();
        recorder->answers = {answer};
        returned = back;
        click("BttEditor");
        EXPECT_EQ(given, before);
        EXPECT_EQ(page.TextSQL(), text) << back.toStdString();
        EXPECT_EQ(shown(), answer ? QStringList{"El editor no ha devuelto ninguna consulta, ¿Desea borrar la consulta actual? "
                                                "(36, Velmora 3.0)"}
                                  : QStringList());
    }
}

TEST_F(PageCommands, KeyFields)
{
    bool contextVisible = false;
    bool cancel = false;
    QString keys = "a";
    script<KeyFieldsDialog>(page.Dialogs().frmKeyFields, [&](KeyFieldsDialog& d) {
        contextVisible = d.ContextVisible;
        d.Cancelled = cancel;
        d.KeyFields = keys;
        d.Context = "EXEC ctx";
    });
    // A page that has loaded nothing yet runs the whole text of its box, as the run button does.
    page.setTextSQL("UPDATE t SET a = a + 1; SELECT * FROM t");
    click("BttKey");
    MaxSQLTestAccess::finishFetch(page);
    EXPECT_EQ(std::tuple(rec->statements().count("UPDATE t SET a = a + 1"), rec->statements().count("SELECT * FROM t"),
                         page.Flexi().Rows()),
              std::tuple(1, 1, 4));

    page.setKeyFieldsText("");
    load("UPDATE t SET a = a + 1; SELECT * FROM t");
    QSignalSpy reset(&page, &MaxSQL::ScriptEnabledChanged);
    click("BttKey");
    // Only the grid's own SELECT runs again (its load empties the box: the declared key wins).
    EXPECT_EQ(std::tuple(contextVisible, page.contextStatement(), rec->statements().filter("UPDATE").size(),
                         rec->statements().count("SELECT * FROM t")),
              std::tuple(true, "EXEC ctx", 0, 1));

    page.setKeyFieldsText("a");
    rec->clearLog();
    click("BttKey"); // the same keys: nothing runs
    EXPECT_TRUE(rec->statements().isEmpty());

    keys.clear();
    reset.clear();
    click("BttKey"); // cleared keys: the edit state goes, the box stays, nothing runs
    EXPECT_EQ(std::tuple(reset.count(), page.KeyFieldsText(), rec->statements().size()), std::tuple(1, "a", 0));

    cancel = true;
    keys = "b";
    page.setContextStatement("old");
    click("BttKey");
    EXPECT_EQ(std::tuple(page.KeyFieldsText(), page.contextStatement(), rec->statements().size()), std::tuple("a", "old", 0));

    useLocalFile();
    click("BttKey");
    EXPECT_FALSE(contextVisible);
}

TEST_F(PageCommands, TableListAndComparisonWindowTakeThePanelsConnection)
{
    mainwindow::useRealDialogs(page.Dialogs()); // the real windows, the table list scripted further on
    {
        controls::ScopedScriptedRunner runner; // the schema editor's list, left as its close box leaves it
        page.ShowTables();
        EXPECT_EQ(std::tuple(runner->shown, page.LastFinalSelect()), std::tuple(QStringList{"frmTables"}, ""));
    }
    QString seen, server; // server and password given to each
    std::shared_ptr<clsDO> given, zoltGiven;
    bool cancel = true;
    script<TablesDialog>(page.Dialogs().frmTables, [&](TablesDialog& d) {
        seen = d.Connection.server + "|" + d.Connection.password;
        given = d.Zolt;
        d.Cancelled = cancel;
        d.sql = "SELECT * FROM t";
        d.KeyFields = "a";
    });
    controls::ScopedScriptedRunner runner;
    runner.then<frmCompare>([&](frmCompare& w) {
        server = w.logic().Current.server + "|" + w.logic().Current.password;
        zoltGiven = w.logic().Zolt;
    });
    page.ParametersConnection(0, 0, "", "d", "u", "p"); // a failed validation opens neither
    page.ShowTables();
    page.CompareDatabases();
    EXPECT_EQ(std::tuple(dialogsShown, runner->shown.size()), std::tuple(0, 0));
    recorder->calls.clear();

    page.ParametersConnection(0, 0, "s", "d", "u", "p");
    page.CompareDatabases();
    EXPECT_EQ(std::tuple(runner->shown, server, zoltGiven), std::tuple(QStringList{"frmCompare"}, "s|p", zolt));
    page.setTextSQL("SELECT 1");
    page.ShowTables();
    EXPECT_EQ(std::tuple(dialogsShown, seen, given, page.TextSQL(), rec->statements().size()), std::tuple(1, "s|p", zolt, "SELECT 1", 0));

    cancel = false;
    page.ShowTables();
    EXPECT_EQ(std::tuple(page.TextSQL(), rec->statements().count("SELECT * FROM t"), page.LastFinalSelect()),
              std::tuple("SELECT * FROM t", 1, "SELECT * FROM t"));
}

TEST_F(PageCommands, Compaction)
{
    QWidget main;
    main.setWindowTitle("Velmora - principal");
    page.setParentForm(&main);
    rec->answerRegex("sys\\.master_files", Answer::table({"name", "physical_name", "type_desc", "MbSize"},
                                                          {{"d", "/data/d.mdf", "ROWS", 10}}));
    rec->answerRegex("sys\\.Databases", Answer::table({"name", "recovery_model_desc"}, {{"d", "SIMPLE"}}));
    const auto compact = [this](std::vector<int> answers) {
        rec->clearLog();
        recorder->calls.clear();
        recorder->answers = std::move(answers);
        page.CompactDatabase();
        return shown();
    };
    const auto shrinks = [this](const char* kind) { return rec->statements().filter(kind).size(); };
    const QString question = compact({6, 2}).value(1); // Cancel (also Esc and the close box)
    EXPECT_TRUE(question.contains("¿Prefiere compactar fichero a fichero?") && question.endsWith("(35, Velmora - principal)"))
        << question.toStdString();
    EXPECT_TRUE(rec->statements().isEmpty());
    const QStringList whole = compact({6, 7}); // No: the whole database
    ASSERT_EQ(whole.size(), 3);
    EXPECT_TRUE(whole[2].endsWith("(64, Velmora 3.0)")) << whole[2].toStdString();
    EXPECT_EQ(shrinks("SHRINKDATABASE (d)"), 1);
    compact({6, 6}); // Yes: file by file, no whole-database shrink
    EXPECT_EQ(shrinks("SHRINKDATABASE"), 0);
    EXPECT_GT(shrinks("SHRINKFILE") + shrinks("sys.master_files"), 0);
    EXPECT_EQ(compact({7}).size(), 1); // the first question refused

    useLocalFile();
    const QStringList access = compact({6}); // Access: no second question, the file's report
    ASSERT_EQ(access.size(), 2);
    EXPECT_TRUE(access[1].contains(page.DatabaseName()) && access[1].endsWith("(64, Velmora 3.0)")) << access[1].toStdString();
    EXPECT_EQ(shrinks("SHRINK") + shrinks("sys.master_files"), 0);
    page.ParametersConnection(3, 0, "dsn", "", "u", "p");
    EXPECT_EQ(compact({6}).size(), 1); // ODBC: the first question, then nothing
    EXPECT_EQ(shrinks("SHRINK") + shrinks("sys.master_files"), 0);
}

TEST_F(PageCommands, HelpOpensTheLocalPageOfTheInterfaceLanguage)
{
    const QString page = dir.filePath("help/es/principal.html");

    // Missing page: one report naming it, nothing launched.
    click("BttHelp");
    EXPECT_TRUE(launcher->launched.isEmpty());
    EXPECT_EQ(reports(), QStringList{"MAXSQL.BTTHELP_MOUSEUP\r\nError: No se encuentra el fichero de ayuda " + page});

    ASSERT_TRUE(QDir().mkpath(dir.filePath("help/es")) && QFile(page).open(QIODevice::WriteOnly));
    click("BttHelp");
    EXPECT_EQ(launcher->launched, QList<QUrl>{QUrl::fromLocalFile(page)});
    launcher->answer = false;
    click("BttHelp");
    EXPECT_EQ(reports().last(), "MAXSQL.BTTHELP_MOUSEUP\r\nError: No se ha podido abrir el fichero de ayuda " + page);
    launcher->answer = true;
    launcher->launched.clear();
    recorder->calls.clear();

    // Another language: its own local page, the Spanish one where it has none;
    // never an address on the web.
    const QString english = dir.filePath("help/en/principal.html");
    ASSERT_TRUE(QDir().mkpath(dir.filePath("help/en")) && QFile(english).open(QIODevice::WriteOnly));
    msg->setTranslationStore(std::make_shared<FakeTranslationStore>());
    msg->setLanguage("Language1");
    click("BttHelp");
    msg->setLanguage("Language3");
    click("BttHelp");
    EXPECT_EQ(launcher->launched, (QList<QUrl>{QUrl::fromLocalFile(english), QUrl::fromLocalFile(page)}));
    EXPECT_EQ(std::tuple(system->calls.size(), reports().size()), std::tuple(0, 0));

    // A page that does not open is reported through the message object, naming it.
    msg->setLanguage("Language1");
    launcher->answer = false;
    click("BttHelp");
    EXPECT_EQ(std::tuple(system->calls.size(), reports().size()), std::tuple(0, 1));
    EXPECT_TRUE(reports().last().endsWith(english)) << reports().last().toStdString();
}

TEST_F(PageCommands, SettingsRereadTheKeyDisplayAfterTheDialog)
{
    QString exclude; // [Connection] ExcludePrimaryKey as the user leaves it in the dialog
    script<SettingsDialog>(page.Dialogs().frmSettings, [&](SettingsDialog&) {
        QFile f(ProgramFolder::file(QStringLiteral("\\Velmora.ini")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[Connection]\nExcludePrimaryKey=" + exclude.toUtf8() + "\n");
    });
    page.setShowKey(true);
    QSignalSpy changed(&page, &MaxSQL::ShowKeyChanged);
    // Empty reads as the default "0", as everywhere else the key is read.
    const std::tuple<const char*, bool, int> steps[] = {{"0", true, 0}, {"1", false, 1}, {"", true, 2}};
    for (const auto& [value, show, changes] : steps) {
        exclude = value;
        click("BttSettings");
        EXPECT_EQ(std::tuple(page.ShowKey(), changed.count()), std::tuple(show, changes)) << value;
    }
    EXPECT_TRUE(reports().isEmpty());
}

TEST_F(PageCommands, CopyAndPasteGoThroughTheCurrentCell)
{
    MaxGrid& grid = page.Flexi();
    grid.setMsgObject(msg);
    grid.setCols(3);
    grid.setRows(3);
    const QStringList cells{"id", "name", "qty", "1", "a|b", "7"};
    for (int i = 0; i < cells.size(); ++i)
        grid.setTextMatrix(i / 3, i % 3, cells[i]);
    grid.setTypesString("LONG|STRING|INTEGER");
    grid.setLockedColumns("0");
    grid.setEditable(true);
    QClipboard* clipboard = QGuiApplication::clipboard();

    grid.setRow(1);
    grid.setCol(1);
    page.SetToClipboard();
    EXPECT_EQ(std::tuple(clipboard->text(), page.IgnoreKeyPress()), std::tuple("a|b", true));

    // A text of several lines stays whole in the one cell.
    page.setIgnoreKeyPress(false);
    clipboard->setText("x\ny\tz");
    page.GetFromClipboard();
    EXPECT_EQ(std::tuple(gridRows(), page.IgnoreKeyPress()), std::tuple(QStringList{"id|name|qty", "1|x\ny\tz|7", "||"}, true));

    // Letters into a number column: the grid's type message, the cell's entry text back.
    grid.setCol(2);
    clipboard->setText("abc");
    page.GetFromClipboard();
    EXPECT_EQ(grid.TextMatrix(1, 2), QStringLiteral("7"));
    ASSERT_EQ(reports().size(), 1);
    EXPECT_TRUE(reports()[0].contains("'abc' no corresponde al tipo de dato")) << reports()[0].toStdString();
    grid.tmrSetLastCell_Timer();

    // An empty clipboard pastes the last text copied.
    grid.setTextMatrix(2, 2, "42");
    grid.setRow(2);
    page.SetToClipboard();
    clipboard->clear();
    grid.setRow(1);
    page.GetFromClipboard();
    EXPECT_EQ(grid.TextMatrix(1, 2), QStringLiteral("42"));

    // A key column or a read-only grid takes nothing.
    clipboard->setText("9");
    grid.setCol(0);
    page.GetFromClipboard();
    page.DeleteCurrentCell();
    EXPECT_EQ(grid.TextMatrix(1, 0), QStringLiteral("1"));
    grid.setCol(2);
    grid.setEditable(false);
    page.GetFromClipboard();
    page.DeleteCurrentCell();
    EXPECT_EQ(grid.TextMatrix(1, 2), QStringLiteral("42"));
    grid.setEditable(true);
    page.DeleteCurrentCell();
    EXPECT_EQ(grid.TextMatrix(1, 2), QString());
    EXPECT_EQ(reports().size(), 1);
}

TEST_F(PageCommands, ClearingConnectionTextAndGrid)
{
    page.setTextSQL("SELECT 1");
    page.setKeyFieldsText("ID");
    page.DeleteConnectionData();
    EXPECT_EQ(std::tuple(page.ConnectionType(), page.SelectedDriver(), page.ServerName() + page.DatabaseName() + page.UserName() + page.Password()),
              std::tuple(-1, -1, ""));
    page.ExecuteQuery();
    EXPECT_EQ(std::tuple(reports(), rec->statements().size()), std::tuple(QStringList{"El tipo de conexión no puede estar en blanco"}, 0));

    page.DeleteQueryData();
    EXPECT_EQ(page.TextSQL() + page.KeyFieldsText(), QString());
    // Clearing the grid: the paging test clears a loaded one.
}

} // namespace
