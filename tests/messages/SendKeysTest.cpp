#include "messages/MSendInput.h"

#include "core/Error.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>
#include <gtest/gtest.h>

using namespace MSendInput;
using R = KeyRecord;

namespace {
R down(std::uint16_t vk, std::uint32_t flags = 0) { return R{vk, 0, flags}; }
R up(std::uint16_t vk) { return R{vk, keyboardLayout().scanCode(vk), R::KeyUp}; }
R modUp(std::uint16_t vk) { return R{vk, 0, R::KeyUp}; }
std::vector<R> stroke(std::uint16_t vk, std::uint32_t flags = 0) { return {down(vk, flags), up(vk)}; }

std::vector<R> cat(std::initializer_list<std::vector<R>> parts)
{
    std::vector<R> all;
    for (const auto& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

class CapsLockLayout : public KeyboardLayout {
public:
    bool capsLockOn() const override { return true; }
};
} // namespace

TEST(SendKeysNotation, ModifiersApplyToTheNextItemOnly)
{
    EXPECT_EQ(ParseKeys("%y"), cat({{down(VK_MENU)}, stroke('Y'), {modUp(VK_MENU)}}));
    // An upper-case letter needs Shift on this layout; Caps Lock turns the wish round.
    EXPECT_EQ(ParseKeys("%Y"), cat({{down(VK_MENU), down(VK_SHIFT)}, stroke('Y'), {modUp(VK_SHIFT), modUp(VK_MENU)}}));
    CapsLockLayout caps;
    EXPECT_EQ(ParseKeys("%Y", caps), cat({{down(VK_MENU)}, stroke('Y'), {modUp(VK_MENU)}}));
    EXPECT_EQ(ParseKeys("%y", caps), cat({{down(VK_MENU), down(VK_SHIFT)}, stroke('Y'), {modUp(VK_SHIFT), modUp(VK_MENU)}}));
    // "^+a": Ctrl around Shift around a; "a" after that is plain.
    EXPECT_EQ(ParseKeys("^+ab"), cat({{down(VK_CONTROL), down(VK_SHIFT)}, stroke('A'),
                                      {modUp(VK_SHIFT), modUp(VK_CONTROL)}, stroke('B')}));
    // A modifier at the very end holds nothing.
    EXPECT_EQ(ParseKeys("a+"), cat({stroke('A'), {down(VK_SHIFT), modUp(VK_SHIFT)}}));
}

TEST(SendKeysNotation, GroupsTypeTheirCharactersUnderOneModifier)
{
    EXPECT_EQ(ParseKeys("+(ab)"), cat({{down(VK_SHIFT)}, stroke('A'), stroke('B'), {modUp(VK_SHIFT)}}));
    // An upper-case letter inside a held Shift gets no second Shift.
    EXPECT_EQ(ParseKeys("+(A)"), cat({{down(VK_SHIFT)}, stroke('A'), {modUp(VK_SHIFT)}}));
    // Inside a group every character is plain; "~" is Enter.
    EXPECT_EQ(ParseKeys("(%~)"), cat({{down(VK_SHIFT)}, stroke('5'), {modUp(VK_SHIFT)}, stroke(VK_RETURN)}));
    // "(" with no ")" is dropped and the rest read as usual; "()" types ")".
    EXPECT_EQ(ParseKeys("(ab"), cat({stroke('A'), stroke('B')}));
    EXPECT_EQ(ParseKeys("()"), cat({{down(VK_SHIFT)}, stroke('0'), {modUp(VK_SHIFT)}}));
}

TEST(SendKeysNotation, BracedKeysAndRepeats)
{
    EXPECT_EQ(ParseKeys("{TAB 3}"), cat({stroke(VK_TAB), stroke(VK_TAB), stroke(VK_TAB)}));
    EXPECT_EQ(ParseKeys("{tab 3}"), ParseKeys("{TAB 3}"));
    EXPECT_EQ(ParseKeys("{DOWN 2}"), cat({stroke(VK_DOWN, R::Extended), stroke(VK_DOWN, R::Extended)}));
    EXPECT_EQ(ParseKeys("{BREAK}"), stroke(VK_PAUSE, R::Extended));
    EXPECT_EQ(ParseKeys("{PAUSE}"), stroke(VK_PAUSE));
    EXPECT_EQ(ParseKeys("{F16}"), stroke(VK_F16));
    EXPECT_EQ(ParseKeys("{ENTER 0}"), stroke(VK_RETURN));
    // A right brace, a plus, a word that is no key name.
    EXPECT_EQ(ParseKeys("{}}"), cat({{down(VK_SHIFT)}, stroke(0xDD), {modUp(VK_SHIFT)}}));
    EXPECT_EQ(ParseKeys("{+}"), cat({{down(VK_SHIFT)}, stroke(0xBB), {modUp(VK_SHIFT)}}));
    EXPECT_EQ(ParseKeys("{hello}"), stroke('H'));
    EXPECT_EQ(ParseKeys("{x 2}"), cat({stroke('X'), stroke('X')}));
    // An unclosed "{" is dropped and the rest typed.
    EXPECT_EQ(ParseKeys("{ab"), cat({stroke('A'), stroke('B')}));
    EXPECT_THROW(ParseKeys("{TAB 99999999999}"), Error);
}

TEST(SendKeysNotation, SpecialCharactersAndUnicode)
{
    EXPECT_EQ(ParseKeys("~"), stroke(VK_RETURN));
    EXPECT_EQ(ParseKeys("\t"), stroke(VK_TAB));
    EXPECT_EQ(ParseKeys(""), std::vector<R>{});
    const std::vector<R> euro{R{0, 0x20AC, R::Unicode}, R{0, 0x20AC, R::Unicode | R::KeyUp}};
    EXPECT_EQ(ParseKeys(QString(QChar(0x20AC))), euro);
    EXPECT_EQ(ParseKeys(QString::fromUtf8("ñ")), (std::vector<R>{R{0, 0xF1, R::Unicode}, R{0, 0xF1, R::Unicode | R::KeyUp}}));
    EXPECT_EQ(ParseKeys(QString::fromUtf8("{€ 2}")), cat({euro, euro}));
}

TEST(SendKeysNotation, LongTextsGrowTheBufferAndOversizedItemsFail)
{
    const auto records = ParseKeys(QString(1000, 'a'));
    ASSERT_EQ(records.size(), 2000u);
    EXPECT_EQ(records[1998], down('A'));
    // One item may not need more records than the buffer has left.
    EXPECT_THROW(ParseKeys("{TAB 300}"), Error);
    EXPECT_EQ(ParseKeys("{TAB 200}").size(), 400u);
}

TEST(SendKeysDelivery, AltLetterPressesTheMnemonicButtonAndTabMovesFocus)
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* first = new QLineEdit(&window);
    auto* second = new QLineEdit(&window);
    auto* button = new QPushButton("&Nuevo", &window);
    layout->addWidget(first);
    layout->addWidget(second);
    layout->addWidget(button);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    first->setFocus();
    QCoreApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), first);

    SendKeys("ab\t", false);
    EXPECT_EQ(first->text(), "ab");
    EXPECT_EQ(QApplication::focusWidget(), second);
    SendKeys("+(x)y", false);
    EXPECT_EQ(second->text(), "Xy");
    SendKeys("+{TAB}", false);
    EXPECT_EQ(QApplication::focusWidget(), first);

    int clicks = 0;
    QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });
    // A mnemonic clicks its button the way a mouse click looks: a moment later.
    SendKeys("%n", false);
    EXPECT_TRUE(QTest::qWaitFor([&] { return clicks == 1; }, 2000));
    EXPECT_EQ(first->text(), "ab"); // Alt+n typed nothing
    SendKeys("%N", false);
    EXPECT_TRUE(QTest::qWaitFor([&] { return clicks == 2; }, 2000));
}
