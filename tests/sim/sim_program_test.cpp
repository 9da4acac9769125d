// The kv310r-sim program end to end: started as a child process, reached
// through the pseudo-terminal it prints, stopped with SIGTERM.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include "tests/sim/sim_test_util.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto TIME_LIMIT = std::chrono::seconds(5);

int open_raw(const std::string& path) {
    int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return -1;
    termios tio{};
    tcgetattr(fd, &tio);
    cfmakeraw(&tio);
    tcsetattr(fd, TCSANOW, &tio);
    return fd;
}

// Sends the bytes and collects what comes back until one frame is complete.
std::vector<uint8_t> exchange(int fd, const std::vector<uint8_t>& bytes) {
    if (write(fd, bytes.data(), bytes.size()) != ssize_t(bytes.size())) return {};
    std::vector<uint8_t> got;
    Clock::time_point end = Clock::now() + TIME_LIMIT;
    while (Clock::now() < end && decode_all(got).empty()) {
        pollfd pfd{fd, POLLIN, 0};
        if (poll(&pfd, 1, 100) <= 0) continue;
        uint8_t buf[256];
        ssize_t n = read(fd, buf, sizeof buf);
        if (n > 0) got.insert(got.end(), buf, buf + n);
    }
    return got;
}

TEST(SimProgram, AnswersVersionOverThePtyAndLogsIt) {
    TempDir dir;
    std::string log = dir.file("traffic.txt");
    std::string link = dir.file("com7");
    SimProcess sim;
    ASSERT_TRUE(start_sim(sim, KV_SIM_EXE, {"--log", log, "--link", link, "--exit-after", "60"}));
    const std::string& pty = sim.pty;

    const std::vector<uint8_t> version = {0x7f, 0x01, 0x08, 0xf7, 0x7f};
    const std::vector<uint8_t> reply = {0x7f, 0x01, 0x08, 0x02, 0x01, 0x01, 0x04, 0x01, 0x04, 0xea, 0x7f};
    int fd = open_raw(pty);
    ASSERT_GE(fd, 0) << pty;
    EXPECT_EQ(exchange(fd, version), reply);
    close(fd);
    EXPECT_TRUE(file_holds(log, "RX 7f 01 08 f7 7f\nTX 7f 01 08 02 01 01 04 01 04 ea 7f\n"));

    // A client that closes the port and opens it again, here through the link,
    // still finds the dimmer.
    fd = open_raw(link);
    ASSERT_GE(fd, 0) << link;
    EXPECT_EQ(exchange(fd, version), reply);
    close(fd);

    EXPECT_EQ(stop_sim(sim), 0);
    EXPECT_FALSE(std::filesystem::is_symlink(link));
}

// Waits up to 5 s until the link is there (or gone), as want says.
bool link_is(const std::string& link, bool want) {
    const Clock::time_point end = Clock::now() + TIME_LIMIT;
    while (std::filesystem::is_symlink(link) != want) {
        if (Clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// A client's port on a line that was unplugged: reads find the terminal hung
// up (an error, or end of file with POLLHUP) and writes fail.
bool port_is_dead(int fd) {
    pollfd p{fd, POLLIN, 0};
    uint8_t b;
    const bool hung_up = poll(&p, 1, 1000) > 0 && (p.revents & (POLLHUP | POLLERR)) != 0 && read(fd, &b, 1) <= 0;
    return hung_up && write(fd, &b, 1) < 0;
}

// The adapter pulled and plugged in again: by a switch file, and by itself
// after vanishing. Each time the link goes with the terminal, the open port
// dies, and the link comes back to a new terminal where the dimmer answers.
TEST(SimProgram, UnplugsAndComesBackUnderTheSameLink) {
    const std::vector<uint8_t> version = {0x7f, 0x01, 0x08, 0xf7, 0x7f};
    const std::vector<uint8_t> reply = {0x7f, 0x01, 0x08, 0x02, 0x01, 0x01, 0x04, 0x01, 0x04, 0xea, 0x7f};
    struct Case {
        const char* name;
        bool by_switch;  // else: --vanish-after 0 --replug-after
    };
    for (const Case c : {Case{"switch file", true}, Case{"vanish and replug", false}}) {
        TempDir dir;
        const std::string link = dir.file("com7");
        const std::string pulled = dir.file("pulled");
        const std::string log = dir.file("traffic.txt");
        std::vector<std::string> args = {"--link", link, "--log", log, "--exit-after", "60"};
        if (c.by_switch)
            args.insert(args.end(), {"--unplug-while", pulled});
        else
            args.insert(args.end(), {"--vanish-after", "0", "--replug-after", "700"});
        SimProcess sim;
        ASSERT_TRUE(start_sim(sim, KV_SIM_EXE, args)) << c.name;

        const int fd = open_raw(link);
        ASSERT_GE(fd, 0) << c.name;
        if (c.by_switch) {
            EXPECT_EQ(exchange(fd, version), reply) << c.name;
            std::ofstream(pulled).put('x');
        } else {
            ASSERT_EQ(write(fd, version.data(), version.size()), ssize_t(version.size()));
        }
        EXPECT_TRUE(link_is(link, false)) << c.name;
        EXPECT_TRUE(port_is_dead(fd)) << c.name;
        close(fd);
        EXPECT_LT(open_raw(link), 0) << c.name;

        if (c.by_switch) std::filesystem::remove(pulled);
        ASSERT_TRUE(link_is(link, true)) << c.name;
        const int again = open_raw(link);
        ASSERT_GE(again, 0) << c.name;
        EXPECT_EQ(exchange(again, version), reply) << c.name;
        close(again);
        EXPECT_EQ(stop_sim(sim), 0) << c.name;
        EXPECT_FALSE(std::filesystem::is_symlink(link)) << c.name;
    }
}

}  // namespace
