// The main window with recording pages: start-up, shutdown, tabs, menus,
// keys and the page events, offscreen.
#include "FakeQueryPage.h"

#include "core/Dialogs.h"
#include "core/FileReplace.h"
#include "core/Screen.h"
#include "mainwindow/frmMain.h"
#include "messages/clsError.h"
#include "platform/shell/Shell.h"
#include "querypage/HelpPages.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

using ::testing::ElementsAre;
using MainWindowRules::tabCaption;
using MainWindowRules::tabFile;

namespace {

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override { ProgramFolder::setPath(dir.path()); }
    void TearDown() override
    {
        w.reset();
        ProgramFolder::setPath(QString());
    }

    void setIni(const QString& section, const QString& key, const QString& value)
    {
        ASSERT_TRUE(ProfileFile::write(dir.filePath("Velmora.ini"), section, key, value));
    }
    QString ini(const QString& key) const
    {
        return ProfileFile::read(dir.filePath("Velmora.ini"), QStringLiteral("Form"), key);
    }
    void seedTab(int n, const QString& sql, const QString& user = QString())
    {
        ProfileFile f;
        f.setValue("Fake", "SQL", sql);
        f.setValue("Fake", "User", user);
        ASSERT_TRUE(f.save(tabFile(dir.path(), n)));
    }
    QString tabSql(int n) const { return ProfileFile::read(tabFile(dir.path(), n), "Fake", "SQL", "(none)"); }

    frmMain& make()
    {
        w = std::make_unique<frmMain>();
        w->setPageFactory(FakeQueryPage::factory(pages));
        w->setMsgBoxRecorder(messages);
        w->setEndProgram([this] { ++ended; });
        w->setShutdownWait(100);
        return *w;
    }
    frmMain& load()
    {
        make().Form_Load();
        QCoreApplication::processEvents();
        return *w;
    }
    FakeQueryPage* page(int k) const { return static_cast<FakeQueryPage*>(w->QueryPage(k)); }
    // The strip as "1 [2] 3 +": tab numbers for the captions of the tab rule,
    // the selected one in brackets; "!" marks a page shown though its tab is
    // not selected, or hidden though it is.
    QString strip() const
    {
        QStringList out;
        for (int i = 1; i <= w->QueryTabs->Tabs(); ++i) {
            QString c = w->QueryTabs->TabCaption(i);
            const bool current = i == w->QueryTabs->CurrentTab();
            if (c == tabCaption(i))
                c = QString::number(i) + (page(i) && page(i)->isHidden() == current ? "!" : "");
            out << (current ? '[' + c + ']' : c);
        }
        return out.join(' ');
    }
    // The bodies shown in one style: 16 reports, 36 questions.
    QStringList said(int style) const
    {
        QStringList out;
        for (const auto& c : messages->calls)
            if (c.style == style)
                out << c.body.trimmed();
        return out;
    }
    QStringList reports() const { return said(16); }
    int questions() const { return int(said(36).size()); }
    void key(int qtKey, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = QString(),
             QWidget* to = nullptr)
    {
        QKeyEvent e(QEvent::KeyPress, qtKey, mods, text);
        e.setTimestamp(++keyTime);
        QApplication::sendEvent(to ? to : static_cast<QWidget*>(page(w->QueryTabs->CurrentTab())), &e);
    }

    QTemporaryDir dir;
    std::shared_ptr<FakeQueryPage::Shared> pages = std::make_shared<FakeQueryPage::Shared>();
    std::shared_ptr<MsgBoxRecorder> messages = std::make_shared<MsgBoxRecorder>();
    ScopedRecordingDialogs system;
    std::unique_ptr<frmMain> w;
    int ended = 0;
    quint64 keyTime = 0;
};

// --- start-up and shutdown

