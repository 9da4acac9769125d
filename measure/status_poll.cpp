#include "measure/status_poll.h"

#include <cstring>

#include "base/ticks.h"
#include "link/commands.h"
#include "link/device_ops.h"
#include "link/link.h"
#include "measure/status_text.h"

void send_status_with_drive(TestDrive& drive) {
    clamp_test_drive(drive);
    (void)send_status_request(uint8_t(drive.pending[0]), uint16_t(drive.value[0]), uint8_t(drive.pending[1]),
                              uint16_t(drive.value[1]));
    drive.pending[0] = drive.pending[1] = 0;
}

StatusPollResult status_poll_step(StatusPoll& poll, TestDrive& drive, bool scope_page_active, uint32_t now) {
    StatusPollResult result = {false, false, 0};
    if (!poll.page_active && !scope_page_active) {
        // Nobody shows the status: only keep the receive path drained.
        (void)poll_status_reply(poll.slots);
        return result;
    }
    // The oscilloscope page is shown: it does its own receiving.
    if (!poll.page_active) return result;
    if (link_port_failed()) {
        // The port did not open or its adapter was pulled: nothing can answer
        // until the page is shown again and opens it afresh. The page is
        // blanked once and says so; nothing is sent or read meanwhile.
        if (!poll.silent) {
            poll.silent = true;
            poll.slots.shown = {};
            result.fell_silent = true;
        }
        poll.awaiting_reply = false;
        return result;
    }
    if (ticks_elapsed(poll.last_request_tick, now) >= STATUS_POLL_PERIOD_MS) {
        poll.last_request_tick = now;
        if (poll.unanswered >= STATUS_SILENCE_REQUESTS && !poll.silent) {
            poll.silent = true;
            poll.slots.shown = {};
            result.fell_silent = true;
        }
        if (poll.unanswered < STATUS_SILENCE_REQUESTS) ++poll.unanswered;
        send_status_with_drive(drive);
        poll.awaiting_reply = true;
    }
    if (!poll.awaiting_reply || ticks_elapsed(poll.last_request_tick, now) < STATUS_REPLY_MIN_MS)
        return result;
    if (poll_newest_status_reply(poll.slots) != LINK_OK) return result;
    poll.awaiting_reply = false;
    poll.unanswered = 0;
    poll.silent = false;
    poll.heartbeat = (poll.heartbeat + 3) % 100000;
    poll.slots.shown = poll.slots.polled;
    result.shown = true;
    result.fell_silent = false;
    result.heartbeat_position = poll.heartbeat % 100;
    return result;
}

void status_page_activate(StatusPoll& poll, TestDrive& drive) {
    poll.heartbeat = 1;
    poll.unanswered = 0;
    poll.silent = false;
    drive.pending[0] = drive.pending[1] = 0;
    poll.page_active = true;
    // A port that does not open (the adapter is out) leaves the page empty
    // with the port message (status_poll_step); nothing is sent meanwhile.
    (void)link_open();
}

void status_page_deactivate(StatusPoll& poll) {
    poll.page_active = false;
    link_close();
}

StatusTexts status_page_texts(const StatusPoll& poll, const PortSettings& port) {
    StatusTexts t = status_texts(poll.slots.shown);
    // Without a port name the no-answer text says that one must be chosen.
    if (poll.silent)
        t.diagnostics = link_port_failed() && port.name[0] != '\0' ? link_status_message(LINK_ERR_PORT)
                                                                    : no_answer_text(port);
    return t;
}

void status_poll_follow_port(StatusPoll& poll, const PortSettings& before) {
    if (!poll.page_active) return;
    if (std::strcmp(before.name, g_port_settings.name) != 0 || before.address != g_port_settings.address) {
        link_close();
        poll.slots.shown = {};
        poll.unanswered = 0;
        poll.silent = false;
        poll.awaiting_reply = false;
    }
    (void)link_open();
}

bool status_page_fetch(StatusPoll& poll, WindowRef owner) {
    if (!status_fetch(owner, poll.slots)) {
        poll.slots.shown = {};
        return false;
    }
    poll.slots.shown = poll.slots.fetched;
    poll.unanswered = 0;
    poll.silent = false;
    (void)link_open();
    return true;
}

void status_page_fetch_drive(StatusPoll& poll, TestDrive& drive, int dimmer, WindowRef owner) {
    drive.pending[dimmer] = 1;
    clamp_test_drive(drive);
    (void)status_fetch_drive(owner, poll.slots, uint8_t(drive.pending[0]), uint16_t(drive.value[0]),
                             uint8_t(drive.pending[1]), uint16_t(drive.value[1]));
    drive.pending[0] = drive.pending[1] = 0;
    (void)link_open();
}
