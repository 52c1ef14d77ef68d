// The main window with the program's own pages on copies of the built
// translation and sample databases: the seeded first tab run with F5, a cell
// edited in the grid and confirmed, the close; and a middle tab closed among
// pages with a history each.
#include "controls/MaxGrid.h"
#include "controls/ModalRunner.h"
#include "export/frmCSV.h"
#include "core/FileReplace.h"
#include "core/ProfileFile.h"
#include "core/ProgramFolder.h"
#include "core/Screen.h"
#include "mainwindow/FirstTab.h"
#include "mainwindow/PageDialogFactories.h"
#include "mainwindow/frmMain.h"
#include "messages/clsError.h"
#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"
#include "querypage/MaxSQL.h"
#include "controls/PushButton.h"
#include "querypage/TabHistoryFile.h"
#include "support/FileMode.h"
#include "support/QtPrinters.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>


namespace {

QByteArray digest(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256) : QByteArray();
}

const QString kBuilt = QStringLiteral(VELMORA_BUILD_TREE);

// A program folder holding copies of the built translation and sample databases.
class RealPagesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QFile::copy(kBuilt + "/sample.mdb", dir.filePath("sample.mdb")));
        ASSERT_TRUE(QFile::copy(kBuilt + "/translate.vrx", dir.filePath("translate.vrx")));
        ProgramFolder::setPath(dir.path());
        mainwindow::installPageDialogs(); // before any page is made
        // The pages' timers never tick on their own here: what a test sees
        // never depends on whether a second passed while it ran.
        PageController::StepsOnRequestDefault = true;
    }
    void TearDown() override
    {
        w.reset();
        PageController::StepsOnRequestDefault = false;
        PageDialogs::installDefaults(nullptr);
        ProgramFolder::setPath(QString());
    }

    frmMain& start()
    {
        w = std::make_unique<frmMain>();
        w->setMsgBoxRecorder(messages);
        w->setShutdownStep([] {}); // a page's idle check only ends when a test runs it
        w->Form_Load();
        w->show();
        QCoreApplication::processEvents();
        return *w;
    }
    MaxSQL& page(int k) const
    {
        auto* p = w->QueryPage(k) ? dynamic_cast<MaxSQL*>(w->QueryPage(k)->widget()) : nullptr;
        if (!p)
            throw std::runtime_error("no page " + std::to_string(k));
        return *p;
    }
    static PushButton* button(MaxSQL& p, const char* name)
    {
        return p.findChild<PushButton*>(QString::fromLatin1(name));
    }
    static QWidget* sqlBox(MaxSQL& p) { return p.findChild<QPlainTextEdit*>(QStringLiteral("txtTabla")); }
    QStringList shown() const
    {
        QStringList out;
        for (const auto& c : messages->calls)
            out << QStringLiteral("%1 (%2)").arg(c.body.trimmed()).arg(c.style);
        return out;
    }
    QString read(const QString& file, const QString& sql) const
    {
        auto c = std::make_shared<db::Connection>();
        c->Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + file);
        db::Recordset rs;
        rs.Open(sql, c);
        return rs.GetString(2, -1, ",", ";", "null");
    }

    QTemporaryDir dir;
    std::shared_ptr<MsgBoxRecorder> messages = std::make_shared<MsgBoxRecorder>();
    std::unique_ptr<frmMain> w;
};

