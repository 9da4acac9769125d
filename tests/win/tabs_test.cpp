#include "win/tabs.h"

#include <gtest/gtest.h>

TEST(StepTab, TargetsForTheKeysAndCommands) {
    struct Case {
        int count, current, delta;
        bool wrap;
        std::optional<int> target;
    };
    const Case cases[] = {
        {5, 4, +1, true, 0},   // Ctrl+Tab on the last tab wraps to the first
        {5, 4, +1, false, 4},  // Ctrl+Right on the last tab stays
        {5, 0, -1, true, 4},   // Ctrl+Shift+Tab on the first wraps to the last
        {5, 0, -1, false, 0},  // Ctrl+Left on the first stays
        {5, 2, 0, false, 0},   // Ctrl+Home
        {5, 2, 0, true, 0},
        {5, 2, TAB_LAST, false, 4},  // Ctrl+End
        {5, 1, +1, false, 2},
        {5, 3, -12, true, 1},  // wraps more than once, remainder keeps the sign
        {5, 3, 12, true, 0},
        {5, 3, INT32_MIN, false, 0},  // no overflow on the way
        {5, 3, INT32_MAX - 1, false, 4},
        {1, 0, +1, true, 0},
        {0, 0, +1, true, std::nullopt},   // no tabs
        {5, -1, +1, true, std::nullopt},  // nothing selected
        {5, 5, +1, false, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.count << " tabs, at " << c.current << ", delta " << c.delta
                                        << (c.wrap ? " wrap" : ""));
        EXPECT_EQ(step_tab_target(c.count, c.current, c.delta, c.wrap), c.target);
    }
}

TEST(SelectTab, LastTabMarkerAndNoTabs) {
    EXPECT_EQ(select_tab_target(5, 0), 0);
    EXPECT_EQ(select_tab_target(5, 3), 3);
    EXPECT_EQ(select_tab_target(5, TAB_LAST), 4);
    EXPECT_EQ(select_tab_target(0, 0), std::nullopt);
}
