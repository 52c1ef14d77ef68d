#pragma once
// The main window's rules that need no window: what it reads from
// "Velmora.ini" at start, what it writes back at the end, the captions of
// its tabs, the layout of the current page and the tab strip, the sliding
// menus and the renumbering of tab settings files. All measures are twips.
#include <QString>
#include <QStringList>

class ProfileFile;

namespace MainWindowRules {

// --- settings of "Velmora.ini"

struct FormSettings {
    double RightBorderWidth = 0;
    double DownBorderHeight = 0;
    QString AccessProvider;             // Drivers/Access_MDB
    QString Translation = QStringLiteral("Original");
    double Width = 14535;
    double Height = 11370;
    int WindowState = 0;                // 0 normal, 1 minimised, 2 maximised
    int OpenTabs = 1;                   // at least 1
    int SelectedTab = 1;                // within 1..OpenTabs
    bool ShowKey = true;                // Connection/ExcludePrimaryKey is "0"
};

// A value that does not read as a number, or a window state outside 0-2,
// reads as its default; OpenTabs is at least 1 and SelectedTab lies within
// 1..OpenTabs, so there is always a page 1 and a tab to select.
FormSettings readFormSettings(const ProfileFile& ini);

struct ClosingState {
    int WindowState = 0;
    double Width = 0;   // written only in the normal state
    double Height = 0;
    int OpenTabs = 1;
    int SelectedTab = 1;
};
// Writes section Form as the shutdown leaves it (in memory).
void writeClosingState(ProfileFile& ini, const ClosingState& state);

// --- tabs

// "Query " and the number, then six blanks below 10 and five from 10 on.
QString tabCaption(int tab);
inline const QString PlusCaption = QStringLiteral("+");
// "Velmora_Tab<n>.ini" in the folder.
QString tabFile(const QString& folder, int tab);

// Closing tab c of n: each later file moves one number down, replacing the
// file it lands on; a missing file removes the one it would replace. False
// when a file could not be moved or removed (the rest is still tried).
bool shiftTabFiles(const QString& folder, int closedTab, int tabs);

// --- layout

struct Rect {
    double Left = 0, Top = 0, Width = 0, Height = 0;
    bool operator==(const Rect&) const = default;
};

struct WindowMeasures {
    double CaptionHeight = 0;
    double FrameWidth = 0;
    double FrameHeight = 0;
    bool operator==(const WindowMeasures&) const = default;
};

constexpr double EnlargeBelowHeight = 6000;
constexpr double EnlargedHeight = 8000;
constexpr double MinimumWidth = 15060;
constexpr double MaximisedHeightCut = 400;

// The size a normal window is given when it is too small; the same size
// when it is not.
struct Size {
    double Width = 0, Height = 0;
    bool operator==(const Size&) const = default;
};
Size minimumSizeRule(Size window);

struct LayoutInput {
    int WindowState = 0;
    Size Window;           // outer size
    Size Screen;
    WindowMeasures Measures;
    double RightBorderWidth = 0;
    double DownBorderHeight = 0;
    double ReservedLeft = 0; // the page's TabReservedSpaceLeft
    double ReservedTop = 0;  // the page's TabReservedSpaceTop
};
Rect pageRect(const LayoutInput& in);
// The strip's left, top and width; its height stays as it is.
Rect stripRect(const LayoutInput& in, double stripHeight);

// --- sliding menus

enum class Menu { Clean, DataBase, Export };

struct SlideConstants {
    double OpenHeight = 700;
    double OpenShadowHeight = 675;
    double Step = 0;
    double StopAt = 0;
    double FinalHeight = 0;
    double FinalShadowHeight = 0;
};
SlideConstants slideConstants(Menu menu);

struct SlideState {
    double Height = 0;
    double ShadowHeight = 0;
    bool Running = false;
};
// One timer tick: grows the menu and its shadow, or fixes them at their
// final heights and stops.
SlideState slideStep(Menu menu, SlideState state);

} // namespace MainWindowRules
