// The query page's own buttons open the real dialogs through the page's
// factories, run by a scripted modal runner: the settings (and the key
// display the page reads back), the new key of an added record on two pages
// that share one data-access object, the SQL editor, and the key fields.
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
#include "querypage/PushButton.h"
#include "services/clsTablas.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {

// Order lines keyed by order and line; the highest line is maxLine.
QStringList orderLines(int maxLine)
{
    return {"CREATE TABLE L (Id LONG, Line LONG, N TEXT(20), PRIMARY KEY (Id, Line))",
            "INSERT INTO L VALUES (1, 1, 'a')",
            QStringLiteral("INSERT INTO L VALUES (1, %1, 'b')").arg(maxLine)};
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
    static void click(MaxSQL& p, const char* name)
    {
        auto* b = p.findChild<PushButton*>(QString::fromLatin1(name));
        ASSERT_NE(b, nullptr) << name;
        EXPECT_TRUE(b->isEnabled()) << name;
        QTest::mouseClick(b, Qt::LeftButton);
    }
    static QStringList row(MaxGrid& g, int r)
    {
        QStringList out;
        for (int c = 0; c < g.Cols(); ++c)
            out << g.TextMatrix(r, c);
        return out;
    }
    QString ini() const { return dir.filePath("Velmora.ini"); }

    controls::ScopedScriptedRunner runner;
    std::shared_ptr<clsDO> zolt = std::make_shared<clsDO>();
    std::shared_ptr<clsTablas> scr = std::make_shared<clsTablas>();
};

TEST_F(PageOpenersTest, SettingsButtonSavesThroughTheDialogAndTheKeyDisplayFollowsTheFile)
{
    auto p = page();
    QSignalSpy changed(p.get(), &MaxSQL::ShowKeyChanged);
    const auto exclude = [](bool on, bool accept) {
        return [on, accept](frmSettings& w) {
            EXPECT_NE(w.chkExcludeIndex->isChecked(), on);
            w.chkExcludeIndex->setChecked(on);
            if (accept)
                emit w.BttAceptar->mouseUp(1, 0, 0, 0);
            else
                QTest::keyClick(w.chkExcludeIndex, Qt::Key_Escape);
        };
    };

    runner.then<frmSettings>(exclude(true, true));
    click(*p, "BttSettings");
    EXPECT_EQ(ProfileFile::read(ini(), "Connection", "ExcludePrimaryKey"), "1");
    EXPECT_FALSE(p->ShowKey());
    EXPECT_EQ(changed.count(), 1);

    // Left with Esc: nothing written, the display stays.
    runner.then<frmSettings>(exclude(false, false));
    click(*p, "BttSettings");
    EXPECT_EQ(ProfileFile::read(ini(), "Connection", "ExcludePrimaryKey"), "1");
    EXPECT_FALSE(p->ShowKey());
    EXPECT_EQ(changed.count(), 1);

    runner.then<frmSettings>(exclude(false, true));
    click(*p, "BttSettings");
    EXPECT_EQ(ProfileFile::read(ini(), "Connection", "ExcludePrimaryKey"), "0");
    EXPECT_TRUE(p->ShowKey());
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(runner->shown, QStringList(3, "frmSettings"));
    EXPECT_TRUE(shown().isEmpty()) << shown().join('\n').toStdString();

    // A save that fails is reported once, with the dialog's own tag; the page keeps its display.
    ASSERT_TRUE(QFile::remove(ini()));
    ASSERT_TRUE(QDir(dir.path()).mkdir("Velmora.ini"));
    runner.then<frmSettings>([](frmSettings& w) {
        w.chkExcludeIndex->setChecked(true);
        emit w.BttAceptar->mouseUp(1, 0, 0, 0);
        EXPECT_FALSE(w.Saved());
    });
    click(*p, "BttSettings");
    ASSERT_EQ(shown().size(), 1);
    EXPECT_TRUE(shown()[0].startsWith("FRMSETTINGS.BTTACEPTAR_MOUSEUP\r\n")) << shown()[0].toStdString();
    EXPECT_TRUE(shown()[0].contains(ini())) << shown()[0].toStdString();
    EXPECT_TRUE(p->ShowKey());
    EXPECT_EQ(changed.count(), 2);
    EXPECT_TRUE(QFileInfo(ini()).isDir());
}