// Services that do not start end the program without writing; otherwise an
// empty folder starts one tab and writes only at the close.
TEST_F(MainWindowTest, AnEmptyFolderStartsOneTabAndWritesOnlyAtClose)
{
    make().setServicesStart([](auto&&...) { return false; });
    w->Form_Load();
    EXPECT_EQ(std::tuple(ended, w->ProgramEnded(), w->QueryPage(1) == nullptr), std::tuple(1, true, true));
    load(); // neither start wrote a file
    EXPECT_EQ(QStringList({w->windowTitle(), strip(), w->QueryTabs->TabCaption(1), w->MSG()->Language(),
                           QString::number(page(1)->showKey), QDir(dir.path()).entryList(QDir::Files).join(',')}),
              QStringList({"Velmora 3.0", "[1] +", "Query 1      ", "Original", "1", ""}));

    w->close();
    EXPECT_EQ(ini("WindowState") + ini("OpenTabs") + ini("SelectedTab"), "011");
    EXPECT_TRUE(reports().isEmpty());
}

// A save or an export killed halfway leaves its temporary file; the next
// start removes those, beside the settings, in the export folders and where
// the export record says, and nothing that only looks like them: a user's
// copies of the settings, a file of another program, a temporary file that
// another running copy is still writing.
TEST_F(MainWindowTest, AStartRemovesWhatKilledSavesAndExportsLeftAndNoUserFile)
{
    const auto killedWhileWriting = [](const std::function<void()>& begin, const std::function<void()>& write) {
        const pid_t child = ::fork();
        if (child == 0) {
            begin();
            FileReplace::installWriter([](QIODevice&, const QByteArray&) -> bool { ::_exit(0); });
            write();
            ::_exit(1);
        }
        int status = -1;
        ::waitpid(child, &status, 0);
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    };
    const auto hiddenAndFiles = [](const QString& folder) {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    };
    QTemporaryDir elsewhere;
    ASSERT_TRUE(QDir(dir.path()).mkpath("Excel") && QDir(dir.path()).mkpath("CSV"));
    const QStringList mine{"Velmora.ini.backup", "Velmora_Tab1.ini.before", "Velmora.ini.abcdef", ".Velmora.ini.part"};
    for (const QString& name : mine)
        ASSERT_TRUE(ProfileFile::fromBytes("[Form]\nWidth=1\n").save(dir.filePath(name)));
    ASSERT_TRUE(ProfileFile::fromBytes("x").save(elsewhere.filePath(".ventas.csv.tmp")));
    seedTab(1, "SELECT 1");

    ASSERT_TRUE(killedWhileWriting([] {}, [&] { ProfileFile::fromBytes("[Form]\nWidth=2\n").save(dir.filePath("Velmora.ini")); }));
    for (const QString& target : {dir.filePath("Excel/x.xlsx"), elsewhere.filePath("ventas.csv")}) {
        FileReplace::Stream stream(target);
        ASSERT_TRUE(killedWhileWriting([&] { FileReplace::setExportRecord(dir.filePath("Velmora.exports")); ASSERT_TRUE(stream.open()); },
                                       [&] { stream.write("a;b"); }));
    }
    // Another copy of the program is exporting into the CSV folder.
    FileReplace::Temporary busy(dir.filePath("CSV/otra.csv"), FileReplace::Temporary::Use::Export);
    ASSERT_TRUE(busy.isOpen());
    ASSERT_EQ(hiddenAndFiles(dir.path()).size(), mine.size() + 3); // the record, a tab, a settings leftover
    ASSERT_EQ(hiddenAndFiles(dir.filePath("Excel")).size(), 1);
    ASSERT_EQ(hiddenAndFiles(elsewhere.path()).size(), 2);

    load();
    EXPECT_EQ(hiddenAndFiles(dir.path()),
              (QStringList{".Velmora.ini.part", "Velmora.ini.abcdef", "Velmora.ini.backup", "Velmora_Tab1.ini",
                           "Velmora_Tab1.ini.before"}));
    EXPECT_EQ(hiddenAndFiles(dir.filePath("Excel")), QStringList{});
    EXPECT_EQ(hiddenAndFiles(elsewhere.path()), QStringList{".ventas.csv.tmp"});
    EXPECT_EQ(hiddenAndFiles(dir.filePath("CSV")), QStringList{QFileInfo(busy.path()).fileName()});
    EXPECT_EQ(page(1)->sql, "SELECT 1");
    FileReplace::setExportRecord(QString());
}

