#include "Screen.h"

#include <cmath>

namespace Screen {
namespace {
double& dpiInForce()
{
    static double dpi = 96.0;
    return dpi;
}
} // namespace

double logicalDpi() { return dpiInForce(); }

void setLogicalDpi(double dpi)
{
    if (dpi > 0 && std::isfinite(dpi))
        dpiInForce() = dpi;
}

double twipsPerPixel(double dpi) { return TwipsPerInch / (dpi > 0 ? dpi : 96.0); }
double twipsPerPixel() { return twipsPerPixel(logicalDpi()); }

int pixelsFromTwips(double twips, double dpi) { return int(std::lround(twips / twipsPerPixel(dpi))); }
int pixelsFromTwips(double twips) { return pixelsFromTwips(twips, logicalDpi()); }
int twipsFromPixels(double pixels, double dpi) { return int(std::lround(pixels * twipsPerPixel(dpi))); }
int twipsFromPixels(double pixels) { return twipsFromPixels(pixels, logicalDpi()); }

bool isSystemColor(std::uint32_t color) { return (color & 0x80000000u) != 0; }

int systemColorIndex(std::uint32_t color) { return int(color & 0xFFu); }

std::optional<uint> rgbFromColor(std::uint32_t color)
{
    if (isSystemColor(color))
        return std::nullopt;
    const uint r = color & 0xFFu, g = (color >> 8) & 0xFFu, b = (color >> 16) & 0xFFu;
    return 0xFF000000u | (r << 16) | (g << 8) | b;
}

std::uint32_t colorFromRgb(uint rgb)
{
    const std::uint32_t r = (rgb >> 16) & 0xFFu, g = (rgb >> 8) & 0xFFu, b = rgb & 0xFFu;
    return (b << 16) | (g << 8) | r;
}

} // namespace Screen
