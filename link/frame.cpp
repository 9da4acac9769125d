#include "link/frame.h"

namespace {

void put_stuffed(FrameEncoder& enc, uint8_t b) {
    if (b == FRAME_ESCAPE || b == FRAME_FLAG) {
        enc.buffer[enc.fill++] = FRAME_ESCAPE;
        enc.buffer[enc.fill++] = b == FRAME_ESCAPE ? 0xFE : 0xFF;
    } else {
        enc.buffer[enc.fill++] = b;
    }
}

// Drops the frame being collected; this flag opens the next one.
void restart(FrameParser& p) {
    p.buffer[0] = FRAME_FLAG;
    p.pos = 1;
    p.escape = false;
}

void discard(FrameParser& p) {
    p.pos = 0;
    p.escape = false;
}

void store(FrameParser& p, uint8_t b) { p.buffer[p.pos++] = b; }

}  // namespace

void frame_begin(FrameEncoder& enc, uint8_t address, uint8_t sub_address, uint8_t code) {
    const uint8_t command = uint8_t(code | sub_address);
    enc.fill = 0;
    enc.buffer[enc.fill++] = FRAME_FLAG;
    put_stuffed(enc, address);
    put_stuffed(enc, command);
    enc.sum = uint8_t(address + command);
}

bool frame_put(FrameEncoder& enc, const uint8_t* bytes, size_t count) {
    // Room for the bytes in stuffed form, then two for a stuffed checksum and
    // one for the closing flag.
    if (enc.fill + 2 * count + 3 > FRAME_MAX_STUFFED) return false;
    for (size_t i = 0; i < count; ++i) {
        put_stuffed(enc, bytes[i]);
        enc.sum = uint8_t(enc.sum + bytes[i]);
    }
    return true;
}

bool frame_finish(FrameEncoder& enc) {
    if (enc.fill + 3 > FRAME_MAX_STUFFED) return false;
    put_stuffed(enc, uint8_t(-enc.sum));
    enc.buffer[enc.fill++] = FRAME_FLAG;
    return true;
}

size_t frame_encode(uint8_t address, uint8_t sub_address, uint8_t code, const uint8_t* payload, size_t length,
                    uint8_t* out) {
    if (length > FRAME_MAX_PAYLOAD) return 0;
    FrameEncoder enc;
    frame_begin(enc, address, sub_address, code);
    frame_put(enc, payload, length);  // always fits: at most 5 + 512 + 3 bytes
    frame_finish(enc);
    for (size_t i = 0; i < enc.fill; ++i) out[i] = enc.buffer[i];
    return enc.fill;
}

void frame_parser_reset(FrameParser& p) {
    p.pos = 0;
    p.escape = false;
    p.completed = 0;
}

bool frame_parser_push(FrameParser& p, uint8_t b) {
    p.completed = 0;
    if (b == FRAME_ESCAPE) {
        if (p.pos == 0) return false;
        if (p.escape)
            discard(p);  // two escape bytes in a row
        else
            p.escape = true;
        return false;
    }
    if (b == FRAME_FLAG) {
        if (p.pos >= FRAME_MAX_LENGTH) {  // overlong frame
            restart(p);
            return false;
        }
        store(p, b);
        if (p.pos < FRAME_MIN_LENGTH) {  // too short; the flag opens the next frame
            restart(p);
            return false;
        }
        uint8_t sum = 0;
        for (size_t i = 1; i + 1 < p.pos; ++i) sum = uint8_t(sum + p.buffer[i]);
        const size_t length = p.pos;
        restart(p);  // the closing flag is also the next opening flag
        if (sum != 0) return false;
        p.completed = length;
        return true;
    }
    if (p.pos == 0) return false;  // noise outside a frame
    if (p.pos >= FRAME_MAX_LENGTH) {
        discard(p);
        return false;
    }
    if (p.escape) {
        p.escape = false;
        if (b == 0xFF)
            store(p, FRAME_FLAG);
        else if (b == 0xFE)
            store(p, FRAME_ESCAPE);
        else
            discard(p);
        return false;
    }
    store(p, b);
    return false;
}

bool frame_decode(const FrameParser& p, Frame* out) {
    if (p.completed < FRAME_MIN_LENGTH) return false;
    const uint8_t command = p.buffer[2];
    out->address = p.buffer[1];
    out->sub_address = uint8_t(command & 0x07);
    out->code = uint8_t(command & 0xF8);
    out->payload = p.buffer + 3;
    out->length = p.completed - 5;
    return true;
}
