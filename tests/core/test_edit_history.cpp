// The edit history's steps: what one gesture keeps, what a wheel run joins,
// and what a new step does to redo.

#include "core/EditHistory.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

const int knobA = 0, knobB = 0; // two controls, told apart by address
const void* const kA = &knobA;
const void* const kB = &knobB;

std::vector<std::pair<double, double>> Undo(EditHistory& h) {
    std::vector<std::pair<double, double>> out;
    if (auto step = h.TakeUndo())
        for (const ParamEdit& e : step->edits)
            out.emplace_back(e.before, e.after);
    return out;
}

TEST(EditHistory, AGestureKeepsTheFirstBeforeAndTheLastAfterAndLeavesNothingWhenItEndsWhereItBegan) {
    EditHistory h;
    h.BeginGesture(GestureKind::Press, kA, 0);
    h.Record(3, 0.2, 0.3);
    h.Record(3, 0.3, 0.5);
    h.EndGesture();
    h.BeginGesture(GestureKind::Press, kA, 10);
    h.Record(3, 0.5, 0.6);
    h.Record(3, 0.6, 0.5); // back to the start
    h.EndGesture();
    EXPECT_EQ(Undo(h), (std::vector<std::pair<double, double>>{{0.2, 0.5}}));
    EXPECT_FALSE(h.CanUndo());
}

TEST(EditHistory, WheelRunsJoinOnlyOnOneControlWithinHalfASecond) {
    const struct {
        const void* second;
        double gapMs;
        std::size_t steps;
    } cases[] = {{kA, 500, 1}, {kA, 501, 2}, {kB, 100, 2}};
    for (const auto& c : cases) {
        EditHistory h;
        h.BeginGesture(GestureKind::Wheel, kA, 1000);
        h.Record(1, 0.0, 0.1);
        h.EndGesture();
        h.BeginGesture(GestureKind::Wheel, c.second, 1000 + c.gapMs);
        h.Record(c.second == kA ? 1 : 2, c.second == kA ? 0.1 : 0.0, 0.2);
        h.EndGesture();
        std::size_t steps = 0;
        while (h.TakeUndo())
            ++steps;
        EXPECT_EQ(steps, c.steps) << c.gapMs;
    }
}

TEST(EditHistory, LooseEditsAreStepsOfTheirOwnAndANewStepClearsRedo) {
    EditHistory h;
    h.Record(1, 0.0, 0.1);
    h.Record(1, 0.1, 0.2);
    EXPECT_EQ(Undo(h), (std::vector<std::pair<double, double>>{{0.1, 0.2}}));
    EXPECT_TRUE(h.CanRedo());
    h.Record(2, 0.0, 1.0);
    EXPECT_FALSE(h.CanRedo());
    // Undo then redo hands the same step back.
    ASSERT_TRUE(h.TakeUndo());
    const auto redone = h.TakeRedo();
    ASSERT_TRUE(redone);
    EXPECT_EQ(redone->edits.front().after, 1.0);
}

} // namespace
} // namespace tolvane