// What the settings read as is the rules' (RulesTest); here the window's use
// of them. The plus tab opens a tenth tab, restored from a stale file.
TEST_F(MainWindowTest, EachPageKnowsItsTabThePlusTabOpensOneAndTheSettingsAreWrittenBack)
{
    seedTab(10, "SELECT stale");
    setIni("Form", "OpenTabs", "9");
    setIni("Form", "SelectedTab", "12");
    setIni("Connection", "ExcludePrimaryKey", "1");
    load();
    EXPECT_EQ(strip(), "1 2 3 4 5 6 7 8 [9] +");
    EXPECT_EQ(std::pair(page(2)->tab, page(2)->showKey), std::pair(2, false));
    w->QueryTabs->setCurrentTab(10);
    EXPECT_EQ(QStringList({strip(), w->QueryTabs->TabCaption(10), page(10)->sql}),
              QStringList({"1 2 3 4 5 6 7 8 9 [10] +", "Query 10     ", "SELECT stale"}));
    w->close(); // the real tabs and the current one are written back
    EXPECT_EQ(ini("OpenTabs") + ini("SelectedTab"), "1010");
}

TEST_F(MainWindowTest, TheSizeInTheFileOutlivesAFrameLearntLateAndAMaximisedOrMinimisedWindow)
{
    setIni("Form", "Width", "16005");
    setIni("Form", "Height", "9990");
    QMargins frame; // none until the window is up
    make().setFrameMarginsSource([&] { return frame; });
    w->Form_Load();
    w->show();
    QCoreApplication::processEvents();
    frame = QMargins(4, 30, 4, 4);
    w->Form_Resize(); // the window system reports the frame
    QCoreApplication::processEvents();
    EXPECT_EQ(std::pair(w->CaptionHeight(), w->FrameWidth()), std::pair(26.0 * 15, 60.0));
    w->close();
    EXPECT_EQ(ini("Width") + "x" + ini("Height"), "16005x9990");

    setIni("Form", "WindowState", "2");
    EXPECT_EQ(load().WindowState(), 2);
    w->close();
    EXPECT_EQ(ini("WindowState") + " " + ini("Width"), "2 16005");
    setIni("Form", "WindowState", "1");
    EXPECT_EQ(load().WindowState(), 1);
    w->setWindowState(Qt::WindowNoState);
    QCoreApplication::processEvents();
    EXPECT_EQ(std::pair(w->Width(), w->Height()), std::pair(16005.0, 9990.0));
}

// Exit asks; Yes terminates: a bounded wait for a page's check, every page
// saved even when one fails, and all of it once.
TEST_F(MainWindowTest, ExitAsksThenShutdownWaitsABoundedTimeSavesEveryPageAndRunsOnce)
{
    setIni("Form", "OpenTabs", "3");
    load();
    page(1)->timerEnabled = [] { return true; }; // a check that never ends
    pages->throwIn.insert("SaveLastQuery");
    pages->log.clear();
    messages->answers = {7, 6};
    page(1)->events.ButtonClicked("BttExit"); // No
    EXPECT_EQ(ended, 0);
    EXPECT_EQ(ini("WindowState") + pages->log.join(' '), ""); // nothing written, nothing saved
    int steps = 0;
    w->setShutdownStep([&] { ++steps; });
    page(1)->events.ButtonClicked("BttExit"); // Yes
    EXPECT_EQ(steps, 100 / frmMain::ShutdownStepMs);
    EXPECT_EQ(std::tuple(ended, questions(), messages->calls.at(1).title, ini("WindowState"),
                         pages->log.filter("SaveLastQuery").size(), reports().size()),
              std::tuple(1, 2, QString("Velmora 3.0"), QString("0"), qsizetype(3), qsizetype(3)));
    EXPECT_TRUE(reports().first().startsWith("FRMMAIN.TERMINAR\r\nError: falla SaveLastQuery"));
    w->Terminar();
    w->close();
    EXPECT_EQ(pages->log.size(), 3);
}

// --- tabs

