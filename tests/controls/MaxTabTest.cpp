#include "../core/ErrorOf.h"
#include "controls/ControlSupport.h"
#include "controls/MaxTab.h"
#include "core/Dialogs.h"
#include "core/Error.h"
#include "core/Screen.h"
#include "messages/FakeTranslationStore.h"
#include "messages/clsError.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {
QStringList captions(const MaxTab& strip)
{
    QStringList out;
    for (const auto& [n, label] : strip.lblTab())
        if (n > 0)
            out << label.Caption;
    return out;
}

QPoint pixelOf(const MaxTab& strip, int tab)
{
    const MaxTab::TabLabel& l = strip.lblTab().at(tab);
    return controls::pixelRectFromTwips(l.Left, l.Top, l.Width, l.Height).center();
}

struct Strip : ::testing::Test {
    MaxTab strip;
    void SetUp() override { controls::setTwipsGeometry(&strip, 0, 0, 6000, 315); }
};
} // namespace

TEST_F(Strip, SelectionRaisesTheTabAndAlwaysRaisesTabChange)
{
    QSignalSpy changes(&strip, &MaxTab::TabChange);
    QSignalSpy marked(&strip, &MaxTab::PropertyChanged);
    strip.setCurrentTab(2);
    strip.setCurrentTab(2);
    EXPECT_EQ(std::tuple(changes.count(), marked.count()), std::tuple(2, 2));
    // The chosen tab stands raised above the others.
    const auto& labels = strip.lblTab();
    EXPECT_LT(labels.at(2).Top, labels.at(1).Top);

    strip.setCurrentTab(0);
    EXPECT_EQ(strip.CurrentTab(), 1);
}

TEST_F(Strip, AMissingTabRaisesTheTabErrorAndCountChangesKeepTheCurrentTab)
{
    try {
        strip.setCurrentTab(5);
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(std::tuple(e.number, e.source, e.description),
                  std::tuple(-2147220838, QStringLiteral("pMaxTab"), QStringLiteral("Se ha solicitado una solapa inexistente")));
    }
    EXPECT_EQ(strip.CurrentTab(), 1);
    // TabLeft, TabWidth and TabEnabled look the label up without checking the number first.
    EXPECT_EQ((std::vector<long>{errorOf([&] { strip.TabCaption(4); }), errorOf([&] { strip.TabCaption(0); }),
                                 errorOf([&] { strip.setTabCaption(4, "x"); }), errorOf([&] { strip.TabLeft(4); }),
                                 errorOf([&] { strip.TabWidth(-1); }), errorOf([&] { strip.TabEnabled(9); })}),
              (std::vector<long>{MaxTab::TabErrorNumber, MaxTab::TabErrorNumber, MaxTab::TabErrorNumber, 340, 340, 340}));

    // Changing the count raises TabChange once and keeps the current tab.
    strip.setTabs(2);
    QSignalSpy changes(&strip, &MaxTab::TabChange);
    QSignalSpy marked(&strip, &MaxTab::PropertyChanged);
    strip.setTabs(4);
    EXPECT_EQ(std::tuple(changes.count(), strip.AllCaptions()), std::tuple(1, QStringLiteral("Tab |Tab 1|Tab 2 |Tab 3|Tab 4")));
    strip.setCurrentTab(4);
    changes.clear();
    strip.setTabs(2);
    EXPECT_EQ(std::tuple(changes.count(), strip.CurrentTab(), strip.labelCount()), std::tuple(0, 4, 2));
    // Outline elements of removed tabs stay until the next selection.
    EXPECT_EQ(std::tuple(strip.LineLeft().size(), errorOf([&] { strip.setTabCaption(1, "x"); })), std::tuple(5u, MaxTab::TabErrorNumber));
    EXPECT_EQ(marked.at(0).at(0).toString(), QStringLiteral("Tabs"));
}

