#include "link/link.h"

#include <cstdio>
#include <cstring>
#include <span>

#include "base/cp1252.h"
#include "base/text.h"
#include "base/ticks.h"
#include "link/busy.h"
#include "link/codec.h"
#include "link/monitor_feed.h"
#include "port/port.h"

PortSettings g_port_settings;

namespace {

constexpr const char* LINE_MODE = "38400,n,8,2";
// Bytes taken per receive step, so the wait loops get back to the message pump
// regularly even while a long burst arrives.
constexpr int RECEIVE_STEP_BYTES = 128;

PortHandle g_port = PORT_INVALID;
// The last open failed, or the open port failed since (see link_port_failed).
bool g_port_failed = false;

// Bytes taken from the port in one read and handed out one at a time. A read
// is a system call (under Wine a round trip to its server as well), so a
// status reply of some 120 bytes costs one or two reads instead of 120.
struct ReadAhead {
    uint8_t bytes[256];
    size_t count;
    size_t next;
};
ReadAhead g_read_ahead;
uint64_t g_bytes_received = 0;

std::string g_port_text;
std::string g_mode_text;
MonitorTextHook g_monitor_text_hook = nullptr;
IdleWaitHook g_idle_wait_hook = nullptr;

void set_monitor_texts(const std::string& port_text, const std::string& mode_text) {
    g_port_text = port_text;
    g_mode_text = mode_text;
    if (g_monitor_text_hook) g_monitor_text_hook(g_port_text, g_mode_text);
}

// A read or write found the device gone. The handle stays open on Windows
// but never works again, and keeping it would keep the name from coming back
// when the adapter is plugged in again: it is closed at once, so every later
// send finds the port closed (no system call, no retry loop on a dead handle)
// and the next open starts afresh.
void port_failed() {
    link_close();
    g_port_failed = true;
}

void feed_hex(uint8_t b) {
    char text[4];
    std::snprintf(text, sizeof text, " %02x", b);
    monitor_feed(text, 3);
}

}  // namespace

void set_port_name(PortSettings& settings, std::string_view name) {
    size_t n = name.size() < sizeof settings.name - 1 ? name.size() : sizeof settings.name - 1;
    // Back off to the start of a UTF-8 sequence if the cut falls inside one.
    if (n < name.size())
        while (n > 0 && (uint8_t(name[n]) & 0xC0) == 0x80) --n;
    std::memcpy(settings.name, name.data(), n);
    settings.name[n] = '\0';
}

std::string link_status_message(LinkStatus status) {
    switch (status) {
        case LINK_ERR_NO_PORT:
            return "Kommunikationsport muss ausgewählt werden";
        case LINK_ERR_PORT:
            return "Kommunikationsport ist nicht geeignet";
        case LINK_ERR_COMM:
            return "Kommunikation mit KV-310-R ist fehlerhaft";
        case LINK_OK:
        case LINK_CANCELLED:
            return {};
    }
    return {};
}

void link_init() {
    if (g_port != PORT_INVALID) port_close(g_port);
    g_port = PORT_INVALID;
    g_port_failed = false;
    g_read_ahead = {};
    g_port_text.clear();
    g_mode_text.clear();
    codec_reset_receiver();
}

LinkStatus link_open() {
    if (g_port != PORT_INVALID) return LINK_OK;
    set_monitor_texts(g_port_settings.name, "");
    g_port_failed = true;
    if (g_port_settings.name[0] == '\0') return LINK_ERR_NO_PORT;
    g_port = port_open(g_port_settings.name);
    g_port_failed = g_port == PORT_INVALID;
    if (g_port_failed) return LINK_ERR_PORT;
    g_read_ahead = {};
    set_monitor_texts(g_port_settings.name, LINE_MODE);
    // The traffic log is an 8-bit file like the settings file: the name goes
    // in code page 1252 when it can.
    const std::string line =
        "\r\n{PORT " + utf8_to_stored_text(cut_chars(g_port_settings.name, 64)) + "}\r\n";
    monitor_feed(line.data(), line.size());
    codec_reset_receiver();
    return LINK_OK;
}