TEST_F(MainWindowTest, ClosingAMiddleTabMovesEachLaterTabWithItsOwnFile)
{
    for (int k = 1; k <= 4; ++k)
        seedTab(k, QStringLiteral("SELECT %1").arg(k));
    setIni("Form", "OpenTabs", "4");
    setIni("Form", "SelectedTab", "2");
    load();
    page(4)->sql = "SELECT 4 edited";
    pages->log.clear();
    w->CloseCurrentTab();
    EXPECT_EQ(std::tuple(strip(), page(2)->sql, page(3)->sql, w->QueryPage(4) == nullptr, page(2)->gridFilled),
              std::tuple(QString("1 [2] 3 +"), QString("SELECT 3"), QString("SELECT 4 edited"), true, false));
    EXPECT_EQ(QStringList({tabSql(1), tabSql(2), tabSql(3), tabSql(4)}),
              QStringList({"SELECT 1", "SELECT 3", "SELECT 4 edited", "(none)"}));
    EXPECT_FALSE(QFile::exists(tabFile(dir.path(), 4)));

    // Closing the last tab selects the one before and deletes its file.
    w->SelectTab(3);
    w->CloseCurrentTab();
    EXPECT_EQ(std::tuple(strip(), QFile::exists(tabFile(dir.path(), 3)), tabSql(2)),
              std::tuple(QString("1 [2] +"), false, QString("SELECT 3")));
    // Closing the only tab empties it and keeps its file.
    w->CloseCurrentTab();
    page(1)->calls.clear();
    w->CloseCurrentTab();
    EXPECT_EQ(page(1)->calls, QStringList({"DeleteConnectionData", "DeleteQueryData", "DeleteGridData"}));
    EXPECT_EQ(strip() + tabSql(1), "[1] +SELECT 1");
}

// The clean entries ask first except the grid's, and close the menu whatever
// the answer. The right button pops up the tab menu, whose entries duplicate.
TEST_F(MainWindowTest, CleanEntriesAndDuplicatingTheConnectionOrTheText)
{
    load();
    const struct {
        int entry, answer;
        QStringList calls;
        int asked;
    } cases[] = {{0, 7, {}, 1}, {0, 6, {"DeleteConnectionData"}, 1}, {1, 6, {"DeleteQueryData"}, 1},
                 {2, 7, {"DeleteGridData"}, 0}};
    for (const auto& c : cases) {
        page(1)->events.ButtonClicked("BttClean");
        page(1)->calls.clear();
        messages->calls.clear();
        messages->answers = {c.answer};
        w->BttCleanMenu_MouseUp(c.entry);
        EXPECT_EQ(std::tuple(page(1)->calls.filter("Delete"), questions(), w->mnuClean->isHidden()),
                  std::tuple(c.calls, c.asked, true)) << c.entry;
    }
    QMenu* shown = nullptr;
    w->setPopupMenu([&](QMenu* m, const QPoint&) { shown = m; });
    w->QueryTabs_MouseUp(1, 0, 10, 10);
    EXPECT_EQ(shown, nullptr);
    w->QueryTabs_MouseUp(2, 0, 10, 10);
    ASSERT_EQ(shown, w->mnuSolapas);
    EXPECT_TRUE(w->QueryTabs->IgnoreNextClick());
    page(1)->ParametersConnection(1, 1, "srv", "/d/a.mdb", "ana", "pw");
    page(1)->sql = "SELECT * FROM t";
    w->mnuDuplicarConexion_Click();
    EXPECT_EQ(std::tuple(strip(), page(2)->calls.contains("ParametersConnection(1,1,srv,/d/a.mdb,ana,pw)"), page(2)->sql),
              std::tuple(QString("1 [2] +"), true, QString()));
    w->SelectTab(1);
    w->mnuDuplicarSolapa_Click();
    EXPECT_EQ(QStringList({page(3)->sql, page(3)->database}), QStringList({"SELECT * FROM t", "/d/a.mdb"}));
}

