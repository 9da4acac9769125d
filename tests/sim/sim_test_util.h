// Shared helpers for the simulator tests: build request frames, split reply
// bytes back into frames.
#pragma once

#include <cstdint>
#include <vector>

#include "link/frame.h"

struct DecodedFrame {
    uint8_t address;
    uint8_t sub_address;
    uint8_t code;
    std::vector<uint8_t> payload;
};

inline std::vector<uint8_t> request(uint8_t address, uint8_t code, std::vector<uint8_t> payload = {},
                                    uint8_t sub_address = 0) {
    uint8_t buf[FRAME_MAX_STUFFED];
    size_t n = frame_encode(address, sub_address, code, payload.data(), payload.size(), buf);
    return std::vector<uint8_t>(buf, buf + n);
}

inline std::vector<DecodedFrame> decode_all(const std::vector<uint8_t>& wire) {
    FrameParser p;
    frame_parser_reset(p);
    std::vector<DecodedFrame> frames;
    for (uint8_t b : wire) {
        if (!frame_parser_push(p, b)) continue;
        Frame f;
        if (frame_decode(p, &f)) {
            frames.push_back(
                {f.address, f.sub_address, f.code, std::vector<uint8_t>(f.payload, f.payload + f.length)});
        }
    }
    return frames;
}
