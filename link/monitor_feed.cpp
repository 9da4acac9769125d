#include "link/monitor_feed.h"

#include <cstring>

namespace {

struct FeedRing {
    char bytes[MONITOR_RING_SIZE];
    size_t write_index;
    size_t read_index;
    size_t unread;
    bool active;
};

FeedRing g_feed;

}  // namespace

void monitor_feed(const char* text, size_t length) {
    if (!g_feed.active) return;
    for (size_t i = 0; i < length; ++i) {
        if (g_feed.unread == MONITOR_RING_SIZE) return;  // full: the rest is dropped
        g_feed.bytes[g_feed.write_index] = text[i];
        g_feed.write_index = (g_feed.write_index + 1) % MONITOR_RING_SIZE;
        ++g_feed.unread;
    }
}

void monitor_feed(const char* text) { monitor_feed(text, std::strlen(text)); }

void monitor_feed_set_active(bool active) { g_feed.active = active; }

bool monitor_feed_active() { return g_feed.active; }

size_t monitor_feed_take(char* out, size_t max) {
    size_t n = 0;
    while (n < max && g_feed.unread > 0) {
        out[n++] = g_feed.bytes[g_feed.read_index];
        g_feed.read_index = (g_feed.read_index + 1) % MONITOR_RING_SIZE;
        --g_feed.unread;
    }
    return n;
}

size_t monitor_feed_unread() { return g_feed.unread; }

void monitor_feed_reset() {
    g_feed.write_index = 0;
    g_feed.read_index = 0;
    g_feed.unread = 0;
}
