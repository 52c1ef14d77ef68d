#include "controls/ControlSupport.h"
#include "controls/MaxText.h"
#include "core/Screen.h"
#include "core/ValueText.h"
#include "services/clsTablas.h"
#include "support/EventSteps.h"

#include <vector>
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {
void focus(MaxText& box, QEvent::Type inOrOut)
{
    QFocusEvent event(inOrOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(box.Casilla(), &event);
}

void type(MaxText& box, const QString& keys)
{
    for (QChar c : keys)
        QTest::keyClick(box.Casilla(), c.toLatin1());
}

struct Box : ::testing::Test {
    ValueText::ScopedLocale spanish{QLocale(QLocale::Spanish, QLocale::Spain)};
    MaxText box;
    QList<int> pressed;
    void SetUp() override
    {
        QObject::connect(&box, &MaxText::KeyPress, &box, [this](short& k) { pressed << k; });
    }
    void numeric(const QString& text = QString())
    {
        box.setTipo(1);
        box.setText(text);
    }
};
} // namespace

TEST_F(Box, FormattedWhileAwayBareWhileFocused)
{
    numeric(QStringLiteral("1234,5"));
    box.setFormato(QStringLiteral("#,##0.00"));
    EXPECT_EQ(box.Text(), QStringLiteral("1.234,50"));
    focus(box, QEvent::FocusIn);
    EXPECT_EQ(std::tuple(box.Text(), box.SelStart(), box.SelLength(), box.SQLText()),
              std::tuple(QStringLiteral("1234,5"), 0, 6, QStringLiteral("1234.5")));
    focus(box, QEvent::FocusOut);
    EXPECT_EQ(std::tuple(box.Text(), box.UnformattedValue()), std::tuple(QStringLiteral("1.234,50"), 1234.5));

    // Beyond 32 bits the whole number keeps every digit; a fraction is cut to four places.
    for (const auto& [typed, edited, sql] : {std::tuple{"12345678901", "12345678901", "12345678901"},
                                             {"-0,123456", "-0,1235", "-0.1235"}}) {
        focus(box, QEvent::FocusOut);
        box.setText(QString::fromUtf8(typed));
        focus(box, QEvent::FocusIn);
        EXPECT_EQ((QStringList{box.Text(), box.SQLText()}), (QStringList{edited, sql})) << typed;
    }
}

TEST_F(Box, DecimalMarkSignAndSelectionRules)
{
    // Text, selection (start, length), keys typed; text, caret and KeyPress codes after: none for the
    // rewrites and refusals, the key itself for a plain one, 0 for a letter or blank.
    struct Case {
        const char* text;
        int start, length;
        const char* keys;
        const char* after;
        int caret;
        std::vector<int> pressed; // not a QList: Qt 6.4 compares two empty ones through a null pointer
    };
    const Case cases[] = {
        {"", 0, 0, ",", "0,", 2, {}},          {"0,", 2, 0, ".", "0,", 2, {}},     {"-5", 1, 0, ".", "-0,5", 3, {}},
        {"12", 2, 0, ".", "12,", 3, {','}},    {"12", 2, 0, "-", "12", 2, {}},     {"12", 1, 0, "-", "12", 1, {}},
        {"12", 0, 0, "-", "-12", 1, {'-'}},    {"-12", 3, 0, "a ", "-12", 3, {0, 0}},
        // A selection is replaced before the rules look.
        {"1234", 0, 4, ",5", "0,5", 3, {'5'}}, {"-12", 0, 3, "-", "-", 1, {'-'}},
    };
    for (const Case& c : cases) {
        numeric(QString::fromUtf8(c.text));
        box.Casilla()->setSelection(c.start, c.length);
        pressed.clear();
        type(box, QString::fromUtf8(c.keys));
        EXPECT_EQ(box.Text(), QString::fromUtf8(c.after)) << c.text << " + " << c.keys;
        EXPECT_EQ(box.SelStart(), c.caret) << c.text << " + " << c.keys;
        EXPECT_EQ(std::vector<int>(pressed.begin(), pressed.end()), c.pressed) << c.text << " + " << c.keys;
    }
}

TEST_F(Box, ControlKeysAndComposedInput)
{
    numeric(QStringLiteral("-12"));
    // Copy and paste from the keyboard are refused; keys that type nothing work.
    QApplication::clipboard()->setText(QStringLiteral("99"));
    QTest::keyClick(box.Casilla(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(box.Text(), QStringLiteral("-12"));
    QList<int> down;
    QObject::connect(&box, &MaxText::KeyDown, &box, [&](short& k, short&) { down << k; });
    box.setSelStart(0);
    QTest::keyClick(box.Casilla(), Qt::Key_Right);
    QTest::keyClick(box.Casilla(), Qt::Key_Delete);
    EXPECT_EQ(box.Text(), QStringLiteral("-2"));
    QTest::keyClick(box.Casilla(), Qt::Key_Backspace);
    EXPECT_EQ(std::tuple(box.Text(), down), std::tuple(QStringLiteral("2"), (QList<int>{39, 46, 8})));

    // Composed input takes the same rules.
    box.setSelStart(1);
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("x3,"));
    QCoreApplication::sendEvent(box.Casilla(), &commit);
    EXPECT_EQ(box.Text(), QStringLiteral("23,"));

    // A text box takes everything, paste included.
    box.setTipo(0);
    box.setText(QStringLiteral("it's"));
    type(box, QStringLiteral("a"));
    EXPECT_EQ(std::tuple(box.Text(), box.SQLText()), std::tuple(QStringLiteral("it'sa"), QStringLiteral("it''sa")));
}

TEST_F(Box, ChangeFollowsTheNumber)
{
    QSignalSpy changes(&box, &MaxText::Change);
    numeric(QStringLiteral("5"));
    // Each text in turn and the changes counted so far: the same number, or none, is no change.
    for (const auto& [text, count] : {std::pair{"5", 1}, {"5,0", 1}, {"", 2}, {"x", 2}}) {
        box.setText(QString::fromUtf8(text));
        EXPECT_EQ(changes.count(), count) << text;
    }
    EXPECT_EQ(box.UnformattedValue(), 0);
    box.Casilla()->setText(QStringLiteral("-"));
    EXPECT_EQ(changes.count(), 2);
    EXPECT_THROW(box.SQLText(), Error);
    box.setText(QStringLiteral("abc"));
    EXPECT_EQ(box.Text(), QString());

    // Leaving rounds the stored number to the shown one.
    box.setFormato(QStringLiteral("0.00"));
    box.setText(QStringLiteral("1,239"));
    changes.clear();
    focus(box, QEvent::FocusOut);
    EXPECT_EQ(std::tuple(box.Text(), box.UnformattedValue(), changes.count()), std::tuple(QStringLiteral("1,24"), 1.24, 1));

    box.setTipo(0);
    changes.clear();
    box.setText(QStringLiteral("a"));
    EXPECT_EQ(changes.count(), 1);
}

TEST_F(Box, EnterMovesToTheNextControl)
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* first = new MaxText;
    auto* second = new MaxText;
    layout->addWidget(first);
    layout->addWidget(second);
    QList<int> keys;
    QObject::connect(first, &MaxText::KeyPress, first, [&](short& k) { keys << k; });
    ASSERT_TRUE(steps::showActive(window));
    for (int tipo : {0, 1}) {
        first->setTipo(tipo);
        first->setFocus();
        ASSERT_TRUE(first->Casilla()->hasFocus());
        QTest::keyClick(first->Casilla(), Qt::Key_Return);
        EXPECT_TRUE(second->Casilla()->hasFocus()) << tipo;
    }
    EXPECT_TRUE(keys.isEmpty());

    // The services' blank check focuses an empty box and says so.
    clsTablas services;
    QStringList messages;
    services.setMessageHooks([&](const QString& p, int, const QString&) { return messages << p, 1; },
                             [](const QString&, const QString&, int, const QString&) {});
    EXPECT_FALSE(services.EvitarBlancos(first, QString(), QStringLiteral("Nombre")));
    EXPECT_TRUE(first->Casilla()->hasFocus());
    EXPECT_EQ(messages, QStringList{"Nombre no puede estar en blanco"});
    first->setText(QStringLiteral("7"));
    EXPECT_TRUE(services.EvitarBlancos(first, QString(), QStringLiteral("Nombre")));
}

TEST_F(Box, EnabledRecoloursLoadingDoesNot)
{
    box.setBackColor(0x0000FF);
    box.setEnabled(false);
    EXPECT_EQ(std::pair(box.Casilla()->isEnabled(), box.Casilla()->palette().color(QPalette::Disabled, QPalette::Base)),
              std::pair(false, qApp->palette().color(QPalette::Midlight)));
    box.setEnabled(true);
    EXPECT_EQ(std::pair(box.BackColor(), box.Casilla()->palette().color(QPalette::Base)),
              std::pair(0x80000005u, qApp->palette().color(QPalette::Base)));

    MaxText loaded;
    loaded.setBackColor(0x00FF00);
    controls::PropertyBag bag;
    bag.WriteProperty(QStringLiteral("Text"), QStringLiteral("5"));
    bag.WriteProperty(QStringLiteral("Tipo"), 1);
    bag.WriteProperty(QStringLiteral("Enabled"), false, true);
    loaded.ReadProperties(bag);
    EXPECT_EQ(std::tuple(loaded.isEnabled(), loaded.BackColor(), loaded.Tipo(), loaded.Text(), loaded.UnformattedValue()),
              std::tuple(false, 0x00FF00u, 1, QStringLiteral("5"), 0.0));
    EXPECT_EQ(std::tuple(loaded.Formato(), box.Formato()), std::tuple(QStringLiteral("#,##0.00"), QString()));
}

