#include "tests/support/sim_process.h"

#include "tests/support/temp_dir.h"

#include <chrono>
#include <csignal>
#include <thread>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto TIME_LIMIT = std::chrono::seconds(5);

std::string read_first_line(int fd)
{
    std::string line;
    const Clock::time_point end = Clock::now() + TIME_LIMIT;
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

} // namespace

SimProcess::~SimProcess()
{
    if (pid > 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    if (stdout_fd >= 0) close(stdout_fd);
}

bool start_sim(SimProcess& sim, const std::string& exe, const std::vector<std::string>& args)
{
    int pipe_fds[2];
    if (pipe(pipe_fds) != 0) return false;
    std::vector<std::string> argv_text = {exe};
    argv_text.insert(argv_text.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& s : argv_text) argv.push_back(s.data());
    argv.push_back(nullptr);
    const pid_t pid = fork();
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
    sim.pty = read_first_line(sim.stdout_fd);
    return !sim.pty.empty();
}

int stop_sim(SimProcess& sim)
{
    kill(sim.pid, SIGTERM);
    const Clock::time_point end = Clock::now() + TIME_LIMIT;
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

bool file_holds(const std::string& path, const std::string& text)
{
    const Clock::time_point end = Clock::now() + TIME_LIMIT;
    while (Clock::now() < end) {
        if (read_bytes(path).find(text) != std::string::npos) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}
