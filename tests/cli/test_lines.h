// The virtual dimmers the end-to-end tests of kv310r-cli talk to, the same
// tests natively and under Wine. Natively the tests start kv310r-sim on
// pseudo-terminals themselves; under Wine scripts/with-sim-com.sh has started
// them on COM ports (KV_TEST_COMS, traffic log in KV_TEST_SIM_LOG).
#pragma once

#include <string>
#include <vector>

struct TestLine {
    std::string port;  // empty: no virtual dimmer at hand (the test skips)
    std::string log;   // the simulator's traffic log, "RX ..." / "TX ..." lines
};

// Two dimmers on one line, at RS485 addresses 1 and 2, logging the traffic.
const TestLine& bus_line();
// A dimmer that never answers.
const TestLine& silent_line();
// A port that cannot be opened.
std::string missing_port();
// Other names the system opens the same port by: on Windows "\\.\COM12"
// and "com12" for "COM12"; none on Linux.
std::vector<std::string> other_spellings(const std::string& port);
