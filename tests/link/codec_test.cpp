// Frame encoder and receive parser: wire bytes, stuffing, room rule and the
// parser's recovery from noise and damaged frames.
#include <gtest/gtest.h>

#include "link/codec.h"
#include "link/frame.h"
#include "tests/support/link_fakes.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes encode(uint8_t address, uint8_t code, const Bytes& payload, uint8_t sub = 0) {
    uint8_t out[FRAME_MAX_STUFFED];
    const size_t n = frame_encode(address, sub, code, payload.data(), payload.size(), out);
    return Bytes(out, out + n);
}

struct Received {
    uint8_t address;
    uint8_t sub_address;
    uint8_t code;
    Bytes payload;
    bool operator==(const Received&) const = default;
};

std::vector<Received> parse(const Bytes& stream) {
    FrameParser p;
    frame_parser_reset(p);
    std::vector<Received> out;
    for (uint8_t b : stream) {
        if (!frame_parser_push(p, b)) continue;
        Frame f;
        EXPECT_TRUE(frame_decode(p, &f));
        out.push_back({f.address, f.sub_address, f.code, Bytes(f.payload, f.payload + f.length)});
    }
    return out;
}

Bytes join(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

TEST(FrameEncoder, WireBytes) {
    struct Case {
        uint8_t address, code;
        Bytes payload;
        const char* wire;
    };
    const std::vector<Case> cases = {
        {1, 0x08, {}, "7f 01 08 f7 7f"},
        {0, 0x08, {}, "7f 00 08 f8 7f"},
        {1, 0x48, {0x03}, "7f 01 48 03 b4 7f"},
        {0x79, 0x08, {}, "7f 79 08 7e ff 7f"},                     // checksum 0x7F stuffed
        {0x7A, 0x08, {}, "7f 7a 08 7e fe 7f"},                     // checksum 0x7E stuffed
        {0x7F, 0x08, {0x7E, 0x00}, "7f 7e ff 08 7e fe 00 fb 7f"},  // address and payload stuffed
    };
    for (const Case& c : cases) EXPECT_EQ(hex(encode(c.address, c.code, c.payload)), c.wire);
}

TEST(FrameEncoder, LargestFrameAndOversizePayload) {
    // Every byte stuffed, the checksum (0x7F) included.
    Bytes payload(131, 0x7F);
    payload.insert(payload.end(), 125, 0x7E);
    const Bytes wire = encode(0x7F, 0x78, payload, 7);
    EXPECT_EQ(wire.size(), FRAME_MAX_STUFFED);
    EXPECT_EQ(hex(Bytes(wire.end() - 3, wire.end())), "7e ff 7f");
    const std::vector<Received> back = parse(wire);
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0], (Received{0x7F, 7, 0x78, payload}));

    uint8_t out[FRAME_MAX_STUFFED];
    const Bytes too_long(257, 0);
    EXPECT_EQ(frame_encode(1, 0, 0x10, too_long.data(), too_long.size(), out), 0u);
    EXPECT_EQ(codec_encode(1, 0, 0x10, too_long.size(), too_long.data()), LINK_ERR_COMM);
}

Bytes built_frame() {
    const std::span<const uint8_t> bytes = codec_frame_bytes();
    return Bytes(bytes.begin(), bytes.end());
}

