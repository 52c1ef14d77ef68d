#include "controls/ControlSupport.h"

#include "core/Dialogs.h"
#include "core/Screen.h"

#include <QApplication>
#include <QObject>
#include <QPalette>
#include <QTimer>
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
    EXPECT_EQ(bag.ReadProperty("Rows", 2).toInt(), 7);
    EXPECT_EQ(bag.ReadProperty("Appearance", 0).toInt(), 0);
    EXPECT_FALSE(bag.ReadProperty("Missing").isValid());

    int rows = 0, cols = 0;
    const bool refused = readProperty(bag, "Rows", 2, [&](const QVariant& v) {
        if (v.toInt() > 6)
            raise(381, "Subscript out of range");
        rows = v.toInt();
    });
    EXPECT_FALSE(refused);
    EXPECT_EQ(rows, 0); // the refused key is skipped
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

TEST(ControlSupport, ThrowingSlotAndTickAreReportedOnceWithRedrawAndCursorRestored)
{
    auto msg = std::make_shared<clsError>();
    auto rec = std::make_shared<MsgBoxRecorder>();
    msg->setRecorder(rec);
    FakeGrid grid;

    QObject sender;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        trapHandler(msg, "MaxGrid", "tmrCellFocused_Timer", [&] {
            RedrawGuard guard(grid);
            WaitCursor wait;
            throw std::runtime_error("tick failed");
        });
    });
    QObject::connect(&sender, &QObject::objectNameChanged, [&] {
        trapHandler(msg, "MaxGrid", "fgEditable_KeyDown", [&] {
            RedrawGuard guard(grid);
            WaitCursor outer;
            WaitCursor inner; // nested
            raise(381, "Invalid property value");
        });
    });

    sender.setObjectName("x");
    QMetaObject::invokeMethod(&tick, "timeout", Qt::DirectConnection);

    ASSERT_EQ(rec->calls.size(), 2u);
    EXPECT_TRUE(rec->calls[0].body.contains("Invalid property value")) << rec->calls[0].body.toStdString();
    EXPECT_TRUE(rec->calls[1].body.contains("tick failed"));
    EXPECT_EQ(rec->calls[0].style, 16);
    EXPECT_TRUE(grid.redraw);
    EXPECT_EQ(grid.calls, QList<bool>({false, true, false, true}));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(ControlSupport, WithoutMessageObjectTheSystemBoxReports)
{
    ScopedRecordingDialogs dialogs;
    EXPECT_FALSE(trapHandler(clsErrorPtr(), "MaxGrid", "Tick", [] { raise(5, "boom"); }));
    ASSERT_EQ(dialogs->calls.size(), 1u);
    EXPECT_EQ(dialogs->calls[0].prompt, "MAXGRID.TICK\r\nError: boom");
    EXPECT_TRUE(trapHandler(clsErrorPtr(), "MaxGrid", "Tick", [] {}));
    EXPECT_EQ(dialogs->calls.size(), 1u);
}

// A handler whose tag is written out whole keeps it as written; a report that
// fails itself goes no further than the trap either.
TEST(ControlSupport, TaggedTrapKeepsItsTagAndAFailingReportStaysInside)
{
    ScopedRecordingDialogs dialogs;
    EXPECT_FALSE(trapTagged(nullptr, "{1FRMCSV.BttSalir_MOUSEUP}", [] { raise(5, "boom"); }));
    ASSERT_EQ(dialogs->calls.size(), 1u);
    EXPECT_EQ(dialogs->calls[0].prompt, "FRMCSV.BttSalir_MOUSEUP\r\nError: boom");

    struct Failing : SystemDialogs {
        int msgBox(const QString&, int, const QString&) override { throw std::runtime_error("no display"); }
        QString inputBox(const QString&, const QString&, const QString&) override { return {}; }
    };
    const auto previous = installSystemDialogs(std::make_shared<Failing>());
    bool caught = true;
    EXPECT_NO_THROW(caught = trapTagged(nullptr, "{1FRMCSV.FORM_LOAD}", [] { raise(5, "boom"); }));
    EXPECT_FALSE(caught);
    EXPECT_NO_THROW(trapHandler(clsErrorPtr(), "MaxGrid", "Tick", [] { throw std::runtime_error("x"); }));
    installSystemDialogs(previous);
}

TEST(ControlSupport, TwipsGeometryAtTheDpiInForce)
{
    Screen::setLogicalDpi(96);
    EXPECT_EQ(pixelRectFromTwips(150, 300, 1500, 240), QRect(10, 20, 100, 16));
    QWidget w;
    setTwipsGeometry(&w, 150, 300, 1500, 240);
    EXPECT_EQ(w.geometry(), QRect(10, 20, 100, 16));
    EXPECT_EQ(twipsGeometry(&w), QRectF(150, 300, 1500, 240));
}
