#include "core/Screen.h"

#include <gtest/gtest.h>

TEST(Screen, TwipsAndPixels)
{
    EXPECT_DOUBLE_EQ(Screen::twipsPerPixel(96), 15.0);
    EXPECT_DOUBLE_EQ(Screen::twipsPerPixel(120), 12.0);
    EXPECT_EQ(Screen::pixelsFromTwips(225, 96), 15);
    EXPECT_EQ(Screen::pixelsFromTwips(240, 96), 16);
    EXPECT_EQ(Screen::pixelsFromTwips(240, 192), 32);
    EXPECT_EQ(Screen::twipsFromPixels(15, 96), 225);
    EXPECT_EQ(Screen::twipsFromPixels(1, 144), 10);
    EXPECT_EQ(Screen::pixelsFromTwips(-30, 96), -2);
    Screen::setLogicalDpi(0); // ignored
    EXPECT_DOUBLE_EQ(Screen::logicalDpi(), 96.0);
    EXPECT_EQ(Screen::twipsFromPixels(2), 30);
}

TEST(Screen, ColoursAreBlueGreenRed)
{
    EXPECT_EQ(Screen::rgbFromColor(0xFF0000), 0xFF0000FFu);   // blue
    EXPECT_EQ(Screen::rgbFromColor(0x8000), 0xFF008000u);     // green
    EXPECT_EQ(Screen::rgbFromColor(0xFFFAE1), 0xFFE1FAFFu);
    EXPECT_EQ(Screen::rgbFromColor(0x404040), 0xFF404040u);
    EXPECT_EQ(Screen::colorFromRgb(0xFFE1FAFFu), 0xFFFAE1u);
    EXPECT_FALSE(Screen::rgbFromColor(0x80000005u).has_value());
    EXPECT_TRUE(Screen::isSystemColor(0x80000008u));
    EXPECT_EQ(Screen::systemColorIndex(0x80000016u), 0x16);
}