TEST_F(RealPagesTest, SeededFirstTabRunsEditsTheCopyAndTheCloseWritesWindowAndTab)
{
    const QByteArray builtSample = digest(kBuilt + "/sample.mdb");
    ASSERT_FALSE(builtSample.isEmpty());
    const QString copy = dir.filePath("sample.mdb");
    ASSERT_EQ(FirstTab::write(dir.path(), copy), FirstTab::Result::Written);
    EXPECT_EQ(FirstTab::write(dir.path(), kBuilt + "/sample.mdb"), FirstTab::Result::Kept);

    start();
    MaxSQL& p = page(1);
    EXPECT_EQ(QStringList({p.DatabaseName(), QString::number(p.ConnectionType()), p.TextSQL()}),
              QStringList({copy, "1", "SELECT * FROM Clientes"}));

    // F5 in the SQL box goes through the window's key filter.
    QTest::keyClick(sqlBox(p), Qt::Key_F5);
    MaxGrid& grid = p.Flexi();
    ASSERT_EQ(grid.Rows(), 201);
    ASSERT_EQ(QStringList({grid.TextMatrix(0, 0), grid.TextMatrix(0, 2)}), QStringList({"IdCliente", "Ciudad"}));
    ASSERT_TRUE(grid.Editable());
    // A CSV export cancelled from the export menu leaves the result editable.
    {
        controls::ScopedScriptedRunner runner;
        runner.then<frmCSV>([](frmCSV& f) { f.BttSalir_MouseUp(); });
        QString menu = "BttExport";
        w->QueryPage_ButtonClicked(1, menu);
        w->BttExportMenu_MouseUp(1);
        EXPECT_EQ(std::tuple(grid.Editable(), button(p, "BttKey")->isEnabled(), button(p, "BttAdd")->isEnabled()),
                  std::tuple(true, true, true));
    }
    // The build tree's sample may have been edited by a run: whatever the town, it is replaced.
    const QString town = grid.TextMatrix(1, 2);
    const QString other = town == "Lugo" ? "Soria" : "Lugo";

    // The user clicks the first customer's town, replaces it and leaves the cell.
    QTableView* view = grid.innerGrid();
    const QRect cell = view->visualRect(view->model()->index(0, 2));
    ASSERT_TRUE(view->viewport()->rect().contains(cell.center()));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    ASSERT_EQ(std::pair(grid.Row(), grid.Col()), std::pair(1, 2));
    for (qsizetype i = 0; i < town.size(); ++i)
        QTest::keyClick(view, Qt::Key_Backspace);
    QTest::keyClicks(view, other);
    QTest::keyClick(view, Qt::Key_Return);
    PushButton* confirm = button(p, "BttConfirm");
    ASSERT_TRUE(confirm->isEnabled());
    messages->answers.push_back(6);
    QTest::mouseClick(confirm, Qt::LeftButton);
    EXPECT_EQ(shown(), (QStringList{"¿Desea aplicar los cambios efectuados en los 1 registros marcados en la grid? (36)",
                                    "1 registros actualizados. (64)"}));
    EXPECT_EQ(grid.TextMatrix(1, 2), other);
    w->close();
    w.reset();

    // The copy holds the edit, the built sample is untouched; the window and the tab are written.
    EXPECT_EQ(read(copy, "SELECT Ciudad FROM Clientes WHERE IdCliente = 1"), other + ";");
    EXPECT_EQ(digest(kBuilt + "/sample.mdb"), builtSample);
    EXPECT_EQ(ProfileFile::read(dir.filePath("Velmora.ini"), "Form", "OpenTabs"), "1");
    const QString tab = dir.filePath("Velmora_Tab1.ini");
    bool number = false;
    ProfileFile::read(tab, "Page", "Splitter").toInt(&number);
    EXPECT_TRUE(number);
    EXPECT_EQ(ProfileFile::read(tab, "LastQuery_0", "LastQuery_0_Line_1"), "<LINE>SELECT * FROM Clientes<LINE>");
    EXPECT_EQ(ProfileFile::read(tab, "DataAccess_0", "DataBase"), copy);
}

