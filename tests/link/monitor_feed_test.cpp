// The monitor feed ring: collects only while active, keeps order across the
// wrap, and drops what does not fit.
#include <gtest/gtest.h>

#include <string>

#include "link/monitor_feed.h"

namespace {

std::string take(size_t max) {
    std::string out(max, '\0');
    out.resize(monitor_feed_take(out.data(), max));
    return out;
}

TEST(MonitorFeed, CollectsOnlyWhileActive) {
    monitor_feed_reset();
    monitor_feed_set_active(false);
    monitor_feed("\r\nTx");
    EXPECT_EQ(monitor_feed_unread(), 0u);

    monitor_feed_set_active(true);
    monitor_feed("\r\nTx");
    monitor_feed(" 7f", 3);
    EXPECT_EQ(take(100), "\r\nTx 7f");
    EXPECT_EQ(take(100), "");
    monitor_feed_set_active(false);
}

TEST(MonitorFeed, FullRingDropsNewBytes) {
    monitor_feed_reset();
    monitor_feed_set_active(true);
    // Move the indexes off zero so the contents wrap around the end.
    const std::string head(1000, 'h');
    monitor_feed(head.c_str(), head.size());
    EXPECT_EQ(take(1000), head);

    std::string fill(MONITOR_RING_SIZE - 1, 'a');
    fill += 'z';
    monitor_feed(fill.c_str(), fill.size());
    monitor_feed("dropped");
    EXPECT_EQ(monitor_feed_unread(), MONITOR_RING_SIZE);

    // Room for two bytes again: only the first two of the next text fit.
    EXPECT_EQ(take(2), "aa");
    monitor_feed("xyz");
    const std::string rest = take(MONITOR_RING_SIZE);
    EXPECT_EQ(rest.size(), MONITOR_RING_SIZE);
    EXPECT_EQ(rest.substr(rest.size() - 4), "azxy");
    monitor_feed_set_active(false);
}

}  // namespace
