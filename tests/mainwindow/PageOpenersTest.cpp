// The query page's own buttons open the real dialogs through the page's
// factories, run by a scripted modal runner: the settings (and the key
// display the page reads back), the new key of an added record on two pages
// that share one data-access object, the SQL editor, and the key fields.
// How each dialog is left is DialogsTest's; here what the page takes back.
#include "DialogTestSupport.h"

#include "controls/MaxGrid.h"
#include "controls/ModalRunner.h"
#include "core/ProfileFile.h"
#include "data/clsDO.h"
#include "mainwindow/PageDialogFactories.h"
#include "mainwindow/frmEdit.h"
#include "mainwindow/frmKeyFields.h"
#include "mainwindow/frmNewKey.h"
#include "mainwindow/frmSettings.h"
#include "querypage/MaxSQL.h"
#include "services/clsTablas.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>

namespace {

// Order lines keyed by order and line; the highest line is maxLine.
QStringList orderLines(int maxLine)
{
    return {"CREATE TABLE L (Id LONG, Line LONG, N TEXT(20), PRIMARY KEY (Id, Line))",
            "INSERT INTO L VALUES (1, 1, 'a')", QStringLiteral("INSERT INTO L VALUES (1, %1, 'b')").arg(maxLine)};
}

class PageOpenersTest : public DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        mainwindow::installPageDialogs(); // before any page is made
        // As the program starts it: one data-access object for every page, security off.
        scr->oError = msg;
        scr->Iniciar(ObjectPtr(), zolt, msg, dir.path());
        scr->DisableSecurity = true;
    }
    void TearDown() override
    {
        PageDialogs::installDefaults(nullptr);
        DialogTest::TearDown();
    }

    std::unique_ptr<MaxSQL> page(const QString& file = QString(), const QString& sql = QString())
    {
        auto p = std::make_unique<MaxSQL>();
        p->setErrorObject(msg);
        p->setSCRObject(scr);
        p->setZoltObject(zolt);
        p->setShowKey(true);
        if (!file.isEmpty()) {
            p->ParametersConnection(1, 1, "", file, "", "");
            p->setTextSQL(sql);
            p->ExecuteQuery();
        }
        return p;
    }
    // The user clicks one of the page's buttons (a greyed one does nothing).
    static void press(MaxSQL& p, const char* name)
    {
        auto* b = p.findChild<PushButton*>(QString::fromLatin1(name));
        ASSERT_NE(b, nullptr) << name;
        EXPECT_TRUE(b->isEnabled()) << name;
        QTest::mouseClick(b, Qt::LeftButton);
    }

    controls::ScopedScriptedRunner runner;
    std::shared_ptr<clsDO> zolt = std::make_shared<clsDO>();
    std::shared_ptr<clsTablas> scr = std::make_shared<clsTablas>();
};

TEST_F(PageOpenersTest, AddButtonGivesTheKeyRowsAndMaxPlusOneReadsThePagesOwnFile)
{
    auto second = page(localFile(dir.path(), "two.mdb", orderLines(6)), "SELECT * FROM L");
    // Opened last, the first page leaves its own file in the shared data-access object.
    auto first = page(localFile(dir.path(), "one.mdb", orderLines(41)), "SELECT * FROM L");
    // Max + 1 on the second row, then Aceptar; the first row has no button.
    for (auto [p, expected] : {std::pair{second.get(), "7"}, std::pair{first.get(), "42"}}) {
        runner.then<frmNewKey>([expected](frmNewKey& w) {
            ASSERT_EQ(std::tuple(w.Rows(), w.BttMax[0] == nullptr, w.BttMax[1] != nullptr), std::tuple(2, true, true));
            EXPECT_EQ(QStringList({w.lblField[0]->text(), w.lblField[1]->text(), w.txtField[0]->property("Tag").toString(),
                                   w.BttMax[1]->property("Tag").toString()}),
                      QStringList({"Id", "Line", "LONG", "L.Line"}));
            w.txtField[0]->setText("1");
            QTest::mouseClick(w.BttMax[1], Qt::LeftButton);
            EXPECT_EQ(w.txtField[1]->text(), expected);
            click(w.BttAceptar);
            EXPECT_FALSE(w.Cancelled());
        });
        MaxGrid& g = p->Flexi();
        ASSERT_TRUE(g.Editable());
        g.setRow(0); // no current record: nothing to copy, no question
        press(*p, "BttAdd");
        ASSERT_EQ(g.Rows(), 4);
        EXPECT_EQ(QStringList({g.TextMatrix(3, 0), g.TextMatrix(3, 1), g.TextMatrix(3, 2)}),
                  QStringList({"1", expected, ""}));
    }

    // The close box with both values filled in: cancelled, the page refuses and adds
    // nothing; the one message shown in this test is its refusal.
    runner.then<frmNewKey>([](frmNewKey& w) {
        w.txtField[0]->setText("2");
        w.txtField[1]->setText("1");
        w.show();
        w.close();
    });
    first->Flexi().setRow(0);
    press(*first, "BttAdd");
    EXPECT_EQ(first->Flexi().Rows(), 4);
    EXPECT_EQ(shown(), QStringList{"No se han recibido los datos clave.\r\n\r\nSe anula la creación del nuevo registro. "
                                   "(64, Velmora 3.0)"});
    EXPECT_EQ(runner->shown, QStringList(3, "frmNewKey"));
}

