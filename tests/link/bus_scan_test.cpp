// Finding the dimmers of a bus: the wait per address from the line rate, and
// the scan against scripted dimmers, a slow one among them whose late reply
// must not be taken for the address asked next.
#include <gtest/gtest.h>

#include "link/busy.h"
#include "link/bus_scan.h"
#include "link/link.h"
#include "tests/link/fake_bus.h"

namespace {

TEST(BusScanTimeout, FromTheLineRate) {
    struct Wire {
        size_t payload;
        bool worst_case;
        size_t bytes;
    };
    const Wire frames[] = {
        {0, false, 5},   // 7f 01 08 f7 7f
        {0, true, 8},    // every byte between the flags stuffed
        {6, false, 11},  // the version reply
        {6, true, 20},
        {111, true, 230},  // the status reply
        {256, true, FRAME_MAX_STUFFED},
    };
    for (const Wire& w : frames) EXPECT_EQ(frame_wire_bytes(w.payload, w.worst_case), w.bytes) << w.payload;

    // 11 bits a byte at 38400 baud: 3491 bytes a second, rounded up to whole ms.
    const std::pair<size_t, uint32_t> times[] = {{0, 0},     {1, 1},     {28, 9},
                                                 {349, 100}, {350, 101}, {3491, 1001}};
    for (const auto& [bytes, ms] : times) EXPECT_EQ(line_time_ms(bytes), ms) << bytes;

    // The version exchange at worst: 8 + 20 bytes.
    EXPECT_EQ(scan_timeout_floor_ms(), 9u);
    const std::pair<int32_t, uint32_t> settings[] = {{-5, SCAN_TIMEOUT_DEFAULT_MS},
                                                     {0, SCAN_TIMEOUT_DEFAULT_MS},
                                                     {1, 9},
                                                     {9, 9},
                                                     {30, 30},
                                                     {1000, 1000},
                                                     {5000, 1000}};
    for (const auto& [setting, ms] : settings) EXPECT_EQ(scan_version_timeout_ms(setting), ms) << setting;

    // The status exchange at worst (24 + 230 bytes, 73 ms) in place of the version's.
    EXPECT_EQ(scan_status_timeout_ms(50), 114u);
    EXPECT_EQ(scan_status_timeout_ms(9), 73u);
}

struct Scanned {
    BusScanResult result;
    std::vector<uint32_t> found_order;  // as the hook reported them
    std::vector<uint32_t> asked;        // as the hook announced them
};

Scanned scan(const std::vector<uint32_t>& addresses, uint32_t timeout_ms = 50) {
    Scanned s;
    busy_open(BusyKind::test);
    BusScanHooks hooks;
    hooks.asking = [&](size_t asked, size_t total, uint32_t address) {
        EXPECT_EQ(asked, s.asked.size());
        EXPECT_EQ(total, addresses.size());
        s.asked.push_back(address);
    };
    hooks.found = [&](const BusDimmer& d) { s.found_order.push_back(d.address); };
    s.result = bus_scan(addresses, timeout_ms, hooks);
    busy_close();
    return s;
}

// Version requests in the order they went out.
std::vector<uint8_t> version_requests() {
    std::vector<uint8_t> out;
    for (const Request& r : fake_port_requests())
        if (r.code == OPCODE_VERSION) out.push_back(r.address);
    return out;
}

TEST(BusScan, FindsEachKindOfDimmerAndTakesNoReplyForAnotherAddress) {
    FakeBusDimmer slow;
    slow.delay_ms = 80;  // after its 50 ms wait, while address 4 is asked
    FakeBusDimmer garbled;
    garbled.garbled = true;
    FakeBusDimmer newer;
    newer.versions = {3, 0, 2, 1, 0, 0};
    newer.front_temperature_tenths = 200;
    reset_bus_world({{2, {}}, {3, slow}, {6, garbled}, {7, newer}});

    const Scanned s = scan({1, 2, 3, 4, 5, 6, 7, 8});
    EXPECT_EQ(s.result.status, LINK_OK);
    EXPECT_EQ(s.result.asked, 8u);
    EXPECT_FALSE(s.result.stopped);
    EXPECT_EQ(s.asked, (std::vector<uint32_t>{1, 2, 3, 4, 5, 6, 7, 8}));
    // The slow one is listed once its status is in, after the others.
    EXPECT_EQ(s.found_order, (std::vector<uint32_t>{2, 6, 7, 3}));
    ASSERT_EQ(s.result.dimmers.size(), 4u);

    const BusDimmer& normal = s.result.dimmers[0];
    EXPECT_EQ(normal.answer, BusAnswer::answered);
    EXPECT_EQ(normal.version.controller_major, 2);
    EXPECT_EQ(normal.version.dimmer_minor[1], 4);
    ASSERT_TRUE(normal.has_status);
    EXPECT_EQ(normal.status.front_temperature[0], 255);

    EXPECT_EQ(s.result.dimmers[1].address, 6u);
    EXPECT_EQ(s.result.dimmers[1].answer, BusAnswer::garbled);
    EXPECT_FALSE(s.result.dimmers[1].has_status);

    const BusDimmer& other = s.result.dimmers[2];
    EXPECT_EQ(other.version.controller_major, 3);
    EXPECT_EQ(other.version.dimmer_major[1], 0);
    EXPECT_EQ(other.status.front_temperature[0], 200);

    const BusDimmer& late = s.result.dimmers[3];
    EXPECT_EQ(late.address, 3u);
    EXPECT_EQ(late.answer, BusAnswer::late);
    EXPECT_EQ(late.version.controller_major, 2);
    EXPECT_TRUE(late.has_status);  // asked again with the status query's own wait

    // Address 4 heard the slow reply during its wait: asked again once the
    // line was quiet, in case the two collided. The garbled one is asked
    // twice before it counts as garbled.
    EXPECT_EQ(version_requests(), (std::vector<uint8_t>{1, 2, 3, 4, 4, 5, 6, 6, 7, 8}));
    EXPECT_FALSE(link_port_is_open());
}

TEST(BusScan, EmptyAddressesCostOneWaitEach) {
    reset_bus_world({{200, {}}});
    std::vector<uint32_t> all;
    for (uint32_t a = 1; a <= 255; ++a) all.push_back(a);
    const uint32_t start = fake_port().now;
    const Scanned s = scan(all, 50);
    ASSERT_EQ(s.result.dimmers.size(), 1u);
    EXPECT_EQ(s.result.dimmers[0].address, 200u);
    // 254 empty waits of just over 50 ms, the one dimmer, and the half
    // second a slow dimmer among the last addresses is given to answer.
    const uint32_t elapsed = fake_port().now - start;
    EXPECT_GT(elapsed, 254u * 50);
    EXPECT_LT(elapsed, 254u * 52 + 100 + 510);
    // Every request went out once, to its own address.
    const std::vector<uint8_t> requests = version_requests();
    ASSERT_EQ(requests.size(), 255u);
    for (size_t i = 0; i < requests.size(); ++i) EXPECT_EQ(requests[i], i + 1);
}

TEST(BusScan, StopBetweenAddressesCancelAndPortErrors) {
    // Stop: the address in progress is finished, no further one is asked.
    reset_bus_world({{1, {}}, {2, {}}, {3, {}}});
    busy_open(BusyKind::test);
    int asked = 0;
    BusScanHooks hooks;
    hooks.asking = [&](size_t, size_t, uint32_t) { ++asked; };
    hooks.stop_requested = [&] { return asked == 2; };
    BusScanResult r = bus_scan({1, 2, 3}, 50, hooks);
    busy_close();
    EXPECT_EQ(r.status, LINK_OK);
    EXPECT_TRUE(r.stopped);
    EXPECT_EQ(r.asked, 2u);
    EXPECT_EQ(r.dimmers.size(), 2u);
    EXPECT_EQ(version_requests(), (std::vector<uint8_t>{1, 2}));

    // "Abbruch" in the busy window ends the wait at once.
    reset_bus_world({{1, {}}});
    fake_busy().cancel_after = 3;
    busy_open(BusyKind::test);
    r = bus_scan({5, 1}, 50, {});
    busy_close();
    EXPECT_EQ(r.status, LINK_CANCELLED);
    EXPECT_EQ(r.asked, 0u);
    EXPECT_TRUE(r.dimmers.empty());
    EXPECT_FALSE(link_port_is_open());

    reset_bus_world({});
    fake_port().refuse_open = true;
    busy_open(BusyKind::test);
    r = bus_scan({1}, 50, {});
    busy_close();
    EXPECT_EQ(r.status, LINK_ERR_PORT);
    EXPECT_TRUE(fake_port().writes.empty());
}

}  // namespace
