// The undo history, bounded: its walk through named steps is tested on the real window
// (SchemeHistory_test).
#include <gtest/gtest.h>

#include "scheme/UndoHistory.h"

TEST(UndoHistory, KeepsTheLatestThousandStepsAndAChangeOfNothingIsNoStep) {
    UndoHistory history;
    SchemeState before, after;
    for (int32_t step = 0; step < 1005; ++step) {
        before.components[0] = step;
        after.components[0] = step + 1;
        history.Record("Red", before, after);
        EXPECT_FALSE(history.Record("Red", after, after));
    }
    while (history.CanUndo())
        before = history.Undo();
    EXPECT_EQ(before.components[0], 5);
    EXPECT_EQ(history.RedoName(), "Red");
}
