// kv310r-sim as a child process for end-to-end tests: started with options,
// reached through the pseudo-terminal it prints, stopped with SIGTERM, killed
// if a test ends early. POSIX only.
#pragma once

#include <string>
#include <vector>

#include <sys/types.h>

struct SimProcess {
    pid_t pid = -1;
    int stdout_fd = -1;
    std::string pty;  // the slave path the simulator printed

    SimProcess() = default;
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;
    ~SimProcess();
};

// Starts exe with args and waits (at most 5 s) for its first line, the pty path.
bool start_sim(SimProcess& sim, const std::string& exe, const std::vector<std::string>& args);

// SIGTERM, then the exit status (-1 if it did not end within 5 s).
int stop_sim(SimProcess& sim);

// Waits up to 5 s until the file holds text (the simulator flushes its traffic
// log line by line).
bool file_holds(const std::string& path, const std::string& text);
