// The feed of the communication monitor: a ring the link appends its traffic
// text to and the monitor window empties in its timer. Feeding only copies
// bytes, so it never slows the link; while the monitor is closed nothing is
// collected at all.
#pragma once

#include <cstddef>

constexpr size_t MONITOR_RING_SIZE = 16384;

// Appends the bytes when the feed is active. A byte that finds the ring full
// is dropped.
void monitor_feed(const char* text, size_t length);
// The same for a zero-terminated text.
void monitor_feed(const char* text);

// The monitor sets the feed active while its window exists.
void monitor_feed_set_active(bool active);
bool monitor_feed_active();

// Moves up to max unread bytes, oldest first, into out; returns how many.
size_t monitor_feed_take(char* out, size_t max);
size_t monitor_feed_unread();

// Empties the ring (the active flag is kept).
void monitor_feed_reset();
