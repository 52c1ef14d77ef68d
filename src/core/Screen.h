#pragma once
// Twips and colours as the settings and the window layouts give them.
// Twips convert at the screen's logical DPI: 1440 twips an inch, so 15 twips
// a pixel at 96 DPI. Colours are written &HBBGGRR; from &H80000000 upwards
// they name a system colour by index, which only the window layer can
// resolve (this module stays free of GUI code).
#include <QtGlobal>
#include <cstdint>
#include <optional>

namespace Screen {

constexpr double TwipsPerInch = 1440.0;

// The logical DPI in force (96 until the window layer sets the screen's).
double logicalDpi();
void setLogicalDpi(double dpi);

double twipsPerPixel(double dpi);
double twipsPerPixel(); // at logicalDpi()

// Rounded to the nearest whole pixel / twip.
int pixelsFromTwips(double twips, double dpi);
int pixelsFromTwips(double twips);
int twipsFromPixels(double pixels, double dpi);
int twipsFromPixels(double pixels);

// &HBBGGRR to a QRgb value (0xAARRGGBB, opaque); nothing for a system colour.
std::optional<uint> rgbFromColor(std::uint32_t color);
// QRgb back to &HBBGGRR (alpha dropped).
std::uint32_t colorFromRgb(uint rgb);
bool isSystemColor(std::uint32_t color);
// The system colour's index (&H80000005 -> 5).
int systemColorIndex(std::uint32_t color);

} // namespace Screen
