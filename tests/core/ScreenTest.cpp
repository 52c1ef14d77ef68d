#include "core/Screen.h"

#include <gtest/gtest.h>

#include <tuple>

TEST(Screen, TwipsAndPixels)
{
    EXPECT_DOUBLE_EQ(Screen::twipsPerPixel(96), 15.0);
    EXPECT_DOUBLE_EQ(Screen::twipsPerPixel(120), 12.0);
    for (const auto& [twips, dpi, pixels] : {std::tuple{225, 96, 15}, {240, 96, 16}, {240, 192, 32}, {-30, 96, -2}})
        EXPECT_EQ(Screen::pixelsFromTwips(twips, dpi), pixels) << twips << " at " << dpi;
    EXPECT_EQ(Screen::twipsFromPixels(15, 96), 225);
    EXPECT_EQ(Screen::twipsFromPixels(1, 144), 10);
    Screen::setLogicalDpi(0); // ignored
    EXPECT_DOUBLE_EQ(Screen::logicalDpi(), 96.0);
    EXPECT_EQ(Screen::twipsFromPixels(2), 30);
}

TEST(Screen, ColoursAreBlueGreenRed)
{
    // blue, green, and two mixed
    for (const auto& [color, rgb] : {std::pair{0xFF0000u, 0xFF0000FFu}, {0x8000u, 0xFF008000u}, {0xFFFAE1u, 0xFFE1FAFFu},
                                     {0x404040u, 0xFF404040u}})
        EXPECT_EQ(Screen::rgbFromColor(color), rgb) << color;
    EXPECT_EQ(Screen::colorFromRgb(0xFFE1FAFFu), 0xFFFAE1u);
    EXPECT_FALSE(Screen::rgbFromColor(0x80000005u).has_value());
    EXPECT_TRUE(Screen::isSystemColor(0x80000008u));
    EXPECT_EQ(Screen::systemColorIndex(0x80000016u), 0x16);
}
