// Programs started by end-to-end tests: kv310r-sim, kv310r-cli. Each child is
// killed if a test ends early. POSIX only.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include <sys/types.h>

struct ChildProcess {
    pid_t pid = -1;
    int out_fd = -1;  // its stdout, when it goes to a pipe

    ChildProcess() = default;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess();
};

// Starts program with args. Its stdout goes to a pipe (out_fd), or to out_file
// when one is given (stderr then to err_file).
bool start_child(ChildProcess& child, const std::string& program, const std::vector<std::string>& args,
                 const std::string& out_file = "", const std::string& err_file = "");

// The exit status, or -1 when the child did not end within the limit.
int wait_child(ChildProcess& child, std::chrono::milliseconds limit = std::chrono::seconds(5));

// SIGTERM, then the exit status (-1 if it did not end within 5 s).
int stop_child(ChildProcess& child);

// The virtual dimmer, reached through the pseudo-terminal it prints first.
struct SimProcess : ChildProcess {
    std::string pty;
};

// Starts the simulator and waits (at most 5 s) for its pty path.
bool start_sim(SimProcess& sim, const std::string& exe, const std::vector<std::string>& args);
inline int stop_sim(SimProcess& sim) { return stop_child(sim); }

// Waits up to 5 s until the file holds text (the simulator flushes its traffic
// log line by line).
bool file_holds(const std::string& path, const std::string& text);
