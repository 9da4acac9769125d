#include "link/bus_scan.h"

#include <algorithm>
#include <cstring>

#include "base/ticks.h"
#include "link/busy.h"
#include "link/device_ops.h"
#include "link/link.h"
#include "link/monitor_feed.h"
#include "link/protocol.h"
#include "link/transactions.h"
#include "port/port.h"

namespace {

constexpr size_t VERSION_REPLY_LENGTH = 6;  // controller, dimmer 1, dimmer 2: major, minor
constexpr size_t STATUS_REQUEST_LENGTH = 8;

constexpr ReplyMatch VERSION_REPLY = {OPCODE_VERSION, 2, {}, 0};
constexpr ReplyMatch STATUS_REPLY = {OPCODE_STATUS, STATUS_RECORD_SIZE, {}, 0};

// How long the line must stay silent before an address is asked again after
// foreign bytes, and the longest such wait on a line that never goes quiet.
constexpr uint32_t QUIET_LIMIT_MS = VERSION_WAIT_MS;

uint32_t exchange_time_ms(size_t request_payload, size_t reply_payload) {
    return line_time_ms(frame_wire_bytes(request_payload, true) + frame_wire_bytes(reply_payload, true));
}

VersionData version_of(const Frame& reply) {
    VersionData v{};
    v.controller_major = reply.payload[0];
    v.controller_minor = reply.payload[1];
    if (reply.length >= VERSION_REPLY_LENGTH) {
        v.dimmer_major[0] = reply.payload[2];
        v.dimmer_minor[0] = reply.payload[3];
        v.dimmer_major[1] = reply.payload[4];
        v.dimmer_minor[1] = reply.payload[5];
    }
    return v;
}

struct Scan {
    const BusScanHooks& hooks;
    BusScanResult result;
    std::vector<uint32_t> unanswered;  // asked, no valid reply yet: a late reply may still come
    std::vector<BusDimmer> late;       // found by their late replies, status still to ask
    uint32_t last_unanswered_at = 0;   // tick of the last request that went unanswered
};

void report(Scan& scan, const BusDimmer& dimmer) {
    scan.result.dimmers.push_back(dimmer);
    if (scan.hooks.found) scan.hooks.found(dimmer);
}

// A version reply from an address asked before without an answer: that
// dimmer is there, only slow.
bool take_late_reply(Scan& scan, const Frame& frame) {
    if (!reply_matches(frame, VERSION_REPLY)) return false;
    const auto at = std::find(scan.unanswered.begin(), scan.unanswered.end(), frame.address);
    if (at == scan.unanswered.end()) return false;
    scan.unanswered.erase(at);
    BusDimmer dimmer;
    dimmer.address = frame.address;
    dimmer.answer = BusAnswer::late;
    dimmer.version = version_of(frame);
    scan.late.push_back(dimmer);
    return true;
}

struct Heard {
    LinkStatus status = LINK_ERR_COMM;  // LINK_OK: the reply came; LINK_CANCELLED
    bool foreign = false;               // bytes on the line other than that reply
};

// Waits up to timeout_ms for the reply `match` from `address`; on_reply gets
// it while its payload is valid. Late replies of addresses asked before are
// taken on the way.
template <typename OnReply>
Heard wait_from(Scan& scan, uint8_t address, const ReplyMatch& match, uint32_t timeout_ms, OnReply on_reply) {
    Heard heard;
    const uint64_t bytes_before = link_bytes_received();
    uint64_t explained = 0;  // bytes of the reply itself
    const uint32_t start = tick_count_ms();
    for (;;) {
        if (busy_cancelled()) {
            heard.status = LINK_CANCELLED;
            return heard;
        }
        Frame frame;
        const uint64_t step_start = link_bytes_received();
        const ReceiveStep step = link_receive_step(&frame);
        if (step == ReceiveStep::frame_complete) {
            monitor_feed("\r\n");
            if (frame.address == address && reply_matches(frame, match)) {
                on_reply(frame);
                explained += link_bytes_received() - step_start;
                heard.status = LINK_OK;
                break;
            }
            take_late_reply(scan, frame);
        }
        if (link_timed_out(timeout_ms, start)) break;
        if (step == ReceiveStep::nothing_waiting) link_idle_wait();
    }
    heard.foreign = link_bytes_received() - bytes_before > explained;
    return heard;
}

// Listens until the line has been silent for quiet_ms (at most QUIET_LIMIT_MS
// in all), taking late replies on the way.
LinkStatus wait_quiet(Scan& scan, uint32_t quiet_ms) {
    const uint32_t start = tick_count_ms();
    uint32_t last_byte = start;
    for (;;) {
        if (busy_cancelled()) return LINK_CANCELLED;
        const uint64_t before = link_bytes_received();
        Frame frame;
        const ReceiveStep step = link_receive_step(&frame);
        if (step == ReceiveStep::frame_complete) {
            monitor_feed("\r\n");
            take_late_reply(scan, frame);
        }
        const uint32_t now = tick_count_ms();
        if (link_bytes_received() != before) last_byte = now;
        if (ticks_elapsed(last_byte, now) > quiet_ms || ticks_elapsed(start, now) > QUIET_LIMIT_MS)
            return LINK_OK;
        if (step == ReceiveStep::nothing_waiting) link_idle_wait();
    }
}

Heard ask_version(Scan& scan, uint8_t address, uint32_t timeout_ms, BusDimmer& dimmer) {
    send_request_to(address, OPCODE_VERSION, nullptr, 0);
    return wait_from(scan, address, VERSION_REPLY, timeout_ms,
                     [&](const Frame& reply) { dimmer.version = version_of(reply); });
}

// The status with no drive flag set: both outputs stay as they are. A
// dimmer that does not send it in time is listed without one.
LinkStatus ask_status(Scan& scan, BusDimmer& dimmer, uint32_t timeout_ms) {
    const uint8_t payload[STATUS_REQUEST_LENGTH] = {};
    send_request_to(uint8_t(dimmer.address), OPCODE_STATUS, payload, sizeof payload);
    const Heard heard =
        wait_from(scan, uint8_t(dimmer.address), STATUS_REPLY, timeout_ms, [&](const Frame& reply) {
            std::memcpy(&dimmer.status, reply.payload, STATUS_RECORD_SIZE);
            dimmer.has_status = true;
        });
    return heard.status == LINK_CANCELLED ? LINK_CANCELLED : LINK_OK;
}

// One address: asked, and asked again once the line is quiet when foreign
// bytes may have spoilt the first request.
LinkStatus scan_address(Scan& scan, uint32_t address, uint32_t timeout_ms) {
    BusDimmer dimmer;
    dimmer.address = address;
    Heard heard = ask_version(scan, uint8_t(address), timeout_ms, dimmer);
    if (heard.status == LINK_ERR_COMM && heard.foreign) {
        if (wait_quiet(scan, timeout_ms) == LINK_CANCELLED) return LINK_CANCELLED;
        heard = ask_version(scan, uint8_t(address), timeout_ms, dimmer);
        if (heard.status == LINK_ERR_COMM && heard.foreign) {
            dimmer.answer = BusAnswer::garbled;
            report(scan, dimmer);
            return LINK_OK;
        }
    }
    if (heard.status == LINK_CANCELLED) return LINK_CANCELLED;
    if (heard.status != LINK_OK) {
        scan.unanswered.push_back(address);
        scan.last_unanswered_at = tick_count_ms();
        return LINK_OK;
    }
    if (ask_status(scan, dimmer, scan_status_timeout_ms(timeout_ms)) == LINK_CANCELLED) return LINK_CANCELLED;
    report(scan, dimmer);
    return LINK_OK;
}

// After the last address: a slow dimmer among the last ones still gets the
// time any operation allows a late reply (the drain before its first
// request), then each dimmer found late is asked for its status with the
// status query's own wait. A scan the user stopped lists those heard so far
// without asking more.
LinkStatus finish_late(Scan& scan) {
    if (scan.result.stopped) {
        for (const BusDimmer& dimmer : scan.late) report(scan, dimmer);
        return LINK_OK;
    }
    while (!scan.unanswered.empty() && ticks_elapsed(scan.last_unanswered_at, tick_count_ms()) <= DRAIN_MS) {
        if (busy_cancelled()) return LINK_CANCELLED;
        Frame frame;
        const ReceiveStep step = link_receive_step(&frame);
        if (step == ReceiveStep::frame_complete) {
            monitor_feed("\r\n");
            take_late_reply(scan, frame);
        }
        if (step == ReceiveStep::nothing_waiting) link_idle_wait();
    }
    for (BusDimmer& dimmer : scan.late) {
        if (wait_quiet(scan, scan_timeout_floor_ms()) == LINK_CANCELLED) return LINK_CANCELLED;
        if (ask_status(scan, dimmer, STATUS_WAIT_MS) == LINK_CANCELLED) return LINK_CANCELLED;
        report(scan, dimmer);
    }
    return LINK_OK;
}

// What waits at the port from before the scan belongs to nobody asked now.
void discard_waiting_input() {
    Frame ignored;
    while (link_receive_step(&ignored) != ReceiveStep::nothing_waiting) {}
}

}  // namespace

