// Arbitrary bytes through the frame parser, and through a reference receiver
// written here from the frame rules alone, in the plainest way: both must
// complete frames at the same bytes and hold the same frame, byte for byte.
// Every frame must also come back unchanged when encoded and parsed again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <numeric>
#include <vector>

#include "link/frame.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

// The receiver rules: a frame runs from flag 7F to flag 7F and holds at most
// 261 bytes with both flags once unstuffed; between the flags 7E FE stands for
// 7E and 7E FF for 7F, any other byte after 7E (7E again included) drops the
// frame; a closing flag also opens the next frame; a frame counts when it has
// address, command byte and checksum at least and its bytes between the flags
// add up to 0 in 8 bits; bytes outside a frame are noise.
struct ReferenceReceiver {
    std::vector<uint8_t> frame;  // unstuffed, from the opening flag on; empty: outside a frame
    bool escape = false;
    std::vector<uint8_t> completed;  // the frame the last push completed

    // Room for the longest frame once, not a new allocation as a frame grows.
    ReferenceReceiver() {
        frame.reserve(262);
        completed.reserve(262);
    }

    void open_next() {
        frame.assign(1, 0x7F);
        escape = false;
    }
    void drop() {
        frame.clear();
        escape = false;
    }

    // Whether this byte completes a frame (then in `completed`).
    bool push(uint8_t b) {
        completed.clear();
        if (b == 0x7E) {
            if (frame.empty()) return false;
            if (escape)
                drop();
            else
                escape = true;
            return false;
        }
        if (b == 0x7F) {
            if (frame.size() >= 261) {
                open_next();
                return false;
            }
            completed.assign(frame.begin(), frame.end());
            completed.push_back(0x7F);
            open_next();
            const auto add = [](uint8_t a, uint8_t x) { return uint8_t(a + x); };
            const bool good =
                completed.size() >= 5 &&
                std::accumulate(completed.begin() + 1, completed.end() - 1, uint8_t(0), add) == 0;
            if (!good) completed.clear();
            return good;
        }
        if (frame.empty()) return false;
        if (frame.size() >= 261) {
            drop();
            return false;
        }
        if (escape) {
            escape = false;
            if (b == 0xFF)
                frame.push_back(0x7F);
            else if (b == 0xFE)
                frame.push_back(0x7E);
            else
                drop();
            return false;
        }
        frame.push_back(b);
        return false;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FrameParser parser;
    frame_parser_reset(parser);
    ReferenceReceiver reference;
    for (size_t i = 0; i < size; ++i) {
        const bool completed = frame_parser_push(parser, data[i]);
        check(completed == reference.push(data[i]));
        if (!completed) {
            check(parser.completed == 0 && parser.pos <= FRAME_MAX_LENGTH);
            continue;
        }
        const size_t length = parser.completed;
        const std::vector<uint8_t>& expected = reference.completed;
        check(length == expected.size());
        for (size_t k = 0; k < length; ++k) check(parser.buffer[k] == expected[k]);

        Frame frame;
        check(frame_decode(parser, &frame) && frame.length == length - 5);
        // Encoded again, the frame parses back to the same bytes.
        uint8_t wire[FRAME_MAX_STUFFED];
        const size_t n =
            frame_encode(frame.address, frame.sub_address, frame.code, frame.payload, frame.length, wire);
        FrameParser again;
        frame_parser_reset(again);
        bool done = false;
        for (size_t k = 0; k < n; ++k) done = frame_parser_push(again, wire[k]);
        check(done && again.completed == length);
        for (size_t k = 0; k < length; ++k) check(again.buffer[k] == parser.buffer[k]);
    }
    return 0;
}
