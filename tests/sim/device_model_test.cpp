// The virtual dimmer's device model: reply bytes, addressing, store, status,
// oscilloscope and the fault options, all without a terminal.
#include <gtest/gtest.h>

#include <algorithm>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "params/record.h"
#include "sim/device_model.h"
#include "tests/sim/sim_test_util.h"

namespace {

// A factory store that is easy to recognise.
SimConfig test_config() {
    SimConfig cfg;
    for (size_t i = 0; i < TRANSFER_IMAGE_SIZE; ++i) cfg.factory_store[i] = uint8_t(i * 7 + 3);
    return cfg;
}

struct Sim {
    SimDevice dev;
    explicit Sim(const SimConfig& cfg = test_config()) { sim_init(dev, cfg); }

    SimOutput feed(const std::vector<uint8_t>& bytes, uint32_t now_ms = 1000) {
        SimOutput out;
        sim_receive(dev, bytes.data(), bytes.size(), now_ms, out);
        return out;
    }
    // One request to this dimmer; the replies decoded.
    std::vector<DecodedFrame> ask(uint8_t code, std::vector<uint8_t> payload = {}, uint32_t now_ms = 1000) {
        return decode_all(feed(request(dev.cfg.address, code, payload), now_ms).wire);
    }
    std::vector<uint8_t> status(std::vector<uint8_t> drive = std::vector<uint8_t>(8),
                                uint32_t now_ms = 1000) {
        auto replies = ask(OPCODE_STATUS, drive, now_ms);
        EXPECT_EQ(replies.size(), 1u);
        return replies.empty() ? std::vector<uint8_t>() : replies[0].payload;
    }
};

std::vector<uint8_t> drive_payload(int flag1, uint16_t value1, int flag2, uint16_t value2) {
    return {uint8_t(flag1), 0, uint8_t(value1), uint8_t(value1 >> 8),
            uint8_t(flag2), 0, uint8_t(value2), uint8_t(value2 >> 8)};
}

uint16_t u16(const std::vector<uint8_t>& p, size_t at) { return get_u16le(p.data() + at); }
uint32_t u32(const std::vector<uint8_t>& p, size_t at) { return get_u32le(p.data() + at); }
int16_t i16(const uint8_t* p) { return int16_t(get_u16le(p)); }

constexpr size_t MEAS1 = 53, MEAS2 = 74;  // DimmerMeasurement of each output in the status
constexpr size_t CTRL1 = 8, CTRL2 = 20;   // DimmerControlState

TEST(SimDevice, VersionReplyOnTheWireAndInTheLog) {
    Sim full;
    SimOutput out = full.feed({0x7f, 0x01, 0x08, 0xf7, 0x7f});
    EXPECT_EQ(out.wire,
              (std::vector<uint8_t>{0x7f, 0x01, 0x08, 0x02, 0x01, 0x01, 0x04, 0x01, 0x04, 0xea, 0x7f}));
    ASSERT_EQ(out.log.size(), 2u);
    EXPECT_EQ(out.log[0], "RX 7f 01 08 f7 7f");
    EXPECT_EQ(out.log[1], "TX 7f 01 08 02 01 01 04 01 04 ea 7f");

    SimConfig cfg = test_config();
    cfg.short_version = true;
    cfg.versions[0] = 3;
    cfg.versions[1] = 7;
    Sim brief(cfg);
    EXPECT_EQ(brief.feed({0x7f, 0x01, 0x08, 0xf7, 0x7f}).wire,
              (std::vector<uint8_t>{0x7f, 0x01, 0x08, 0x03, 0x07, 0xed, 0x7f}));
}

TEST(SimDevice, LogShowsStuffedBytesAsTheyCrossTheLine) {
    // Address 0x79: the request's checksum is 7F and travels as 7E FF.
    SimConfig cfg = test_config();
    cfg.address = 0x79;
    Sim sim(cfg);
    SimOutput out = sim.feed({0x7f, 0x79, 0x08, 0x7e, 0xff, 0x7f});
    ASSERT_FALSE(out.log.empty());
    EXPECT_EQ(out.log[0], "RX 7f 79 08 7e ff 7f");
    auto replies = decode_all(out.wire);
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].address, 0x79);
}

