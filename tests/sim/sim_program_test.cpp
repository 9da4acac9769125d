// The kv310r-sim program end to end: started as a child process, reached
// through the pseudo-terminal it prints, stopped with SIGTERM.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include "tests/sim/sim_test_util.h"
#include "tests/support/temp_dir.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto TIME_LIMIT = std::chrono::seconds(5);

// The simulator as a child process; killed if a test ends early.
struct SimProcess {
    pid_t pid = -1;
    int stdout_fd = -1;

    ~SimProcess() {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        if (stdout_fd >= 0) close(stdout_fd);
    }
};

bool start_sim(SimProcess& sim, const std::vector<std::string>& args) {
    int pipe_fds[2];
    if (pipe(pipe_fds) != 0) return false;
    std::vector<std::string> argv_text = {KV_SIM_EXE};
    argv_text.insert(argv_text.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& s : argv_text) argv.push_back(s.data());
    argv.push_back(nullptr);
    pid_t pid = fork();
    if (pid < 0) return false;
    if (pid == 0) {
        dup2(pipe_fds[1], STDOUT_FILENO);
        close(pipe_fds[0]);
        close(pipe_fds[1]);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(pipe_fds[1]);
    sim.pid = pid;
    sim.stdout_fd = pipe_fds[0];
    return true;
}

// The first line the child prints, or empty after the time limit.
std::string read_first_line(int fd) {
    std::string line;
    Clock::time_point end = Clock::now() + TIME_LIMIT;
    while (Clock::now() < end) {
        pollfd pfd{fd, POLLIN, 0};
        if (poll(&pfd, 1, 100) <= 0) continue;
        char c;
        if (read(fd, &c, 1) != 1) break;
        if (c == '\n') return line;
        line += c;
    }
    return {};
}

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

bool log_holds(const std::string& path, const std::string& text) {
    Clock::time_point end = Clock::now() + TIME_LIMIT;
    while (Clock::now() < end) {
        if (read_bytes(path).find(text) != std::string::npos) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

// SIGTERM, then the exit status (-1 if it did not end in time).
int stop_sim(SimProcess& sim) {
    kill(sim.pid, SIGTERM);
    Clock::time_point end = Clock::now() + TIME_LIMIT;
    while (Clock::now() < end) {
        int status = 0;
        if (waitpid(sim.pid, &status, WNOHANG) == sim.pid) {
            sim.pid = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return -1;
}

TEST(SimProgram, AnswersVersionOverThePtyAndLogsIt) {
    TempDir dir;
    std::string log = dir.file("traffic.txt");
    std::string link = dir.file("com7");
    SimProcess sim;
    ASSERT_TRUE(start_sim(sim, {"--log", log, "--link", link, "--exit-after", "60"}));
    std::string pty = read_first_line(sim.stdout_fd);
    ASSERT_FALSE(pty.empty());

    const std::vector<uint8_t> version = {0x7f, 0x01, 0x08, 0xf7, 0x7f};
    const std::vector<uint8_t> reply = {0x7f, 0x01, 0x08, 0x02, 0x01, 0x01, 0x04, 0x01, 0x04, 0xea, 0x7f};
    int fd = open_raw(pty);
    ASSERT_GE(fd, 0) << pty;
    EXPECT_EQ(exchange(fd, version), reply);
    close(fd);
    EXPECT_TRUE(log_holds(log, "RX 7f 01 08 f7 7f\nTX 7f 01 08 02 01 01 04 01 04 ea 7f\n"));

    // A client that closes the port and opens it again, here through the link,
    // still finds the dimmer.
    fd = open_raw(link);
    ASSERT_GE(fd, 0) << link;
    EXPECT_EQ(exchange(fd, version), reply);
    close(fd);

    EXPECT_EQ(stop_sim(sim), 0);
    EXPECT_FALSE(std::filesystem::is_symlink(link));
}

}  // namespace
