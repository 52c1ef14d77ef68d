#include "messages/MSendInput.h"

#include "core/Error.h"
#include "support/EventSteps.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>
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

TEST(SendKeysNotation, EveryFormGivesItsKeyRecordsLongTextsGrowTheBufferAndOversizedItemsFail)
{
    const auto shifted = [](std::uint16_t vk) { return cat({{down(VK_SHIFT)}, stroke(vk), {modUp(VK_SHIFT)}}); };
    const auto tab3 = cat({stroke(VK_TAB), stroke(VK_TAB), stroke(VK_TAB)});
    const std::vector<R> euro{R{0, 0x20AC, R::Unicode}, R{0, 0x20AC, R::Unicode | R::KeyUp}};
    const struct { QString keys; std::vector<R> records; } cases[] = {
        // A modifier holds the next item only; an upper-case letter needs Shift on this layout.
        {"%y", cat({{down(VK_MENU)}, stroke('Y'), {modUp(VK_MENU)}})},
        {"%Y", cat({{down(VK_MENU), down(VK_SHIFT)}, stroke('Y'), {modUp(VK_SHIFT), modUp(VK_MENU)}})},
        {"^+ab", cat({{down(VK_CONTROL), down(VK_SHIFT)}, stroke('A'), {modUp(VK_SHIFT), modUp(VK_CONTROL)}, stroke('B')})},
        {"a+", cat({stroke('A'), {down(VK_SHIFT), modUp(VK_SHIFT)}})},
        // A group types its characters under one modifier, with no second Shift for capitals;
        // inside it every character is plain but "~"; "(" without ")" is dropped; "()" types ")".
        {"+(ab)", cat({{down(VK_SHIFT)}, stroke('A'), stroke('B'), {modUp(VK_SHIFT)}})},
        {"+(A)", shifted('A')}, {"(%~)", cat({shifted('5'), stroke(VK_RETURN)})},
        {"(ab", cat({stroke('A'), stroke('B')})}, {"()", shifted('0')},
        // Braced key names in any case with repeat counts; a brace, a plus, a word that is no
        // key name (its first character); an unclosed "{" is dropped.
        {"{TAB 3}", tab3}, {"{tab 3}", tab3}, {"{DOWN 2}", cat({stroke(VK_DOWN, R::Extended), stroke(VK_DOWN, R::Extended)})},
        {"{BREAK}", stroke(VK_PAUSE, R::Extended)}, {"{PAUSE}", stroke(VK_PAUSE)}, {"{F16}", stroke(VK_F16)},
        {"{ENTER 0}", stroke(VK_RETURN)}, {"{}}", shifted(0xDD)}, {"{+}", shifted(0xBB)}, {"{hello}", stroke('H')},
        {"{x 2}", cat({stroke('X'), stroke('X')})}, {"{ab", cat({stroke('A'), stroke('B')})},
        {"~", stroke(VK_RETURN)}, {"\t", stroke(VK_TAB)}, {"", {}},
        // Characters no key of the layout types go as Unicode records.
        {QString(QChar(0x20AC)), euro}, {QString::fromUtf8("{€ 2}"), cat({euro, euro})},
        {QString::fromUtf8("ñ"), {R{0, 0xF1, R::Unicode}, R{0, 0xF1, R::Unicode | R::KeyUp}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseKeys(c.keys), c.records) << c.keys.toStdString();

    // Caps Lock turns the wish for Shift round.
    CapsLockLayout caps;
    EXPECT_EQ(ParseKeys("%Y", caps), cat({{down(VK_MENU)}, stroke('Y'), {modUp(VK_MENU)}}));
    EXPECT_EQ(ParseKeys("%y", caps), cat({{down(VK_MENU), down(VK_SHIFT)}, stroke('Y'), {modUp(VK_SHIFT), modUp(VK_MENU)}}));
    const auto records = ParseKeys(QString(1000, 'a'));
    ASSERT_EQ(records.size(), 2000u);
    EXPECT_EQ(records[1998], down('A'));
    // One item may not need more records than the buffer has left.
    EXPECT_THROW(ParseKeys("{TAB 300}"), Error);
    EXPECT_EQ(ParseKeys("{TAB 200}").size(), 400u);
    EXPECT_THROW(ParseKeys("{TAB 99999999999}"), Error);
}

TEST(SendKeysDelivery, AltLetterPressesTheMnemonicButtonAndTabMovesFocus)
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto *first = new QLineEdit, *second = new QLineEdit;
    auto* button = new QPushButton("&Nuevo");
    for (QWidget* w : std::initializer_list<QWidget*>{first, second, button})
        layout->addWidget(w);
    ASSERT_TRUE(steps::showActive(window));
    first->setFocus();
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
    // A mnemonic clicks its button the way a mouse click looks: down at once, clicked a moment later.
    SendKeys("%n", false);
    EXPECT_TRUE(button->isDown());
    steps::finishClicks(window);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(first->text(), "ab"); // Alt+n typed nothing
    SendKeys("%N", false);
    steps::finishClicks(window);
    EXPECT_EQ(clicks, 2);
}
