#include "measure/scope.h"

#include <cstring>

#include "base/settings.h"
#include "base/ticks.h"
#include "link/commands.h"
#include "link/link.h"
#include "link/scope_reply.h"
#include "measure/status_poll.h"
#include "params/record.h"

namespace {

constexpr const char* SECTION = "SCOPE";
constexpr uint32_t RETRY_PERIODS = 2;      // about 200 ms until a request goes out again
constexpr uint32_t ACTIVITY_PERIODS = 10;  // about a second of progress after each block

void set_progress(ScopeSession& s, uint32_t value) {
    if (s.progress == value) return;
    s.progress = value;
    if (s.hooks.progress) s.hooks.progress(value);
}

void clear_receive(ScopeSession& s) {
    s.received = 0;
    std::memset(&s.receiving, 0, sizeof s.receiving);
}

void request_next_block(ScopeSession& s) {
    // A request that does not go out is repeated when the countdown runs out.
    (void)scope_data_request(uint8_t(s.received / SCOPE_BLOCK_SIZE));
    s.countdown = RETRY_PERIODS;
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

void fetching_tick(ScopeSession& s, StatusSlots& slots, TestDrive& drive) {
    if (scope_poll(s.reply, slots) != LINK_OK) return;
    const ScopeReply& r = s.reply;
    if (r.data_length > 0) {
        scope_append_block(s, r.data);
        s.activity = ACTIVITY_PERIODS;
        if (s.received >= SCOPE_CAPTURE_SIZE) {
            capture_complete(s);
            return;
        }
        // On every other tick a pending test drive goes first; its status
        // reply then asks for the block.
        if ((s.ticks & 1) && scope_send_pending_drive(drive)) {
            s.countdown = RETRY_PERIODS;
            return;
        }
        request_next_block(s);
    } else if (r.state_count > 0) {
        if ((r.state_word >> 8) == SCOPE_STATE_NONE) {
            // The dimmer ended the acquisition; the shown capture stays.
            s.state = ScopeState::idle;
            s.countdown = RETRY_PERIODS;
            s.activity = 0;
            return;
        }
        // Not ready yet: keep the drive going and ask again later.
        send_status_with_drive(drive);
        s.countdown = RETRY_PERIODS;
        s.activity = ACTIVITY_PERIODS;
    } else if (r.status.valid) {
        request_next_block(s);
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