TEST(SimDevice, AnswersOnlyGoodFramesForItsAddressAndSubaddressZero) {
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        size_t replies;
        size_t rx_lines;
    };
    std::vector<uint8_t> good = request(1, OPCODE_VERSION);
    std::vector<uint8_t> bad_sum = good;
    bad_sum[3] ^= 0x01;
    std::vector<uint8_t> bad_then_good = bad_sum;
    bad_then_good.insert(bad_then_good.end(), good.begin() + 1, good.end());  // shares the flag
    std::vector<uint8_t> noisy = {0x00, 0x55, 0xaa};
    noisy.insert(noisy.end(), good.begin(), good.end());
    std::vector<Case> cases = {
        {"own address", good, 1, 1},
        {"other address", request(2, OPCODE_VERSION), 0, 1},
        {"broadcast-like address 0", request(0, OPCODE_VERSION), 0, 1},
        {"sub-address 1", request(1, OPCODE_VERSION, {}, 1), 0, 1},
        {"bad checksum", bad_sum, 0, 0},
        {"bad checksum, then a good frame on the shared flag", bad_then_good, 1, 1},
        {"noise before the frame", noisy, 1, 1},
        {"unknown command", request(1, 0x18), 0, 1},
    };
    for (const Case& c : cases) {
        Sim sim;
        SimOutput out = sim.feed(c.bytes);
        size_t rx = 0;
        for (const std::string& line : out.log) rx += line.rfind("RX ", 0) == 0;
        EXPECT_EQ(decode_all(out.wire).size(), c.replies) << c.what;
        EXPECT_EQ(rx, c.rx_lines) << c.what;
    }
}

TEST(SimDevice, FrameSplitAcrossReadsIsStillAnswered) {
    Sim sim;
    std::vector<uint8_t> req = request(1, OPCODE_READ_BLOCK, {2});
    std::vector<uint8_t> wire;
    for (uint8_t b : req) {
        SimOutput out = sim.feed({b});
        wire.insert(wire.end(), out.wire.begin(), out.wire.end());
    }
    auto replies = decode_all(wire);
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].payload.size(), 130u);
}

TEST(SimDevice, StoreBlocksPersistAndResetRestoresFactoryState) {
    Sim sim;
    const SimConfig& cfg = sim.dev.cfg;

    // Read: 1, index, then the 128 bytes of the block.
    auto read = sim.ask(OPCODE_READ_BLOCK, {5});
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0].code, OPCODE_READ_BLOCK);
    ASSERT_EQ(read[0].payload.size(), 130u);
    EXPECT_EQ(read[0].payload[0], 1);
    EXPECT_EQ(read[0].payload[1], 5);
    EXPECT_TRUE(
        std::equal(read[0].payload.begin() + 2, read[0].payload.end(), cfg.factory_store.begin() + 5 * 128));

    // Write: index then 128 bytes; the reply is 1, index. 7E and 7F in the data
    // exercise the stuffing both ways.
    std::vector<uint8_t> block(128);
    for (size_t i = 0; i < block.size(); ++i) block[i] = uint8_t(0x7e + i % 3);
    std::vector<uint8_t> payload = {3};
    payload.insert(payload.end(), block.begin(), block.end());
    auto write = sim.ask(OPCODE_WRITE_BLOCK, payload);
    ASSERT_EQ(write.size(), 1u);
    EXPECT_EQ(write[0].code, OPCODE_WRITE_BLOCK);
    EXPECT_EQ(write[0].payload, (std::vector<uint8_t>{1, 3}));

    auto back = sim.ask(OPCODE_READ_BLOCK, {3}, 5000);
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(std::vector<uint8_t>(back[0].payload.begin() + 2, back[0].payload.end()), block);
    auto neighbour = sim.ask(OPCODE_READ_BLOCK, {2}, 5000);
    EXPECT_TRUE(std::equal(neighbour[0].payload.begin() + 2, neighbour[0].payload.end(),
                           cfg.factory_store.begin() + 2 * 128));

    auto reset = sim.ask(OPCODE_RESET);
    ASSERT_EQ(reset.size(), 1u);
    EXPECT_EQ(reset[0].code, OPCODE_RESET);
    EXPECT_GE(reset[0].payload.size(), 1u);
    EXPECT_EQ(0, std::memcmp(sim.dev.store, cfg.factory_store.data(), TRANSFER_IMAGE_SIZE));
}

