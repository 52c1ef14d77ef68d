#include "core/Error.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <tuple>

TEST(Error, TagsAndBraceBlocks)
{
    EXPECT_EQ(TraceTag("frmMain", "Form_Load"), "{1FRMMAIN.FORM_LOAD}");
    EXPECT_EQ(BraceBlock(1, "00:00:05"), "{100:00:05}");
}

TEST(Error, TrapReportsInsteadOfThrowing)
{
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
