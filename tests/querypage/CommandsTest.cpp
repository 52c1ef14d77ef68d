// The page's help and settings buttons, and the clipboard and clearing
// commands the main window calls.
#include "ReportingPage.h"

#include "core/Dialogs.h"
#include "core/Error.h"
// After Error.h: the fake store raises the database's errors.
#include "../messages/FakeTranslationStore.h"
#include "core/ProgramFolder.h"
#include "data/clsDO.h"
#include "messages/clsError.h"
#include "platform/db/RecordingBackend.h"
#include "platform/shell/Shell.h"
#include "querypage/HelpPages.h"
#include "querypage/MaxSQL.h"
#include "querypage/PushButton.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QFile>
#include <QSignalSpy>
#include <QUrlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

// Writes [Connection] ExcludePrimaryKey as the user left it in the dialog.
class ScriptedSettings : public SettingsDialog {
public:
    explicit ScriptedSettings(QString* exclude) : exclude_(exclude) {}
    void Show(QWidget*) override
    {
        QFile f(ProgramFolder::file(QStringLiteral("\\Velmora.ini")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[Connection]\nExcludePrimaryKey=" + exclude_->toUtf8() + "\n");
    }

private:
    QString* exclude_;
};

class CommandsTest : public ReportingPage {
protected:
    void click(const char* button) { emit child<PushButton>(button)->mouseUp(1, 0, 0, 0); }

    shell::ScopedRecordingLauncher launcher;
    ScopedRecordingDialogs system;
};

} // namespace

TEST_F(CommandsTest, HelpOpensTheLocalFileOrThePageOfTheLanguage)
{
    const QString chm = dir.filePath("Velmora.chm");
    EXPECT_EQ(helppages::localHelpFile(), chm);

    // Missing file: one report naming it, nothing launched.
    click("BttHelp");
    EXPECT_TRUE(launcher->launched.isEmpty());
    EXPECT_EQ(reports(), QStringList{"MAXSQL.BTTHELP_MOUSEUP\r\nError: No se encuentra el fichero de ayuda " + chm});

    {
        QFile help(chm);
        ASSERT_TRUE(help.open(QIODevice::WriteOnly));
    }
    ASSERT_TRUE(QFile::exists(chm));
    click("BttHelp");
    EXPECT_EQ(launcher->launched, QList<QUrl>{QUrl::fromLocalFile(chm)});
    launcher->answer = false;
    click("BttHelp");
    EXPECT_EQ(reports().last(), "MAXSQL.BTTHELP_MOUSEUP\r\nError: No se ha podido abrir el fichero de ayuda " + chm);
    launcher->answer = true;
    launcher->launched.clear();
    recorder->calls.clear();

    msg->setTranslationStore(std::make_shared<FakeTranslationStore>());
    const char* codes[] = {"en", "fr", "de", "pt", "it"};
    for (int i = 1; i <= 5; ++i) {
        msg->setLanguage(QStringLiteral("Language%1").arg(i));
        click("BttHelp");
        ASSERT_EQ(launcher->launched.size(), i);
        EXPECT_EQ(QUrlQuery(launcher->launched.last()).queryItemValue("tl"), QString::fromLatin1(codes[i - 1]));
    }
    // The message object holds no other language; any other value has no page.
    EXPECT_EQ(helppages::onlineAddress("Language9"), QString());
    EXPECT_EQ(helppages::onlineAddress("Original"), QString());
    EXPECT_TRUE(system->calls.empty());
    EXPECT_TRUE(reports().isEmpty());

    // A web page that does not open: the plain system box, nothing through the message object.
    msg->setLanguage("Language3");
    launcher->answer = false;
    click("BttHelp");
    ASSERT_EQ(system->calls.size(), 1u);
    EXPECT_EQ(system->calls[0].prompt, QStringLiteral("Error abriendo la página web."));
    EXPECT_EQ(system->calls[0].style, 48);
    EXPECT_EQ(system->calls[0].title, QCoreApplication::applicationName());
    EXPECT_TRUE(reports().isEmpty());
}

TEST_F(CommandsTest, SettingsRereadTheKeyDisplayAfterTheDialog)
{
    QString exclude = "0";
    page.Dialogs().frmSettings = [&exclude] { return std::make_unique<ScriptedSettings>(&exclude); };
    page.setShowKey(true);
    QSignalSpy changed(&page, &MaxSQL::ShowKeyChanged);

    click("BttSettings");
    EXPECT_TRUE(page.ShowKey());
    EXPECT_EQ(changed.count(), 0);

    exclude = "1";
    click("BttSettings");
    EXPECT_FALSE(page.ShowKey());
    EXPECT_EQ(changed.count(), 1);

    // Empty reads as the default "0", as everywhere else the key is read.
    exclude = "";
    click("BttSettings");
    EXPECT_TRUE(page.ShowKey());
    EXPECT_EQ(changed.count(), 2);
    EXPECT_TRUE(reports().isEmpty());
}

TEST_F(CommandsTest, CopyAndPasteGoThroughTheCurrentCell)
{
    MaxGrid& grid = page.Flexi();
    grid.setMsgObject(msg);
    grid.setCols(3);
    grid.setRows(3);
    const QStringList header{"id", "name", "qty"};
    for (int c = 0; c < 3; ++c)
        grid.setTextMatrix(0, c, header[c]);
    grid.setTextMatrix(1, 0, "1");
    grid.setTextMatrix(1, 1, "a|b");
    grid.setTextMatrix(1, 2, "7");
    grid.setTypesString("LONG|STRING|INTEGER");
    grid.setLockedColumns("0");
    grid.setEditable(true);
    QClipboard* clipboard = QGuiApplication::clipboard();

    grid.setRow(1);
    grid.setCol(1);
    page.SetToClipboard();
    EXPECT_EQ(clipboard->text(), QStringLiteral("a|b"));
    EXPECT_TRUE(page.IgnoreKeyPress());

    // A text of several lines stays whole in the one cell.
    page.setIgnoreKeyPress(false);
    clipboard->setText("x\ny\tz");
    page.GetFromClipboard();
    EXPECT_EQ(grid.TextMatrix(1, 1), QStringLiteral("x\ny\tz"));
    EXPECT_EQ(grid.Rows(), 3);
    EXPECT_EQ(grid.TextMatrix(2, 1), QString());
    EXPECT_EQ(grid.TextMatrix(1, 2), QStringLiteral("7"));
    EXPECT_TRUE(page.IgnoreKeyPress());

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

TEST_F(CommandsTest, ClearingConnectionTextAndGrid)
{
    auto rec = db::RecordingBackend::install();
    page.setZoltObject(std::make_shared<clsDO>());
    page.ParametersConnection(0, 0, "srv", "db", "u", "p");
    page.setTextSQL("SELECT 1");
    page.findChild<QPlainTextEdit*>("txtKeyFields")->setPlainText("ID");
    page.DeleteConnectionData();
    EXPECT_EQ(page.ConnectionType(), -1);
    EXPECT_EQ(page.SelectedDriver(), -1);
    EXPECT_EQ(page.ServerName() + page.DatabaseName() + page.UserName() + page.Password(), QString());
    page.ExecuteQuery();
    EXPECT_EQ(reports(), QStringList{"El tipo de conexión no puede estar en blanco"});
    EXPECT_TRUE(rec->statements().isEmpty());

    page.DeleteQueryData();
    EXPECT_EQ(page.TextSQL(), QString());
    EXPECT_EQ(page.findChild<QPlainTextEdit*>("txtKeyFields")->toPlainText(), QString());

    MaxGrid& grid = page.Flexi();
    grid.setCols(2);
    grid.setRows(4);
    grid.setTextMatrix(0, 0, "a");
    grid.setTextMatrix(2, 1, "x");
    page.DeleteGridData();
    EXPECT_EQ(grid.Rows(), 1);
    EXPECT_EQ(grid.TextMatrix(0, 0), QStringLiteral("a"));
    EXPECT_EQ(page.StatusText(), QString());
    db::RecordingBackend::uninstall();
}
