#include "core/Dialogs.h"

#include <gtest/gtest.h>

TEST(SystemDialogs, RecorderTakesAnswersInTurnAndIsRemovedAfterwards)
{
    {
        ScopedRecordingDialogs rec;
        rec->answers = {6, 7};
        rec->defaultAnswer = 2;
        EXPECT_EQ(SystemMsgBox("a", 36, "Aviso"), 6);
        EXPECT_EQ(SystemMsgBox("b", 36), 7);
        EXPECT_EQ(SystemMsgBox("c"), 2);
        ASSERT_EQ(rec->calls.size(), 3u);
        EXPECT_EQ(rec->calls[0].prompt, "a");
        EXPECT_EQ(rec->calls[0].style, 36);
        EXPECT_EQ(rec->calls[0].title, "Aviso");
        {
            ScopedRecordingDialogs inner;
            inner->inputAnswer = "typed";
            EXPECT_EQ(SystemInputBox("p", "t", "d"), "typed");
            EXPECT_EQ(SystemMsgBox("inner"), 1);
        }
        // The outer recorder is back in force.
        EXPECT_EQ(SystemMsgBox("d"), 2);
        EXPECT_EQ(rec->calls.size(), 4u);
    }
    // Without a recorder: OK and the default text.
    EXPECT_EQ(SystemInputBox("p", "t", "dflt"), "dflt");
}
