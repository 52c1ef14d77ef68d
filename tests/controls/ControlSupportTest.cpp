#include "controls/ControlSupport.h"

#include "core/Dialogs.h"
#include "core/Screen.h"

#include <QApplication>
#include <QPalette>
#include <QWidget>
#include <gtest/gtest.h>
#include <stdexcept>

using namespace controls;

TEST(ControlSupport, ColoursResolveThroughThePalette)
{
    const QPalette p = QGuiApplication::palette();
    EXPECT_EQ(resolveColor(0x80000005u), p.color(QPalette::Active, QPalette::Base));
    EXPECT_EQ(resolveColor(0x80000008u), p.color(QPalette::Active, QPalette::Text));
    EXPECT_EQ(resolveColor(0x80000016u), p.color(QPalette::Active, QPalette::Midlight));
    EXPECT_EQ(resolveColor(0xD2D2FFu), QColor(255, 210, 210));
    EXPECT_EQ(resolveColor(57855u), QColor(255, 225, 0));
    EXPECT_EQ(oleColorOf(QColor(255, 210, 210)), 0xD2D2FFu);
}

TEST(ControlSupport, PropertyBagLeavesOutDefaultsAndKeepsOrder)
{
    PropertyBag bag;
    bag.WriteProperty("Appearance", 0, 0);
    bag.WriteProperty("Rows", 5, 2);
    bag.WriteProperty("Cols", 3);
    bag.WriteProperty("FixedRows", 1, 1);
    bag.WriteProperty("Rows", 7, 2); // rewriting keeps the place
    EXPECT_EQ(bag.keys(), QStringList({"Rows", "Cols"}));
    EXPECT_EQ(std::tuple(bag.ReadProperty("Rows", 2).toInt(), bag.ReadProperty("Appearance", 0).toInt(),
                         bag.ReadProperty("Missing").isValid()),
              std::tuple(7, 0, false));

    int rows = 0, cols = 0;
    const bool refused = readProperty(bag, "Rows", 2, [&](const QVariant& v) {
        if (v.toInt() > 6)
            raise(381, "Subscript out of range");
        rows = v.toInt();
    });
    EXPECT_EQ(std::pair(refused, rows), std::pair(false, 0)); // the refused key is skipped
    EXPECT_TRUE(readProperty(bag, "Cols", 2, [&](const QVariant& v) { cols = v.toInt(); }));
    EXPECT_EQ(cols, 3);
}

namespace {
// Records each redraw switch a guard makes.
struct FakeGrid {
    bool redraw = true;
    QList<bool> calls;
    void setRedraw(bool on) { calls << (redraw = on); }
};
} // namespace

// A failing handler is reported once, whatever it throws, with redraw and the
// (nested) hourglass restored; nothing escapes the trap.
TEST(ControlSupport, ThrowingHandlersAreReportedOnceWithRedrawAndCursorRestored)
{
    auto msg = std::make_shared<clsError>();
    auto rec = std::make_shared<MsgBoxRecorder>();
    msg->setRecorder(rec);
    FakeGrid grid;
    EXPECT_FALSE(trapHandler(msg, "MaxGrid", "fgEditable_KeyDown", [&] {
        RedrawGuard guard(grid);
        WaitCursor outer;
        WaitCursor inner;
        raise(381, "Invalid property value");
    }));
    EXPECT_FALSE(trapHandler(msg, "MaxGrid", "tmrCellFocused_Timer", [&] {
        RedrawGuard guard(grid);
        WaitCursor wait;
        throw std::runtime_error("tick failed");
    }));
    ASSERT_EQ(rec->calls.size(), 2u);
    EXPECT_TRUE(rec->calls[0].body.contains("Invalid property value")) << rec->calls[0].body.toStdString();
    EXPECT_TRUE(rec->calls[1].body.contains("tick failed"));
    EXPECT_EQ(rec->calls[0].style, 16);
    EXPECT_EQ(grid.calls, QList<bool>({false, true, false, true}));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    // Without a message object the system box reports, tagged as written when the tag is whole.
    ScopedRecordingDialogs dialogs;
    EXPECT_FALSE(trapHandler(clsErrorPtr(), "MaxGrid", "Tick", [] { raise(5, "boom"); }));
    EXPECT_TRUE(trapHandler(clsErrorPtr(), "MaxGrid", "Tick", [] {}));
    EXPECT_FALSE(trapTagged(nullptr, "{1FRMCSV.BttSalir_MOUSEUP}", [] { raise(5, "boom"); }));
    ASSERT_EQ(dialogs->calls.size(), 2u);
    EXPECT_EQ((QStringList{dialogs->calls[0].prompt, dialogs->calls[1].prompt}),
              (QStringList{"MAXGRID.TICK\r\nError: boom", "FRMCSV.BttSalir_MOUSEUP\r\nError: boom"}));

    // A report that fails itself goes no further than the trap either.
    struct Failing : SystemDialogs {
        int msgBox(const QString&, int, const QString&) override { throw std::runtime_error("no display"); }
        std::optional<QString> inputBox(const QString&, const QString&, const QString&) override { return {}; }
    };
    const auto previous = installSystemDialogs(std::make_shared<Failing>());
    bool caught = true;
    EXPECT_NO_THROW(caught = trapTagged(nullptr, "{1FRMCSV.FORM_LOAD}", [] { raise(5, "boom"); }));
    EXPECT_FALSE(caught);
    EXPECT_NO_THROW(trapHandler(clsErrorPtr(), "MaxGrid", "Tick", [] { throw std::runtime_error("x"); }));
    installSystemDialogs(previous);
}

