// The dimmer-status page's polling: while the page is shown, a status request
// carrying the test drive goes out at most every 100 ms and the newest valid
// reply is shown as it completes; while neither measurement page is shown, the
// receive path is only drained. The poll keeps no window: the caller says
// which page is shown and puts the shown slot on screen.
#pragma once

#include <cstdint>

#include "base/ui.h"
#include "link/link.h"
#include "link/status_record.h"
#include "measure/status_text.h"

struct StatusPoll {
    StatusSlots slots;
    bool page_active;            // the status page is the page shown
    uint32_t last_request_tick;  // when the last periodic request went out
    uint32_t heartbeat;          // advances with each reply shown; starts at 1
    uint32_t unanswered;         // periodic requests sent since the last reply shown
    bool awaiting_reply;         // a request went out and its reply has not been shown yet
    bool silent;                 // the dimmer has fallen silent; its next reply ends it
};

// What the page around the poll step must do.
struct StatusPollResult {
    bool shown;                   // a reply was copied into the shown slot: display it
    bool fell_silent;             // the dimmer fell silent, the shown slot was cleared: display it
    uint32_t heartbeat_position;  // 0..99, for the status-bar indicator when shown
};

constexpr uint32_t STATUS_POLL_PERIOD_MS = 100;
// No status reply is complete sooner than the request (a 13-byte frame) and
// the reply (at least 116 bytes) take on the line at 38400 baud with 11 bits
// a byte: 36.9 ms. The port is first read then, so a reply usually comes in
// with a single read, on the tick it completes; an earlier read would only
// find part of it (each read is a system call, two calls into Wine's server).
constexpr uint32_t STATUS_REPLY_MIN_MS = 36;
// A dimmer that has left this many periodic requests in a row unanswered (a
// second) is gone: its last status is cleared rather than shown as if it
// were current, and the page says that nobody answers. The fields fill again
// with its next reply.
constexpr uint32_t STATUS_SILENCE_REQUESTS = 10;

// One timer tick at time now. While neither measurement page is active it only
// drains the receive path. While the oscilloscope page is active it leaves the
// line to the oscilloscope. On the status page it sends a request with the
// test drive at most every 100 ms, and shows the newest status reply waiting
// as it completes (older ones still waiting are superseded). A reply only
// ever follows a request, and takes its time on the line: the port is read
// from STATUS_REPLY_MIN_MS after a request until a reply is shown, not on
// every tick (each read is a system call). While the port has failed (it did
// not open, or its adapter was pulled) the page is blanked at once and the
// step does nothing more until the page is shown anew.
StatusPollResult status_poll_step(StatusPoll& poll, TestDrive& drive, bool scope_page_active, uint32_t now);

// The page becoming active: heartbeat back to 1, pending drive flags cleared,
// page active, port opened. Leaving it: page inactive, port closed. The Win32
// page adds its status-bar indicator and refresh around these.
void status_page_activate(StatusPoll& poll, TestDrive& drive);
void status_page_deactivate(StatusPoll& poll);

// The page's "Aktualisieren": one status fetched synchronously (busy window,
// owner for its messages). Success shows it and opens the port again for the
// polling (the fetch closes it); failure clears the shown slot and leaves the
// port closed until the page is next activated. The caller refreshes the page.
bool status_page_fetch(StatusPoll& poll, WindowRef owner);
// "Aktualisieren" beside a dimmer's drive value: that dimmer's drive is sent
// at once with a synchronous fetch carrying both dimmers' pending flags and
// values; then both flags are cleared and the port opened again, whatever the
// outcome. The reply lands in the fetched slot only: the shown slot changes
// with the next poll.
void status_page_fetch_drive(StatusPoll& poll, TestDrive& drive, int dimmer, WindowRef owner);

// What the page shows: the shown slot's texts, and while the dimmer is silent
// the no-answer text for the port settings in the diagnostic block, or the
// link's port message while the port has failed (link_port_failed).
StatusTexts status_page_texts(const StatusPoll& poll, const PortSettings& port);

// The port settings may have changed while the page is shown (the dialog
// "Hardwareanschluss" also closes the port when it ends): the polling goes on
// at once with the live settings. When they differ from `before`, the old port
// is closed, the status from it no longer shown and the silence counted
// afresh; the port of the live settings is opened in any case. Nothing while
// the page is not shown.
void status_poll_follow_port(StatusPoll& poll, const PortSettings& before);

// Sends a status request carrying both pending flags and drive values, then
// clears both flags whether or not the request went out (nothing goes out
// while the port is closed).
void send_status_with_drive(TestDrive& drive);