TEST_F(Strip, CaptionTextsAreNotEscaped)
{
    QSignalSpy changes(&strip, &MaxTab::TabChange);
    strip.setAllCaptions(QStringLiteral("Tab |X"));
    EXPECT_EQ(std::tuple(strip.AllCaptions(), changes.count()), std::tuple(QStringLiteral("Tab |X|Tab 2 |Tab 3"), 1));
    strip.setAllCaptions(QStringLiteral("abc"));
    EXPECT_EQ(captions(strip), (QStringList{"Tab 1", "Tab 2", "Tab 3"}));
    strip.setTabCaption(1, QStringLiteral("a|b"));
    EXPECT_EQ(std::tuple(strip.TabCaption(2), changes.count()), std::tuple(QStringLiteral("b"), 3));
    // The template caption names later empty-caption tabs.
    strip.setTabCaption(0, QStringLiteral("Hoja "));
    strip.setTabs(5);
    EXPECT_EQ(captions(strip).mid(3), (QStringList{"Tab 4", "Tab 5"}));
}

TEST_F(Strip, LoadingAShortCaptionTextStillBuildsEveryTab)
{
    controls::PropertyBag bag;
    bag.WriteProperty(QStringLiteral("AllCaptions"), QStringLiteral("Tab |A"));
    QSignalSpy changes(&strip, &MaxTab::TabChange);
    strip.ReadProperties(bag);
    EXPECT_EQ((QStringList{captions(strip).join(","), strip.AllCaptions()}), (QStringList{"A,Tab 2,Tab 3", "Tab |A|Tab 2|Tab 3"}));
    EXPECT_EQ(std::pair(changes.count() >= 1, strip.labelCount()), std::pair(true, strip.Tabs()));

    controls::PropertyBag saved;
    strip.setTabs(2);
    strip.setCurrentTab(2);
    strip.WriteProperties(saved);
    EXPECT_EQ(std::tuple(saved.ReadProperty("Tabs").toInt(), saved.ReadProperty("CurrentTab").toInt(),
                         saved.ReadProperty("AllCaptions").toString()), std::tuple(2, 2, QStringLiteral("Tab |A|Tab 2")));
}

TEST_F(Strip, MouseReleaseThenClickTheRightButtonMenuAndAFailingClick)
{
    strip.show();
    QList<QList<double>> ups;
    QObject::connect(&strip, &MaxTab::MouseUp, &strip, [&](short& button, short& shift, float& x, float& y) {
        ups << QList<double>{double(button), double(shift), x, y};
        if (button == 2)
            strip.setIgnoreNextClick(true);
    });
    QSignalSpy changes(&strip, &MaxTab::TabChange);
    const QPoint at = pixelOf(strip, 2);
    QTest::mouseClick(&strip, Qt::RightButton, Qt::ShiftModifier, at);
    EXPECT_EQ(std::pair(strip.CurrentTab(), strip.IgnoreNextClick()), std::pair(1, false));
    ASSERT_EQ(ups.size(), 1);
    const MaxTab::TabLabel& two = strip.lblTab().at(2);
    EXPECT_EQ(ups[0].mid(0, 2), (QList<double>{2, 1}));
    EXPECT_NEAR(ups[0][2], at.x() * Screen::twipsPerPixel() - two.Left, 0.01);
    EXPECT_NEAR(ups[0][3], at.y() * Screen::twipsPerPixel() - two.Top, 0.01);

    QTest::mouseClick(&strip, Qt::LeftButton, Qt::NoModifier, at);
    EXPECT_EQ(std::tuple(strip.CurrentTab(), changes.count()), std::tuple(2, 1));

    // A disabled tab, or a disabled strip, takes nothing.
    strip.setTabEnabled(3, false);
    QTest::mouseClick(&strip, Qt::LeftButton, Qt::NoModifier, pixelOf(strip, 3));
    strip.setEnabled(false);
    QTest::mouseClick(&strip, Qt::LeftButton, Qt::NoModifier, pixelOf(strip, 1));
    EXPECT_EQ(std::tuple(strip.CurrentTab(), ups.size()), std::tuple(2, 2));

    // A failing click is reported once and goes no further.
    strip.setEnabled(true);
    ScopedRecordingDialogs dialogs;
    QObject::connect(&strip, &MaxTab::TabChange, &strip, [&] { strip.setCurrentTab(strip.Tabs() + 1); });
    QTest::mouseClick(&strip, Qt::LeftButton, Qt::NoModifier, pixelOf(strip, 1));
    ASSERT_EQ(dialogs->calls.size(), 1u);
    EXPECT_TRUE(dialogs->calls[0].prompt.contains(QStringLiteral("Se ha solicitado una solapa inexistente")));
    EXPECT_TRUE(dialogs->calls[0].prompt.contains(QStringLiteral("LBLTAB_CLICK"), Qt::CaseInsensitive));
}

