// The page's dialog factories give the real windows: each is filled from the
// page's inputs, run by a scripted runner and read back.
#include "DialogTestSupport.h"

#include "controls/ModalRunner.h"
#include "data/clsDO.h"
#include "mainwindow/PageDialogFactories.h"
#include "mainwindow/frmEdit.h"
#include "mainwindow/frmKeyFields.h"
#include "mainwindow/frmNewKey.h"
#include "mainwindow/frmSettings.h"
#include "querypage/MaxSQL.h"
#include "querypage/PushButton.h"
#include "services/clsTablas.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

class FactoriesTest : public DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        mainwindow::installPageDialogs(); // before the page is made
        pagePtr = std::make_unique<MaxSQL>();
    }
    void TearDown() override
    {
        PageDialogs::installDefaults(nullptr);
        DialogTest::TearDown();
    }
    controls::ScopedScriptedRunner runner;
    std::unique_ptr<MaxSQL> pagePtr;
    MaxSQL& page() { return *pagePtr; }
};

TEST_F(FactoriesTest, EditorHandsBackItsTextOrIgnore)
{
    runner.then<frmEdit>([](frmEdit& w) {
        EXPECT_EQ(w.txtSQL->toPlainText(), "select 1");
        w.txtSQL->setPlainText("select 2");
        emit w.BttAceptar->mouseUp(1, 0, 0, 0);
    });
    runner.then<frmEdit>([](frmEdit& w) { QTest::keyClick(w.txtSQL, Qt::Key_Escape); });
    auto editor = page().Dialogs().frmEdit();
    editor->MSG = msg;
    editor->Text = "select 1";
    editor->Show(&page());
    EXPECT_EQ(editor->Text, "select 2");
    auto second = page().Dialogs().frmEdit();
    second->Text = "select 1";
    second->Show(&page());
    EXPECT_EQ(second->Text, "{ignore}");
    EXPECT_EQ(runner->shown, (QStringList{"frmEdit", "frmEdit"}));
}

TEST_F(FactoriesTest, KeyFieldsEscLeavesThePagesValues)
{
    runner.then<frmKeyFields>([](frmKeyFields& w) {
        EXPECT_TRUE(w.contextVisible());
        w.txtKeyFields->setPlainText("Other");
        w.txtContext->setText("SET y");
        QTest::keyClick(w.txtKeyFields, Qt::Key_Escape);
    });
    runner.then<frmKeyFields>([](frmKeyFields& w) {
        EXPECT_FALSE(w.contextVisible());
        w.txtKeyFields->setPlainText("Id, Line");
        emit w.BttAceptar->mouseUp(1, 0, 0, 0);
    });
    auto keys = page().Dialogs().frmKeyFields();
    keys->KeyFields = "Id";
    keys->Context = "SET x";
    keys->Show(&page());
    EXPECT_TRUE(keys->Cancelled);
    EXPECT_EQ(keys->KeyFields, "Id");
    EXPECT_EQ(keys->Context, "SET x");
    auto other = page().Dialogs().frmKeyFields();
    other->ContextVisible = false;
    other->Height = 6400;
    other->Show(&page());
    EXPECT_FALSE(other->Cancelled);
    EXPECT_EQ(other->KeyFields, "Id, Line");
}

TEST_F(FactoriesTest, SettingsAndNewKey)
{
    runner.then<frmSettings>([](frmSettings& w) { emit w.BttAceptar->mouseUp(1, 0, 0, 0); });
    auto settings = page().Dialogs().frmSettings();
    settings->MSG = msg;
    settings->SCR = std::make_shared<clsTablas>();
    settings->Show(&page());
    EXPECT_FALSE(settings->Cancelled);
    EXPECT_TRUE(QFile::exists(dir.filePath("Velmora.ini")));

    runner.then<frmNewKey>([](frmNewKey& w) {
        ASSERT_EQ(w.Rows(), 2);
        EXPECT_EQ(w.lblField[1]->text(), "Line");
        EXPECT_NE(w.BttMax[1], nullptr);
        w.txtField[0]->setText("5");
        w.txtField[1]->setText("6");
        emit w.BttAceptar->mouseUp(1, 0, 0, 0);
    });
    runner.then<frmNewKey>([](frmNewKey& w) { w.close(); });
    auto key = page().Dialogs().frmNewKey();
    key->MSG = msg;
    key->Zolt = std::make_shared<clsDO>();
    key->Fields = {{"Id", "LONG", "Orders.Id", false, {}}, {"Line", "LONG", "Orders.Line", true, {}}};
    key->Show(&page());
    EXPECT_FALSE(key->Cancelled);
    EXPECT_EQ(key->Fields[0].value, "5");
    EXPECT_EQ(key->Fields[1].value, "6");
    auto closed = page().Dialogs().frmNewKey();
    closed->Fields = {{"Id", "LONG", "Orders.Id", false, {}}};
    closed->Show(&page());
    EXPECT_TRUE(closed->Cancelled);
    EXPECT_TRUE(shown().isEmpty());
}

// Pictures of the five windows for a look by eye (VELMORA_SCREENSHOTS names a folder).
TEST_F(FactoriesTest, Screenshots)
{
    const QString folder = qEnvironmentVariable("VELMORA_SCREENSHOTS");
    if (folder.isEmpty())
        GTEST_SKIP() << "VELMORA_SCREENSHOTS not set";
    QDir().mkpath(folder);
    const auto save = [&folder](QWidget& w, const char* name) {
        w.show();
        QTest::qWait(20);
        EXPECT_TRUE(w.grab().save(folder + u'/' + QString::fromLatin1(name) + ".png"));
        w.hide();
    };
    frmEdit edit;
    qint64 clock = 0;
    edit.setClock([&clock] { return clock; });
    edit.txtSQL->setPlainText(QString(EditRules::Identar("select a, b from t where x in (select y from u) -- note", 0))
                                  .replace("\r\n", "\n"));
    clock = 1000;
    edit.tmrCheckEditable_Timer();
    save(edit, "frmEdit");
    frmSettings settings;
    settings.Form_Load();
    save(settings, "frmSettings");
    frmNewKey key;
    key.AddKeyRow("Id", "LONG", "Orders.Id", false);
    key.AddKeyRow("Line", "LONG", "Orders.Line", true);
    save(key, "frmNewKey");
    frmKeyFields fields;
    fields.txtKeyFields->setPlainText("Id, Line");
    save(fields, "frmKeyFields");
}
