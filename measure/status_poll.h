// The dimmer-status page's polling: while the page is shown, a status request
// carrying the test drive goes out at most every 100 ms and each valid reply
// is shown as it completes; while neither measurement page is shown, the
// receive path is only drained. The poll keeps no window: the caller says
// which page is shown and puts the shown slot on screen.
#pragma once

#include <cstdint>

#include "link/status_record.h"

struct StatusPoll {
    StatusSlots slots;
    bool page_active;            // the status page is the page shown
    uint32_t last_request_tick;  // when the last periodic request went out
    uint32_t heartbeat;          // advances with each reply shown; starts at 1
};

// What the page around the poll step must do.
struct StatusPollResult {
    bool shown;                   // a reply was copied into the shown slot: display it
    uint32_t heartbeat_position;  // 0..99, for the status-bar indicator when shown
};

constexpr uint32_t STATUS_POLL_PERIOD_MS = 100;

// One timer tick at time now. While neither measurement page is active it only
// drains the receive path. While the oscilloscope page is active it leaves the
// line to the oscilloscope. On the status page it sends a request with the
// test drive at most every 100 ms, and shows each status reply as it
// completes.
StatusPollResult status_poll_step(StatusPoll& poll, TestDrive& drive, bool scope_page_active, uint32_t now);

// The page becoming active: heartbeat back to 1, pending drive flags cleared,
// page active, port opened. Leaving it: page inactive, port closed. The Win32
// page adds its status-bar indicator and refresh around these.
void status_page_activate(StatusPoll& poll, TestDrive& drive);
void status_page_deactivate(StatusPoll& poll);

// Sends a status request carrying both pending flags and drive values, then
// clears both flags whether or not the request went out (nothing goes out
// while the port is closed).
void send_status_with_drive(TestDrive& drive);
