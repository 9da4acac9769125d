#include "tests/cli/test_lines.h"

#include <cctype>
#include <cstdlib>
#include <sstream>
#include <vector>

namespace {

// KV_TEST_COMS: the bus, the silent dimmer and the dead port, in that order.
std::string com_port(size_t index) {
    const char* all = std::getenv("KV_TEST_COMS");
    std::istringstream in(all ? all : "");
    std::vector<std::string> ports;
    for (std::string p; in >> p;) ports.push_back(p);
    return index < ports.size() ? ports[index] : std::string();
}

}  // namespace

const TestLine& bus_line() {
    static const TestLine line = {com_port(0),
                                  std::getenv("KV_TEST_SIM_LOG") ? std::getenv("KV_TEST_SIM_LOG") : ""};
    return line;
}

const TestLine& silent_line() {
    static const TestLine line = {com_port(1), ""};
    return line;
}

std::string missing_port() { return com_port(2); }

std::vector<std::string> other_spellings(const std::string& port) {
    std::string lower = port;
    for (char& c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
    return {"\\\\.\\" + port, lower};
}
