// Resets the whole link and its fakes between tests.
#include "tests/support/link_fakes.h"

#include <cstdio>

#include "link/link.h"
#include "link/monitor_feed.h"

void reset_link_world(uint32_t start_time) {
    link_init();
    fake_port() = FakePort{};
    fake_port().now = start_time;
    fake_busy() = FakeBusy{};
    fake_ui_reset();
    monitor_feed_reset();
    monitor_feed_set_active(true);
    link_set_idle_wait(nullptr);
    link_set_monitor_text_hook(nullptr);
    set_port_name(g_port_settings, "COM7");
    g_port_settings.address = 1;
}

std::string take_feed() {
    std::string out(monitor_feed_unread(), '\0');
    out.resize(monitor_feed_take(out.data(), out.size()));
    return out;
}

std::string hex(const std::vector<uint8_t>& bytes) {
    std::string out;
    char b[4];
    for (uint8_t v : bytes) {
        std::snprintf(b, sizeof b, "%02x", v);
        if (!out.empty()) out += ' ';
        out += b;
    }
    return out;
}
