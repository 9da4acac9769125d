// What one oscilloscope reply poll received. Every poll clears the whole record
// first, so it describes at most one reply.
#pragma once

#include <cstdint>

#include "link/status_record.h"

constexpr int SCOPE_BLOCK_DATA = 201;  // bytes of a 0x88 reply kept: block index + 200 data

struct ScopeReply {
    // 0x80 start acknowledgement: flag 1, then the u32 and u16 of its payload.
    uint32_t start_ack;
    uint32_t start_value;
    uint16_t start_word;
    // 0x88 sample block: length 201 when one arrived; the payload from the
    // block index on, a shorter payload leaving the rest zero.
    uint32_t data_length;
    uint8_t data[SCOPE_BLOCK_DATA];
    // 0x90 scope state: count 2 when one arrived, then its first two bytes (u16).
    uint32_t state_count;
    uint16_t state_word;
    // 0x10 status reply seen during the poll.
    StatusSlot status;
};
