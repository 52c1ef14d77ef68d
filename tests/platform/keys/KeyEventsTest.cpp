#include "platform/keys/KeyEvents.h"

#include <QKeyEvent>
#include <gtest/gtest.h>

using keys::fromKeyEvent;

TEST(KeyEvents, StrokesOfCommonKeys)
{
    struct Case { const char* name; int qtKey; Qt::KeyboardModifiers mods; QString text; int keyCode, shift, keyAscii; };
    const Case cases[] = {
        {"a", Qt::Key_A, Qt::NoModifier, "a", 65, 0, 97},
        {"Shift+A", Qt::Key_A, Qt::ShiftModifier, "A", 65, 1, 65},
        {"Ctrl+C", Qt::Key_C, Qt::ControlModifier, "\x03", 67, 2, 3},
        {"Ctrl+C without text", Qt::Key_C, Qt::ControlModifier, "", 67, 2, 3},
        {"Backtab", Qt::Key_Backtab, Qt::NoModifier, "", 9, 1, 9},
        {"Keypad Enter", Qt::Key_Enter, Qt::KeypadModifier, "\r", 13, 0, 13},
        {"Alt+F", Qt::Key_F, Qt::AltModifier, "f", 70, 4, 0},
        {"Delete", Qt::Key_Delete, Qt::NoModifier, "\x7f", 46, 0, 0},
        {"Ctrl+Insert", Qt::Key_Insert, Qt::ControlModifier, "", 45, 2, 0},
        {"F5", Qt::Key_F5, Qt::NoModifier, "", 116, 0, 0},
        {"Keypad 7", Qt::Key_7, Qt::KeypadModifier, "7", 103, 0, 55},
        {"Backspace", Qt::Key_Backspace, Qt::NoModifier, "\b", 8, 0, 8},
        {"ntilde", Qt::Key_Ntilde, Qt::NoModifier, QString(QChar(0xF1)), 192, 0, 241},
    };
    for (const Case& c : cases) {
        QKeyEvent e(QEvent::KeyPress, c.qtKey, c.mods, c.text);
        const auto s = fromKeyEvent(e);
        EXPECT_EQ(s.KeyCode, c.keyCode) << c.name;
        EXPECT_EQ(s.Shift, c.shift) << c.name;
        EXPECT_EQ(s.KeyAscii, c.keyAscii) << c.name;
    }
}

TEST(KeyEvents, PressRaisesKeyPressUnlessKeyDownZeroedTheCode)
{
    QStringList raised;
    auto down = [&](int& code, int& shift) { raised << QStringLiteral("down %1 %2").arg(code).arg(shift); };
    auto press = [&](int& ascii) { raised << QStringLiteral("press %1").arg(ascii); };

    EXPECT_FALSE(keys::dispatchPress({65, 0, 97}, down, press));
    EXPECT_EQ(raised, QStringList({"down 65 0", "press 97"}));

    raised.clear();
    keys::dispatchPress({46, 0, 0}, down, press); // Delete types nothing
    EXPECT_EQ(raised, QStringList({"down 46 0"}));

    raised.clear();
    EXPECT_TRUE(keys::dispatchPress({9, 0, 9}, [&](int& code, int&) { code = 0; }, press));
    EXPECT_TRUE(raised.isEmpty());
}

TEST(KeyEvents, CommitStringGivesOneKeyAsciiPerCharacter)
{
    EXPECT_EQ(keys::keyAsciiOfCommit(QString(QChar(0xF1))), QList<int>({241}));
    EXPECT_EQ(keys::keyAsciiOfCommit(QStringLiteral("áe")), QList<int>({225, 101}));
}
