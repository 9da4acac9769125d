#include "link/codec.h"

namespace {

FrameEncoder g_encoder;
FrameParser g_parser;

LinkStatus put(const uint8_t* bytes, size_t count) {
    return frame_put(g_encoder, bytes, count) ? LINK_OK : LINK_ERR_COMM;
}

}  // namespace

LinkStatus codec_encode(uint8_t address, uint8_t sub_address, uint8_t code, size_t length,
                        const uint8_t* payload) {
    if (length > FRAME_MAX_PAYLOAD) return LINK_ERR_COMM;
    codec_begin(address, sub_address, code);
    (void)put(payload, length);  // at most 256 bytes always fit
    return codec_finish();
}

void codec_begin(uint8_t address, uint8_t sub_address, uint8_t code) {
    frame_begin(g_encoder, address, sub_address, code);
}

LinkStatus codec_put_u8(uint8_t value) { return put(&value, 1); }

LinkStatus codec_put_u16(uint16_t value) {
    const uint8_t bytes[2] = {uint8_t(value), uint8_t(value >> 8)};
    return put(bytes, 2);
}

LinkStatus codec_put_u32(uint32_t value) {
    const uint8_t bytes[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16),
                              uint8_t(value >> 24)};
    return put(bytes, 4);
}

LinkStatus codec_finish() { return frame_finish(g_encoder) ? LINK_OK : LINK_ERR_COMM; }

std::span<const uint8_t> codec_frame_bytes() { return {g_encoder.buffer, g_encoder.fill}; }

bool codec_receive(uint8_t byte, Frame* frame) {
    return frame_parser_push(g_parser, byte) && frame_decode(g_parser, frame);
}

void codec_reset_receiver() { frame_parser_reset(g_parser); }