TEST(SimDevice, MalformedBlockRequestsGoUnanswered) {
    Sim sim;
    std::vector<uint8_t> short_write(1 + 127, 0);
    std::vector<uint8_t> bad_index_write(1 + 128, 0);
    bad_index_write[0] = 8;
    EXPECT_TRUE(sim.ask(OPCODE_READ_BLOCK, {8}).empty());
    EXPECT_TRUE(sim.ask(OPCODE_READ_BLOCK, {}).empty());
    EXPECT_TRUE(sim.ask(OPCODE_WRITE_BLOCK, short_write).empty());
    EXPECT_TRUE(sim.ask(OPCODE_WRITE_BLOCK, bad_index_write).empty());
    EXPECT_EQ(0, std::memcmp(sim.dev.store, sim.dev.cfg.factory_store.data(), TRANSFER_IMAGE_SIZE));
}

TEST(SimDevice, BadMarkersSpoilOnlyWhatIsRead) {
    SimConfig cfg = test_config();
    put_u32le(cfg.factory_store.data(), MARKER_HEAD);
    put_u32le(cfg.factory_store.data() + 592, MARKER_TAIL);
    cfg.bad_markers = true;
    Sim sim(cfg);
    std::vector<uint8_t> image;
    for (uint8_t i = 0; i < PARAMETER_BLOCKS; ++i) {
        auto r = sim.ask(OPCODE_READ_BLOCK, {i});
        ASSERT_EQ(r.size(), 1u);
        image.insert(image.end(), r[0].payload.begin() + 2, r[0].payload.end());
    }
    ASSERT_EQ(image.size(), TRANSFER_IMAGE_SIZE);
    EXPECT_NE(u32(image, 0), MARKER_HEAD);
    EXPECT_NE(u32(image, 592), MARKER_TAIL);
    EXPECT_EQ(u32(image, 4), get_u32le(cfg.factory_store.data() + 4));  // the rest is the store
    EXPECT_EQ(get_u32le(sim.dev.store), MARKER_HEAD);                   // the store itself is intact
}

TEST(SimDevice, StatusRecordCarriesVersionsDipAndPlausibleValues) {
    SimConfig cfg = test_config();
    cfg.dip[0] = 0x1;
    cfg.dip[1] = 0x8;
    cfg.dip[2] = 0xF;
    cfg.dip[3] = 0xF;
    Sim sim(cfg);
    std::vector<uint8_t> s = sim.status();
    ASSERT_EQ(s.size(), STATUS_RECORD_SIZE);
    EXPECT_EQ(std::vector<uint8_t>(s.begin(), s.begin() + 6), (std::vector<uint8_t>{2, 1, 1, 4, 1, 4}));
    EXPECT_EQ(std::vector<uint8_t>(s.begin() + 48, s.begin() + 52),
              (std::vector<uint8_t>{0x1, 0x8, 0xF, 0xF}));
    EXPECT_EQ(s[CTRL1 + 7], 0);                           // control mode DMX
    EXPECT_NEAR(u16(s, 32) * 3.3 / 4095 * 2, 5.0, 0.05);  // supply
    EXPECT_NEAR(u16(s, 34) / 10.0, 31, 2);                // front plate °C
    EXPECT_LE(u16(s, 36), 4095);
    EXPECT_LE(u16(s, 40), 4095);
    for (size_t m : {MEAS1, MEAS2}) {
        EXPECT_EQ(s[m], 1);                             // present
        EXPECT_NEAR(u16(s, m + 3) / 10.0, 230, 2);      // input voltage
        EXPECT_NEAR(u16(s, m + 17) / 100.0, 50, 0.05);  // mains frequency
        EXPECT_EQ(u16(s, m + 7), 0);                    // no drive, no power
    }

    // Slowly changing: a few seconds later the control input has moved, a
    // little, and the counters have advanced.
    std::vector<uint8_t> later = sim.status(std::vector<uint8_t>(8), 4000);
    EXPECT_NE(u16(later, 36), u16(s, 36));
    EXPECT_LT(std::abs(int(u16(later, 36)) - int(u16(s, 36))), 1000);
    EXPECT_NE(u16(later, 97), u16(s, 97));
    EXPECT_EQ(u16(later, 99), u16(s, 99) + 1);
}

