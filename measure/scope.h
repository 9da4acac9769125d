// The oscilloscope's acquisition side: the measurement settings and their
// place in the settings file, the capture buffers, and the state machine the
// periodic timer steps while the oscilloscope page is shown. It starts a
// capture in the dimmer, waits for the acknowledgement, fetches the 2012
// recorded bytes in blocks of 200 and hands the complete capture on; between
// captures it keeps sending status requests so the test drive reaches the
// dimmer.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/ui.h"
#include "link/protocol.h"
#include "link/scope_commands.h"
#include "link/scope_reply.h"
#include "link/status_record.h"

// ---- settings

constexpr uint32_t SCOPE_KIND_SINGLE = 0;      // "Einzelmessung"
constexpr uint32_t SCOPE_KIND_FAULT = 1;       // "Messung bei/nach Fehler"
constexpr uint32_t SCOPE_KIND_START_UP = 2;    // "Messung bei Start"
constexpr uint32_t SCOPE_KIND_LOAD_TEST = 3;   // "Last-Test"
constexpr uint32_t SCOPE_KIND_CONTINUOUS = 4;  // "Dauermessung"

constexpr uint32_t SCOPE_SECTION_PERIOD = 0;     // "Volle Periode"
constexpr uint32_t SCOPE_SECTION_ZERO = 1;       // "Nulldurchgang"
constexpr uint32_t SCOPE_SECTION_SWITCHING = 2;  // "Schaltvorgang"
constexpr uint32_t SCOPE_SECTION_LOAD = 3;       // the load test's own section

constexpr uint32_t SCOPE_MAX_HALF_PERIOD = 500;

// Section "SCOPE" of the settings file, keys "DM", "TYPE", "SPEC", "I", "HPER".
struct ScopeSettings {
    uint32_t dimmer;         // 0 dimmer 1, 1 dimmer 2
    uint32_t kind;           // SCOPE_KIND_*
    uint32_t section;        // SCOPE_SECTION_PERIOD .. SCOPE_SECTION_SWITCHING
    uint32_t current_range;  // 1..6: ±0.5, ±1, ±2, ±4, ±8, ±16 A
    uint32_t half_period;    // 0..500, for the start-up capture
};

// Anything but dimmer 1 becomes 0, a kind above 4 and a section above 2
// become 0, a current range of 0 or above 6 becomes 6. The half-period number
// is left alone (the page's edit limits it).
void validate_scope_settings(ScopeSettings& settings);

// The section the capture covers: the load test and the fault capture have
// their own, the other kinds take the section chosen.
uint32_t scope_section(const ScopeSettings& settings);

ScopeStartSettings scope_start_settings(const ScopeSettings& settings);

// ---- capture

// As the dimmer records it (the layout is in protocol.h).
struct ScopeCapture {
    uint8_t bytes[SCOPE_CAPTURE_SIZE];
};

int16_t capture_voltage(const ScopeCapture& capture, int index);  // 0.1 V
int16_t capture_current(const ScopeCapture& capture, int index);  // mA
uint32_t capture_zero_time_us(const ScopeCapture& capture);
uint32_t capture_switching_time_us(const ScopeCapture& capture);

// ---- the acquisition

enum class ScopeState : uint32_t {
    idle = 0,
    start = 1,     // the start command goes out on the next period
    waiting = 2,   // for the acknowledgement
    fetching = 3,  // the recorded blocks
    complete = 4,
    stop = 101,  // the stop command goes out on the next period
};

constexpr uint32_t SCOPE_PERIOD_MS = 100;

// What the last request of the fetching waits for.
enum class ScopeAwaited : uint8_t {
    nothing = 0,
    block = 1,   // a block, or the dimmer's state while it still records
    status = 2,  // a status reply, which then asks for the block
};

// What the page (or kv310r-cli) is told. Any may be null.
struct ScopeHooks {
    // The progress value changed.
    void (*progress)(uint32_t value);
    // A capture is complete: the displayed settings and the shown capture hold it.
    void (*capture_complete)();
    // The shown capture was cleared (settings loaded): nothing to plot.
    void (*capture_cleared)();
};

// One oscilloscope and everything its acquisition keeps between timer ticks.
// The owner (the program, kv310r-cli, a test) keeps it as a value; a
// zero-initialised session is idle with nothing captured.
struct ScopeSession {
    // Edited by the page's controls; active for the acquisition under way;
    // displayed for the capture on screen.
    ScopeSettings edited;
    ScopeSettings active;
    ScopeSettings displayed;
    ScopeCapture receiving;      // being filled
    ScopeCapture shown_capture;  // copied from it when a capture completes
    ScopeReply reply;            // what the last poll received
    ScopeState state;
    uint32_t countdown;  // periods until a retry or the next step
    uint32_t activity;   // periods the last block keeps the progress bar alive
    uint32_t received;   // bytes of the capture received, 0..2012
    uint32_t last_period_tick;
    uint32_t periods;
    uint32_t ticks;
    uint32_t progress;  // 0..100, progress bar IDC_SCOPE_PROGRESS
    bool page_active;   // the oscilloscope page is the page shown
    ScopeHooks hooks;
    // While fetching: the reply a request waits for, and when it went out.
    ScopeAwaited awaited;
    uint32_t request_tick;
};

// Program start: reads the five settings (default 0), validates them, copies
// them into all three copies, resets the state machine and the buffers and
// clears the shown capture.
void scope_load_settings(ScopeSession& session);
// Program end: writes the edited settings.
void scope_save_settings(const ScopeSession& session);

// One timer tick at time now; does nothing unless the page is active. Every
// 100 ms a period step runs, then on every tick a tick step. Status replies go
// to the polled slot, the test drive out with the status requests; a failing
// start command shows its message owned by owner, and so does a port that
// fails while a capture is awaited or fetched (link_port_failed), which ends
// the acquisition.
//
// While fetching, a reply that can be complete before the next tick is waited
// for in the step (link_idle_wait): asleep until its bytes can have arrived,
// then a millisecond at a time until it is taken, a window message is waiting
// or it is well overdue. So each reply is taken when it has arrived rather
// than up to a tick later (16 ms on Windows), and the next request goes out
// then; what is sent, and in reply to what, stays as it was.
void scope_step(ScopeSession& session, StatusSlots& slots, TestDrive& drive, WindowRef owner, uint32_t now);

// "Messen": the edited settings become the active and displayed ones, the
// receive buffer is emptied, the start command goes out on the next period.
void scope_start_measurement(ScopeSession& session);
// "Messen" at time now: as above, and the periods start over from now, so the
// start command goes out with the next tick instead of up to a period later.
void scope_start_measurement_at(ScopeSession& session, uint32_t now);
// "Reset": the stop command goes out on the next period.
void scope_reset(ScopeSession& session);
// Sends a status request with the test drive if either dimmer has a drive
// value pending, then clears both flags. True when a request was sent.
bool scope_send_pending_drive(TestDrive& drive);
// Appends a received block (block index, then up to 200 data bytes) when its
// index matches the bytes received so far. True when it was taken.
bool scope_append_block(ScopeSession& session, const uint8_t block[SCOPE_BLOCK_DATA]);
