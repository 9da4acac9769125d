// The link's one frame encoder and one frame parser, writing to and reading
// from the open port (link.h). Requests are built either in one call
// (Codec_Send) or piece by piece (Codec_Begin, Codec_Put*, Codec_Finish).
#pragma once

#include <cstddef>
#include <cstdint>

#include "link/frame.h"

// Builds a whole frame and writes it. -1 without sending for a payload over
// 256 bytes, otherwise the result of the port write (0 written, -1 failed).
int Codec_Send(uint8_t address, uint8_t sub_address, uint8_t code, size_t length, const uint8_t* payload);

// Starts a frame in the transmit buffer. Always 0.
int Codec_Begin(uint8_t address, uint8_t sub_address, uint8_t code);
// Append little-endian payload values; -1 without appending if the transmit
// buffer lacks room.
int Codec_PutU8(uint8_t value);
int Codec_PutU16(uint16_t value);
int Codec_PutU32(uint32_t value);
// Closes the frame and writes it in one write: the port write's result, or -1
// without writing if the buffer lacks room.
int Codec_Finish();

// One non-blocking parser step over at most 128 bytes from the port: 1 as soon
// as a valid frame is complete, -1 as soon as a read delivers nothing (nothing
// waiting, or the port is closed), 0 after 128 bytes without a frame.
int Codec_ReceiveStep();

// The frame completed by the last receive step; false when there is none. The
// payload view is valid until the next receive step.
bool Codec_Decode(Frame* out);

// Forgets any partly received frame (program start, every port opening).
void Codec_ResetReceiver();
