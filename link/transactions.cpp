#include "link/transactions.h"

#include "link/busy.h"
#include "link/link.h"
#include "link/monitor_feed.h"
#include "port/port.h"

bool reply_matches(const Frame& frame, const ReplyMatch& match) {
    if (frame.sub_address != 0 || frame.code != match.code) return false;
    if (frame.length < match.min_length || frame.length < match.prefix_length) return false;
    for (size_t i = 0; i < match.prefix_length; ++i)
        if (frame.payload[i] != match.prefix[i]) return false;
    return true;
}

void send_request(uint8_t code, const uint8_t* payload, size_t length) {
    send_request_to(link_address(), code, payload, length);
}

void send_request_to(uint8_t address, uint8_t code, const uint8_t* payload, size_t length) {
    monitor_feed("\r\nTx");
    (void)link_send_frame(address, 0, code, length, payload);
    monitor_feed("\r\nRx");
}

LinkStatus wait_for_reply(const ReplyMatch& match, uint32_t timeout_ms, Frame* reply) {
    const uint32_t start = tick_count_ms();
    for (;;) {
        if (busy_cancelled()) return LINK_CANCELLED;
        Frame frame;
        const ReceiveStep step = link_receive_step(&frame);
        if (step == ReceiveStep::frame_complete) {
            monitor_feed("\r\n");
            if (reply_matches(frame, match)) {
                *reply = frame;
                return LINK_OK;
            }
        }
        // The port failed under the request or the read (the adapter was
        // pulled) and is closed: no reply can come.
        if (!link_port_is_open()) return LINK_ERR_PORT;
        // Checked after the receive step, so a reply completed in the same
        // pass still counts.
        if (link_timed_out(timeout_ms, start)) return LINK_ERR_COMM;
        if (step == ReceiveStep::nothing_waiting) link_idle_wait();
    }
}

LinkStatus waiting_transaction(bool reopen, uint8_t code, const uint8_t* payload, size_t length,
                               const ReplyMatch& match, uint32_t timeout_ms, Frame* reply) {
    if (reopen) link_close();
    const LinkStatus opened = link_open();
    if (opened != LINK_OK) return opened;
    send_request(code, payload, length);
    return wait_for_reply(match, timeout_ms, reply);
}

LinkStatus send_only_transaction(uint8_t code, const uint8_t* payload, size_t length) {
    if (!link_port_is_open()) return LINK_ERR_PORT;
    send_request(code, payload, length);
    return LINK_OK;
}

LinkStatus poll_reply(Frame* reply, bool* line_idle) {
    const ReceiveStep step = link_receive_step(reply);
    if (line_idle) *line_idle = step == ReceiveStep::nothing_waiting;
    if (step != ReceiveStep::frame_complete) return LINK_ERR_COMM;
    monitor_feed("\r\n");
    return LINK_OK;
}

bool operation_failed(LinkStatus status, WindowRef owner) {
    if (link_is_error(status)) {
        link_close();
        busy_close();
        link_report_error(owner, status);
        return true;
    }
    if (link_is_cancel(status)) {
        link_close();
        busy_close();
        return true;
    }
    return false;
}