// Todo empties the current page, then the sweep keeps only tabs with a
// connection or text; with nothing to keep one empty tab stays.
TEST_F(MainWindowTest, TodoAndTheSweepKeepOnlyTabsWithConnectionOrText)
{
    for (auto [n, sql, user] : {std::tuple{1, "SELECT 1", ""}, {2, "", "user"}, {3, "SELECT 3", ""}})
        seedTab(n, sql, user);
    setIni("Form", "OpenTabs", "4");
    setIni("Form", "SelectedTab", "3");
    load();
    messages->answers = {6};
    w->BttCleanMenu_MouseUp(4);
    EXPECT_EQ(QStringList({QString::number(questions()), strip(), page(1)->sql, page(2)->user}),
              QStringList({"1", "[1] 2 +", "SELECT 1", "user"}));
    for (int k : {1, 2})
        QFile::remove(tabFile(dir.path(), k));
    setIni("Form", "OpenTabs", "3");
    load();
    w->RemoveEmptyTabs();
    EXPECT_EQ(QStringList(strip()) + reports(), QStringList("[1] +"));
}

// --- menus

// A toolbar button slides its menu open and an entry closes it; the
// compaction entry follows the current page, whichever page raised the event.
TEST_F(MainWindowTest, MenusSlideFollowTheCurrentPageAndReportAFailingPage)
{
    setIni("Form", "OpenTabs", "2");
    pages->onMake = [](FakeQueryPage& p) { p.compactEnabled = false; };
    load();
    EXPECT_FALSE(w->BttDataBaseMenu[2]->isEnabled());
    const auto state = [this] {
        return QStringList({page(1)->buttonsDisabled ? "disabled" : "enabled", w->QueryTabs->isEnabled() ? "strip" : "-",
                            w->mnuDataBase->isHidden() ? "-" : "menu", w->mnuDatabaseShadow->isHidden() ? "-" : "shadow",
                            w->tmrMenuDatabase->isActive() ? "sliding" : "-"})
            .join(' ');
    };
    page(1)->events.ButtonClicked("BttDataBase");
    EXPECT_EQ(state(), "disabled - menu shadow sliding");
    for (int i = 0; i < 5; ++i)
        w->tmrMenuDatabase_Timer();
    EXPECT_EQ(state(), "disabled - menu shadow -");

    w->BttDataBaseMenu_MouseUp(0);
    EXPECT_EQ(state(), "enabled strip - - -");
    page(1)->events.ButtonClicked("BttOther");
    EXPECT_EQ(std::tuple(page(1)->calls.contains("ShowTables"), page(2)->calls.contains("DisableButtons(0)"),
                         w->QueryTabs->isEnabled()), std::tuple(true, true, true));

    page(1)->compactEnabled = false;
    page(2)->compactEnabled = true;
    page(1)->scriptEnabled = true;
    page(2)->events.CompactEnabledChanged();
    page(2)->events.ScriptEnabledChanged();
    EXPECT_EQ(std::pair(w->BttDataBaseMenu[2]->isEnabled(), w->BttExportMenu[2]->isEnabled()), std::pair(false, true));
    page(1)->compactEnabled = true;
    page(1)->events.CompactEnabledChanged();
    EXPECT_TRUE(w->BttDataBaseMenu[2]->isEnabled());

    // Show-key is likewise taken from the page that changed it.
    page(2)->showKey = false;
    page(2)->events.ShowKeyChanged();
    w->SelectTab(1);
    EXPECT_EQ(std::pair(w->ShowKeyFlag(), page(1)->showKey), std::pair(false, false));

    // A failing page is reported in every handler and nothing escapes.
    pages->throwIn = {"ExecuteQuery", "DisableButtons", "ShowTables", "GenerateCSV", "DeleteGridData",
                      "ParametersConnection", "SaveLastQuery", "GetQuery"};
    const std::pair<const char*, std::function<void()>> handlers[] = {
        {"F5", [&] { key(Qt::Key_F5); }},
        {"ButtonClicked", [&] { page(1)->events.ButtonClicked("BttClean"); }},
        {"database entry", [&] { w->BttDataBaseMenu_MouseUp(0); }},
        {"export entry", [&] { w->BttExportMenu_MouseUp(1); }},
        {"clean entry", [&] { w->BttCleanMenu_MouseUp(2); }},
        {"duplicate", [&] { w->mnuDuplicarConexion_Click(); }},
        {"close tab", [&] { w->SelectTab(1), w->BttCloseTab_MouseUp(); }},
    };
    for (const auto& [what, handler] : handlers) {
        const qsizetype before = reports().size();
        handler();
        EXPECT_GT(reports().size(), before) << what;
    }
    EXPECT_TRUE(reports().first().startsWith("FRMMAIN.FORM_KEYDOWN\r\nError: falla ExecuteQuery"));
}

