#include "DialogDriver.h"
#include "FakeTranslationStore.h"

#include <QCheckBox>
#include <gtest/gtest.h>

namespace {
// Types a character or key into the focused widget and lets a button it pressed click.
void type(int key)
{
    QWidget* focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr);
    QWidget* dialog = focus->window();
    key < 128 ? QTest::keyClick(focus, char(key)) : QTest::keyClick(focus, Qt::Key(key));
    steps::finishClicks(*dialog);
}
} // namespace

TEST(MsgBox, ButtonSetIconAndTextsFollowTheStyle)
{
    // The style, the captions, the default button once the focus leaves cmd(2) and the icon.
    const QStringList ok{"-", "-", "&Aceptar=1"}, yesNo{"-", "&Si=6", "&No=7"},
        yesNoCancel{"&Si=6", "&No=7", "&Cancelar=2"};
    const struct { int style; QStringList captions; int defaultIndex; QString icon; } cases[] = {
        {0, ok, 2, "imgError"}, {1, {"-", "&Aceptar=1", "&Cancelar=2"}, 1, "imgError"},
        {2, {"&Abortar=3", "&Reintentar=4", "&Ignorar=5"}, 0, "imgError"}, {3, yesNoCancel, 1, "imgError"},
        {4, yesNo, 1, "imgError"}, {5, yesNo, 1, "imgError"}, {35, yesNoCancel, 1, "imgQuestion"},
        {36 | 256, yesNo, 1, "imgQuestion"}, {16, ok, 2, "imgCritical"}, {48, ok, 2, "imgCritical"},
        {64, ok, 2, "imgInformation"},
    };
    clsError msg;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.style);
        answer(msg, c.style, [&](frmMsgBox* d) {
            QStringList captions;
            for (QPushButton* b : d->cmd)
                captions << (b->isHidden() ? QString("-") : b->text() + "=" + b->property("Tag").toString());
            EXPECT_EQ(captions, c.captions);
            EXPECT_EQ((QStringList{shownIcon(d), d->windowTitle(), d->lblMainTitle->text(), d->lblSubTitle->text(),
                                   d->txtBody->toPlainText()}),
                      (QStringList{c.icon, "Ventana de Mensajes", "Titulo",
                                   QString::fromUtf8("Por favor, lea la siguiente descripción:"), "\nCuerpo"}));
            EXPECT_EQ(d->tmrError->isActive(), (c.style & 16) != 0);
            // cmd(2) holds the focus when the dialog opens.
            EXPECT_EQ(QApplication::focusWidget(), d->cmd[2]);
            // The set's default button takes Enter once the focus is elsewhere.
            d->txtBody->setFocus();
            steps::settle();
            EXPECT_TRUE(d->cmd[c.defaultIndex]->isDefault());
        });
    }

    QWidget host;
    host.setWindowTitle("Velmora 3.0");
    msg.Parent = &host;
    answer(msg, 64, [&](frmMsgBox* d) { EXPECT_EQ(d->windowTitle(), "Velmora 3.0"); });
}

TEST(MsgBox, AnswerIsTheButtonClickedOrTheKeyTyped)
{
    constexpr int closeBox = -1; // 0 to 2: click cmd(i); anything else is typed
    const struct { int style, input, expected; } cases[] = {
        {0, 2, 1}, {3, 0, 6}, {2, 1, 4}, {0, closeBox, 3},
        // Esc is Cancel where there is a Cancel button, else No.
        {0, Qt::Key_Escape, 7}, {4, Qt::Key_Escape, 7}, {2, Qt::Key_Escape, 7}, {35, Qt::Key_Escape, 2}, {1, Qt::Key_Escape, 2},
        // Enter goes to the focused button: cmd(2).
        {4, Qt::Key_Return, 7}, {3, Qt::Key_Return, 2}, {2, Qt::Key_Return, 5},
        // A letter presses the button with that accelerator; S and A are not among
        // the letters passed on, although "&Si" and "&Aceptar" carry them.
        {4, 'n', 7}, {3, 'c', 2}, {2, 'r', 4}, {2, 'I', 5}, {4, 's', 3}, {0, 'a', 3},
    };
    clsError msg;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.style << " " << c.input);
        EXPECT_EQ(answer(msg, c.style, [&](frmMsgBox* d) {
                      c.input >= 0 && c.input <= 2 ? d->cmd[c.input]->click()
                      : c.input == closeBox        ? void(d->close())
                                                   : type(c.input);
                  }),
                  c.expected);
    }
    // Y is passed on: it presses "&Yes" once the captions are translated.
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

TEST(MsgBox, DontAskAgainBoxReentrantCallsAndTheBlinkingCriticalTitle)
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
    const int outer = answer(msg, 4, [&](frmMsgBox* d) {
        inner = msg.MsgBox("Otra", 0, "Aviso");
        d->cmd[1]->click();
    });
    EXPECT_EQ((std::pair{outer, inner}), (std::pair{6, 7}));
    answer(msg, 16, [&](frmMsgBox* d) {
        EXPECT_EQ(d->tmrError->interval(), 250);
        EXPECT_EQ(d->mainTitleColor(), QColor(Qt::black));
        steps::tick(*d->tmrError);
        EXPECT_EQ(d->mainTitleColor(), QColor(255, 0, 0));
        steps::tick(*d->tmrError);
        EXPECT_EQ(d->mainTitleColor(), QColor(Qt::black));
    });
}
