// The main window's rules without a window: settings read at start, the
// state written at the end, tab captions, layout, menu slide, tab files.
#include "core/ProfileFile.h"
#include "mainwindow/MainWindowRules.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace MainWindowRules;

namespace {
ProfileFile ini(const QByteArray& text) { return ProfileFile::fromBytes(text); }
} // namespace

TEST(MainWindowSettings, MissingFileGivesTheDefaults)
{
    const FormSettings s = readFormSettings(ProfileFile());
    EXPECT_EQ(s.Width, 14535);
    EXPECT_EQ(s.Height, 11370);
    EXPECT_EQ(s.WindowState, 0);
    EXPECT_EQ(s.OpenTabs, 1);
    EXPECT_EQ(s.SelectedTab, 1);
    EXPECT_TRUE(s.ShowKey);
    EXPECT_EQ(s.Translation, "Original");
    EXPECT_EQ(s.RightBorderWidth, 0);
    EXPECT_EQ(s.AccessProvider, "");
}

TEST(MainWindowSettings, UnreadableAndOutOfRangeValuesReadAsDefaultsOrClamped)
{
    struct Case {
        QByteArray text;
        double width, height;
        int state, open, selected;
    };
    const Case cases[] = {
        {"[Form]\nWidth=abc\nHeight=\nWindowState=x\nOpenTabs=?\nSelectedTab=z\n", 14535, 11370, 0, 1, 1},
        {"[Form]\nOpenTabs=2\nSelectedTab=7\n", 14535, 11370, 0, 2, 2},
        {"[Form]\nOpenTabs=0\nSelectedTab=0\n", 14535, 11370, 0, 1, 1},
        {"[Form]\nOpenTabs=-3\nSelectedTab=-1\nWindowState=3\n", 14535, 11370, 0, 1, 1},
        {"[Form]\nOpenTabs=99999\nWindowState=-1\n", 14535, 11370, 0, 1, 1},
        {"[form]\nwidth=16000\nheight=9000\nwindowstate=2\nopentabs=3\nselectedtab=3\n", 16000, 9000, 2, 3, 3},
        {"[Form]\nWindowState=1\nWidth=15060,5\n", 15060.5, 11370, 1, 1, 1},
    };
    for (const Case& c : cases) {
        const FormSettings s = readFormSettings(ini(c.text));
        EXPECT_EQ(s.Width, c.width) << c.text.constData();
        EXPECT_EQ(s.Height, c.height) << c.text.constData();
        EXPECT_EQ(s.WindowState, c.state) << c.text.constData();
        EXPECT_EQ(s.OpenTabs, c.open) << c.text.constData();
        EXPECT_EQ(s.SelectedTab, c.selected) << c.text.constData();
    }
}

TEST(MainWindowSettings, OnlyExcludePrimaryKeyZeroShowsTheKey)
{
    EXPECT_TRUE(readFormSettings(ini("[Connection]\nExcludePrimaryKey=0\n")).ShowKey);
    for (const char* v : {"1", "abc", "00"})
        EXPECT_FALSE(readFormSettings(ini(QByteArray("[Connection]\nExcludePrimaryKey=") + v + "\n")).ShowKey) << v;
}

TEST(MainWindowSettings, ClosingStateKeepsTheSizeOfANormalWindowOnly)
{
    ProfileFile f = ini("[Form]\nWidth=16000\nHeight=9000\n");
    writeClosingState(f, {2, 20000, 12000, 3, 2});
    EXPECT_EQ(f.toBytes(), "[Form]\nWidth=16000\nHeight=9000\nWindowState=2\nOpenTabs=3\nSelectedTab=2\n");
    ProfileFile empty;
    writeClosingState(empty, {0, 15060, 11370, 1, 1});
    EXPECT_EQ(empty.toBytes(), "[Form]\nWindowState=0\nWidth=15060\nHeight=11370\nOpenTabs=1\nSelectedTab=1\n");
}

TEST(MainWindowTabs, CaptionsCarrySixBlanksBelowTenAndFiveFromTen)
{
    EXPECT_EQ(tabCaption(1), "Query 1      ");
    EXPECT_EQ(tabCaption(9), "Query 9      ");
    EXPECT_EQ(tabCaption(10), "Query 10     ");
    EXPECT_EQ(tabCaption(12), "Query 12     ");
}

TEST(MainWindowTabs, ClosingAMiddleTabMovesLaterFilesDownAndAMissingFileRemovesItsTarget)
{
    QTemporaryDir dir;
    const QString d = dir.path();
    auto put = [&](int n, const QByteArray& text) {
        QFile f(tabFile(d, n));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    };
    auto read = [&](int n) {
        QFile f(tabFile(d, n));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(none)");
    };
    put(1, "one"), put(2, "two"), put(3, "three"), put(5, "five");
    EXPECT_TRUE(shiftTabFiles(d, 2, 5));
    EXPECT_EQ(read(1), "one");
    EXPECT_EQ(read(2), "three");
    EXPECT_EQ(read(3), "(none)"); // tab 4 had no file
    EXPECT_EQ(read(4), "five");
    EXPECT_EQ(read(5), "(none)");
}

TEST(MainWindowLayout, NormalWindowsAreEnlargedMaximisedOnesAreNot)
{
    EXPECT_EQ(minimumSizeRule({16000, 5000}), (Size{16000, 8000}));
    EXPECT_EQ(minimumSizeRule({15000, 9000}), (Size{15060, 9000}));
    EXPECT_EQ(minimumSizeRule({14535, 11370}), (Size{15060, 11370}));
    EXPECT_EQ(minimumSizeRule({15060, 6000}), (Size{15060, 6000}));
}

TEST(MainWindowLayout, PageAndStripFollowTheWindowAndTheBorderSettings)
{
    LayoutInput in;
    in.Window = {16000, 10000};
    in.Screen = {28800, 16200};
    in.Measures = {300, 60, 45};
    in.RightBorderWidth = 60;
    in.DownBorderHeight = 45;
    in.ReservedLeft = 2600;
    in.ReservedTop = 75;
    EXPECT_EQ(pageRect(in), (Rect{0, 0, 16000 - 60 + 60, 10000 - 45 - 300 + 45}));
    EXPECT_EQ(stripRect(in, 315), (Rect{2600, 75, 16000 - 120 - 5200, 315}));

    in.WindowState = 2; // the whole screen, whatever the border settings say
    EXPECT_EQ(pageRect(in), (Rect{0, 0, 28800, 16200 - 90 - 300 - 400}));
    EXPECT_EQ(stripRect(in, 315), (Rect{2600, 75, 16000 - 180 - 5200, 315}));
}

TEST(MainWindowMenus, MenusSlideInTheirStepsAndStopAtTheirFinalHeights)
{
    struct Case {
        Menu menu;
        int growingTicks;
        double grown, final, finalShadow;
    };
    for (const Case& c : {Case{Menu::Clean, 6, 4900, 4900, 4920}, Case{Menu::DataBase, 4, 3100, 3115, 3120},
                          Case{Menu::Export, 4, 3100, 3115, 3120}}) {
        SlideState s{700, 675, true};
        for (int i = 0; i < c.growingTicks; ++i) {
            s = slideStep(c.menu, s);
            EXPECT_TRUE(s.Running);
        }
        EXPECT_EQ(s.Height, c.grown);
        s = slideStep(c.menu, s);
        EXPECT_FALSE(s.Running);
        EXPECT_EQ(s.Height, c.final);
        EXPECT_EQ(s.ShadowHeight, c.finalShadow);
    }
}
