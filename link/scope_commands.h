// The oscilloscope commands: start and stop a capture (0x80), request a sample
// block (0x90), and one non-blocking poll that sorts the reply into a
// ScopeReply. All are driven from the periodic timer and never wait.
#pragma once

#include <cstdint>

#include "base/ui.h"
#include "link/link.h"
#include "link/scope_reply.h"
#include "link/status_record.h"

// The capture settings the start command carries (the oscilloscope settings
// "DM", "TYPE", "SPEC", "I", "HPER").
struct ScopeStartSettings {
    uint32_t dimmer;         // 0 or 1
    uint32_t kind;           // 0 single .. 4 continuous
    uint32_t section;        // 0 full period, 1 zero crossing, 2 switching
    uint32_t current_range;  // 1..6 (1 is the low range, ±0.5 A)
    uint32_t half_period;    // 0..500, only for the start-up capture
};

// The 6-byte start payload: dimmer number, device kind, u16 half-period,
// effective section, low-range flag.
void build_scope_start(const ScopeStartSettings& settings, uint8_t payload[6]);

// Closes and reopens the port, sends the start command; does not wait.
LinkStatus scope_start(const ScopeStartSettings& settings);
// Closes and reopens the port, sends the stop command (six zero bytes).
LinkStatus scope_stop();
// Send-only request for sample block index; LINK_ERR_PORT if the port is closed.
LinkStatus scope_data_request(uint8_t index);
// Clears reply, then one receive step: LINK_OK when a start acknowledgement, a
// sample block, a scope state or a status reply arrived and is stored in
// reply (a status reply also in the polled slot, as any polled status),
// otherwise LINK_ERR_COMM.
// With line_idle given, it also says whether the step ended because nothing
// more was waiting (rather than with a frame or after its share of bytes).
LinkStatus scope_poll(ScopeReply& reply, StatusSlots& slots, bool* line_idle = nullptr);

// The start command as the oscilloscope page sends it: on an error closes the
// port and any busy window and shows the message owned by page; on a
// cancellation closes both silently. True when the command went out.
bool scope_send_start(WindowRef page, const ScopeStartSettings& settings);