TEST_F(RealPagesTest, StartClearsInterruptedSavesAndACloseOnAFullDiskKeepsTheFilesAndNamesThemInOneMessage)
{
    ASSERT_EQ(FirstTab::write(dir.path(), dir.filePath("sample.mdb")), FirstTab::Result::Written);
    ASSERT_TRUE(ProfileFile::write(dir.filePath("Velmora.ini"), "Form", "OpenTabs", "1"));
    const QStringList leftovers{".Velmora.ini.velmora-ppZpqk", ".Velmora_Tab3.ini.velmora-NxoJWU"};
    const QStringList others{"Velmora.ini.bak", "Velmora.ini.ab12cd", "Velmora_Tab1.ini.abcdefg", "Velmora.ini.ppZpqk",
                             "Velmora_Tab3.ini.NxoJWU", ".Other.ini.velmora-ppZpqk", ".Velmora_Tab.ini.velmora-ppZpqk",
                             ".MyVelmora.ini.velmora-ppZpqk", ".Velmora.ini.velmora-ppZpq", "Velmora.ini"};
    for (const QString& name : leftovers + others) {
        QFile f(dir.filePath(name));
        if (!f.exists()) {
            ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write("x") == 1);
        }
    }
    start();
    for (const QString& name : leftovers + others)
        EXPECT_EQ(QFile::exists(dir.filePath(name)), others.contains(name)) << name.toStdString();

    // The disk is full at the close: both files keep their bytes, one message names them.
    const QString ini = dir.filePath("Velmora.ini"), tab = dir.filePath("Velmora_Tab1.ini");
    const QByteArrayList before{digest(ini), digest(tab)};
    page(1).setTextSQL("SELECT Nombre FROM Clientes");
    FileReplace::installWriter([](QIODevice&, const QByteArray&) { return false; });
    w->close();
    FileReplace::installWriter(nullptr);
    EXPECT_EQ((QByteArrayList{digest(ini), digest(tab)}), before);
    EXPECT_EQ(shown(), QStringList{"FRMMAIN.TERMINAR\r\nError: No se han podido guardar los ficheros " + ini + ", " +
                                   tab + " (16)"});

    // The next close saves both, for their owner's eyes only.
    messages->calls.clear();
    start();
    page(1).setTextSQL("SELECT Nombre FROM Clientes");
    w->close();
    EXPECT_TRUE(shown().isEmpty()) << shown().join('\n').toStdString();
    EXPECT_EQ(TabHistoryFile::load(tab).entry(0).sql, "SELECT Nombre FROM Clientes");
    EXPECT_EQ(std::pair(filemode::of(ini), filemode::of(tab)), std::pair(0600u, 0600u));
}

// Tab k's file holds two runs on its own copy of the sample: entry 1 an
// older query, entry 0 the latest.
HistoryEntry run(int tab, int entry, const QString& database = QString())
{
    const QString sql = entry == 0 ? QStringLiteral("SELECT * FROM Clientes WHERE IdCliente <= %1").arg(tab)
                                   : QStringLiteral("SELECT Nombre FROM Clientes WHERE IdCliente = %1").arg(tab);
    return {sql, QString(), QString(), {1, 1, QString(), database, QString(), QString()}};
}

TEST_F(RealPagesTest, ClosingTheSecondOfFourMovesLaterTabsWithTheirHistoriesAndForgetsTheClosedOne)
{
    for (int k = 1; k <= 4; ++k) {
        const QString db = dir.filePath(QStringLiteral("tab%1.mdb").arg(k));
        ASSERT_TRUE(QFile::copy(kBuilt + "/sample.mdb", db));
        TabHistoryFile once, twice;
        ASSERT_TRUE(TabHistoryFile().recordNewest(run(k, 1, db), 3240 + 15 * k, once));
        ASSERT_TRUE(once.recordNewest(run(k, 0, db), 3240 + 15 * k, twice));
        ASSERT_TRUE(twice.save(TabHistoryFile::pathOf(k)));
    }
    ASSERT_TRUE(ProfileFile::write(dir.filePath("Velmora.ini"), "Form", "OpenTabs", "4"));
    ASSERT_TRUE(ProfileFile::write(dir.filePath("Velmora.ini"), "Form", "SelectedTab", "2"));
    const QByteArray formerTab3 = TabHistoryFile::load(TabHistoryFile::pathOf(3)).toBytes();
    const QByteArray formerTab4 = TabHistoryFile::load(TabHistoryFile::pathOf(4)).toBytes();

    start();
    ASSERT_EQ(w->QueryTabs->CurrentTab(), 2);
    QTest::keyClick(sqlBox(page(2)), Qt::Key_F5);
    ASSERT_EQ(page(2).Flexi().Rows(), 3);
    ASSERT_TRUE(page(2).Flexi().Editable());
    // A run records itself in the tab's history.
    ASSERT_EQ(TabHistoryFile::load(TabHistoryFile::pathOf(2)).entry(0).sql, run(2, 0).sql);

    w->BttCloseTab_MouseUp();
    ASSERT_EQ(w->QueryTabs->Tabs(), 4);
    EXPECT_EQ(w->QueryTabs->CurrentTab(), 2);
    MaxSQL& p = page(2);
    EXPECT_EQ(QStringList({p.TextSQL(), p.DatabaseName(), page(3).TextSQL(), page(3).DatabaseName()}),
              QStringList({run(3, 0).sql, dir.filePath("tab3.mdb"), run(4, 0).sql, dir.filePath("tab4.mdb")}));
    EXPECT_EQ(p.Flexi().Rows(), 1);
    EXPECT_FALSE(p.Flexi().Editable());
    EXPECT_FALSE(button(p, "BttConfirm")->isEnabled());
    EXPECT_FALSE(QFile::exists(TabHistoryFile::pathOf(4)));
    // The moved files are the later tabs' own, whole.
    EXPECT_EQ(TabHistoryFile::load(TabHistoryFile::pathOf(2)).toBytes(), formerTab3);
    EXPECT_EQ(TabHistoryFile::load(TabHistoryFile::pathOf(3)).toBytes(), formerTab4);

    // The page's history is the former tab 3's.
    PushButton* previous = button(p, "BttPreviousQuery");
    ASSERT_TRUE(previous->isEnabled());
    QTest::mouseClick(previous, Qt::LeftButton);
    EXPECT_EQ(p.TextSQL(), run(3, 1).sql);
    QTest::mouseClick(button(p, "BttNextQuery"), Qt::LeftButton);
    EXPECT_EQ(p.TextSQL(), run(3, 0).sql);

    // Closing the window saves unchanged pages without a new entry.
    w->close();
    w.reset();
    for (int k : {2, 3}) {
        const TabHistoryFile file = TabHistoryFile::load(TabHistoryFile::pathOf(k));
        const QString db = dir.filePath(QStringLiteral("tab%1.mdb").arg(k + 1));
        EXPECT_EQ(QStringList({file.entry(0).sql, file.entry(1).sql}), QStringList({run(k + 1, 0).sql, run(k + 1, 1).sql}));
        EXPECT_TRUE(file.entry(0) == run(k + 1, 0, db) && file.entry(1) == run(k + 1, 1, db));
    }
    EXPECT_EQ(ProfileFile::read(dir.filePath("Velmora.ini"), "Form", "OpenTabs"), "3");
    for (const QString& name : QDir(dir.path()).entryList({"*.ini"})) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray text = f.readAll();
        EXPECT_FALSE(text.contains("IdCliente <= 2") || text.contains("IdCliente = 2")) << name.toStdString();
    }
    EXPECT_TRUE(shown().isEmpty()) << shown().join('\n').toStdString();
}