TEST(FrameEncoder, RoomRuleReservesStuffedChecksumAndFlag) {
    // Address 0x7F and command byte 0x7F take two bytes each: fill 5.
    codec_begin(0x7F, 7, 0x78);
    for (int i = 0; i < 62; ++i) ASSERT_EQ(codec_put_u16(0x7E7E), LINK_OK);
    for (int i = 0; i < 65; ++i) ASSERT_EQ(codec_put_u16(0x7F7F), LINK_OK);  // fill 513
    EXPECT_EQ(codec_put_u32(0x7F7F7F7F), LINK_ERR_COMM);                     // needs fill + 11 <= 520
    EXPECT_EQ(codec_put_u16(0x7F7F), LINK_OK);  // fill + 7 == 520: fits, fill 517
    EXPECT_EQ(codec_put_u8(0), LINK_ERR_COMM);  // needs fill + 5 <= 520
    EXPECT_EQ(codec_finish(), LINK_OK);         // fill + 3 == 520; the checksum is 0x7E
    const Bytes wire = built_frame();
    EXPECT_EQ(wire.size(), 520u);
    const std::vector<Received> back = parse(wire);
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].payload.size(), 256u);
    EXPECT_EQ(back[0].payload[123], 0x7E);
    EXPECT_EQ(back[0].payload[255], 0x7F);

    // Little-endian values.
    codec_begin(1, 0, 0x10);
    EXPECT_EQ(codec_put_u16(0x1234), LINK_OK);
    EXPECT_EQ(codec_put_u32(0xA1B2C3D4), LINK_OK);
    EXPECT_EQ(codec_finish(), LINK_OK);
    EXPECT_EQ(parse(built_frame())[0].payload, (Bytes{0x34, 0x12, 0xD4, 0xC3, 0xB2, 0xA1}));

    // A whole frame in one call builds the same bytes as frame_encode.
    EXPECT_EQ(codec_encode(0x7F, 0, 0x08, 2, Bytes{0x7E, 0x00}.data()), LINK_OK);
    EXPECT_EQ(hex(built_frame()), "7f 7e ff 08 7e fe 00 fb 7f");
}

TEST(FrameParser, RecoversFromNoiseAndDamagedFrames) {
    const Bytes version = {0x7F, 0x01, 0x08, 0xF7, 0x7F};
    const Received version_rx = {1, 0, 0x08, {}};
    Bytes max_frame = encode(1, 0x48, Bytes(256, 0x11));
    Bytes overlong = encode(1, 0x48, Bytes(256, 0x11));
    // One byte more, checksum corrected so only the length is wrong.
    overlong.insert(overlong.begin() + 3, 0x01);
    overlong[overlong.size() - 2] = uint8_t(overlong[overlong.size() - 2] - 1);

    struct Case {
        const char* name;
        Bytes stream;
        std::vector<Received> expected;
    };
    const std::vector<Case> cases = {
        {"noise before the first flag", join({{0x01, 0xF7, 0x7E, 0xFF, 0x08}, version}), {version_rx}},
        {"frames sharing a flag",
         {0x7F, 0x01, 0x08, 0xF7, 0x7F, 0x02, 0x10, 0xEE, 0x7F},
         {version_rx, {2, 0, 0x10, {}}}},
        {"sub-address split from the code", {0x7F, 0x01, 0x49, 0x03, 0xB3, 0x7F}, {{1, 1, 0x48, {3}}}},
        {"too short, the flag opens the next frame", join({{0x7F, 0x01}, version}), {version_rx}},
        {"empty frame between flags", join({{0x7F}, version}), {version_rx}},
        {"261 bytes accepted", max_frame, {{1, 0, 0x48, Bytes(256, 0x11)}}},
        {"262 bytes dropped, next frame kept",
         join({overlong, Bytes(version.begin() + 1, version.end())}),
         {version_rx}},
        {"bad escape drops the frame",
         join({{0x7F, 0x01, 0x7E, 0x01, 0x08, 0xF7, 0x7F}, Bytes(version.begin() + 1, version.end())}),
         {version_rx}},
        {"two escapes in a row drop the frame",
         join({{0x7F, 0x01, 0x7E, 0x7E, 0xFF, 0x08, 0x78, 0x7F}, version}),
         {version_rx}},
        {"bad checksum, then a good frame sharing its flag",
         {0x7F, 0x01, 0x08, 0xF6, 0x7F, 0x01, 0x08, 0xF7, 0x7F},
         {version_rx}},
        {"stuffed checksum", {0x7F, 0x79, 0x08, 0x7E, 0xFF, 0x7F}, {{0x79, 0, 0x08, {}}}},
        {"stuffed payload", encode(1, 0x50, {0x7E, 0x7F, 0x7D}), {{1, 0, 0x50, {0x7E, 0x7F, 0x7D}}}},
    };
    for (const Case& c : cases) EXPECT_EQ(parse(c.stream), c.expected) << c.name;
}

}  // namespace