TEST_F(PageOpenersTest, AddButtonGivesTheKeyRowsAndMaxPlusOneReadsThePagesOwnFile)
{
    const QString one = localFile(dir.path(), "one.mdb", orderLines(41)),
                  two = localFile(dir.path(), "two.mdb", orderLines(6));
    auto second = page(two, "SELECT * FROM L");
    // Opened last, page 1 leaves its own file in the shared data-access object.
    auto first = page(one, "SELECT * FROM L");
    ASSERT_TRUE(second->Flexi().Editable());
    ASSERT_TRUE(first->Flexi().Editable());

    // Max + 1 on the second row, then Aceptar; the first row has no button.
    const auto addWithMaxPlusOne = [this](const QString& expected) {
        runner.then<frmNewKey>([expected](frmNewKey& w) {
            ASSERT_EQ(w.Rows(), 2);
            EXPECT_EQ(w.lblField[0]->text(), "Id");
            EXPECT_EQ(w.lblField[1]->text(), "Line");
            EXPECT_EQ(w.txtField[0]->property("Tag").toString(), "LONG");
            EXPECT_EQ(w.BttMax[0], nullptr);
            ASSERT_NE(w.BttMax[1], nullptr);
            EXPECT_EQ(w.BttMax[1]->property("Tag").toString(), "L.Line");
            w.txtField[0]->setText("1");
            QTest::mouseClick(w.BttMax[1], Qt::LeftButton);
            EXPECT_EQ(w.txtField[1]->text(), expected);
            emit w.BttAceptar->mouseUp(1, 0, 0, 0);
            EXPECT_FALSE(w.Cancelled);
        });
    };
    MaxGrid& g2 = second->Flexi();
    g2.setRow(0); // no current record: nothing to copy, no question
    addWithMaxPlusOne("7");
    click(*second, "BttAdd");
    ASSERT_EQ(g2.Rows(), 4);
    EXPECT_EQ(row(g2, 3), (QStringList{"1", "7", ""}));

    MaxGrid& g1 = first->Flexi();
    g1.setRow(0);
    addWithMaxPlusOne("42");
    click(*first, "BttAdd");
    ASSERT_EQ(g1.Rows(), 4);
    EXPECT_EQ(row(g1, 3), (QStringList{"1", "42", ""}));
    EXPECT_TRUE(shown().isEmpty()) << shown().join('\n').toStdString();

    // The close box with both values filled in: cancelled, the page refuses and adds nothing.
    runner.then<frmNewKey>([](frmNewKey& w) {
        w.txtField[0]->setText("2");
        w.txtField[1]->setText("1");
        w.show();
        w.close();
        EXPECT_TRUE(w.Cancelled);
    });
    g1.setRow(0);
    click(*first, "BttAdd");
    EXPECT_EQ(g1.Rows(), 4);
    EXPECT_EQ(shown(), QStringList{"No se han recibido los datos clave.\r\n\r\nSe anula la creación del nuevo registro. "
                                   "(64, Velmora 3.0)"});
    EXPECT_EQ(runner->shown, QStringList(3, "frmNewKey"));
}

TEST_F(PageOpenersTest, EditorButtonTakesTheTextBackOrLeavesThePagesText)
{
    auto p = page();
    p->setTextSQL("select a from t");
    runner.then<frmEdit>([](frmEdit& w) {
        EXPECT_EQ(w.txtSQL->toPlainText(), "select a from t");
        w.txtSQL->setPlainText("select b\nfrom u");
        emit w.BttAceptar->mouseUp(1, 0, 0, 0);
    });
    click(*p, "BttEditor");
    EXPECT_EQ(p->TextSQL(), "select b\nfrom u");

    // Esc, Salir and the close box hand back "{ignore}": the page keeps its text.
    runner.then<frmEdit>([](frmEdit& w) {
        w.txtSQL->setPlainText("lost");
        QTest::keyClick(w.txtSQL, Qt::Key_Escape);
    });
    runner.then<frmEdit>([](frmEdit& w) {
        w.txtSQL->setPlainText("lost");
        emit w.BttSalir->mouseUp(1, 0, 0, 0);
    });
    runner.then<frmEdit>([](frmEdit& w) {
        w.txtSQL->setPlainText("lost");
        w.show();
        w.close();
    });
    for (int i = 0; i < 3; ++i) {
        click(*p, "BttEditor");
        EXPECT_EQ(p->TextSQL(), "select b\nfrom u") << i;
    }
    EXPECT_TRUE(shown().isEmpty()) << shown().join('\n').toStdString();

    // Emptied with Vaciar and accepted: the page asks before it clears its own text.
    const auto emptied = [](frmEdit& w) {
        emit w.BttLimpiar->mouseUp(1, 0, 0, 0);
        emit w.BttAceptar->mouseUp(1, 0, 0, 0);
    };
    runner.then<frmEdit>(emptied);
    runner.then<frmEdit>(emptied);
    answer({7, 6});
    click(*p, "BttEditor");
    EXPECT_EQ(p->TextSQL(), "select b\nfrom u");
    click(*p, "BttEditor");
    EXPECT_EQ(p->TextSQL(), "");
    EXPECT_EQ(shown(), QStringList(2, "El editor no ha devuelto ninguna consulta, ¿Desea borrar la consulta actual? "
                                      "(36, Velmora 3.0)"));
    EXPECT_EQ(runner->shown, QStringList(6, "frmEdit"));
}

