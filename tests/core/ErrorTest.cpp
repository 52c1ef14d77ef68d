#include "core/Error.h"

#include <gtest/gtest.h>

#include <stdexcept>

TEST(Error, TagsAndBraceBlocks)
{
    EXPECT_EQ(TraceTag("frmMain", "Form_Load"), "{1FRMMAIN.FORM_LOAD}");
    EXPECT_EQ(BraceBlock(1, "00:00:05"), "{100:00:05}");
}

TEST(Error, TrapReportsInsteadOfThrowing)
{
    Error seen;
    bool ran = trap([] { raise(457, "dup", "src"); }, [&](const Error& e) { seen = e; });
    EXPECT_FALSE(ran);
    EXPECT_EQ(seen.number, 457);
    EXPECT_EQ(seen.description, "dup");
    EXPECT_EQ(seen.source, "src");

    ran = trap([] { throw std::runtime_error("boom"); }, [&](const Error& e) { seen = e; });
    EXPECT_FALSE(ran);
    EXPECT_EQ(seen.number, Error::InvalidProcedureCall);
    EXPECT_EQ(seen.description, "boom");

    int calls = 0;
    EXPECT_TRUE(trap([] {}, [&](const Error&) { ++calls; }));
    EXPECT_EQ(calls, 0);
}
