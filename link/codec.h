// The link's one frame encoder and one frame parser, writing to and reading
// from the open port (link.h). Requests are built either in one call
// (codec_send) or piece by piece (codec_begin, codec_put_*, codec_finish).
#pragma once

#include <cstddef>
#include <cstdint>

#include "link/frame.h"
#include "link/link.h"

// Builds a whole frame and writes it: LINK_ERR_COMM without sending for a
// payload over 256 bytes, otherwise the port write's status (LINK_OK, or
// LINK_ERR_PORT when the port is closed or the write fails).
LinkStatus codec_send(uint8_t address, uint8_t sub_address, uint8_t code, size_t length,
                      const uint8_t* payload);

// Starts a frame in the transmit buffer.
void codec_begin(uint8_t address, uint8_t sub_address, uint8_t code);
// Append little-endian payload values: LINK_OK, or LINK_ERR_COMM without
// appending when the frame would not fit the transmit buffer.
LinkStatus codec_put_u8(uint8_t value);
LinkStatus codec_put_u16(uint16_t value);
LinkStatus codec_put_u32(uint32_t value);
// Closes the frame and writes it in one write: the port write's status, or
// LINK_ERR_COMM without writing when the frame would not fit.
LinkStatus codec_finish();

// What one receive step ended with.
enum class ReceiveStep {
    frame_complete,   // a valid frame is complete (codec_decode yields it)
    nothing_waiting,  // a read delivered no byte: nothing waiting, or the port is closed
    budget_used,      // 128 bytes taken without completing a frame
};

// One non-blocking parser step over at most 128 bytes from the port. Bytes
// that do not complete a frame stay in the parser for the next step.
ReceiveStep codec_receive_step();

// The frame completed by the last receive step; false when there is none. The
// payload view is valid until the next receive step.
bool codec_decode(Frame* out);

// Forgets any partly received frame (program start, every port opening).
void codec_reset_receiver();
