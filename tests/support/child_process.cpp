#include "tests/support/child_process.h"

#include "tests/support/temp_dir.h"

#include <csignal>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto TIME_LIMIT = std::chrono::seconds(5);

std::string read_first_line(int fd) {
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

}  // namespace

ChildProcess::~ChildProcess() {
    if (pid > 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    if (out_fd >= 0) close(out_fd);
}

bool start_child(ChildProcess& child, const std::string& program, const std::vector<std::string>& args,
                 const std::string& out_file, const std::string& err_file) {
    int fds[2] = {-1, -1};
    if (out_file.empty() && pipe(fds) != 0) return false;
    std::vector<std::string> text = {program};
    text.insert(text.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& s : text) argv.push_back(s.data());
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid < 0) return false;
    if (pid == 0) {
        if (out_file.empty()) {
            dup2(fds[1], STDOUT_FILENO);
            close(fds[0]);
            close(fds[1]);
        } else {
            dup2(open(out_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDOUT_FILENO);
            dup2(open(err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDERR_FILENO);
        }
        execv(argv[0], argv.data());
        _exit(127);
    }
    if (out_file.empty()) {
        close(fds[1]);
        child.out_fd = fds[0];
    }
    child.pid = pid;
    return true;
}

int wait_child(ChildProcess& child, std::chrono::milliseconds limit) {
    const Clock::time_point end = Clock::now() + limit;
    while (Clock::now() < end) {
        int status = 0;
        if (waitpid(child.pid, &status, WNOHANG) == child.pid) {
            child.pid = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return -1;
}

int stop_child(ChildProcess& child) {
    kill(child.pid, SIGTERM);
    return wait_child(child, TIME_LIMIT);
}

bool start_sim(SimProcess& sim, const std::string& exe, const std::vector<std::string>& args) {
    if (!start_child(sim, exe, args)) return false;
    sim.pty = read_first_line(sim.out_fd);
    return !sim.pty.empty();
}

bool file_holds(const std::string& path, const std::string& text) {
    const Clock::time_point end = Clock::now() + TIME_LIMIT;
    while (Clock::now() < end) {
        if (read_bytes(path).find(text) != std::string::npos) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}
