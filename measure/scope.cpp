#include "measure/scope.h"

#include <cstring>

#include "base/settings.h"
#include "base/ticks.h"
#include "link/commands.h"
#include "link/link.h"
#include "link/scope_reply.h"
#include "measure/status_poll.h"
#include "params/record.h"
#include "port/port.h"

namespace {

constexpr const char* SECTION = "SCOPE";
constexpr uint32_t RETRY_PERIODS = 2;      // about 200 ms until a request goes out again
constexpr uint32_t ACTIVITY_PERIODS = 10;  // about a second of progress after each block

// The least each exchange of the fetching takes on the line, frames without
// stuffing: a block request (2 payload bytes) with a not-ready state (2) or a
// block (index and data), a status request (8) with its reply.
constexpr uint32_t FRAME_BYTES = uint32_t(FRAME_MIN_LENGTH);  // a frame around its payload
constexpr uint32_t BLOCK_REQUEST_BYTES = FRAME_BYTES + 2;
constexpr uint32_t STATE_REPLY_BYTES = FRAME_BYTES + 2;
constexpr uint32_t STATUS_EXCHANGE_BYTES = FRAME_BYTES + 8 + FRAME_BYTES + uint32_t(STATUS_RECORD_SIZE);
// A reply is waited for in the step when it can be complete before the next
// tick: Windows gives a 1 ms thread timer its clock interval, 15.625 ms by
// default, Wine 10 ms.
constexpr uint32_t LONGEST_TICK_MS = 16;
// Past its least time a reply may still come (the dimmer's turnaround,
// stuffed bytes); after this much more the step stops waiting for it and the
// ticks and the retry countdown take over.
constexpr uint32_t REPLY_GRACE_MS = 20;

void set_progress(ScopeSession& s, uint32_t value) {
    if (s.progress == value) return;
    s.progress = value;
    if (s.hooks.progress) s.hooks.progress(value);
}

void clear_receive(ScopeSession& s) {
    s.received = 0;
    std::memset(&s.receiving, 0, sizeof s.receiving);
}

void await_reply(ScopeSession& s, ScopeAwaited reply) {
    s.awaited = reply;
    s.request_tick = tick_count_ms();
}

void request_next_block(ScopeSession& s) {
    // A request that does not go out is repeated when the countdown runs out.
    (void)scope_data_request(uint8_t(s.received / SCOPE_BLOCK_SIZE));
    s.countdown = RETRY_PERIODS;
    await_reply(s, ScopeAwaited::block);
}

// The status request of the fetching, whose reply asks for the block again.
void send_fetching_status(ScopeSession& s, TestDrive& drive) {
    send_status_with_drive(drive);
    await_reply(s, ScopeAwaited::status);
}

// The least time the awaited request and its reply take on the line, since
// ms after the request. Before the first block the dimmer answers with its
// short state while it records; a reply that has not come in that time is
// the block.
uint32_t reply_least_ms(const ScopeSession& s, uint32_t since) {
    if (s.awaited == ScopeAwaited::status) return link_line_ms(STATUS_EXCHANGE_BYTES);
    const uint32_t left = SCOPE_CAPTURE_SIZE - s.received;
    const uint32_t block = link_line_ms(BLOCK_REQUEST_BYTES + FRAME_BYTES + 1 +
                                        (left < SCOPE_BLOCK_SIZE ? left : SCOPE_BLOCK_SIZE));
    const uint32_t state = link_line_ms(BLOCK_REQUEST_BYTES + STATE_REPLY_BYTES);
    return s.received == 0 && since < state + REPLY_GRACE_MS ? state : block;
}

void capture_complete(ScopeSession& s) {
    s.displayed = s.active;
    s.shown_capture = s.receiving;
    s.state = ScopeState::complete;
    s.countdown = RETRY_PERIODS;
    if (s.hooks.capture_complete) s.hooks.capture_complete();
}

uint32_t fetching_progress(const ScopeSession& s) {
    if (s.activity == 0) return 0;
    if (s.received == 0) return 25;
    // The blocks fill the middle half of the bar.
    uint32_t p = 25 + (s.received * 100 / SCOPE_CAPTURE_SIZE) * 50 / 100;
    return p < 25 ? 25 : p > 75 ? 75 : p;
}

void period_step(ScopeSession& s, StatusSlots& slots, TestDrive& drive, WindowRef owner, uint32_t now) {
    s.last_period_tick = now;
    ++s.periods;
    if (s.countdown > 0) --s.countdown;
    if (s.activity > 0) --s.activity;
    if (link_port_failed() && (s.state == ScopeState::waiting || s.state == ScopeState::fetching)) {
        // The port did not open or its adapter was pulled: no reply can come,
        // and the retries would wait for it without end. The acquisition ends
        // with the link's message, as a failing start command ends it; the
        // shown capture stays.
        link_report_error(owner, LINK_ERR_PORT);
        s.state = ScopeState::idle;
        s.countdown = RETRY_PERIODS;
        s.activity = 0;
        set_progress(s, 0);
        return;
    }
    switch (s.state) {
        case ScopeState::start:
            s.state = scope_send_start(owner, scope_start_settings(s.active)) ? ScopeState::waiting
                                                                              : ScopeState::idle;
            s.countdown = RETRY_PERIODS;
            set_progress(s, 0);
            break;
        case ScopeState::waiting:
            // The acknowledgement is looked for once per period.
            if (scope_poll(s.reply, slots) == LINK_OK && s.reply.start_ack) {
                s.received = 0;
                request_next_block(s);
                s.state = ScopeState::fetching;
            } else {
                if (s.periods & 1) scope_send_pending_drive(drive);
                // Unacknowledged: the start command goes out again.
                if (s.countdown == 0) s.state = ScopeState::start;
            }
            set_progress(s, 0);
            break;
        case ScopeState::fetching:
            if (s.countdown == 0) request_next_block(s);
            set_progress(s, fetching_progress(s));
            break;
        case ScopeState::complete:
            if (s.countdown > 0) {
                set_progress(s, 100);
                break;
            }
            send_status_with_drive(drive);
            if (s.active.kind == SCOPE_KIND_CONTINUOUS) {
                // The next capture of a continuous measurement takes the settings as edited now.
                s.active = s.edited;
                validate_scope_settings(s.active);
                clear_receive(s);
                s.state = ScopeState::start;
                s.countdown = 0;
            } else {
                set_progress(s, 100);
            }
            break;
        case ScopeState::stop:
            (void)scope_stop();  // the dimmer drops its capture; nothing more to wait for
            s.state = ScopeState::idle;
            s.countdown = RETRY_PERIODS;
            set_progress(s, 0);
            break;
        default:
            send_status_with_drive(drive);
            set_progress(s, 0);
            break;
    }
}

// Takes one reply of the fetching if one is complete. False when none was.
bool take_fetching_reply(ScopeSession& s, StatusSlots& slots, TestDrive& drive, bool* line_idle) {
    if (scope_poll(s.reply, slots, line_idle) != LINK_OK) return false;
    const ScopeReply& r = s.reply;
    if (r.data_length == 0 && r.state_count == 0 && !r.status.valid) return true;  // a late acknowledgement
    s.awaited = ScopeAwaited::nothing;
    if (r.data_length > 0) {
        scope_append_block(s, r.data);
        s.activity = ACTIVITY_PERIODS;
        if (s.received >= SCOPE_CAPTURE_SIZE) {
            capture_complete(s);
            return true;
        }
        // After every other block a pending test drive goes first; its
        // status reply then asks for the next block. (Counted in blocks, not
        // ticks: blocks are taken as they arrive, at a steady number of ticks
        // apart, so the parity of the tick could hold the drive back for the
        // whole capture.)
        if ((s.received / SCOPE_BLOCK_SIZE) % 2 == 1 && scope_send_pending_drive(drive)) {
            await_reply(s, ScopeAwaited::status);
            s.countdown = RETRY_PERIODS;
            return true;
        }
        request_next_block(s);
    } else if (r.state_count > 0) {
        if ((r.state_word >> 8) == SCOPE_STATE_NONE) {
            // The dimmer ended the acquisition; the shown capture stays.
            s.state = ScopeState::idle;
            s.countdown = RETRY_PERIODS;
            s.activity = 0;
            return true;
        }
        // Not ready yet: keep the drive going and ask again later.
        send_fetching_status(s, drive);
        s.countdown = RETRY_PERIODS;
        s.activity = ACTIVITY_PERIODS;
    } else if (r.status.valid) {
        request_next_block(s);
    }
    return true;
}

// Takes the replies as they come: while the awaited one can be complete
// before the next tick the step waits for it rather than leaving it to the
// next tick, unless a window message is waiting (that goes first; the next
// tick looks again). A reply that is well overdue is left to the ticks and
// the retry countdown.
void fetching_tick(ScopeSession& s, StatusSlots& slots, TestDrive& drive) {
    while (s.state == ScopeState::fetching) {
        bool line_idle = false;
        if (take_fetching_reply(s, slots, drive, &line_idle)) continue;
        if (!line_idle) continue;  // more bytes are waiting: a long reply takes more than one receive step
        if (s.awaited == ScopeAwaited::nothing) return;
        const uint32_t since = ticks_elapsed(s.request_tick, tick_count_ms());
        const uint32_t least = reply_least_ms(s, since);
        if (since + LONGEST_TICK_MS < least || since >= least + REPLY_GRACE_MS) return;
        // Asleep until the reply can have arrived, then a millisecond at a time.
        if (link_idle_wait(since < least ? least - since : 1)) return;
    }
}

void tick_step(ScopeSession& s, StatusSlots& slots, TestDrive& drive) {
    switch (s.state) {
        case ScopeState::waiting:
            break;
        case ScopeState::fetching:
            fetching_tick(s, slots, drive);
            break;
        default:
            // Keeps the receive path drained and the polled status slot current.
            (void)poll_status_reply(slots);
            break;
    }
}

}  // namespace

