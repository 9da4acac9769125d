#include "link/codec.h"

#include "link/link.h"

namespace {

FrameEncoder g_encoder;
FrameParser g_parser;

// Bytes taken per receive step, so the wait loops get back to the message pump
// regularly even while a long burst arrives.
constexpr int RECEIVE_STEP_BYTES = 128;

}  // namespace

int Codec_Send(uint8_t address, uint8_t sub_address, uint8_t code, size_t length, const uint8_t* payload) {
    if (length > FRAME_MAX_PAYLOAD) return -1;
    Codec_Begin(address, sub_address, code);
    for (size_t i = 0; i < length; ++i) Codec_PutU8(payload[i]);
    return Codec_Finish();
}

int Codec_Begin(uint8_t address, uint8_t sub_address, uint8_t code) {
    frame_begin(g_encoder, address, sub_address, code);
    return 0;
}

int Codec_PutU8(uint8_t value) { return frame_put(g_encoder, &value, 1); }

int Codec_PutU16(uint16_t value) {
    const uint8_t bytes[2] = {uint8_t(value), uint8_t(value >> 8)};
    return frame_put(g_encoder, bytes, 2);
}

int Codec_PutU32(uint32_t value) {
    const uint8_t bytes[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16),
                              uint8_t(value >> 24)};
    return frame_put(g_encoder, bytes, 4);
}

int Codec_Finish() {
    if (frame_finish(g_encoder) != 0) return -1;
    return Link_WriteBytes(g_encoder.buffer, g_encoder.fill);
}

int Codec_ReceiveStep() {
    g_parser.completed = 0;
    for (int i = 0; i < RECEIVE_STEP_BYTES; ++i) {
        const int b = Link_ReadByte();
        if (b < 0) return -1;
        if (frame_parser_push(g_parser, uint8_t(b))) return 1;
    }
    return 0;
}

bool Codec_Decode(Frame* out) { return frame_decode(g_parser, out); }

void Codec_ResetReceiver() { frame_parser_reset(g_parser); }