// --- keys

TEST_F(MainWindowTest, KeysActOnTheCurrentPage)
{
    load();
    shell::ScopedRecordingLauncher launcher;
    // F1 opens the help page of the window it is pressed in, and reports each time it cannot.
    const QString help = dir.filePath("help");
    key(Qt::Key_F1);
    EXPECT_EQ(reports(), QStringList("FRMMAIN.FORM_KEYDOWN\r\nError: No se encuentra el fichero de ayuda " + help +
                                     "/es/principal.html"));
    ASSERT_TRUE(QFile::link(QStringLiteral(VELMORA_BUILD_TREE "/help"), help));
    key(Qt::Key_F1);
    for (const char* window : {"frmSettings", "frmCSV", "frmTableProperties", "frmIndex", "frmCompare", "frmEdit",
                               "frmNewKey", "frmMsgBox", "frmOtro"}) {
        QDialog dialog(w.get());
        dialog.setObjectName(window);
        key(Qt::Key_F1, Qt::NoModifier, QString(), new QLineEdit(&dialog));
    }
    QStringList opened;
    for (const QUrl& url : launcher->launched)
        opened << url.toLocalFile().mid(help.size() + 1);
    EXPECT_EQ(opened, (QStringList{"es/principal.html", "es/opciones.html", "es/exportar.html", "es/tablas.html",
                                   "es/tablas.html", "es/comparar.html", "es/dialogos.html", "es/dialogos.html",
                                   "es/dialogos.html", "es/index.html"}));
    EXPECT_EQ(helppages::pageFile("frmCompare", "Language3"), help + "/de/comparar.html");
    launcher->answer = false;
    key(Qt::Key_F1);
    EXPECT_EQ(reports().size(), 2);
    EXPECT_TRUE(reports().last().endsWith("No se ha podido abrir el fichero de ayuda " + help + "/es/principal.html"));

    // A key a child leaves goes on to the page, and acts once.
    key(Qt::Key_F5, Qt::NoModifier, QString(), new QWidget(page(1)));
    EXPECT_EQ(page(1)->calls.filter("ExecuteQuery").size(), 1);
    page(1)->calls.clear();

    page(1)->events.ButtonClicked("BttExport");
    key(Qt::Key_F5); // a menu is open
    EXPECT_FALSE(page(1)->calls.contains("ExecuteQuery"));
    key(Qt::Key_Escape, Qt::NoModifier, "\x1b"); // closes it and still asks
    EXPECT_EQ(std::tuple(w->mnuExport->isHidden(), said(36)), std::tuple(true, QStringList("¿Desea cerrar la aplicación?")));

    key(Qt::Key_C, Qt::ControlModifier, "\x03"); // the grid has no focus
    page(1)->flexiFocus = true;
    key(Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier, "\x03");
    key(Qt::Key_C, Qt::ControlModifier, "\x03");
    key(Qt::Key_V, Qt::ControlModifier, "\x16");
    EXPECT_THAT(page(1)->calls, ElementsAre("DisableButtons(1)", "DisableButtons(0)", "SetToClipboard",
                                            "GetFromClipboard"));

    // Esc the page swallows asks nothing; Yes closes the window.
    page(1)->ignoreKeyPress = true;
    key(Qt::Key_Escape, Qt::NoModifier, "\x1b");
    EXPECT_EQ(std::pair(questions(), page(1)->ignoreKeyPress), std::pair(1, false));
    messages->answers = {6};
    key(Qt::Key_Escape, Qt::NoModifier, "\x1b");
    EXPECT_EQ(std::pair(questions(), QFile::exists(dir.filePath("Velmora.ini"))), std::pair(2, true));
}

} // namespace
