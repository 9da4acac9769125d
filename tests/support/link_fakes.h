// Test doubles for the link's seams: a scripted serial port with a fake
// millisecond clock and a busy window that can cancel after a number of
// queries. Message boxes go to the one fake of tests/support/fake_ui.h.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "base/ui.h"
#include "link/busy.h"
#include "link/frame.h"
#include "link/link.h"

// Test failures show a link status as its code.
inline void PrintTo(LinkStatus status, std::ostream* out) { *out << int32_t(status); }
#include "tests/support/fake_ui.h"

// ---- port and clock

struct IncomingByte {
    uint32_t available_at;  // fake clock time from which a read delivers it
    uint8_t value;
};

struct WrittenFrame {
    uint32_t time;
    std::vector<uint8_t> bytes;
};

struct FakePort {
    uint32_t now = 0;  // the fake tick count
    bool refuse_open = false;
    // When set, only the names it accepts open (port search tests).
    std::function<bool(const std::string&)> opens;
    std::vector<std::string> tried_names;  // every name port_open was called with
    bool is_open = false;
    int open_count = 0;
    std::string opened_name;
    std::deque<IncomingByte> incoming;
    std::vector<WrittenFrame> writes;  // every port write, in order
    int short_write = -1;              // >= 0: every write reports this count
    int waits = 0;                     // port_wait_readable calls
    // From this time on the device is gone (a USB adapter pulled): reads and
    // writes on the handle fail, and its name does not open.
    std::optional<uint32_t> gone_from;
    int calls_while_gone = 0;  // reads and writes that found the device gone
    // Called with each request frame the program writes (decoded); may queue
    // replies with fake_port_reply.
    std::function<void(const Frame&)> responder;
};

FakePort& fake_port();
// Queue raw bytes that become readable delay_ms after now.
void fake_port_queue(const std::vector<uint8_t>& bytes, uint32_t delay_ms = 0);
// Queue a reply frame to address 1 (sub-address 0 unless given).
void fake_port_reply(uint8_t code, const std::vector<uint8_t>& payload, uint32_t delay_ms = 0,
                     uint8_t sub_address = 0);
// The same from the dimmer at another address.
void fake_port_reply_from(uint8_t address, uint8_t code, const std::vector<uint8_t>& payload,
                          uint32_t delay_ms = 0);
// Every written byte, all writes joined.
std::vector<uint8_t> fake_port_written();
// The request frames written, decoded (code and payload).
struct Request {
    uint8_t address;
    uint8_t code;
    std::vector<uint8_t> payload;
    uint32_t time;
};
std::vector<Request> fake_port_requests();

// ---- busy window

struct FakeBusy {
    bool open = false;
    BusyKind kind = BusyKind::connection;
    std::string text;
    bool cancel_flag = false;
    int queries = 0;        // busy_cancelled calls while open
    int cancel_after = -1;  // >= 0: the query with this number (1-based) and all later cancel
    bool deferred = false;  // busy_defer_cancel: the "Abbruch" above asks for a stop instead
    bool stop_asked = false;
    int opens = 0;
    int closes = 0;
};

FakeBusy& fake_busy();

// ---- the whole link world

// Resets fakes, link, codec, monitor feed (active, empty) and settings: port
// "COM7", address 1, clock at start_time.
void reset_link_world(uint32_t start_time = 0);
// Takes everything out of the monitor feed.
std::string take_feed();
// Hex text of bytes, "7f 01 08 f7 7f".
std::string hex(const std::vector<uint8_t>& bytes);
