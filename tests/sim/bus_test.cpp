// Several virtual dimmers on one line: each answers only its own frames, each
// keeps its own store, and the traffic log shows every frame once.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/bus.h"
#include "sim/options.h"
#include "tests/sim/sim_test_util.h"

namespace {

SimBus bus_of(std::vector<std::string> options) {
    SimArgs args;
    std::string error;
    EXPECT_TRUE(parse_sim_args(options, args, error)) << error;
    SimBus bus;
    sim_bus_init(bus, sim_bus_configs(args));
    return bus;
}

SimOutput feed(SimBus& bus, const std::vector<uint8_t>& bytes) {
    SimOutput out;
    sim_bus_receive(bus, bytes.data(), bytes.size(), 1000, out);
    return out;
}

TEST(SimBus, OnlyTheAddressedDimmerAnswersInRequestOrder) {
    SimBus bus = bus_of({"--address", "1,3-4"});
    ASSERT_EQ(bus.devices.size(), 3u);

    // Two requests in one batch: the replies leave in the same order.
    std::vector<uint8_t> wire = request(4, OPCODE_VERSION);
    const std::vector<uint8_t> second = request(1, OPCODE_READ_BLOCK, {0});
    wire.insert(wire.end(), second.begin(), second.end());
    const SimOutput out = feed(bus, wire);
    const auto replies = decode_all(out.wire);
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_EQ(replies[0].address, 4);
    EXPECT_EQ(replies[0].code, OPCODE_VERSION);
    EXPECT_EQ(replies[1].address, 1);
    EXPECT_EQ(replies[1].code, OPCODE_READ_BLOCK);
    // Each frame on the line is logged once, each reply after its request.
    std::vector<std::string> kinds;
    for (const std::string& line : out.log) kinds.push_back(line.substr(0, 2));
    EXPECT_EQ(kinds, (std::vector<std::string>{"RX", "TX", "RX", "TX"}));

    EXPECT_TRUE(decode_all(feed(bus, request(2, OPCODE_VERSION)).wire).empty());  // nobody at 2
}

TEST(SimBus, EachDimmerHasItsOwnStoreAndSwitches) {
    SimBus bus = bus_of({"--address", "1,2"});
    std::vector<uint8_t> block(129, 0x55);
    block[0] = 0;
    ASSERT_EQ(decode_all(feed(bus, request(2, OPCODE_WRITE_BLOCK, block)).wire).size(), 1u);
    EXPECT_EQ(bus.devices[1].store[0], 0x55);
    EXPECT_NE(bus.devices[0].store[0], 0x55);
    // The DIP switches select RS485 at each dimmer's own address.
    uint8_t dip2[4];
    dip_for_rs485_address(2, dip2);
    EXPECT_EQ(std::vector<uint8_t>(bus.devices[1].cfg.dip, bus.devices[1].cfg.dip + 4),
              std::vector<uint8_t>(dip2, dip2 + 4));
}

TEST(SimBus, AddressListOptions) {
    SimArgs args;
    std::string error;
    ASSERT_TRUE(parse_sim_args({"--address", "9,2-3", "--silent"}, args, error)) << error;
    EXPECT_EQ(args.device.address, 9);
    EXPECT_EQ(args.addresses, (std::vector<uint8_t>{9, 2, 3}));
    const std::vector<SimConfig> configs = sim_bus_configs(args);
    ASSERT_EQ(configs.size(), 3u);
    EXPECT_EQ(configs[2].address, 3);
    EXPECT_TRUE(configs[2].silent);  // the other options apply to every dimmer

    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
             {"--address", "1,"}, {"--address", "3-1"}, {"--address", "1,2", "--save", "out.ini"}}) {
        EXPECT_FALSE(parse_sim_args(bad, args, error)) << bad[1];
    }
}

TEST(SimBus, OneDimmerUnlikeTheOthers) {
    SimBus bus = bus_of({"--address", "1-5", "--at", "2:silent", "--at", "3:corrupt", "--at", "4:late=80",
                         "--at=5:version=3.0,2.1,0.0"});
    EXPECT_TRUE(bus.devices[1].cfg.silent);
    EXPECT_FALSE(bus.devices[0].cfg.silent);

    struct Case {
        uint8_t address;
        size_t frames;  // valid replies on the line
        bool any_bytes;
        uint32_t delay_ms;
        std::vector<uint8_t> versions;
    };
    const Case cases[] = {
        {1, 1, true, 0, {2, 1, 1, 4, 1, 4}},
        {2, 0, false, 0, {}},
        {3, 0, true, 0, {}},
        {4, 1, true, 80, {2, 1, 1, 4, 1, 4}},
        {5, 1, true, 0, {3, 0, 2, 1, 0, 0}},
    };
    for (const Case& c : cases) {
        const SimOutput out = feed(bus, request(c.address, OPCODE_VERSION));
        const auto replies = decode_all(out.wire);
        ASSERT_EQ(replies.size(), c.frames) << int(c.address);
        EXPECT_EQ(!out.wire.empty(), c.any_bytes) << int(c.address);
        EXPECT_EQ(out.delay_ms, c.delay_ms) << int(c.address);
        if (c.frames == 1) EXPECT_EQ(replies[0].payload, c.versions) << int(c.address);
    }

    SimArgs args;
    std::string error;
    for (const std::vector<std::string>& bad :
         std::vector<std::vector<std::string>>{{"--address", "1-3", "--at", "4:silent"},  // nobody there
                                               {"--at", "1"},
                                               {"--at", "1:loud"},
                                               {"--at", "1:late=x"},
                                               {"--at", "1:version=2"},
                                               {"--at", "300:silent"}}) {
        EXPECT_FALSE(parse_sim_args(bad, args, error)) << bad.back();
        EXPECT_FALSE(error.empty());
    }
}

}  // namespace
