#include "messages/clsError.h"
#include "messages/frmMsgBox.h"

#include "DialogDriver.h"
#include "FakeTranslationStore.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

QStringList visibleCaptions(frmMsgBox* d)
{
    QStringList out;
    for (QPushButton* b : d->cmd)
        out << (b->isHidden() ? QString("-") : b->text() + "=" + b->property("Tag").toString());
    return out;
}

QString shownIcon(frmMsgBox* d)
{
    QString s;
    for (QLabel* l : {d->imgCritical, d->imgQuestion, d->imgInformation, d->imgError})
        if (!l->isHidden())
            s += l->objectName();
    return s;
}

void press(int key)
{
    QWidget* focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr);
    QTest::keyClick(focus, Qt::Key(key), Qt::NoModifier);
}

// Types a character into the dialog and gives a pressed button time to answer.
void type(char c)
{
    QWidget* focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr);
    QWidget* dialog = focus->window();
    QTest::keyClick(focus, c);
    (void)QTest::qWaitFor([dialog] { return !dialog->isVisible(); }, 500);
}
} // namespace

TEST(MsgBox, ButtonSetsCodesAndDefaultButtonFollowTheStyle)
{
    struct Case {
        int style;
        QStringList captions;
        int defaultIndex; // the default button once the focus leaves cmd(2)
    };
    const Case cases[] = {
        {0, {"-", "-", "&Aceptar=1"}, 2},
        {1, {"-", "&Aceptar=1", "&Cancelar=2"}, 1},
        {2, {"&Abortar=3", "&Reintentar=4", "&Ignorar=5"}, 0},
        {3, {"&Si=6", "&No=7", "&Cancelar=2"}, 1},
        {4, {"-", "&Si=6", "&No=7"}, 1},
        {5, {"-", "&Si=6", "&No=7"}, 1},
        {35, {"&Si=6", "&No=7", "&Cancelar=2"}, 1},
        {36 | 256, {"-", "&Si=6", "&No=7"}, 1},
    };
    clsError msg;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        answer(msg, c.style, [&](frmMsgBox* d) {
            EXPECT_EQ(visibleCaptions(d), c.captions);
            // cmd(2) holds the focus when the dialog opens.
            EXPECT_EQ(QApplication::focusWidget(), d->cmd[2]);
            // The set's default button takes Enter once the focus is elsewhere.
            d->txtBody->setFocus();
            QCoreApplication::processEvents();
            EXPECT_TRUE(d->cmd[c.defaultIndex]->isDefault());
        });
    }
}

TEST(MsgBox, IconsTitlesAndCaptions)
{
    clsError msg;
    QWidget host;
    host.setWindowTitle("Velmora 3.0");
    struct Case {
        int style;
        QString icon;
    };
    for (const Case& c : {Case{16, "imgCritical"}, Case{48, "imgCritical"}, Case{64, "imgInformation"},
                          Case{32, "imgQuestion"}, Case{36, "imgQuestion"}, Case{0, "imgError"}, Case{4, "imgError"}}) {
        SCOPED_TRACE(c.style);
        answer(msg, c.style, [&](frmMsgBox* d) {
            EXPECT_EQ(shownIcon(d), c.icon);
            EXPECT_EQ(d->tmrError->isActive(), (c.style & 16) != 0);
            EXPECT_EQ(d->windowTitle(), "Ventana de Mensajes");
            EXPECT_EQ(d->lblMainTitle->text(), "Titulo");
            EXPECT_EQ(d->lblSubTitle->text(), QString::fromUtf8("Por favor, lea la siguiente descripción:"));
            EXPECT_EQ(d->txtBody->toPlainText(), "\nCuerpo");
        });
    }
    msg.Parent = &host;
    answer(msg, 64, [&](frmMsgBox* d) { EXPECT_EQ(d->windowTitle(), "Velmora 3.0"); });

    // The caller's variables receive the texts as shown.
    QString body = "Registro {15} de {29}";
    QString title = "Aviso";
    QString sub;
    QTimer::singleShot(0, [&] { msg.Dialog()->close(); });
    msg.MsgBox(body, 64, title, sub);
    EXPECT_EQ(body, "\r\nRegistro 5 de 9");
    EXPECT_EQ(sub, QString::fromUtf8("Por favor, lea la siguiente descripción:"));
}

TEST(MsgBox, CriticalTitleBlinksBlackAndRed)
{
    clsError msg;
    answer(msg, 16, [&](frmMsgBox* d) {
        EXPECT_EQ(d->tmrError->interval(), 250);
        EXPECT_EQ(d->mainTitleColor(), QColor(Qt::black));
        EXPECT_TRUE(QTest::qWaitFor([&] { return d->mainTitleColor() == QColor(255, 0, 0); }, 1000));
        EXPECT_TRUE(QTest::qWaitFor([&] { return d->mainTitleColor() == QColor(Qt::black); }, 1000));
    });
}