// Five tabs restored, each clicked once, closed, started and closed again:
// every tab's SQL box keeps the height its file holds, although the pages
// are laid out smaller while they are first shown.
TEST_F(RealPagesTest, RestoredTabsKeepTheirSqlBoxThroughClicksAndTwoCloses)
{
    const int splitters[] = {3240, 3600, 2900, 4200, 3900};
    for (int k = 1; k <= 5; ++k) {
        TabHistoryFile file;
        ASSERT_TRUE(TabHistoryFile().recordNewest(run(k, 0), splitters[k - 1], file));
        ASSERT_TRUE(file.save(TabHistoryFile::pathOf(k)));
    }
    ASSERT_TRUE(ProfileFile::write(dir.filePath("Velmora.ini"), "Form", "OpenTabs", "5"));
    ASSERT_TRUE(ProfileFile::write(dir.filePath("Velmora.ini"), "Form", "SelectedTab", "1"));

    for (int start = 0; start < 2; ++start) {
        this->start();
        for (int k : {2, 3, 4, 5, 1}) {
            const QPoint at(Screen::pixelsFromTwips(w->QueryTabs->TabLeft(k) + w->QueryTabs->TabWidth(k) / 2),
                            w->QueryTabs->height() / 2);
            QTest::mouseClick(w->QueryTabs, Qt::LeftButton, Qt::NoModifier, at);
            ASSERT_EQ(w->QueryTabs->CurrentTab(), k);
            QCoreApplication::processEvents();
            // The box the user sees is the stored one.
            EXPECT_EQ(page(k).TwipsBox("Splitter").top(), splitters[k - 1]) << "tab " << k;
        }
        w->close();
        w.reset();
        for (int k = 1; k <= 5; ++k)
            EXPECT_EQ(ProfileFile::read(TabHistoryFile::pathOf(k), "Page", "Splitter"), QString::number(splitters[k - 1]))
                << "start " << start << ", tab " << k;
    }
    EXPECT_TRUE(shown().isEmpty()) << shown().join('\n').toStdString();
}

} // namespace
