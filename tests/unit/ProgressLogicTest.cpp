#include "ui/ProgressLogic.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

using ui::ProgressState;
using ui::Rect;

TEST(ProgressLogicTest, ClampsToRangeOrToTheMarqueeOverrun) {
    ProgressState state;
    EXPECT_EQ(0, ui::SetPosition(state, 150, false));
    EXPECT_EQ(100, state.m_nPos);
    EXPECT_EQ(100, ui::SetPosition(state, -5, false));
    EXPECT_EQ(0, state.m_nPos);

    EXPECT_EQ(0, ui::DeltaPosition(state, 30, false));
    EXPECT_EQ(30, ui::DeltaPosition(state, INT_MAX, false));
    EXPECT_EQ(100, state.m_nPos);
    ui::DeltaPosition(state, INT_MIN, false);
    EXPECT_EQ(0, state.m_nPos);

    // A marquee block of 20 % runs up to 120 of 100 before it turns.
    ui::SetPosition(state, 150, true);
    EXPECT_EQ(120, state.m_nPos);
    state.m_nBlockPercent = 35;
    EXPECT_EQ(135, ui::MarqueeLimit(state));
}

TEST(ProgressLogicTest, StepWrapsAroundAtBothEnds) {
    ProgressState state;
    state.m_nPos = 95;
    EXPECT_EQ(95, ui::StepPosition(state, false));
    EXPECT_EQ(5, state.m_nPos);

    state.m_nStep = -10;
    state.m_nPos = 3;
    ui::StepPosition(state, false);
    EXPECT_EQ(93, state.m_nPos);

    // Steps near the int limits wrap instead of overflowing.
    state.m_nStep = INT_MAX;
    state.m_nPos = 100;
    ui::StepPosition(state, false);
    EXPECT_GE(state.m_nPos, 0);
    EXPECT_LE(state.m_nPos, 100);

    // An empty or reversed range is empty.
    ui::SetRange(state, 5, 5);
    EXPECT_TRUE(ui::IsRangeEmpty(state));
    ui::SetRange(state, 9, 3);
    EXPECT_TRUE(ui::IsRangeEmpty(state));
}

TEST(ProgressLogicTest, TurnsAtTheOverrunAndAtTheLowerBound) {
    ProgressState state;
    int direction = 1;
    state.m_nPos = 50;
    EXPECT_EQ(51, ui::NextMarqueePosition(state, direction));
    state.m_nPos = 120;
    EXPECT_EQ(119, ui::NextMarqueePosition(state, direction));
    EXPECT_EQ(-1, direction);
    state.m_nPos = 0;
    EXPECT_EQ(1, ui::NextMarqueePosition(state, direction));
    EXPECT_EQ(1, direction);
}

TEST(ProgressLogicTest, AppendsTheRoundedPercentageWithoutSeparator) {
    ProgressState state;
    state.m_nPos = 45;
    EXPECT_EQ("Loading45%", ui::ProgressText("Loading", state));
    state.m_nPos = 0;
    EXPECT_EQ("0%", ui::ProgressText("", state));

    // 2 of 0..3 is 66.67 %, shown rounded.
    ui::SetRange(state, 0, 3);
    state.m_nPos = 2;
    EXPECT_EQ("67%", ui::ProgressText("", state));

    state.m_bAppendPercent = 0;
    EXPECT_EQ("Downloading", ui::ProgressText("Downloading", state));
    EXPECT_EQ("", ui::ProgressText("", state));
}

// The bar is truncated and the rest follows it; a vertical bar fills from the
// bottom. The marquee block (20 %) enters without a lead, runs, and leaves
// past the end without a rest. An area not drawn is shown as {}.
TEST(ProgressLogicTest, BarRestAndLeadFollowThePosition) {
    const struct {
        Rect interior;
        int high, pos, vertical, marquee;
        Rect lead, bar, rest;
    } cases[] = {
        {{2, 2, 102, 22}, 3, 2, 0, 0, {}, {2, 2, 68, 22}, {68, 2, 102, 22}},
        {{0, 0, 10, 90}, 3, 1, 1, 0, {}, {0, 60, 10, 90}, {0, 0, 10, 60}},
        {{0, 0, 200, 20}, 100, 10, 0, 1, {}, {0, 0, 20, 20}, {20, 0, 200, 20}},
        {{0, 0, 200, 20}, 100, 50, 0, 1, {0, 0, 60, 20}, {60, 0, 100, 20}, {100, 0, 200, 20}},
        {{0, 0, 200, 20}, 100, 110, 0, 1, {0, 0, 180, 20}, {180, 0, 200, 20}, {}},
        {{0, 0, 20, 200}, 100, 50, 1, 1, {0, 140, 20, 200}, {0, 100, 20, 140}, {0, 0, 20, 100}},
    };
    for (const auto& c : cases) {
        ProgressState state;
        ui::SetRange(state, 0, c.high);
        state.m_nPos = c.pos;
        const ui::ProgressAreas areas = ui::LayOutAreas(c.interior, state, c.vertical, c.marquee);
        EXPECT_EQ(areas.hasLead ? areas.lead : Rect{}, c.lead) << c.pos;
        EXPECT_EQ(areas.bar, c.bar) << c.pos;
        EXPECT_EQ(areas.hasRest ? areas.rest : Rect{}, c.rest) << c.pos;
    }
}

TEST(ProgressLogicTest, PositionOutsideAChangedRangeStaysInsideTheFrame) {
    const Rect interior{2, 2, 102, 22};
    ProgressState state;
    state.m_nPos = 100;
    ui::SetRange(state, 0, 10); // the position is not clamped by a range change
    ui::ProgressAreas areas = ui::LayOutAreas(interior, state, false, false);
    EXPECT_EQ(102, areas.bar.right);
    EXPECT_EQ(102, areas.rest.left);
    EXPECT_EQ("1000%", ui::ProgressText("", state));

    ui::SetRange(state, 500, 600);
    areas = ui::LayOutAreas(interior, state, false, false);
    EXPECT_EQ(2, areas.bar.right);
    EXPECT_EQ(2, areas.rest.left);
    areas = ui::LayOutAreas(interior, state, false, true);
    EXPECT_GE(areas.bar.left, interior.left);
    EXPECT_LE(areas.bar.right, interior.right);

    state.m_nBlockPercent = INT_MAX;
    ui::SetRange(state, 0, INT_MAX);
    state.m_nPos = INT_MAX;
    areas = ui::LayOutAreas(interior, state, false, true);
    EXPECT_EQ(interior.left, areas.bar.left);
    EXPECT_EQ(interior.right, areas.bar.right);
}

TEST(ProgressLogicTest, PlacementFollowsTheAlignment) {
    const Rect interior{2, 2, 102, 22};
    EXPECT_EQ(4, ui::PlaceText(interior, 0, false, 40, 13).x);
    EXPECT_EQ(59, ui::PlaceText(interior, 2, false, 40, 13).x);
    const ui::Point centred = ui::PlaceText(interior, 1, false, 41, 13);
    EXPECT_EQ(31, centred.x); // 2 + 59 / 2, truncated
    EXPECT_EQ(5, centred.y);  // 2 + 7 / 2
    // Vertical text runs upwards from its origin.
    EXPECT_EQ(65, ui::PlaceText(Rect{0, 0, 20, 100}, 1, true, 30, 12).y);
}

} // namespace
