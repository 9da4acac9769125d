// The simulator's command line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/options.h"

namespace {

SimArgs parse_ok(const std::vector<std::string>& args) {
    SimArgs a;
    std::string error;
    EXPECT_TRUE(parse_sim_args(args, a, error)) << error;
    return a;
}

std::vector<uint8_t> dip(const SimArgs& a) { return std::vector<uint8_t>(a.device.dip, a.device.dip + 4); }
std::vector<uint8_t> versions(const SimArgs& a) {
    return std::vector<uint8_t>(a.device.versions, a.device.versions + 6);
}

TEST(SimOptions, DefaultsAnswerAddressOneUnderRs485Control) {
    SimArgs a = parse_ok({});
    EXPECT_EQ(a.device.address, 1);
    EXPECT_EQ(dip(a), (std::vector<uint8_t>{0x4, 0x0, 0x0, 0x8}));
    EXPECT_FALSE(a.pace);
    EXPECT_EQ(a.turnaround_ms, -1);
    EXPECT_EQ(a.exit_after_s, 0);
    EXPECT_EQ(a.device.stop_after, -1);
    EXPECT_EQ(a.replug_after_ms, -1);
    EXPECT_FALSE(a.device.silent);
}

TEST(SimOptions, ValuesAndFlags) {
    SimArgs a = parse_ok({"--address",
                          "128",
                          "--version=3.2,1.0,0.0",
                          "--short-version",
                          "--link",
                          "com7",
                          "--log",
                          "traffic.txt",
                          "--pace",
                          "--turnaround",
                          "5",
                          "--exit-after",
                          "2.5",
                          "--drop-rate",
                          "0.1",
                          "--corrupt-rate=0.2",
                          "--noise-rate",
                          "0.3",
                          "--seed",
                          "42",
                          "--wrong-subaddress",
                          "--short-payload",
                          "--silent",
                          "--stop-after",
                          "3",
                          "--vanish-after",
                          "4",
                          "--noise-between",
                          "9",
                          "--bad-markers",
                          "--load-watts",
                          "100,60",
                          "--scope-delay",
                          "50",
                          "--load",
                          "in.ini",
                          "--save",
                          "out.ini",
                          "--status-file",
                          "status.bin",

                          "--faults-while",
                          "bad-line",
                          "--unplug-while",
                          "pulled",
                          "--replug-after",
                          "700"});
    EXPECT_EQ(a.device.address, 128);
    // The DIP switches follow the address: 128 is switch 2, bit 0.
    EXPECT_EQ(dip(a), (std::vector<uint8_t>{0x4, 0x0, 0x1, 0x0}));
    EXPECT_EQ(versions(a), (std::vector<uint8_t>{3, 2, 1, 0, 0, 0}));
    EXPECT_TRUE(a.device.short_version);
    EXPECT_EQ(a.link_path, "com7");
    EXPECT_EQ(a.log_path, "traffic.txt");
    EXPECT_TRUE(a.pace);
    EXPECT_EQ(a.turnaround_ms, 5);
    EXPECT_DOUBLE_EQ(a.exit_after_s, 2.5);
    EXPECT_DOUBLE_EQ(a.device.drop_rate, 0.1);
    EXPECT_DOUBLE_EQ(a.device.corrupt_rate, 0.2);
    EXPECT_DOUBLE_EQ(a.device.noise_rate, 0.3);
    EXPECT_EQ(a.device.seed, 42u);
    EXPECT_TRUE(a.device.wrong_subaddress);
    EXPECT_TRUE(a.device.short_payload);
    EXPECT_TRUE(a.device.silent);
    EXPECT_EQ(a.device.stop_after, 3);
    EXPECT_EQ(a.device.vanish_after, 4);
    EXPECT_EQ(a.device.noise_between, 9u);
    EXPECT_TRUE(a.device.bad_markers);
    EXPECT_DOUBLE_EQ(a.device.load_watts[0], 100);
    EXPECT_DOUBLE_EQ(a.device.load_watts[1], 60);
    EXPECT_EQ(a.device.scope_record_ms, 50u);
    EXPECT_EQ(a.load_path, "in.ini");
    EXPECT_EQ(a.save_path, "out.ini");
    EXPECT_EQ(a.status_path, "status.bin");
    EXPECT_EQ(a.fault_switch_path, "bad-line");
    EXPECT_EQ(a.unplug_switch_path, "pulled");
    EXPECT_EQ(a.replug_after_ms, 700);

    // Explicit DIP switches win over the address; the controller version alone
    // leaves the dimmer versions at 0.0.
    SimArgs b = parse_ok({"--dip", "18fF", "--address", "7", "--version", "1.9"});
    EXPECT_EQ(dip(b), (std::vector<uint8_t>{0x1, 0x8, 0xF, 0xF}));
    EXPECT_EQ(versions(b), (std::vector<uint8_t>{1, 9, 0, 0, 0, 0}));
    EXPECT_TRUE(parse_ok({"--help"}).help);
}

TEST(SimOptions, RejectsBadInput) {
    std::vector<std::vector<std::string>> bad = {
        {"--address", "256"},  {"--address", "-1"},      {"--address"},
        {"--version", "2"},    {"--version", "2.1,1.0"}, {"--version", "2.1,1.x,1.0"},
        {"--dip", "123"},      {"--dip", "12g4"},        {"--drop-rate", "1.5"},
        {"--noise-rate", "x"}, {"--stop-after", "-2"},   {"--load-watts", "100"},
        {"--silent=1"},        {"--frobnicate"},         {"stray"},
        {"--log", ""},         {"--replug-after", "-5"}, {"--unplug-while", ""},
    };
    for (const auto& args : bad) {
        SimArgs a;
        std::string error;
        EXPECT_FALSE(parse_sim_args(args, a, error)) << args[0];
        EXPECT_FALSE(error.empty()) << args[0];
    }
}

}  // namespace
