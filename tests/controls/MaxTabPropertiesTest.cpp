#include "controls/ControlSupport.h"
#include "controls/MaxTab.h"
#include "controls/MaxTabProperties.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {
QStringList rowTexts(const MaxTabProperties& page)
{
    QStringList out;
    for (int n = 1; n <= page.captionRows(); ++n)
        out << page.lblTabCaption(n)->text() + "=" + page.txtTabCaption(n)->text();
    return out;
}

struct Page : ::testing::Test {
    MaxTab strip;
    MaxTabProperties page;
};
} // namespace

TEST_F(Page, ItsControlsAndPlacesAndShowingItReadsTheStripAndWritesItBack)
{
    EXPECT_EQ(rowTexts(page), QStringList{"Texto Solapa 1=Tab 1"});
    EXPECT_EQ(std::pair(page.txtTabCaption(1)->property("Index").toInt(), page.changed()), std::pair(1, false));

    // Showing the page reads the strip and writes it back.
    strip.setCurrentTab(2);
    QSignalSpy marked(&strip, &MaxTab::PropertyChanged);
    MaxTab other;
    page.setSelectedControls({&strip, &other});
    EXPECT_EQ(rowTexts(page), (QStringList{"Texto Solapa 1=Tab 1", "Texto Solapa 2=Tab 2 ", "Texto Solapa 3=Tab 3"}));
    EXPECT_EQ(std::tuple(page.txtCurrentTab()->text(), page.changed(), marked.count()), std::tuple(QStringLiteral("2"), true, 2));
    EXPECT_EQ(page.txtTabCaption(3)->property("Index").toInt(), 3);

    // The same texts again: the rows stay as they are.
    page.txtTabCaption(1)->setText(QStringLiteral("edited"));
    page.setSelectedControls({&strip});
    EXPECT_EQ(std::tuple(page.txtTabCaption(1)->text(), other.Tabs()), std::tuple(QStringLiteral("edited"), 3));
}

TEST_F(Page, CountAndCurrentTab)
{
    page.setSelectedControls({&strip});
    page.txtTabCaption(1)->setText(QStringLiteral("edited"));
    page.txtTabs()->setText(QStringLiteral("5"));
    EXPECT_EQ(strip.Tabs(), 5);
    // Every row is refilled from the strip: the edit is gone.
    EXPECT_EQ(rowTexts(page).mid(0, 1), QStringList{"Texto Solapa 1=Tab 1"});
    EXPECT_EQ(rowTexts(page).mid(3), (QStringList{"Texto Solapa 4=Tab 4", "Texto Solapa 5=Tab 5"}));
    EXPECT_EQ(strip.AllCaptions(), QStringLiteral("Tab |Tab 1|Tab 2 |Tab 3|Tab 4|Tab 5"));

    page.txtCurrentTab()->setText(QStringLiteral("4"));
    EXPECT_EQ(strip.CurrentTab(), 4);
    page.cmdToRight()->click();
    page.cmdToRight()->click();
    EXPECT_EQ(page.txtCurrentTab()->text(), QStringLiteral("5"));
    page.txtTabs()->setText(QStringLiteral("2"));
    EXPECT_EQ(std::tuple(page.txtCurrentTab()->text(), strip.CurrentTab()), std::tuple(QStringLiteral("2"), 2));
    EXPECT_EQ(page.captionRows(), 2);
    page.cmdToLeft()->click();
    page.cmdToLeft()->click();
    EXPECT_EQ(page.txtCurrentTab()->text(), QStringLiteral("1"));
}

TEST_F(Page, NumberBoxesTakeDigitsOnlyAnEmptyBoxSetsNothingAndApplyWritesInOrder)
{
    page.setSelectedControls({&strip});
    page.txtTabs()->setFocus();
    page.txtTabs()->end(false);
    QTest::keyClicks(page.txtTabs(), QStringLiteral("a-"));
    QTest::keyClick(page.txtTabs(), Qt::Key_Backspace);
    EXPECT_EQ(page.txtTabs()->text(), QStringLiteral("3"));
    QTest::keyClick(page.txtTabs(), Qt::Key_Home);
    QTest::keyClick(page.txtTabs(), Qt::Key_Delete);
    EXPECT_EQ(page.txtTabs()->text(), QString());
    QTest::keyClick(page.txtTabs(), Qt::Key_4);
    EXPECT_EQ(page.txtTabs()->text(), QStringLiteral("4"));

    QSignalSpy marked(&strip, &MaxTab::PropertyChanged);
    page.txtTabs()->clear();
    page.txtCurrentTab()->clear();
    EXPECT_EQ(std::tuple(marked.count(), strip.Tabs()), std::tuple(0, 4));

    // Apply writes count, current tab and captions in that order.
    page.setSelectedControls({&strip});
    page.txtTabCaption(2)->setText(QStringLiteral("Dos"));
    EXPECT_EQ(strip.TabCaption(2), QStringLiteral("Tab 2 "));
    QSignalSpy applied(&strip, &MaxTab::PropertyChanged);
    page.Apply();
    QStringList names;
    for (const auto& call : applied)
        names << call.at(0).toString();
    EXPECT_EQ(names, (QStringList{"Tabs", "CurrentTab", "AllCaptions"}));
    EXPECT_EQ(strip.AllCaptions(), QStringLiteral("Tab |Tab 1|Dos|Tab 3|Tab 4"));
    EXPECT_FALSE(page.changed());
}