TEST(SimDevice, StatusFollowsTheTestDrive) {
    Sim sim;
    // Output 1 at half drive, output 2 at full; the flags say "set".
    std::vector<uint8_t> s = sim.status(drive_payload(1, 32768, 1, 65535));
    EXPECT_EQ(u16(s, CTRL1 + 5), 32768);
    EXPECT_EQ(u16(s, CTRL2 + 5), 65535);
    EXPECT_NEAR(u16(s, CTRL1 + 9), 5000, 2);   // on-time, µs
    EXPECT_NEAR(u16(s, MEAS1 + 7), 250, 8);    // 500 W lamp at half drive
    EXPECT_NEAR(u16(s, MEAS2 + 7), 300, 8);    // 300 W lamp at full drive
    EXPECT_NEAR(u16(s, MEAS1 + 5), 3074, 60);  // crest current, mA
    EXPECT_GT(u16(s, MEAS1 + 11), 0);          // some loss in the switch
    EXPECT_GE(u32(s, MEAS1 + 13), u16(s, MEAS1 + 11));

    // Without the flag the value is not taken: the drive stays.
    s = sim.status(drive_payload(0, 0, 0, 0));
    EXPECT_EQ(u16(s, CTRL1 + 5), 32768);
    EXPECT_NEAR(u16(s, MEAS1 + 7), 250, 8);

    // Switching output 1 off: no power, but the peak loss remembers.
    s = sim.status(drive_payload(1, 0, 0, 0));
    EXPECT_EQ(u16(s, MEAS1 + 7), 0);
    EXPECT_EQ(u16(s, MEAS1 + 11), 0);
    EXPECT_GT(u32(s, MEAS1 + 13), 0u);
    EXPECT_NEAR(u16(s, MEAS2 + 7), 300, 8);
}

TEST(SimDevice, ScriptedStatusRecordReplacesTheModelledOne) {
    Sim sim;
    std::vector<uint8_t> scripted(STATUS_RECORD_SIZE);
    for (size_t i = 0; i < scripted.size(); ++i) scripted[i] = uint8_t(i * 7);
    sim.dev.scripted_status = scripted;
    EXPECT_EQ(sim.status(drive_payload(1, 1000, 0, 0)), scripted);
    EXPECT_EQ(sim.dev.drive[0], 1000);  // the drive is still taken

    sim.dev.scripted_status.pop_back();  // not one record: the model answers
    const std::vector<uint8_t> modelled = sim.status();
    EXPECT_EQ(modelled.size(), STATUS_RECORD_SIZE);
    EXPECT_NE(modelled, scripted);
}

TEST(SimDevice, PhaseControlModeComesFromTheStoredParameterSet) {
    SimConfig cfg = test_config();
    std::memset(cfg.factory_store.data(), 0, TRANSFER_IMAGE_SIZE);
    put_u32le(cfg.factory_store.data(), MARKER_HEAD);
    put_u32le(cfg.factory_store.data() + 592, MARKER_TAIL);
    // default_mode of dimmer 2: device image offset 520 + 36 + 28.
    cfg.factory_store[520 + 36 + 28] = 1;
    Sim sim(cfg);
    std::vector<uint8_t> s = sim.status();
    EXPECT_EQ(s[CTRL1 + 11], 0);  // trailing edge
    EXPECT_EQ(s[CTRL2 + 11], 1);  // leading edge

    put_u32le(sim.dev.store, 0);  // no valid set: the factory behaviour, trailing edge
    s = sim.status();
    EXPECT_EQ(s[CTRL2 + 11], 0);
}

// Fetches all 11 blocks; the capture or empty on any unexpected reply.
std::vector<uint8_t> fetch_capture(Sim& sim, uint32_t now_ms) {
    std::vector<uint8_t> capture;
    for (uint8_t i = 0; i < SCOPE_CAPTURE_BLOCKS; ++i) {
        auto r = sim.ask(OPCODE_SCOPE_REQUEST, {i, 0}, now_ms);
        if (r.size() != 1 || r[0].code != OPCODE_SCOPE_BLOCK || r[0].payload[0] != i) return {};
        capture.insert(capture.end(), r[0].payload.begin() + 1, r[0].payload.end());
    }
    return capture;
}

