// Elapsed time between two tick readings, also across a wrap of the counter.
#include <gtest/gtest.h>

#include "base/ticks.h"

TEST(TicksElapsed, SignedDifferenceSurvivesTheWrap) {
    struct Case {
        uint32_t since, now, elapsed;
    };
    const Case cases[] = {
        {1000, 1000, 0},
        {1000, 1100, 100},
        {0xFFFFFFF0u, 0x10u, 0x20},     // the counter wrapped during the wait
        {1100, 1000, 100},              // a reading behind the start counts by its distance
        {0, 0x7FFFFFFFu, 0x7FFFFFFFu},  // the largest distance either way
        {0, 0x80000000u, 0x80000000u},
        {0, 0x80000001u, 0x7FFFFFFFu},  // beyond half the range it counts from the other side
    };
    for (const Case& c : cases)
        EXPECT_EQ(ticks_elapsed(c.since, c.now), c.elapsed) << c.since << " " << c.now;
}
