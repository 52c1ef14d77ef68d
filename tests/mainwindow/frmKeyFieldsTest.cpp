// The key-fields dialog: leaving, Enter in the key list, clearing.
#include "DialogTestSupport.h"

#include "mainwindow/frmKeyFields.h"
#include "querypage/PushButton.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

class KeyFieldsTest : public DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        w.MSG = msg;
        w.txtKeyFields->setPlainText("Id");
        w.txtContext->setText("SET x");
    }
    static void click(PushButton* b) { emit b->mouseUp(1, 0, 0, 0); }
    frmKeyFields w;
};

TEST_F(KeyFieldsTest, EscAndTheCloseBoxActAsSalir)
{
    w.show();
    QTest::keyClick(w.txtKeyFields, Qt::Key_Escape);
    EXPECT_TRUE(w.Cancelled);
    EXPECT_FALSE(w.isVisible());
    click(w.BttAceptar);
    EXPECT_FALSE(w.Cancelled);
    w.show();
    w.close();
    EXPECT_TRUE(w.Cancelled);
}

TEST_F(KeyFieldsTest, EnterStartsANewLineAndDoesNotAccept)
{
    w.show();
    w.txtKeyFields->moveCursor(QTextCursor::End);
    QTest::keyClick(w.txtKeyFields, Qt::Key_Return);
    QTest::keyClicks(w.txtKeyFields, "Line");
    EXPECT_EQ(w.txtKeyFields->toPlainText(), "Id\nLine");
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(w.Cancelled);
    // Aceptar with an empty key text is accepted.
    w.txtKeyFields->clear();
    click(w.BttAceptar);
    EXPECT_FALSE(w.Cancelled);
}

TEST_F(KeyFieldsTest, VaciarAsksAboutTheContextOnlyWhenItIsShown)
{
    w.setContextVisible(false);
    click(w.BttLimpiar);
    EXPECT_EQ(w.txtKeyFields->toPlainText(), "");
    EXPECT_TRUE(shown().isEmpty());

    w.setContextVisible(true);
    answer({7, 6});
    click(w.BttLimpiar);
    EXPECT_EQ(w.txtContext->text(), "SET x");
    click(w.BttLimpiar);
    EXPECT_EQ(w.txtContext->text(), "");
    EXPECT_EQ(shown().first(), "Campos clave borrados.\r\n\r\n¿Desea borrar también el contexto? (36, Campos Clave)");
}