TEST(SimDevice, ScopeStartNotReadyThenBlocks) {
    Sim sim;
    sim.status(drive_payload(1, 32768, 0, 0));

    // Nothing started: the state byte 2 tells the program to give up.
    auto idle = sim.ask(OPCODE_SCOPE_REQUEST, {0, 0});
    ASSERT_EQ(idle.size(), 1u);
    EXPECT_EQ(idle[0].code, OPCODE_SCOPE_REQUEST);
    EXPECT_EQ(idle[0].payload, (std::vector<uint8_t>{0, SCOPE_STATE_NONE}));

    // Start: dimmer 1, single, full period, normal range.
    auto ack = sim.ask(OPCODE_SCOPE, {1, 1, 0, 0, 0, 0}, 10000);
    ASSERT_EQ(ack.size(), 1u);
    EXPECT_EQ(ack[0].code, OPCODE_SCOPE);
    ASSERT_EQ(ack[0].payload.size(), 6u);
    EXPECT_EQ(u32(ack[0].payload, 0), SCOPE_CAPTURE_SIZE);
    EXPECT_EQ(u16(ack[0].payload, 4), SCOPE_SAMPLES);

    // Still recording: 0x90 with a state other than 2.
    auto busy = sim.ask(OPCODE_SCOPE_REQUEST, {0, 0}, 10000 + sim.dev.cfg.scope_record_ms - 1);
    ASSERT_EQ(busy.size(), 1u);
    EXPECT_EQ(busy[0].code, OPCODE_SCOPE_REQUEST);
    ASSERT_EQ(busy[0].payload.size(), 2u);
    EXPECT_NE(busy[0].payload[1], SCOPE_STATE_NONE);

    // Ready: 11 blocks, 10 of 200 bytes and one of 12.
    uint32_t ready = 10000 + sim.dev.cfg.scope_record_ms;
    auto last = sim.ask(OPCODE_SCOPE_REQUEST, {10, 0}, ready);
    ASSERT_EQ(last.size(), 1u);
    EXPECT_EQ(last[0].code, OPCODE_SCOPE_BLOCK);
    EXPECT_EQ(last[0].payload.size(), 13u);
    std::vector<uint8_t> cap = fetch_capture(sim, ready);
    ASSERT_EQ(cap.size(), SCOPE_CAPTURE_SIZE);
    EXPECT_TRUE(sim.ask(OPCODE_SCOPE_REQUEST, {11, 0}, ready)[0].code == OPCODE_SCOPE_REQUEST);

    // Mains: ~230 V rms, crest ~325 V. Current: a 500 W lamp cut off half way
    // through each half period, so about half the samples carry no current.
    double sum_sq = 0;
    int v_max = 0, i_max = 0, off = 0;
    for (int k = 0; k < SCOPE_SAMPLES; ++k) {
        int v = i16(cap.data() + SCOPE_VOLTAGE_AT + 2 * k);
        int i = i16(cap.data() + SCOPE_CURRENT_AT + 2 * k);
        if (k < 400) sum_sq += double(v) * v;  // exactly one 20 ms period
        v_max = std::max(v_max, std::abs(v));
        i_max = std::max(i_max, std::abs(i));
        off += std::abs(i) < 20;
    }
    EXPECT_NEAR(std::sqrt(sum_sq / 400) / 10, 230, 3);
    EXPECT_NEAR(v_max / 10.0, 325, 5);
    EXPECT_NEAR(i_max, 3074, 80);
    EXPECT_NEAR(off, 250, 30);
    uint32_t t0 = u32(cap, SCOPE_ZERO_TIME_AT);
    EXPECT_GT(t0, 0u);
    EXPECT_LT(t0, 25000u);
    // At t0 the voltage crosses zero upward.
    int k0 = int(t0 / 50);
    EXPECT_LT(std::abs(i16(cap.data() + SCOPE_VOLTAGE_AT + 2 * k0)), 120);
    EXPECT_NEAR(u32(cap, SCOPE_SWITCHING_TIME_AT), 5000, 2);

    // Stop: acknowledged, and the scope is idle again.
    auto stop = sim.ask(OPCODE_SCOPE, {0, 0, 0, 0, 0, 0}, ready);
    ASSERT_EQ(stop.size(), 1u);
    EXPECT_EQ(stop[0].code, OPCODE_SCOPE);
    EXPECT_EQ(sim.ask(OPCODE_SCOPE_REQUEST, {0, 0}, ready)[0].payload[1], SCOPE_STATE_NONE);
}