TEST(MsgBox, ClicksEscCloseBoxAndEnter)
{
    clsError msg;
    EXPECT_EQ(answer(msg, 0, [](frmMsgBox* d) { d->cmd[2]->click(); }), 1);
    EXPECT_EQ(answer(msg, 0, [](frmMsgBox*) { press(Qt::Key_Escape); }), 7);
    EXPECT_EQ(answer(msg, 0, [](frmMsgBox* d) { d->close(); }), 3);
    EXPECT_EQ(answer(msg, 4, [](frmMsgBox*) { press(Qt::Key_Escape); }), 7);
    // Where there is a Cancel button, Esc is Cancel.
    EXPECT_EQ(answer(msg, 35, [](frmMsgBox*) { press(Qt::Key_Escape); }), 2);
    EXPECT_EQ(answer(msg, 1, [](frmMsgBox*) { press(Qt::Key_Escape); }), 2);
    EXPECT_EQ(answer(msg, 2, [](frmMsgBox*) { press(Qt::Key_Escape); }), 7);
    // Enter goes to the focused button: cmd(2).
    EXPECT_EQ(answer(msg, 4, [](frmMsgBox*) { press(Qt::Key_Return); }), 7);
    EXPECT_EQ(answer(msg, 3, [](frmMsgBox*) { press(Qt::Key_Return); }), 2);
    EXPECT_EQ(answer(msg, 2, [](frmMsgBox*) { press(Qt::Key_Return); }), 5);
    EXPECT_EQ(answer(msg, 3, [](frmMsgBox* d) { d->cmd[0]->click(); }), 6);
    EXPECT_EQ(answer(msg, 2, [](frmMsgBox* d) { d->cmd[1]->click(); }), 4);
}

TEST(MsgBox, LettersPressTheButtonWithThatAccelerator)
{
    clsError msg;
    EXPECT_EQ(answer(msg, 4, [](frmMsgBox*) { type('n'); }), 7);
    EXPECT_EQ(answer(msg, 3, [](frmMsgBox*) { type('c'); }), 2);
    EXPECT_EQ(answer(msg, 2, [](frmMsgBox*) { type('r'); }), 4);
    EXPECT_EQ(answer(msg, 2, [](frmMsgBox*) { type('I'); }), 5);
    // S and A are not among the letters passed on, although "&Si" and "&Aceptar" carry them.
    EXPECT_EQ(answer(msg, 4, [](frmMsgBox*) { type('s'); }), 3);
    EXPECT_EQ(answer(msg, 0, [](frmMsgBox*) { type('a'); }), 3);
    // Y is: it presses "&Yes" once the captions are translated.
    auto store = std::make_shared<FakeTranslationStore>();
    store->addRow("&Si", 1, "&Yes");
    msg.setTranslationStore(store);
    msg.setLanguage("Language1");
    EXPECT_EQ(answer(msg, 4, [](frmMsgBox* d) {
                  EXPECT_EQ(d->cmd[1]->text(), "&Yes");
                  type('y');
              }),
              6);
}

TEST(MsgBox, DontAskAgainBoxAndReentrantCalls)
{
    clsError msg;
    answer(msg, 36, [&](frmMsgBox* d) {
        EXPECT_FALSE(d->chkDontAskAgain->isHidden());
        d->chkDontAskAgain->setChecked(true);
        d->cmd[1]->click();
    }, true);
    EXPECT_TRUE(msg.DontAskAgain());
    answer(msg, 64, [&](frmMsgBox* d) {
        EXPECT_TRUE(d->chkDontAskAgain->isHidden());
        d->cmd[2]->click();
    }, true);
    EXPECT_FALSE(msg.DontAskAgain());

    int inner = -1;
    EXPECT_EQ(answer(msg, 4, [&](frmMsgBox* d) {
                  inner = msg.MsgBox("Otra", 0, "Aviso");
                  d->cmd[1]->click();
              }),
              6);
    EXPECT_EQ(inner, 7);
}

TEST(MsgBox, SilentModeKeepsPlainNoticesInTheBuffer)
{
    clsError msg;
    msg.setSilent(true);
    EXPECT_EQ(msg.MsgBox("Aviso {1uno}", 0, "T"), 3);
    EXPECT_EQ(msg.MsgBox("Aviso {1uno}", 1, "T"), 3);
    EXPECT_EQ(msg.MultiMsg(), "\r\nAviso uno\r\n");
    // Questions are still asked.
    EXPECT_EQ(answer(msg, 4, [](frmMsgBox* d) { d->cmd[2]->click(); }), 7);
    EXPECT_EQ(answer(msg, 2, [](frmMsgBox* d) { d->cmd[0]->click(); }), 3);
}
