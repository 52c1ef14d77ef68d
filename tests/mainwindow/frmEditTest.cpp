// The SQL editor window: leaving, keys, copy, re-indent, comments, colouring.
#include "DialogTestSupport.h"

#include "mainwindow/frmEdit.h"
#include "querypage/PushButton.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

class EditTest : public DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        w.MSG = msg;
        w.setClock([this] { return clock; });
        w.txtSQL->setPlainText("select a from t");
    }
    static void click(PushButton* b) { emit b->mouseUp(1, 0, 0, 0); }
    qint64 clock = 0;
    frmEdit w;
};

TEST_F(EditTest, SalirEscAndTheCloseBoxHandBackIgnore)
{
    click(w.BttSalir);
    EXPECT_EQ(w.txtSQL->toPlainText(), "{ignore}");

    w.txtSQL->setPlainText("x");
    w.show();
    QTest::keyClick(w.txtSQL, Qt::Key_Escape);
    EXPECT_EQ(w.txtSQL->toPlainText(), "{ignore}");
    EXPECT_FALSE(w.isVisible());

    w.txtSQL->setPlainText("x");
    w.show();
    w.close();
    EXPECT_EQ(w.txtSQL->toPlainText(), "{ignore}");
    EXPECT_TRUE(shown().isEmpty());
}

TEST_F(EditTest, EnterInTheSqlBoxAcceptsWithTheTextAsItIs)
{
    w.show();
    QTest::keyClick(w.txtSQL, Qt::Key_Return);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.txtSQL->toPlainText(), "select a from t");
    click(w.BttLimpiar);
    EXPECT_EQ(w.txtSQL->toPlainText(), "");
}

TEST_F(EditTest, CopyTakesTheWholeTextOrOnlyTellsThereIsNone)
{
    QGuiApplication::clipboard()->setText("before");
    w.txtSQL->setPlainText("   ");
    click(w.BttCopiar);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "before");
    w.txtSQL->setPlainText(" a\nb ");
    click(w.BttCopiar);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), " a\nb ");
    EXPECT_EQ(shown(), (QStringList{"No hay texto para copiar al portapapeles (64, Editor de Consultas SQL)",
                                    "El texto se ha copiado al portapapeles (64, Editor de Consultas SQL)"}));
}

TEST_F(EditTest, ReindentAsksAndNoPutsTheTextBack)
{
    answer({7, 6});
    click(w.BttIdentar);
    EXPECT_EQ(w.txtSQL->toPlainText(), "select a from t");
    click(w.BttIdentar);
    EXPECT_EQ(w.txtSQL->toPlainText(), "SELECT \n     a \nFROM t");
    EXPECT_EQ(shown(), (QStringList{"¿Desea aplicar estos cambios? (36, Editor de Consultas SQL)",
                                    "¿Desea aplicar estos cambios? (36, Editor de Consultas SQL)"}));
}

TEST_F(EditTest, ColouringComesOnceASecondAfterTheLastChange)
{
    w.tmrCheckEditable_Timer(); // the opener's text
    clock = 5000;
    w.tmrCheckEditable_Timer();
    const int before = w.Colourings();
    clock = 10000;
    w.txtSQL->setPlainText("select b from t");
    EXPECT_TRUE(w.tmrCheckEditable->isActive());
    clock = 10500;
    w.tmrCheckEditable_Timer();
    EXPECT_EQ(w.Colourings(), before);
    clock = 11000;
    w.tmrCheckEditable_Timer();
    w.tmrCheckEditable_Timer();
    EXPECT_EQ(w.Colourings(), before + 1);
    EXPECT_FALSE(w.tmrCheckEditable->isActive());
}

TEST_F(EditTest, CommentingColoursAtOnceWithoutTheDelay)
{
    w.txtSQL->setPlainText("a\n  b");
    clock = 5000;
    w.tmrCheckEditable_Timer();
    const int before = w.Colourings();
    click(w.BttComment);
    EXPECT_EQ(w.txtSQL->toPlainText(), "--a\n--  b");
    EXPECT_EQ(w.Colourings(), before + 1);
    EXPECT_FALSE(w.tmrCheckEditable->isActive());
    click(w.BttUncomment);
    EXPECT_EQ(w.txtSQL->toPlainText(), "a\n  b");
}

TEST_F(EditTest, ResizeFollowsTheWindow)
{
    w.show();
    w.resize(900, 700);
    QTest::qWait(1);
    EXPECT_EQ(w.txtSQL->width(), 900 - 12); // 90 twips each side at 96 DPI
    EXPECT_EQ(w.BttSalir->x() + w.BttSalir->width(), 900 - 13);
    w.resize(100, 100);
    EXPECT_GE(w.width(), 533); // 8000 twips
    EXPECT_GE(w.height(), 267);
}