TEST(SimDevice, ScopeSectionsAndCurrentRange) {
    struct Case {
        const char* what;
        std::vector<uint8_t> start;
        uint32_t t0;
        int current_limit;  // the range clips the current
    };
    std::vector<Case> cases = {
        {"zero crossing", {1, 1, 0, 0, 1, 0}, 1000, 16000},
        {"switching edge", {1, 1, 0, 0, 2, 0}, 500, 16000},
        {"switching edge, low range", {1, 1, 0, 0, 2, 1}, 500, 500},
        {"at start, half period 2, zero crossing", {1, 3, 2, 0, 1, 0}, 1000, 16000},
    };
    for (const Case& c : cases) {
        Sim sim;
        sim.status(drive_payload(1, 49152, 0, 0));  // three quarters
        ASSERT_EQ(sim.ask(OPCODE_SCOPE, c.start, 0).size(), 1u) << c.what;
        std::vector<uint8_t> cap = fetch_capture(sim, 60000);
        ASSERT_EQ(cap.size(), SCOPE_CAPTURE_SIZE) << c.what;
        EXPECT_EQ(u32(cap, SCOPE_ZERO_TIME_AT), c.t0) << c.what;
        EXPECT_NEAR(u32(cap, SCOPE_SWITCHING_TIME_AT), 7500, 2) << c.what;
        int i_max = 0;
        for (int k = 0; k < SCOPE_SAMPLES; ++k) {
            i_max = std::max(i_max, std::abs(int(i16(cap.data() + SCOPE_CURRENT_AT + 2 * k))));
        }
        EXPECT_LE(i_max, c.current_limit) << c.what;
        EXPECT_GT(i_max, 400) << c.what;
    }

    // Around the switching edge of a trailing-edge dimmer the current flows
    // before the edge (t = 0, sample 100) and stops after it.
    Sim sim;
    sim.status(drive_payload(1, 49152, 0, 0));
    sim.ask(OPCODE_SCOPE, {1, 1, 0, 0, 2, 0}, 0);
    std::vector<uint8_t> cap = fetch_capture(sim, 60000);
    ASSERT_EQ(cap.size(), SCOPE_CAPTURE_SIZE);
    EXPECT_GT(std::abs(i16(cap.data() + SCOPE_CURRENT_AT + 2 * 90)), 1500);
    EXPECT_LT(std::abs(i16(cap.data() + SCOPE_CURRENT_AT + 2 * 110)), 20);
}

TEST(SimDevice, ReplyFaults) {
    std::vector<uint8_t> version = request(1, OPCODE_VERSION);
    {
        SimConfig cfg = test_config();
        cfg.silent = true;
        Sim sim(cfg);
        SimOutput out = sim.feed(version);
        EXPECT_TRUE(out.wire.empty());
        EXPECT_EQ(out.log, (std::vector<std::string>{"RX 7f 01 08 f7 7f"}));
    }
    {
        SimConfig cfg = test_config();
        cfg.stop_after = 2;
        Sim sim(cfg);
        std::vector<uint8_t> three;
        for (int i = 0; i < 3; ++i) three.insert(three.end(), version.begin(), version.end());
        sim.feed(request(2, OPCODE_VERSION));  // not for us: does not count
        EXPECT_EQ(decode_all(sim.feed(three).wire).size(), 2u);
    }
    {
        // Vanishing: two frames answered, then nothing more, whatever comes.
        SimConfig cfg = test_config();
        cfg.vanish_after = 2;
        Sim sim(cfg);
        std::vector<uint8_t> four;
        for (int i = 0; i < 4; ++i) four.insert(four.end(), version.begin(), version.end());
        SimOutput out = sim.feed(four);
        EXPECT_EQ(decode_all(out.wire).size(), 2u);
        EXPECT_TRUE(sim.dev.vanished);
        EXPECT_EQ(std::count(out.log.begin(), out.log.end(), "VANISHED"), 1);
    }
    {
        // Noise between frames: the reply still decodes, after the noise.
        SimConfig cfg = test_config();
        cfg.noise_between = 12;
        Sim sim(cfg);
        SimOutput out = sim.feed(version);
        EXPECT_EQ(out.wire.size(), 12u + 11u);
        EXPECT_EQ(decode_all(out.wire).size(), 1u);
        Sim plain;
        EXPECT_EQ(std::vector<uint8_t>(out.wire.end() - 11, out.wire.end()), plain.feed(version).wire);
    }
    {
        SimConfig cfg = test_config();
        cfg.wrong_subaddress = true;
        Sim sim(cfg);
        auto r = decode_all(sim.feed(version).wire);
        ASSERT_EQ(r.size(), 1u);
        EXPECT_EQ(r[0].sub_address, 1);
        EXPECT_EQ(r[0].code, OPCODE_VERSION);
    }
    {
        // Each reply one byte short of what the program accepts.
        SimConfig cfg = test_config();
        cfg.short_payload = true;
        Sim sim(cfg);
        struct Case {
            uint8_t code;
            std::vector<uint8_t> payload;
            size_t length;
        };
        std::vector<Case> cases = {
            {OPCODE_VERSION, {}, 1},
            {OPCODE_STATUS, std::vector<uint8_t>(8), STATUS_RECORD_SIZE - 1},
            {OPCODE_RESET, {}, 0},
            {OPCODE_READ_BLOCK, {0}, 1},
            {OPCODE_SCOPE, {1, 1, 0, 0, 0, 0}, 5},
            {OPCODE_SCOPE_REQUEST, {0, 0}, 1},
        };
        for (const Case& c : cases) {
            auto r = sim.ask(c.code, c.payload);
            ASSERT_EQ(r.size(), 1u) << int(c.code);
            EXPECT_EQ(r[0].payload.size(), c.length) << int(c.code);
        }
    }
}

