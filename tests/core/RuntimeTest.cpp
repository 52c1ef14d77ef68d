// The small runtime pieces: errors, the screen, system dialogs and by-reference arguments.
#include "core/ByRef.h"
#include "core/Dialogs.h"
#include "core/Error.h"
#include "core/Screen.h"
#include "core/Variant.h"

#include <QStringList>
#include <stdexcept>
#include <tuple>
#include <vector>
#include <gtest/gtest.h>

TEST(Error, TagsBraceBlocksAndTraps)
{
    EXPECT_EQ((QStringList{TraceTag("frmMain", "Form_Load"), BraceBlock(1, "00:00:05")}),
              (QStringList{"{1FRMMAIN.FORM_LOAD}", "{100:00:05}"}));
    // A trap reports instead of throwing.
    Error seen;
    const auto keep = [&](const Error& e) { seen = e; };
    EXPECT_FALSE(trap([] { raise(457, "dup", "src"); }, keep));
    EXPECT_EQ((std::tuple{seen.number, seen.description, seen.source}), (std::tuple{457L, QString("dup"), QString("src")}));
    EXPECT_FALSE(trap([] { throw std::runtime_error("boom"); }, keep));
    EXPECT_EQ((std::pair{seen.number, seen.description}), (std::pair{long(Error::InvalidProcedureCall), QString("boom")}));
    int calls = 0;
    EXPECT_TRUE(trap([] {}, [&](const Error&) { ++calls; }));
    EXPECT_EQ(calls, 0);
}

TEST(Screen, ColoursAreStoredBlueGreenRed)
{
    for (const auto& [color, rgb] : {std::pair{0xFF0000u, 0xFF0000FFu}, {0x8000u, 0xFF008000u}, {0xFFFAE1u, 0xFFE1FAFFu},
                                     {0x404040u, 0xFF404040u}})
        EXPECT_EQ(Screen::rgbFromColor(color), rgb) << color;
    EXPECT_EQ(Screen::colorFromRgb(0xFFE1FAFFu), 0xFFFAE1u);
    EXPECT_EQ((std::tuple{Screen::rgbFromColor(0x80000005u).has_value(), Screen::isSystemColor(0x80000008u),
                          Screen::systemColorIndex(0x80000016u)}),
              (std::tuple{false, true, 0x16}));
}

namespace {

// A member that fills in its argument, as the data layer does with connection values.
void fillIn(ByRef<QString> server)
{
    if (server->isEmpty())
        server = QStringLiteral("stored");
    server.get() += QStringLiteral("!");
}

void handOn(ByRef<QString> server) { fillIn(*server); }

int typeOf(ByRef<Variant> v) { return int(v->type()); }

} // namespace

TEST(ByRef, AVariableReceivesTheRewrittenValueAndAValueStaysTheCallers)
{
    // Handed on, it is still the caller's variable; a constant or a temporary
    // is worked on as the member's own copy.
    QString variable, other = QStringLiteral("mine");
    const QString constant = QStringLiteral("fixed");
    fillIn(variable);
    handOn(other);
    fillIn(constant);
    fillIn(QStringLiteral("temp"));
    fillIn("literal");
    EXPECT_EQ((QStringList{variable, other, constant}), (QStringList{"stored!", "mine!", "fixed"}));
    // Anything the type can be made from.
    Variant held(2.5);
    EXPECT_EQ((std::vector{typeOf(QStringLiteral("x")), typeOf(std::int32_t(3)), typeOf(held)}),
              (std::vector{int(VarType::String), int(VarType::Long), int(VarType::Double)}));
}
