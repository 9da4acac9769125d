// The exchange patterns every device operation is built on: a request sent once
// and a reply awaited under a time-out (waiting transaction), a request sent
// without waiting (send-only) and one non-blocking look for a reply (poll).
// The monitor shows each exchange as "Tx" and the request bytes, then "Rx" and
// every byte received.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/ui.h"
#include "link/frame.h"
#include "link/link.h"

// The reply a waiting transaction takes: sub-address 0, this command code, at
// least min_length payload bytes, and a payload starting with the prefix.
struct ReplyMatch {
    uint8_t code;
    size_t min_length;
    uint8_t prefix[2];
    size_t prefix_length;  // 0..2
};

bool reply_matches(const Frame& frame, const ReplyMatch& match);

// Feeds "\r\nTx", sends the request frame to the configured address, feeds
// "\r\nRx". A write that falls short is not reported: it ends in a missing
// reply. A port that has failed is closed (link_write_bytes).
void send_request(uint8_t code, const uint8_t* payload, size_t length);
// The same to the given address instead of the configured one.
void send_request_to(uint8_t address, uint8_t code, const uint8_t* payload, size_t length);

// Waits up to timeout_ms for a matching reply. Each pass: cancel query, one
// receive step, time-out check; a pass that found no byte waits in the OS for
// at most a millisecond. LINK_OK with *reply set (its payload is valid until
// the next receive step), LINK_CANCELLED, LINK_ERR_COMM after the time-out,
// or LINK_ERR_PORT at once when the port is closed (it failed under the
// request or a read).
LinkStatus wait_for_reply(const ReplyMatch& match, uint32_t timeout_ms, Frame* reply);

// Opens the port (closing it first when reopen is set, so it starts afresh),
// sends the request and waits for the reply. Must run inside an open busy
// window: without one the wait ends at once as cancelled.
LinkStatus waiting_transaction(bool reopen, uint8_t code, const uint8_t* payload, size_t length,
                               const ReplyMatch& match, uint32_t timeout_ms, Frame* reply);

// LINK_ERR_PORT without sending if the port is closed, else sends and returns
// LINK_OK.
LinkStatus send_only_transaction(uint8_t code, const uint8_t* payload, size_t length);

// One receive step: LINK_OK with *reply set when it completed a frame, else
// LINK_ERR_COMM. No waiting, no cancel query. With line_idle given, it also
// says whether the step ended because nothing more was waiting.
LinkStatus poll_reply(Frame* reply, bool* line_idle = nullptr);

// The end of a device operation that went wrong. An error closes the port and
// the busy window and shows the link's message owned by owner; a cancellation
// closes both silently. True in those two cases, false on success (nothing done).
bool operation_failed(LinkStatus status, WindowRef owner);
