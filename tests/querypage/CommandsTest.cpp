// The page's help and settings buttons, and the clipboard and clearing
// commands the main window calls.
#include "core/Dialogs.h"
#include "core/Error.h"
// After Error.h: the fake store raises the database's errors.
#include "../messages/FakeTranslationStore.h"
#include "core/ProgramFolder.h"
#include "messages/clsError.h"
#include "platform/shell/Shell.h"
#include "querypage/HelpPages.h"
#include "querypage/MaxSQL.h"
#include "querypage/PushButton.h"

#include <QCoreApplication>
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

class CommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ProgramFolder::setPath(dir.path());
        msg->setRecorder(recorder);
        page.setErrorObject(msg);
        page.setCurrentTab(1);
    }
    void TearDown() override { ProgramFolder::setPath(QString()); }
    void click(const char* button)
    {
        emit page.findChild<PushButton*>(QString::fromLatin1(button))->mouseUp(1, 0, 0, 0);
    }
    QStringList reports() const
    {
        QStringList out;
        for (const auto& c : recorder->calls)
            out << c.body.trimmed();
        return out;
    }

    QTemporaryDir dir;
    std::shared_ptr<clsError> msg = std::make_shared<clsError>();
    std::shared_ptr<MsgBoxRecorder> recorder = std::make_shared<MsgBoxRecorder>();
    shell::ScopedRecordingLauncher launcher;
    ScopedRecordingDialogs system;
    MaxSQL page;
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
