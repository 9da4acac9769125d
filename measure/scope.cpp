#include "measure/scope.h"

#include <cstring>

#include "base/settings.h"
#include "base/ticks.h"
#include "link/commands.h"
#include "link/link.h"
#include "port/port.h"
#include "link/scope_reply.h"
#include "measure/status_text.h"
#include "params/record.h"

namespace {

constexpr const char* SECTION = "SCOPE";
constexpr uint32_t RETRY_PERIODS = 2;      // about 200 ms until a request goes out again
constexpr uint32_t ACTIVITY_PERIODS = 10;  // about a second of progress after each block

// The offsets of the capture record.
constexpr size_t VOLTAGE_AT = 4;
constexpr size_t CURRENT_AT = 1004;
constexpr size_t ZERO_TIME_AT = 2004;
constexpr size_t SWITCHING_TIME_AT = 2008;

ScopeHooks g_hooks = {};

void set_progress(uint32_t value) {
    if (g_scope.progress == value) return;
    g_scope.progress = value;
    if (g_hooks.progress) g_hooks.progress(value);
}

void clear_receive() {
    g_scope.received = 0;
    std::memset(&g_scope_receive, 0, sizeof g_scope_receive);
}

void request_next_block() {
    // A request that does not go out is repeated when the countdown runs out.
    (void)scope_data_request(uint8_t(g_scope.received / SCOPE_BLOCK_SIZE));
    g_scope.countdown = RETRY_PERIODS;
}

void capture_complete() {
    g_scope_displayed = g_scope_active;
    g_scope_capture_shown = g_scope_receive;
    g_scope.state = SCOPE_COMPLETE;
    g_scope.countdown = RETRY_PERIODS;
    if (g_hooks.capture_complete) g_hooks.capture_complete();
}

uint32_t fetching_progress() {
    if (g_scope.activity == 0) return 0;
    if (g_scope.received == 0) return 25;
    // The blocks fill the middle half of the bar.
    uint32_t p = 25 + (g_scope.received * 100 / SCOPE_CAPTURE_SIZE) * 50 / 100;
    return p < 25 ? 25 : p > 75 ? 75 : p;
}

void period_step(uint32_t now) {
    ScopeState& s = g_scope;
    s.last_period_tick = now;
    ++s.periods;
    if (s.countdown > 0) --s.countdown;
    if (s.activity > 0) --s.activity;
    switch (s.state) {
        case SCOPE_START:
            s.state =
                scope_send_start(s.page, scope_start_settings(g_scope_active)) ? SCOPE_WAITING : SCOPE_IDLE;
            s.countdown = RETRY_PERIODS;
            set_progress(0);
            break;
        case SCOPE_WAITING:
            // The acknowledgement is looked for once per period.
            if (scope_poll() == LINK_OK && g_scope_reply.start_ack) {
                s.received = 0;
                request_next_block();
                s.state = SCOPE_FETCHING;
            } else {
                if (s.periods & 1) scope_send_pending_drive();
                // Unacknowledged: the start command goes out again.
                if (s.countdown == 0) s.state = SCOPE_START;
            }
            set_progress(0);
            break;
        case SCOPE_FETCHING:
            if (s.countdown == 0) request_next_block();
            set_progress(fetching_progress());
            break;
        case SCOPE_COMPLETE:
            if (s.countdown > 0) {
                set_progress(100);
                break;
            }
            send_status_with_drive(g_test_drive);
            if (g_scope_active.kind == SCOPE_KIND_CONTINUOUS) {
                // The next capture of a continuous measurement takes the settings as edited now.
                g_scope_active = g_scope_edited;
                validate_scope_settings(g_scope_active);
                clear_receive();
                s.state = SCOPE_START;
                s.countdown = 0;
            } else {
                set_progress(100);
            }
            break;
        case SCOPE_STOP:
            (void)scope_stop();  // the dimmer drops its capture; nothing more to wait for
            s.state = SCOPE_IDLE;
            s.countdown = RETRY_PERIODS;
            set_progress(0);
            break;
        default:
            send_status_with_drive(g_test_drive);
            set_progress(0);
            break;
    }
}

void fetching_tick() {
    ScopeState& s = g_scope;
    if (scope_poll() != LINK_OK) return;
    const ScopeReply& r = g_scope_reply;
    if (r.data_length > 0) {
        scope_append_block(r.data);
        s.activity = ACTIVITY_PERIODS;
        if (s.received >= SCOPE_CAPTURE_SIZE) {
            capture_complete();
            return;
        }
        // On every other tick a pending test drive goes first; its status
        // reply then asks for the block.
        if ((s.ticks & 1) && scope_send_pending_drive()) {
            s.countdown = RETRY_PERIODS;
            return;
        }
        request_next_block();
    } else if (r.state_count > 0) {
        if ((r.state_word >> 8) == 2) {
            // The dimmer ended the acquisition; the shown capture stays.
            s.state = SCOPE_IDLE;
            s.countdown = RETRY_PERIODS;
            s.activity = 0;
            return;
        }
        // Not ready yet: keep the drive going and ask again later.
        send_status_with_drive(g_test_drive);
        s.countdown = RETRY_PERIODS;
        s.activity = ACTIVITY_PERIODS;
    } else if (r.status.valid) {
        request_next_block();
    }
}

void tick_step() {
    switch (g_scope.state) {
        case SCOPE_WAITING:
            break;
        case SCOPE_FETCHING:
            fetching_tick();
            break;
        default:
            // Keeps the receive path drained and the polled status slot current.
            (void)poll_status_reply();
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

uint32_t ScopeSection(const ScopeSettings& s) {
    if (s.kind == SCOPE_KIND_LOAD_TEST) return SCOPE_SECTION_LOAD;
    if (s.kind == SCOPE_KIND_FAULT) return SCOPE_SECTION_ZERO;
    return s.section;
}

ScopeStartSettings scope_start_settings(const ScopeSettings& s) {
    return {s.dimmer, s.kind, s.section, s.current_range, s.half_period};
}

int16_t capture_voltage(const ScopeCapture& c, int index) {
    return int16_t(get_u16le(c.bytes + VOLTAGE_AT + 2 * size_t(index)));
}

int16_t capture_current(const ScopeCapture& c, int index) {
    return int16_t(get_u16le(c.bytes + CURRENT_AT + 2 * size_t(index)));
}

uint32_t capture_zero_time_us(const ScopeCapture& c) { return get_u32le(c.bytes + ZERO_TIME_AT); }
uint32_t capture_switching_time_us(const ScopeCapture& c) { return get_u32le(c.bytes + SWITCHING_TIME_AT); }

void scope_set_hooks(const ScopeHooks& hooks) { g_hooks = hooks; }

void scope_load_settings() {
    ScopeSettings s;
    s.dimmer = uint32_t(settings_read_int(SECTION, "DM", 0));
    s.kind = uint32_t(settings_read_int(SECTION, "TYPE", 0));
    s.section = uint32_t(settings_read_int(SECTION, "SPEC", 0));
    s.current_range = uint32_t(settings_read_int(SECTION, "I", 0));
    s.half_period = uint32_t(settings_read_int(SECTION, "HPER", 0));
    validate_scope_settings(s);
    g_scope_edited = g_scope_active = g_scope_displayed = s;
    g_scope.state = SCOPE_IDLE;
    g_scope.countdown = RETRY_PERIODS;
    clear_receive();
    std::memset(&g_scope_reply, 0, sizeof g_scope_reply);
    std::memset(&g_scope_capture_shown, 0, sizeof g_scope_capture_shown);
    if (g_hooks.capture_cleared) g_hooks.capture_cleared();
}

void scope_save_settings() {
    const ScopeSettings& s = g_scope_edited;
    settings_write_int(SECTION, "DM", int32_t(s.dimmer));
    settings_write_int(SECTION, "TYPE", int32_t(s.kind));
    settings_write_int(SECTION, "SPEC", int32_t(s.section));
    settings_write_int(SECTION, "I", int32_t(s.current_range));
    settings_write_int(SECTION, "HPER", int32_t(s.half_period));
}

void scope_step() {
    ScopeState& s = g_scope;
    if (!s.page_active || s.page == nullptr) return;
    const uint32_t now = tick_count_ms();
    ++s.ticks;
    if (ticks_elapsed(s.last_period_tick, now) >= SCOPE_PERIOD_MS) period_step(now);
    tick_step();
}

void scope_start_measurement() {
    validate_scope_settings(g_scope_edited);
    g_scope_active = g_scope_displayed = g_scope_edited;
    clear_receive();
    g_scope.state = SCOPE_START;
    g_scope.countdown = 0;
}

void scope_reset() {
    g_scope.state = SCOPE_STOP;
    g_scope.countdown = 0;
}

bool scope_send_pending_drive() {
    if (!g_test_drive.pending[0] && !g_test_drive.pending[1]) return false;
    send_status_with_drive(g_test_drive);
    return true;
}

bool scope_append_block(const uint8_t block[SCOPE_BLOCK_DATA]) {
    ScopeState& s = g_scope;
    if (uint32_t(block[0]) * SCOPE_BLOCK_SIZE != s.received || s.received >= SCOPE_CAPTURE_SIZE) return false;
    uint32_t n = SCOPE_CAPTURE_SIZE - s.received;
    if (n > SCOPE_BLOCK_SIZE) n = SCOPE_BLOCK_SIZE;
    std::memcpy(g_scope_receive.bytes + s.received, block + 1, n);
    s.received += n;
    return true;
}