TEST_F(PageOpenersTest, KeyButtonEscLeavesKeysAndContextAcceptTakesThem)
{
    auto p = page(localFile(dir.path(), "k.mdb", orderLines(3)), "SELECT * FROM L");
    ASSERT_TRUE(p->Flexi().Editable());
    auto* keys = p->findChild<QPlainTextEdit*>("txtKeyFields");
    ASSERT_NE(keys, nullptr);
    const QString declared = keys->toPlainText();
    ASSERT_FALSE(declared.isEmpty());
    p->setContextStatement("SET x");

    const auto changeAndLeave = [declared](frmKeyFields& w) {
        EXPECT_FALSE(w.contextVisible()); // the context is SQL Server's
        EXPECT_LT(w.height(), w.txtContext->y());
        EXPECT_EQ(w.txtKeyFields->toPlainText(), declared);
        EXPECT_EQ(w.txtContext->text(), "SET x");
        w.txtKeyFields->setPlainText("N");
        w.txtContext->setText("SET y");
    };
    runner.then<frmKeyFields>([&](frmKeyFields& w) {
        changeAndLeave(w);
        QTest::keyClick(w.txtKeyFields, Qt::Key_Escape);
        EXPECT_TRUE(w.Cancelled);
    });
    runner.then<frmKeyFields>([&](frmKeyFields& w) {
        changeAndLeave(w);
        w.show();
        w.close();
        EXPECT_TRUE(w.Cancelled);
    });
    for (int i = 0; i < 2; ++i) {
        click(*p, "BttKey");
        EXPECT_EQ(keys->toPlainText(), declared) << i;
        EXPECT_EQ(p->contextStatement(), "SET x") << i;
        EXPECT_TRUE(p->Flexi().Editable()) << i;
    }

    // Vaciar, then Aceptar: the page drops the edit state, keeps its key text and takes the context.
    runner.then<frmKeyFields>([&](frmKeyFields& w) {
        changeAndLeave(w);
        emit w.BttLimpiar->mouseUp(1, 0, 0, 0);
        emit w.BttAceptar->mouseUp(1, 0, 0, 0);
        EXPECT_FALSE(w.Cancelled);
    });
    click(*p, "BttKey");
    EXPECT_EQ(keys->toPlainText(), declared);
    EXPECT_EQ(p->contextStatement(), "SET y");
    EXPECT_FALSE(p->Flexi().Editable());
    EXPECT_TRUE(shown().isEmpty()) << shown().join('\n').toStdString();

    // On SQL Server the context shows; Esc leaves the page's values again.
    p->ParametersConnection(0, 0, "s", "d", "u", "p");
    runner.then<frmKeyFields>([](frmKeyFields& w) {
        EXPECT_TRUE(w.contextVisible());
        EXPECT_LE(w.txtContext->geometry().bottom(), w.height()); // the taller window holds it
        EXPECT_EQ(w.txtContext->text(), "SET y");
        w.txtContext->setText("SET z");
        QTest::keyClick(w.txtContext, Qt::Key_Escape);
    });
    click(*p, "BttKey");
    EXPECT_EQ(p->contextStatement(), "SET y");
    EXPECT_EQ(runner->shown, QStringList(4, "frmKeyFields"));
}

} // namespace