void link_close() {
    if (g_port != PORT_INVALID) port_close(g_port);
    g_port = PORT_INVALID;
    g_read_ahead = {};  // what was read but not taken goes with the port
    set_monitor_texts(g_port_settings.name, "");
}

bool link_port_is_open() { return g_port != PORT_INVALID; }
bool link_port_failed() { return g_port_failed; }

LinkStatus link_write_bytes(const uint8_t* bytes, size_t count) {
    if (g_port == PORT_INVALID) return LINK_ERR_PORT;
    for (size_t i = 0; i < count; ++i) feed_hex(bytes[i]);
    const int written = port_write(g_port, bytes, count);
    if (written < 0) port_failed();
    return written >= 0 && size_t(written) == count ? LINK_OK : LINK_ERR_PORT;
}

std::optional<uint8_t> link_read_byte() {
    if (g_port == PORT_INVALID) return std::nullopt;
    ReadAhead& r = g_read_ahead;
    if (r.next == r.count) {
        r.next = r.count = 0;
        const int got = port_read(g_port, r.bytes, sizeof r.bytes);
        if (got < 0) port_failed();
        if (got <= 0) return std::nullopt;
        r.count = size_t(got);
    }
    const uint8_t b = r.bytes[r.next++];
    feed_hex(b);
    ++g_bytes_received;
    return b;
}

uint64_t link_bytes_received() { return g_bytes_received; }

LinkStatus link_send_frame(uint8_t address, uint8_t sub_address, uint8_t code, size_t length,
                           const uint8_t* payload) {
    const LinkStatus built = codec_encode(address, sub_address, code, length, payload);
    if (built != LINK_OK) return built;
    const std::span<const uint8_t> frame = codec_frame_bytes();
    return link_write_bytes(frame.data(), frame.size());
}

ReceiveStep link_receive_step(Frame* frame) {
    for (int i = 0; i < RECEIVE_STEP_BYTES; ++i) {
        const std::optional<uint8_t> b = link_read_byte();
        if (!b) return ReceiveStep::nothing_waiting;
        if (codec_receive(*b, frame)) return ReceiveStep::frame_complete;
    }
    return ReceiveStep::budget_used;
}

bool link_timed_out(uint32_t limit_ms, uint32_t start) {
    if (ticks_elapsed(start, tick_count_ms()) <= limit_ms) return false;
    char line[48];
    const int n = std::snprintf(line, sizeof line, "\r\n{TIMEOUT %u}\r\n", unsigned(limit_ms));
    monitor_feed(line, size_t(n));
    return true;
}

LinkStatus link_drain(uint32_t ms) {
    const uint32_t start = tick_count_ms();
    for (;;) {
        if (busy_cancelled()) return LINK_CANCELLED;
        Frame ignored;
        const ReceiveStep step = link_receive_step(&ignored);
        if (link_timed_out(ms, start)) return LINK_OK;
        if (step == ReceiveStep::nothing_waiting) link_idle_wait();
    }
}

void link_report_error(WindowRef owner, LinkStatus status) {
    const std::string text = link_status_message(status);
    if (!text.empty()) message_box(owner, KV_MB_ERROR, text);
}

uint8_t link_address() { return uint8_t(g_port_settings.address); }

void link_set_idle_wait(IdleWaitHook hook) { g_idle_wait_hook = hook; }

bool link_idle_wait(unsigned max_ms) {
    if (g_idle_wait_hook) return g_idle_wait_hook(max_ms);
    port_wait_readable(g_port, max_ms);
    return false;
}

void link_set_monitor_text_hook(MonitorTextHook hook) { g_monitor_text_hook = hook; }
const std::string& link_monitor_port_text() { return g_port_text; }
const std::string& link_monitor_mode_text() { return g_mode_text; }
