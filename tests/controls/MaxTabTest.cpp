#include "../core/ErrorOf.h"
#include "controls/ControlSupport.h"
#include "controls/MaxTab.h"
#include "core/Dialogs.h"
#include "core/Error.h"
#include "core/Screen.h"
#include "messages/FakeTranslationStore.h"
#include "messages/clsError.h"

#include <QFontMetricsF>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {
double expectedWidth(const MaxTab& strip, const QString& caption)
{
    return std::max(QFontMetricsF(strip.font()).horizontalAdvance(caption) * Screen::twipsPerPixel() + 150, 260.0);
}

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

TEST_F(Strip, ANewStripHasThreeDefaultTabsAndWidthsFromTheFont)
{
    EXPECT_EQ(std::tuple(strip.Tabs(), strip.CurrentTab(), strip.AllCaptions()), std::tuple(3, 1, QStringLiteral("Tab |Tab 1|Tab 2 |Tab 3")));
    EXPECT_EQ(captions(strip), (QStringList{"Tab 1", "Tab 2 ", "Tab 3"}));
    double left = 30;
    for (int i = 1; i <= 3; ++i) {
        const MaxTab::TabLabel& l = strip.lblTab().at(i);
        EXPECT_DOUBLE_EQ(l.Width, expectedWidth(strip, l.Caption)) << i;
        EXPECT_DOUBLE_EQ(l.Left, left) << i;
        EXPECT_EQ(std::pair(long(strip.TabLeft(i)), long(strip.TabWidth(i))), std::pair(std::lround(l.Left), std::lround(l.Width)));
        left += l.Width + 30;
    }
    controls::PropertyBag bag;
    strip.WriteProperties(bag);
    EXPECT_TRUE(bag.keys().isEmpty());
    // Never lower than its minimum height.
    controls::setTwipsGeometry(&strip, 0, 0, 3000, 200);
    EXPECT_EQ(strip.height(), Screen::pixelsFromTwips(315));
    // Narrow captions get the minimum width.
    strip.setTabs(2);
    strip.setTabCaption(1, QString());
    strip.setTabCaption(2, QStringLiteral("."));
    EXPECT_EQ((QList<int>{strip.TabWidth(1), strip.TabWidth(2), strip.TabLeft(1), strip.TabLeft(2)}),
              (QList<int>{260, 260, 30, 320}));
}

TEST_F(Strip, SelectionDrawsTheOutlineAndAlwaysRaisesTabChange)
{
    QSignalSpy changes(&strip, &MaxTab::TabChange);
    QSignalSpy marked(&strip, &MaxTab::PropertyChanged);
    strip.setCurrentTab(2);
    strip.setCurrentTab(2);
    EXPECT_EQ(std::tuple(changes.count(), marked.count()), std::tuple(2, 2));
    const auto& labels = strip.lblTab();
    EXPECT_EQ((QList<double>{labels.at(1).Top, labels.at(2).Top, labels.at(3).Top}), (QList<double>{90, 60, 90}));
    EXPECT_EQ(strip.LineLeft().size(), 4u); // the template and one per tab, re-created each time
    EXPECT_EQ((std::vector<bool>{strip.LineRight().at(1).Visible, strip.LineRight().at(2).Visible, strip.LineRight().at(3).Visible}),
              (std::vector<bool>{false, true, true}));
    const MaxTab::TabLabel& two = labels.at(2);
    const MaxTab::Line& before = strip.LineBefore();
    const MaxTab::Line& after = strip.LineAfter();
    EXPECT_EQ((QList<double>{before.X1, before.X2, before.Y1, after.X1, after.X2, after.Y2}),
              (QList<double>{0, two.Left - 15, 300, two.Left + two.Width, 6000, 300}));
    const MaxTab::Line& top = strip.LineTop().at(2);
    EXPECT_EQ((QList<double>{top.X1, top.X2, top.Y1}), (QList<double>{two.Left, two.Left + two.Width - 15, 45}));
    const MaxTab::Line& left = strip.LineLeft().at(3);
    EXPECT_EQ((QList<double>{left.X1, left.Y1, left.Y2}), (QList<double>{labels.at(3).Left - 15, 90, 300}));

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
    EXPECT_EQ((QStringList{saved.keys().join(","), saved.ReadProperty("AllCaptions").toString()}),
              (QStringList{"Tabs,CurrentTab,AllCaptions", "Tab |A|Tab 2"}));
}

TEST_F(Strip, TheMainWindowsCaptionsAreTranslated)
{
    auto store = std::make_shared<FakeTranslationStore>();
    store->addRow(QStringLiteral("Query 1      "), 1, QStringLiteral("Consulta 1      "));
    store->addRow(QStringLiteral("+"), 1, QStringLiteral("(+)"));
    clsError msg;
    msg.setTranslationStore(store);
    msg.setLanguage(QStringLiteral("Language1"));
    QWidget form;
    form.setObjectName(QStringLiteral("frmMain"));
    strip.setParent(&form);
    strip.setObjectName(QStringLiteral("QueryTabs"));
    strip.setTabs(2);
    strip.setTabCaption(1, QStringLiteral("Query 1      "));
    strip.setTabCaption(2, QStringLiteral("+"));
    strip.setCurrentTab(1);
    msg.TransMe(&form, false);
    EXPECT_EQ(captions(strip), (QStringList{"Consulta 1      ", "(+)"}));
    strip.setParent(nullptr);
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

