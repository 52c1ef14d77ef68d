// The page's dialog factories give the real windows: each is filled from the
// page's inputs, run by a scripted runner and read back (the page's own
// buttons open them in PageOpenersTest).
#include "DialogTestSupport.h"

#include "controls/ModalRunner.h"
#include "mainwindow/PageDialogFactories.h"
#include "mainwindow/frmEdit.h"
#include "mainwindow/frmKeyFields.h"
#include "mainwindow/frmNewKey.h"
#include "mainwindow/frmSettings.h"
#include "querypage/MaxSQL.h"
#include "querypage/PushButton.h"

#include <QDir>
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
