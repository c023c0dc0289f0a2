// The undo history: steps undone and redone in order, named, bounded.
#include <gtest/gtest.h>

#include "scheme/UndoHistory.h"

namespace {
SchemeState State(int32_t red, const char* picture = "") {
    SchemeState state;
    state.components[0] = red;
    state.backgroundPath = picture;
    return state;
}
} // namespace

TEST(UndoHistory, UndoAndRedoWalkTheStepsAndANewChangeEndsTheRedoSteps) {
    UndoHistory history;
    history.Record("Text Color", State(1), State(2));
    EXPECT_FALSE(history.Record("Text Color", State(2), State(2))); // nothing changed
    history.Record("Load Background", State(2), State(2, "C:\\paper.bmp"));
    EXPECT_EQ(history.Undo(), State(2));
    EXPECT_EQ(history.UndoName(), "Text Color");
    EXPECT_EQ(history.RedoName(), "Load Background");
    EXPECT_EQ(history.Undo(), State(1));
    EXPECT_FALSE(history.CanUndo());
    EXPECT_EQ(history.Redo(), State(2));
    history.Record("Reset Colors", State(2), State(3));
    EXPECT_EQ(history.RedoName(), "");
    EXPECT_EQ(history.Undo(), State(2));
}

TEST(UndoHistory, KeepsTheLatestThousandSteps) {
    UndoHistory history;
    for (int32_t step = 0; step < 1005; ++step)
        history.Record("Red", State(step), State(step + 1));
    SchemeState oldest;
    while (history.CanUndo())
        oldest = history.Undo();
    EXPECT_EQ(oldest, State(5));
}
