// The link's one frame encoder and one frame receiver, over the frame rules of
// frame.h. The codec turns frames into bytes and bytes into frames and nothing
// else: the link (link.h) writes the bytes it builds and hands it the bytes
// it reads. A frame is built either in one call (codec_encode) or piece by
// piece (codec_begin, codec_put_*, codec_finish).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "link/frame.h"
#include "link/link_status.h"

// Builds a whole frame: LINK_ERR_COMM, and nothing built, for a payload over
// 256 bytes; otherwise LINK_OK.
LinkStatus codec_encode(uint8_t address, uint8_t sub_address, uint8_t code, size_t length,
                        const uint8_t* payload);

// Starts a frame in the transmit buffer.
void codec_begin(uint8_t address, uint8_t sub_address, uint8_t code);
// Append little-endian payload values: LINK_OK, or LINK_ERR_COMM without
// appending when the frame would not fit the transmit buffer.
LinkStatus codec_put_u8(uint8_t value);
LinkStatus codec_put_u16(uint16_t value);
LinkStatus codec_put_u32(uint32_t value);
// Closes the frame: LINK_OK, or LINK_ERR_COMM when the checksum and the
// closing flag would not fit (then the frame is not to be sent).
LinkStatus codec_finish();

// The frame built last, as it goes on the wire (stuffed, both flags). Valid
// until the next frame is begun.
std::span<const uint8_t> codec_frame_bytes();

// Takes one byte that arrived on the line. True when it completes a valid
// frame, which is then in *frame (its payload valid until the next byte).
// Bytes that complete no frame stay in the receiver for the next.
bool codec_receive(uint8_t byte, Frame* frame);

// Forgets any partly received frame (program start, every port opening).
void codec_reset_receiver();