void validate_scope_settings(ScopeSettings& s) {
    if (s.dimmer != 1) s.dimmer = 0;
    if (s.kind > SCOPE_KIND_CONTINUOUS) s.kind = SCOPE_KIND_SINGLE;
    if (s.section > SCOPE_SECTION_SWITCHING) s.section = SCOPE_SECTION_PERIOD;
    if (s.current_range == 0 || s.current_range > 6) s.current_range = 6;
}

uint32_t scope_section(const ScopeSettings& s) {
    if (s.kind == SCOPE_KIND_LOAD_TEST) return SCOPE_SECTION_LOAD;
    if (s.kind == SCOPE_KIND_FAULT) return SCOPE_SECTION_ZERO;
    return s.section;
}

ScopeStartSettings scope_start_settings(const ScopeSettings& s) {
    return {s.dimmer, s.kind, s.section, s.current_range, s.half_period};
}

int16_t capture_voltage(const ScopeCapture& c, int index) {
    return int16_t(get_u16le(c.bytes + SCOPE_VOLTAGE_AT + 2 * size_t(index)));
}

int16_t capture_current(const ScopeCapture& c, int index) {
    return int16_t(get_u16le(c.bytes + SCOPE_CURRENT_AT + 2 * size_t(index)));
}

uint32_t capture_zero_time_us(const ScopeCapture& c) { return get_u32le(c.bytes + SCOPE_ZERO_TIME_AT); }
uint32_t capture_switching_time_us(const ScopeCapture& c) {
    return get_u32le(c.bytes + SCOPE_SWITCHING_TIME_AT);
}

