#include "DialogDriver.h"
#include "messages/MessageDialogs.h"

#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {
// Acts on the system box once it is shown.
void whenModal(const std::function<void(QWidget*)>& act)
{
    QTimer::singleShot(0, [act] {
        // The box is the modal window from the moment it is shown.
        QWidget* box = QApplication::activeModalWidget();
        ASSERT_NE(box, nullptr);
        act(box);
        QTimer::singleShot(0, box, [box] { box->close(); });
    });
}
} // namespace

TEST(SystemDialogs, ButtonsAndAnswersFollowTheStyleAndTheInputBoxAnswersTheTextOrNothing)
{
    MessageDialogs dialogs;
    QStringList texts;
    whenModal([&](QWidget* box) {
        auto* m = static_cast<QMessageBox*>(box);
        texts << m->windowTitle() << m->text();
        EXPECT_EQ(m->icon(), QMessageBox::Critical);
        EXPECT_NE(m->button(QMessageBox::Yes), nullptr);
        m->button(QMessageBox::No)->click();
    });
    EXPECT_EQ(dialogs.msgBox("No se ha podido abrir la conexión", 4 + 16, "Aviso"), 7);
    EXPECT_EQ(texts, (QStringList{"Aviso", QString::fromUtf8("No se ha podido abrir la conexión")}));

    // The style, a key typed (0: Retry clicked) and the answer; the second button is the default with 256.
    for (auto [style, key, expected] : {std::tuple{2, 0, 4}, {3 + 32, int(Qt::Key_Escape), 2},
                                        {64, int(Qt::Key_Return), 1}, {4 + 256, int(Qt::Key_Return), 7}}) {
        whenModal([key](QWidget* box) {
            key ? QTest::keyClick(box, Qt::Key(key)) : static_cast<QMessageBox*>(box)->button(QMessageBox::Retry)->click();
        });
        EXPECT_EQ(dialogs.msgBox("x", style, "t"), expected) << style;
    }
    whenModal([](QWidget* box) {
        auto* edit = box->findChild<QLineEdit*>();
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(edit->text(), "valor");
        edit->setText("nuevo");
        static_cast<QInputDialog*>(box)->accept();
    });
    EXPECT_EQ(dialogs.inputBox("Nombre", "Titulo", "valor"), QString("nuevo"));
    // Accepted empty is an answer; cancelled is none.
    whenModal([](QWidget* box) {
        box->findChild<QLineEdit*>()->clear();
        static_cast<QInputDialog*>(box)->accept();
    });
    EXPECT_EQ(dialogs.inputBox("Nombre", "Titulo", "valor"), QString(""));
    whenModal([](QWidget* box) { static_cast<QInputDialog*>(box)->reject(); });
    EXPECT_EQ(dialogs.inputBox("Nombre", "Titulo", "valor"), std::nullopt);
}


// A box opens centred on the window it belongs to, also when that window is
// not the active one (the second box of a sequence), and never off the screen.
TEST(SystemDialogs, EveryBoxOpensCentredOnItsWindowAndInsideTheScreen)
{
    QWidget host;
    host.setAttribute(Qt::WA_ShowWithoutActivating);
    host.setGeometry(40, 30, 500, 400);
    host.show();
    const QRect screen = host.screen()->availableGeometry();
    clsError msg;
    msg.Parent = &host;
    MessageDialogs dialogs;
    for (const QPoint at : {QPoint(40, 30), QPoint(screen.right() - 150, screen.bottom() - 100)}) {
        host.move(at);
        QList<QRect> boxes;
        for (int i = 0; i < 2; ++i)
            answer(msg, 64, [&](frmMsgBox* d) { boxes << d->frameGeometry(); });
        whenModal([&](QWidget* box) { boxes << box->frameGeometry(); });
        dialogs.msgBox("1 registros actualizados.", 64, "Velmora 3.0");
        ASSERT_EQ(boxes.size(), 3);
        for (const QRect& box : boxes) {
            EXPECT_TRUE(screen.contains(box)) << box.x() << "," << box.y();
            if (at == QPoint(40, 30)) {
                EXPECT_LE((box.center() - host.frameGeometry().center()).manhattanLength(), 2)
                    << box.x() << "," << box.y();
            }
        }
    }
}
