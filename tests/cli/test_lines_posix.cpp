#include "tests/cli/test_lines.h"

#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

#include <vector>

namespace {

// One simulator per kind for the whole test program, stopped at its end.
struct Started {
    TempDir dir;
    SimProcess sim;
    TestLine line;

    explicit Started(std::vector<std::string> options) {
        line.log = dir.file("traffic.txt");
        options.insert(options.end(), {"--log", line.log, "--exit-after", "300"});
        if (start_sim(sim, KV_SIM_PATH, options)) line.port = sim.pty;
    }
};

}  // namespace

const TestLine& bus_line() {
    static Started started({"--address", "1,2"});
    return started.line;
}

const TestLine& silent_line() {
    static Started started({"--silent"});
    return started.line;
}

std::string missing_port() { return "/dev/kv310r-nowhere"; }

std::vector<std::string> other_spellings(const std::string&) { return {}; }