void scope_load_settings(ScopeSession& session) {
    ScopeSettings s;
    s.dimmer = uint32_t(settings_read_int(SECTION, "DM", 0));
    s.kind = uint32_t(settings_read_int(SECTION, "TYPE", 0));
    s.section = uint32_t(settings_read_int(SECTION, "SPEC", 0));
    s.current_range = uint32_t(settings_read_int(SECTION, "I", 0));
    s.half_period = uint32_t(settings_read_int(SECTION, "HPER", 0));
    validate_scope_settings(s);
    session.edited = session.active = session.displayed = s;
    session.state = ScopeState::idle;
    session.countdown = RETRY_PERIODS;
    clear_receive(session);
    std::memset(&session.reply, 0, sizeof session.reply);
    std::memset(&session.shown_capture, 0, sizeof session.shown_capture);
    if (session.hooks.capture_cleared) session.hooks.capture_cleared();
}

void scope_save_settings(const ScopeSession& session) {
    const ScopeSettings& s = session.edited;
    settings_write_int(SECTION, "DM", int32_t(s.dimmer));
    settings_write_int(SECTION, "TYPE", int32_t(s.kind));
    settings_write_int(SECTION, "SPEC", int32_t(s.section));
    settings_write_int(SECTION, "I", int32_t(s.current_range));
    settings_write_int(SECTION, "HPER", int32_t(s.half_period));
}

void scope_step(ScopeSession& session, StatusSlots& slots, TestDrive& drive, WindowRef owner, uint32_t now) {
    if (!session.page_active) return;
    ++session.ticks;
    if (ticks_elapsed(session.last_period_tick, now) >= SCOPE_PERIOD_MS)
        period_step(session, slots, drive, owner, now);
    tick_step(session, slots, drive);
}

void scope_start_measurement(ScopeSession& session) {
    validate_scope_settings(session.edited);
    session.active = session.displayed = session.edited;
    clear_receive(session);
    session.state = ScopeState::start;
    session.countdown = 0;
}

void scope_start_measurement_at(ScopeSession& session, uint32_t now) {
    scope_start_measurement(session);
    session.last_period_tick = now - SCOPE_PERIOD_MS;
}

void scope_reset(ScopeSession& session) {
    session.state = ScopeState::stop;
    session.countdown = 0;
}

bool scope_send_pending_drive(TestDrive& drive) {
    if (!drive.pending[0] && !drive.pending[1]) return false;
    send_status_with_drive(drive);
    return true;
}

bool scope_append_block(ScopeSession& s, const uint8_t block[SCOPE_BLOCK_DATA]) {
    if (uint32_t(block[0]) * SCOPE_BLOCK_SIZE != s.received || s.received >= SCOPE_CAPTURE_SIZE) return false;
    uint32_t n = SCOPE_CAPTURE_SIZE - s.received;
    if (n > SCOPE_BLOCK_SIZE) n = SCOPE_BLOCK_SIZE;
    std::memcpy(s.receiving.bytes + s.received, block + 1, n);
    s.received += n;
    return true;
}