size_t frame_wire_bytes(size_t payload_length, bool worst_case) {
    const size_t between_flags = 3 + payload_length;  // address, command byte, payload, checksum
    return 2 + (worst_case ? 2 * between_flags : between_flags);
}

uint32_t line_time_ms(size_t bytes) {
    const uint64_t bits_ms = uint64_t(bytes) * LINE_BITS_PER_BYTE * 1000;
    return uint32_t((bits_ms + LINE_BAUD - 1) / LINE_BAUD);
}

uint32_t scan_timeout_floor_ms() { return exchange_time_ms(0, VERSION_REPLY_LENGTH); }

uint32_t scan_version_timeout_ms(int32_t setting) {
    if (setting <= 0) return SCAN_TIMEOUT_DEFAULT_MS;
    return std::clamp(uint32_t(setting), scan_timeout_floor_ms(), VERSION_WAIT_MS);
}

uint32_t scan_status_timeout_ms(uint32_t version_timeout_ms) {
    return version_timeout_ms + exchange_time_ms(STATUS_REQUEST_LENGTH, STATUS_RECORD_SIZE) -
           scan_timeout_floor_ms();
}

BusScanResult bus_scan(const std::vector<uint32_t>& addresses, uint32_t version_timeout_ms,
                       const BusScanHooks& hooks) {
    Scan scan{hooks, {}, {}, {}, 0};
    scan.result.status = link_open();
    if (scan.result.status != LINK_OK) {
        link_close();
        return scan.result;
    }
    discard_waiting_input();
    LinkStatus status = LINK_OK;
    for (uint32_t address : addresses) {
        if (hooks.stop_requested && hooks.stop_requested()) {
            scan.result.stopped = true;
            break;
        }
        if (hooks.asking) hooks.asking(scan.result.asked, addresses.size(), address);
        status = scan_address(scan, address, version_timeout_ms);
        if (status != LINK_OK) break;
        ++scan.result.asked;
    }
    if (status == LINK_OK)
        status = finish_late(scan);
    else  // cancelled: those heard late are there all the same, without their status
        for (const BusDimmer& dimmer : scan.late) report(scan, dimmer);
    scan.result.status = status;
    link_close();
    return scan.result;
}
