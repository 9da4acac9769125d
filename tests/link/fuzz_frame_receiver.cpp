// Arbitrary bytes through the frame parser: it must never step outside its
// buffer, and every frame it reports must be 5..261 bytes long, framed by
// flags, with a zero checksum.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "link/frame.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FrameParser parser;
    frame_parser_reset(parser);
    for (size_t i = 0; i < size; ++i) {
        if (!frame_parser_push(parser, data[i])) {
            if (parser.completed != 0 || parser.pos > FRAME_MAX_LENGTH) std::abort();
            continue;
        }
        const size_t length = parser.completed;
        if (length < FRAME_MIN_LENGTH || length > FRAME_MAX_LENGTH) std::abort();
        if (parser.buffer[0] != FRAME_FLAG || parser.buffer[length - 1] != FRAME_FLAG) std::abort();
        uint8_t sum = 0;
        for (size_t k = 1; k + 1 < length; ++k) sum = uint8_t(sum + parser.buffer[k]);
        if (sum != 0) std::abort();
        Frame frame;
        if (!frame_decode(parser, &frame) || frame.length != length - 5) std::abort();
        // What the parser took in, encoded again, must parse back to the same frame.
        uint8_t wire[FRAME_MAX_STUFFED];
        const size_t n =
            frame_encode(frame.address, frame.sub_address, frame.code, frame.payload, frame.length, wire);
        FrameParser again;
        frame_parser_reset(again);
        bool done = false;
        for (size_t k = 0; k < n; ++k) done = frame_parser_push(again, wire[k]);
        if (!done || again.completed != length) std::abort();
        for (size_t k = 0; k < length; ++k)
            if (again.buffer[k] != parser.buffer[k]) std::abort();
    }
    return 0;
}
