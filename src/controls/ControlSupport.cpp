#include "ControlSupport.h"

#include "controls/TextRoom.h"
#include "core/Screen.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <QWidget>
#include <array>

namespace controls {
namespace {

struct SystemColour {
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

// Index of the system colour -> where the palette keeps its counterpart.
const std::array<SystemColour, 31> kSystemColours{{
    {QPalette::Active, QPalette::Button},          // 0 scroll bars
    {QPalette::Active, QPalette::Dark},            // 1 desktop
    {QPalette::Active, QPalette::Highlight},       // 2 active title bar
    {QPalette::Inactive, QPalette::Mid},           // 3 inactive title bar
    {QPalette::Active, QPalette::Window},          // 4 menu bar
    {QPalette::Active, QPalette::Base},            // 5 window background
    {QPalette::Active, QPalette::Shadow},          // 6 window frame
    {QPalette::Active, QPalette::WindowText},      // 7 menu text
    {QPalette::Active, QPalette::Text},            // 8 window text
    {QPalette::Active, QPalette::HighlightedText}, // 9 title bar text
    {QPalette::Active, QPalette::Window},          // 10 active border
    {QPalette::Inactive, QPalette::Window},        // 11 inactive border
    {QPalette::Active, QPalette::Dark},            // 12 application workspace
    {QPalette::Active, QPalette::Highlight},       // 13 highlight
    {QPalette::Active, QPalette::HighlightedText}, // 14 highlight text
    {QPalette::Active, QPalette::Button},          // 15 button face
    {QPalette::Active, QPalette::Dark},            // 16 button shadow
    {QPalette::Disabled, QPalette::Text},          // 17 grey text
    {QPalette::Active, QPalette::ButtonText},      // 18 button text
    {QPalette::Inactive, QPalette::WindowText},    // 19 inactive title text
    {QPalette::Active, QPalette::Light},           // 20 3-D highlight
    {QPalette::Active, QPalette::Shadow},          // 21 3-D dark shadow
    {QPalette::Active, QPalette::Midlight},        // 22 3-D light
    {QPalette::Active, QPalette::ToolTipText},     // 23 info text
    {QPalette::Active, QPalette::ToolTipBase},     // 24 info background
    {QPalette::Active, QPalette::Window},          // 25 (unused)
    {QPalette::Active, QPalette::Link},            // 26 hot light
    {QPalette::Active, QPalette::Highlight},       // 27 gradient active caption
    {QPalette::Inactive, QPalette::Mid},           // 28 gradient inactive caption
    {QPalette::Active, QPalette::Highlight},       // 29 menu highlight
    {QPalette::Active, QPalette::Window},          // 30 menu bar (flat)
}};

} // namespace

QColor resolveColor(std::uint32_t oleColor)
{
    if (auto rgb = Screen::rgbFromColor(oleColor))
        return QColor::fromRgb(*rgb);
    const QPalette palette = QGuiApplication::palette();
    const int index = Screen::systemColorIndex(oleColor);
    if (index < 0 || index >= int(kSystemColours.size()))
        return palette.color(QPalette::Active, QPalette::Window);
    const SystemColour& c = kSystemColours[std::size_t(index)];
    return palette.color(c.group, c.role);
}

std::uint32_t oleColorOf(const QColor& color) { return Screen::colorFromRgb(color.rgb()); }

// ---- PropertyBag

void PropertyBag::WriteProperty(const QString& key, const QVariant& value, const QVariant& defaultValue)
{
    const bool leaveOut = defaultValue.isValid() && value == defaultValue;
    for (qsizetype i = 0; i < entries_.size(); ++i)
        if (entries_[i].first == key) {
            if (leaveOut)
                entries_.removeAt(i);
            else
                entries_[i].second = value;
            return;
        }
    if (!leaveOut)
        entries_.append({key, value});
}

QVariant PropertyBag::ReadProperty(const QString& key, const QVariant& defaultValue) const
{
    for (const auto& [k, v] : entries_)
        if (k == key)
            return v;
    return defaultValue;
}

QStringList PropertyBag::keys() const
{
    QStringList out;
    for (const auto& entry : entries_)
        out.append(entry.first);
    return out;
}

bool PropertyBag::contains(const QString& key) const
{
    for (const auto& entry : entries_)
        if (entry.first == key)
            return true;
    return false;
}

// ---- guards

RedrawGuard::RedrawGuard(std::function<void(bool)> setRedraw) : set_(std::move(setRedraw))
{
    if (set_)
        set_(false);
}

RedrawGuard::~RedrawGuard()
{
    if (set_)
        ignoreErrors([this] { set_(true); });
}

WaitCursor::WaitCursor(Qt::CursorShape shape)
{
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        QGuiApplication::setOverrideCursor(QCursor(shape));
        set_ = true;
    }
}

WaitCursor::~WaitCursor()
{
    if (set_)
        QGuiApplication::restoreOverrideCursor();
}

// ---- twips

QRect pixelRectFromTwips(double left, double top, double width, double height)
{
    return QRect(Screen::pixelsFromTwips(left), Screen::pixelsFromTwips(top), Screen::pixelsFromTwips(width),
                 Screen::pixelsFromTwips(height));
}

void setTwipsGeometry(QWidget* w, double left, double top, double width, double height)
{
    placeAtDesign(w, pixelRectFromTwips(left, top, width, height));
}

QRectF twipsGeometry(const QWidget* w)
{
    if (!w)
        return {};
    const QRect g = w->geometry();
    return QRectF(Screen::twipsFromPixels(g.x()), Screen::twipsFromPixels(g.y()), Screen::twipsFromPixels(g.width()),
                  Screen::twipsFromPixels(g.height()));
}

void applyScreenDpi()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return;
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        Screen::setLogicalDpi(screen->logicalDotsPerInch());
}

} // namespace controls
