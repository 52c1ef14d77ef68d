#include "MainWindowRules.h"

#include "core/ProfileFile.h"
#include "core/ValueText.h"
#include "core/VelmoraIni.h"

#include <QFile>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>

namespace MainWindowRules {
namespace {

const QString kForm = QStringLiteral("Form");

// A number as the settings hold it; nothing for text that is not one.
std::optional<double> number(const ProfileFile& ini, const QString& section, const QString& key)
{
    const QString text = ini.value(section, key);
    if (text.isEmpty())
        return std::nullopt;
    const auto value = ValueText::parseNumber(text);
    if (!value || !std::isfinite(*value))
        return std::nullopt;
    return value;
}

// A 16-bit integer (halves to even, as the conversion rounds); nothing when
// out of range.
std::optional<int> integer(const ProfileFile& ini, const QString& section, const QString& key)
{
    const auto value = number(ini, section, key);
    if (!value)
        return std::nullopt;
    const double rounded = std::nearbyint(*value);
    if (rounded < -32768 || rounded > 32767)
        return std::nullopt;
    return int(rounded);
}

QString numberText(double value) { return ValueText::numberText(value); }

} // namespace

FormSettings readFormSettings(const ProfileFile& ini)
{
    FormSettings s;
    s.RightBorderWidth = number(ini, kForm, QStringLiteral("RightBorderWidth")).value_or(0);
    s.DownBorderHeight = number(ini, kForm, QStringLiteral("DownBorderHeight")).value_or(0);
    s.AccessProvider = velmoraini::read(ini, velmoraini::AccessMdb);
    s.Translation = velmoraini::read(ini, velmoraini::Translation);
    s.Width = number(ini, kForm, QStringLiteral("Width")).value_or(s.Width);
    s.Height = number(ini, kForm, QStringLiteral("Height")).value_or(s.Height);
    const int state = integer(ini, kForm, QStringLiteral("WindowState")).value_or(0);
    s.WindowState = state >= 0 && state <= 2 ? state : 0;
    s.OpenTabs = std::max(1, integer(ini, kForm, QStringLiteral("OpenTabs")).value_or(1));
    s.SelectedTab = std::clamp(integer(ini, kForm, QStringLiteral("SelectedTab")).value_or(1), 1, s.OpenTabs);
    s.ShowKey = velmoraini::read(ini, velmoraini::ExcludePrimaryKey) == QStringLiteral("0");
    return s;
}

void writeClosingState(ProfileFile& ini, const ClosingState& state)
{
    ini.setValue(kForm, QStringLiteral("WindowState"), QString::number(state.WindowState));
    if (state.WindowState == 0) {
        ini.setValue(kForm, QStringLiteral("Width"), numberText(state.Width));
        ini.setValue(kForm, QStringLiteral("Height"), numberText(state.Height));
    }
    ini.setValue(kForm, QStringLiteral("OpenTabs"), QString::number(state.OpenTabs));
    ini.setValue(kForm, QStringLiteral("SelectedTab"), QString::number(state.SelectedTab));
}

QString tabCaption(int tab)
{
    return QStringLiteral("Query ") + QString::number(tab) + QString(tab < 10 ? 6 : 5, QLatin1Char(' '));
}

QString tabFile(const QString& folder, int tab)
{
    return folder + QStringLiteral("/Velmora_Tab") + QString::number(tab) + QStringLiteral(".ini");
}

bool shiftTabFiles(const QString& folder, int closedTab, int tabs)
{
    bool ok = true;
    for (int i = closedTab + 1; i <= tabs; ++i) {
        const QString from = tabFile(folder, i);
        const QString to = tabFile(folder, i - 1);
        // A rename over the file it lands on: the tab's file is the old or
        // the moved one at every moment, never missing.
        if (QFile::exists(from) ? std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0
                                : QFile::exists(to) && !QFile::remove(to))
            ok = false;
    }
    return ok;
}

Size minimumSizeRule(Size window)
{
    if (window.Height < EnlargeBelowHeight)
        window.Height = EnlargedHeight;
    if (window.Width < MinimumWidth)
        window.Width = MinimumWidth;
    return window;
}

Rect pageRect(const LayoutInput& in)
{
    const WindowMeasures& m = in.Measures;
    if (in.WindowState == 2)
        return {0, 0, in.Screen.Width,
                in.Screen.Height - 2 * m.FrameHeight - m.CaptionHeight - MaximisedHeightCut};
    return {0, 0, in.Window.Width - m.FrameWidth + in.RightBorderWidth,
            in.Window.Height - m.FrameHeight - m.CaptionHeight + in.DownBorderHeight};
}

Rect stripRect(const LayoutInput& in, double stripHeight)
{
    const double frames = (in.WindowState == 2 ? 3 : 2) * in.Measures.FrameWidth;
    return {in.ReservedLeft, in.ReservedTop, in.Window.Width - frames - 2 * in.ReservedLeft, stripHeight};
}

SlideConstants slideConstants(Menu menu)
{
    if (menu == Menu::Clean)
        return {700, 675, 700, 4900, 4900, 4920};
    return {700, 675, 600, 3000, 3115, 3120};
}

SlideState slideStep(Menu menu, SlideState state)
{
    const SlideConstants c = slideConstants(menu);
    if (state.Height < c.StopAt) {
        state.Height += c.Step;
        state.ShadowHeight += c.Step;
        return state;
    }
    state.Running = false;
    state.Height = c.FinalHeight;
    state.ShadowHeight = c.FinalShadowHeight;
    return state;
}

} // namespace MainWindowRules
