// The KV-310-R frame format as pure functions over plain state, shared by the
// link's codec, the virtual dimmer and the fuzz target.
//
// On the wire: 7F, address, command byte (bits 7..3 command code, bits 2..0
// sub-address), 0..256 payload bytes, checksum, 7F. The checksum makes the
// 8-bit sum of address, command byte, payload and checksum zero. Between the
// flags 7E is sent as 7E FE and 7F as 7E FF, so 7F on the wire always marks a
// frame boundary. Multi-byte payload values are little-endian.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr uint8_t FRAME_FLAG = 0x7F;
constexpr uint8_t FRAME_ESCAPE = 0x7E;
constexpr size_t FRAME_MAX_PAYLOAD = 256;
constexpr size_t FRAME_MAX_LENGTH = 261;   // unstuffed, both flags included
constexpr size_t FRAME_MAX_STUFFED = 520;  // 1 + 2 * 259 + 1
constexpr size_t FRAME_MIN_LENGTH = 5;     // flag, address, command, checksum, flag

// Transmit side: a frame built up in a fixed buffer.
struct FrameEncoder {
    uint8_t buffer[FRAME_MAX_STUFFED];
    size_t fill;
    uint8_t sum;  // running 8-bit sum of the unstuffed bytes after the opening flag
};

// Empties the buffer and puts the opening flag, address and command byte
// (code | sub_address), stuffed.
void frame_begin(FrameEncoder& enc, uint8_t address, uint8_t sub_address, uint8_t code);
// Appends payload bytes, stuffed. Refuses (false, nothing appended) unless the
// bytes in stuffed form plus a stuffed checksum and the closing flag still fit.
bool frame_put(FrameEncoder& enc, const uint8_t* bytes, size_t count);
// Appends the stuffed checksum and the closing flag; false if they do not fit.
bool frame_finish(FrameEncoder& enc);

// Builds a whole frame into out (room for FRAME_MAX_STUFFED bytes); returns its
// length, or 0 for a payload over 256 bytes.
size_t frame_encode(uint8_t address, uint8_t sub_address, uint8_t code, const uint8_t* payload, size_t length,
                    uint8_t* out);

// Receive side: reassembles frames from the byte stream.
struct FrameParser {
    uint8_t buffer[FRAME_MAX_LENGTH];  // one frame without stuffing, flags included
    size_t pos;                        // fill count
    bool escape;                       // the previous byte was 7E
    size_t completed;                  // length of the frame just completed, else 0
};

void frame_parser_reset(FrameParser& p);
// Feeds one byte. Returns true when it completes a frame with a good checksum;
// the frame then sits in buffer[0..completed) until the next byte is fed.
// Everything malformed is dropped silently.
bool frame_parser_push(FrameParser& p, uint8_t b);

// A completed frame, split into its fields. The payload points into the
// parser's buffer.
struct Frame {
    uint8_t address;
    uint8_t sub_address;  // command byte & 0x07
    uint8_t code;         // command byte & 0xF8
    const uint8_t* payload;
    size_t length;
};

// False when the parser holds no completed frame.
bool frame_decode(const FrameParser& p, Frame* out);
