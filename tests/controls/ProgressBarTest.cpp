#include "controls/ControlSupport.h"
#include "controls/ProgressBar.h"
#include "core/Screen.h"

#include <QCoreApplication>
#include <QTimer>
#include <gtest/gtest.h>

namespace {
struct Bar : ::testing::Test {
    ProgressBar bar;
    double px = Screen::twipsPerPixel();
    void SetUp() override { controls::setTwipsGeometry(&bar, 0, 0, 3000, 225); }
    // The comparison window's bars as they are stored.
    void loadAsTheComparison()
    {
        controls::PropertyBag bag;
        bag.WriteProperty(QStringLiteral("Value"), 0);
        bag.WriteProperty(QStringLiteral("MaxValue"), 100);
        bag.WriteProperty(QStringLiteral("Enabled"), true, false);
        bag.WriteProperty(QStringLiteral("Bright"), false, true);
        bar.ReadProperties(bag);
    }
};
} // namespace

TEST_F(Bar, ADisabledBarTakesOnlyZeroAndValuesAreCappedAndClamped)
{
    EXPECT_FALSE(bar.Enabled());
    bar.setValue(50);
    EXPECT_EQ(bar.Value(), 0);
    bar.setEnabled(true);
    bar.setValue(50);
    bar.setEnabled(false);
    bar.setValue(70);
    EXPECT_EQ(bar.Value(), 50);
    bar.setValue(0);
    EXPECT_EQ(bar.Value(), 0);
    EXPECT_EQ((std::pair{bar.ContenedorVerde().Visible, bar.tmrMovement()->isActive()}), (std::pair{false, false}));

    // Enabled: capped and clamped.
    bar.setEnabled(true);
    bar.setValue(250);
    EXPECT_EQ(bar.Value(), 100);
    EXPECT_DOUBLE_EQ(bar.ContenedorVerde().Width, 3000 - px);
    bar.setValue(-5);
    EXPECT_DOUBLE_EQ(bar.ContenedorVerde().Width, 0);
    bar.setMaxValue(0);
    EXPECT_EQ(bar.MaxValue(), 100);
    bar.setMaxValue(-10);
    bar.setValue(-20);
    EXPECT_DOUBLE_EQ(bar.ContenedorVerde().Width, 3000); // -10 of -10 is full, within the control
    // MaxValue does not re-cap Value.
    bar.setMaxValue(200);
    bar.setValue(150);
    bar.setMaxValue(100);
    EXPECT_EQ(bar.Value(), 150);
    EXPECT_DOUBLE_EQ(bar.ContenedorVerde().Width, 3000); // 150 of 100, within the control
}

TEST_F(Bar, TheComparisonsBarsFollowAtOnceAndRunNoOtherEvent)
{
    loadAsTheComparison();
    bool ran = false;
    QTimer::singleShot(0, &bar, [&] { ran = true; });
    QCoreApplication::postEvent(&bar, new QEvent(QEvent::User));
    bar.setValue(37);
    EXPECT_EQ((std::pair{ran, bar.ContenedorVerde().Visible}), (std::pair{false, true}));
    EXPECT_DOUBLE_EQ(bar.ContenedorVerde().Width, 3000 * 0.37);
    // Bright False: the shine never shows.
    for (int i = 0; i < 200; ++i)
        bar.tmrMovement_Timer();
    EXPECT_EQ((std::pair{bar.Brillo().Visible, bar.tmrMovement()->isActive()}), (std::pair{false, false}));

    controls::PropertyBag saved;
    bar.WriteProperties(saved);

    // A loaded MaxValue of 0 draws no bar, and loading starts no timer.
    saved.WriteProperty(QStringLiteral("Value"), 40);
    saved.WriteProperty(QStringLiteral("MaxValue"), 0);
    ProgressBar loaded;
    loaded.ReadProperties(saved);
    EXPECT_EQ(std::tuple(loaded.MaxValue(), loaded.ContenedorVerde().Visible, loaded.ContenedorVerde().Width,
                         loaded.tmrMovement()->isActive()),
              std::tuple(0, false, 0.0, false));
}

TEST_F(Bar, IndeterminateModeGrowsAndStartsAgainAndTheShineSweepsAndPauses)
{
    bar.setEnabled(true);
    bar.setMode(1);
    const double full = 3000 - px;
    EXPECT_DOUBLE_EQ(bar.ContenedorVerde().Width, full);
    bar.setValue(10);
    EXPECT_EQ(bar.Value(), 0);
    bar.tmrUnreal_Timer();
    EXPECT_DOUBLE_EQ(bar.ContenedorVerde().Width, px);
    bar.tmrUnreal_Timer();
    while (bar.ContenedorVerde().Width + 100 <= full)
        bar.tmrUnreal_Timer();
    bar.tmrUnreal_Timer();
    EXPECT_DOUBLE_EQ(bar.ContenedorVerde().Width, full);
    bar.setMode(0);
    EXPECT_FALSE(bar.tmrUnreal()->isActive());
}

