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

// A missing file gives the defaults; values that do not read, or lie out of
// range, read as the default or are clamped; only ExcludePrimaryKey=0 shows the key.
TEST(MainWindowSettings, ReadAtStart)
{
    const auto read = [](const QByteArray& text) {
        const FormSettings s = readFormSettings(ini(text));
        return QStringLiteral("%1x%2 state %3 tabs %4/%5 key %6 %7 border %8,%9 [%10]")
            .arg(s.Width).arg(s.Height).arg(s.WindowState).arg(s.OpenTabs).arg(s.SelectedTab).arg(s.ShowKey)
            .arg(s.Translation).arg(s.RightBorderWidth).arg(s.DownBorderHeight).arg(s.AccessProvider);
    };
    EXPECT_EQ(read(""), "14535x11370 state 0 tabs 1/1 key 1 Original border 0,0 []");
    const std::pair<QByteArray, QString> cases[] = {
        {"[Form]\nWidth=abc\nHeight=\nWindowState=x\nOpenTabs=?\nSelectedTab=z\n", "14535x11370 state 0 tabs 1/1"},
        {"[Form]\nOpenTabs=2\nSelectedTab=7\n", "14535x11370 state 0 tabs 2/2"},
        {"[Form]\nOpenTabs=0\nSelectedTab=0\n", "14535x11370 state 0 tabs 1/1"},
        {"[Form]\nOpenTabs=-3\nSelectedTab=-1\nWindowState=3\n", "14535x11370 state 0 tabs 1/1"},
        {"[Form]\nOpenTabs=99999\nWindowState=-1\n", "14535x11370 state 0 tabs 1/1"},
        {"[form]\nwidth=16000\nheight=9000\nwindowstate=2\nopentabs=3\nselectedtab=3\n", "16000x9000 state 2 tabs 3/3"},
        {"[Form]\nWindowState=1\nWidth=15060,5\n", "15060.5x11370 state 1 tabs 1/1"},
        {"[Connection]\nExcludePrimaryKey=0\n", "14535x11370 state 0 tabs 1/1 key 1"},
        {"[Connection]\nExcludePrimaryKey=1\n", "14535x11370 state 0 tabs 1/1 key 0"},
        {"[Connection]\nExcludePrimaryKey=abc\n", "14535x11370 state 0 tabs 1/1 key 0"},
        {"[Connection]\nExcludePrimaryKey=00\n", "14535x11370 state 0 tabs 1/1 key 0"},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(read(text).left(expected.size()), expected) << text.constData();
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
    EXPECT_EQ(QStringList({tabCaption(1), tabCaption(9), tabCaption(10), tabCaption(12)}),
              QStringList({"Query 1      ", "Query 9      ", "Query 10     ", "Query 12     "}));
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
    auto files = [&] {
        QByteArrayList out;
        for (int n = 1; n <= 5; ++n) {
            QFile f(tabFile(d, n));
            out << (f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(none)"));
        }
        return out.join(' ');
    };
    put(1, "one"), put(2, "two"), put(3, "three"), put(5, "five");
    EXPECT_TRUE(shiftTabFiles(d, 2, 5));
    EXPECT_EQ(files(), "one three (none) five (none)"); // tab 4 had no file
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