// Salir hands back "{ignore}" (DialogsTest) and the page keeps its text on
// it (the query page's own commands test).
TEST_F(PageOpenersTest, EditorButtonTakesTheTextBackOrLeavesThePagesText)
{
    auto p = page();
    p->setTextSQL("select a from t");
    runner.then<frmEdit>([](frmEdit& w) {
        EXPECT_EQ(w.txtSQL->toPlainText(), "select a from t");
        w.txtSQL->setPlainText("select b\nfrom u");
        click(w.BttAceptar);
    });
    // Emptied with Vaciar and accepted: the page asks before it clears its own text.
    for (int i = 0; i < 2; ++i)
        runner.then<frmEdit>([](frmEdit& w) { click(w.BttLimpiar), click(w.BttAceptar); });
    answer({7, 6});
    for (const char* expected : {"select b\nfrom u", "select b\nfrom u", ""}) {
        press(*p, "BttEditor");
        EXPECT_EQ(p->TextSQL(), expected);
    }
    EXPECT_EQ(shown(), QStringList(2, "El editor no ha devuelto ninguna consulta, ¿Desea borrar la consulta actual? "
                                      "(36, Velmora 3.0)"));
    EXPECT_EQ(runner->shown, QStringList(3, "frmEdit"));
}

TEST_F(PageOpenersTest, KeyButtonEscLeavesKeysAndContextAcceptTakesThem)
{
    auto p = page(localFile(dir.path(), "k.mdb", orderLines(3)), "SELECT * FROM L");
    ASSERT_TRUE(p->Flexi().Editable());
    const QString declared = p->KeyFieldsText();
    ASSERT_FALSE(declared.isEmpty());
    p->setContextStatement("SET x");

    const auto changeAndLeave = [declared](bool accept) {
        return [declared, accept](frmKeyFields& w) {
            // The context is SQL Server's: hidden below the window.
            EXPECT_EQ(std::tuple(w.contextVisible(), w.height() < w.txtContext->y(), w.txtKeyFields->toPlainText(),
                                 w.txtContext->text()), std::tuple(false, true, declared, QString("SET x")));
            w.txtKeyFields->setPlainText("N");
            w.txtContext->setText("SET y");
            if (accept) { // Vaciar, then Aceptar
                click(w.BttLimpiar);
                click(w.BttAceptar);
            } else {
                QTest::keyClick(w.txtKeyFields, Qt::Key_Escape);
            }
        };
    };
    runner.then<frmKeyFields>(changeAndLeave(false));
    const auto taken = [&] { return std::tuple(p->KeyFieldsText(), p->contextStatement(), p->Flexi().Editable()); };
    press(*p, "BttKey");
    EXPECT_EQ(taken(), std::tuple(declared, QString("SET x"), true));

    // Accepted: the page drops the edit state, keeps its key text and takes the context.
    runner.then<frmKeyFields>(changeAndLeave(true));
    press(*p, "BttKey");
    EXPECT_EQ(taken(), std::tuple(declared, QString("SET y"), false));
    EXPECT_EQ(shown().join(u'\n'), "");

    // On SQL Server the context shows; Esc leaves the page's values again.
    p->ParametersConnection(0, 0, "s", "d", "u", "p");
    runner.then<frmKeyFields>([](frmKeyFields& w) {
        // The taller window holds it.
        EXPECT_EQ(std::tuple(w.contextVisible(), w.txtContext->geometry().bottom() <= w.height(), w.txtContext->text()),
                  std::tuple(true, true, QString("SET y")));
        w.txtContext->setText("SET z");
        QTest::keyClick(w.txtContext, Qt::Key_Escape);
    });
    press(*p, "BttKey");
    EXPECT_EQ(p->contextStatement(), "SET y");
    EXPECT_EQ(runner->shown, QStringList(3, "frmKeyFields"));
}

} // namespace