TEST(SimDevice, FaultsApplyOnlyWhileSwitchedOn) {
    // A silent dimmer that corrupts every byte and answers with the wrong
    // sub-address: while its faults are off, the line is clean.
    SimConfig cfg = test_config();
    cfg.silent = true;
    cfg.corrupt_rate = 1.0;
    cfg.wrong_subaddress = true;
    Sim sim(cfg);
    EXPECT_TRUE(sim.ask(OPCODE_VERSION).empty());
    sim.dev.faults_active = false;
    const auto clean = sim.ask(OPCODE_VERSION);
    ASSERT_EQ(clean.size(), 1u);
    EXPECT_EQ(clean[0].sub_address, 0);
    EXPECT_EQ(clean[0].payload, (std::vector<uint8_t>{2, 1, 1, 4, 1, 4}));
    sim.dev.faults_active = true;
    EXPECT_TRUE(sim.ask(OPCODE_VERSION).empty());
}

TEST(SimDevice, ByteFaultsAtFullRateAndRepeatableBySeed) {
    std::vector<uint8_t> version = request(1, OPCODE_VERSION);
    const size_t reply_length = 11;
    auto run = [&](double SimConfig::*rate, double value, uint64_t seed) {
        SimConfig cfg = test_config();
        cfg.*rate = value;
        cfg.seed = seed;
        Sim sim(cfg);
        std::vector<uint8_t> wire;
        for (int i = 0; i < 20; ++i) {
            SimOutput out = sim.feed(version);
            wire.insert(wire.end(), out.wire.begin(), out.wire.end());
        }
        return wire;
    };
    EXPECT_TRUE(run(&SimConfig::drop_rate, 1.0, 1).empty());
    std::vector<uint8_t> corrupt = run(&SimConfig::corrupt_rate, 1.0, 1);
    ASSERT_EQ(corrupt.size(), 20 * reply_length);
    EXPECT_NE(corrupt[0], 0x7f);
    EXPECT_NE(corrupt[1], 0x01);
    EXPECT_EQ(run(&SimConfig::noise_rate, 1.0, 1).size(), 2 * 20 * reply_length);

    // Part of the replies get through; the same seed gives the same bytes.
    std::vector<uint8_t> a = run(&SimConfig::drop_rate, 0.05, 7);
    size_t good = decode_all(a).size();
    EXPECT_GT(good, 0u);
    EXPECT_LT(good, 20u);
    EXPECT_EQ(a, run(&SimConfig::drop_rate, 0.05, 7));
    EXPECT_NE(a, run(&SimConfig::drop_rate, 0.05, 8));
}

}  // namespace
