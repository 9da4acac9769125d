// kv310r-sim: a virtual KV-310-R dimmer on a pseudo-terminal, or several on
// one line (one per address). Prints the slave's path as its first line, then
// answers frames until killed.
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include <cerrno>
#include <poll.h>
#include <unistd.h>

#include "sim/bus.h"
#include "sim/device_model.h"
#include "sim/options.h"
#include "sim/pty_posix.h"
#include "sim/store_file.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::nanoseconds;

// 38400 baud, 8 data bits, no parity, 2 stop bits: 11 bit times a byte.
constexpr nanoseconds BYTE_TIME{11'000'000'000LL / 38400};

volatile std::sig_atomic_t g_stop = 0;

void on_signal(int) { g_stop = 1; }

// A reply waiting for the line, with the earliest time its first byte may go.
struct Pending {
    std::vector<uint8_t> bytes;
    size_t sent = 0;
    Clock::time_point earliest;
};

struct Line {
    std::deque<Pending> queue;
    Clock::time_point rx_free;  // when the last received byte has fully arrived (pacing)
    Clock::time_point tx_free;  // when the line is free for the next byte we send (pacing)
};

FILE* g_log = nullptr;

// The scripted status record, or nothing when the file is missing or not
// exactly one record long (a test may be rewriting it).
std::vector<uint8_t> read_scripted_status(const std::string& path) {
    std::vector<uint8_t> bytes(STATUS_RECORD_SIZE + 1);
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return {};
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
    std::fclose(f);
    if (bytes.size() != STATUS_RECORD_SIZE) bytes.clear();
    return bytes;
}

void write_log(const std::vector<std::string>& lines) {
    if (!g_log) return;
    for (const std::string& line : lines) {
        std::fputs(line.c_str(), g_log);
        std::fputc('\n', g_log);
        std::fflush(g_log);  // tests read the log while the simulator runs
    }
}

// Writes what is due; returns the time the next byte is due (or max()).
Clock::time_point send_due(Pty& pty, Line& line, bool pace) {
    while (!line.queue.empty()) {
        Pending& p = line.queue.front();
        Clock::time_point now = Clock::now();
        Clock::time_point start = pace ? std::max(p.earliest, line.tx_free) : p.earliest;
        if (start > now) return start;
        size_t count = p.bytes.size() - p.sent;
        if (pace) {
            // Only the bytes whose turn on the line has come.
            size_t due = size_t((now - start) / BYTE_TIME) + 1;
            if (due < count) count = due;
        }
        ssize_t n = write(pty.master, p.bytes.data() + p.sent, count);
        if (n < 0 && errno == EAGAIN) {
            // Nobody reads the terminal and its buffer is full: a real line
            // would not wait either, so the stale bytes go.
            pty_discard_unread(pty);
            n = write(pty.master, p.bytes.data() + p.sent, count);
        }
        if (n <= 0) n = ssize_t(count);  // lost on the line
        p.sent += size_t(n);
        if (pace) line.tx_free = start + BYTE_TIME * n;
        if (p.sent >= p.bytes.size()) line.queue.pop_front();
    }
    return Clock::time_point::max();
}

// A new terminal, linked under the --link name, its path printed as a line
// of its own (the first line at start, a further one at each replug).
bool plug_in(Pty& pty, const SimArgs& args, std::string& error) {
    if (!pty_open(pty, error)) return false;
    if (!args.link_path.empty() && !make_symlink(args.link_path, pty.slave_path, error)) return false;
    std::printf("%s\n", pty.slave_path.c_str());
    std::fflush(stdout);
    return true;
}

// The adapter pulled: the terminal closes, so a client's reads and writes
// fail from now on, and the name goes, so opening it fails until it is back.
void unplug(Pty& pty, Line& line, const SimArgs& args) {
    if (!args.link_path.empty()) remove_symlink_to(args.link_path, pty.slave_path);
    pty_close(pty);
    line = Line{};
}

int run(const SimArgs& args) {
    // Signals are blocked except inside ppoll, so a stop request cannot slip
    // in between the check and the wait.
    sigset_t blocked, during_wait;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGTERM);
    sigaddset(&blocked, SIGINT);
    sigprocmask(SIG_BLOCK, &blocked, &during_wait);
    sigdelset(&during_wait, SIGTERM);
    sigdelset(&during_wait, SIGINT);
    struct sigaction sa {};
    sa.sa_handler = on_signal;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    std::vector<SimConfig> configs = sim_bus_configs(args);
    for (SimConfig& cfg : configs) cfg.factory_store = factory_store();
    SimBus bus;
    sim_bus_init(bus, configs);
    for (SimDevice& dev : bus.devices) {
        if (!args.load_path.empty() && !load_store(args.load_path, dev.store)) {
            std::fprintf(stderr, "kv310r-sim: cannot read parameter file %s\n", args.load_path.c_str());
            return 1;
        }
    }

    if (!args.log_path.empty()) {
        g_log = std::fopen(args.log_path.c_str(), "w");
        if (!g_log) {
            std::fprintf(stderr, "kv310r-sim: cannot write log %s: %s\n", args.log_path.c_str(),
                         std::strerror(errno));
            return 1;
        }
    }
    Pty pty;
    std::string error;
    if (!plug_in(pty, args, error)) {
        std::fprintf(stderr, "kv310r-sim: %s\n", error.c_str());
        return 1;
    }

    const Clock::time_point started = Clock::now();
    const Clock::time_point deadline = args.exit_after_s > 0
                                           ? started + std::chrono::duration_cast<Clock::duration>(
                                                           std::chrono::duration<double>(args.exit_after_s))
                                           : Clock::time_point::max();
    const nanoseconds turnaround =
        std::chrono::milliseconds(args.turnaround_ms >= 0 ? args.turnaround_ms : (args.pace ? 2 : 0));
    Line line;
    uint8_t buf[4096];

    // While the line is unplugged: when it comes back by itself (after a
    // vanish with --replug-after), else max() (it waits for the switch file).
    bool plugged = true;
    Clock::time_point replug_at = Clock::time_point::max();

    while (!g_stop) {
        Clock::time_point now = Clock::now();
        if (now >= deadline) break;
        if (!args.unplug_switch_path.empty()) {
            const bool pulled = access(args.unplug_switch_path.c_str(), F_OK) == 0;
            if (pulled && plugged) {
                unplug(pty, line, args);
                plugged = false;
                write_log({"UNPLUGGED"});
            } else if (!pulled && !plugged && replug_at == Clock::time_point::max()) {
                replug_at = now;
            }
        }
        if (!plugged) {
            if (now >= replug_at) {
                if (!plug_in(pty, args, error)) {
                    std::fprintf(stderr, "kv310r-sim: %s\n", error.c_str());
                    return 1;
                }
                plugged = true;
                replug_at = Clock::time_point::max();
                write_log({"PLUGGED"});
                continue;
            }
            // Nothing to serve: look at the switch and the clock again soon.
            const nanoseconds wait = std::min<nanoseconds>(replug_at - now, std::chrono::milliseconds(50));
            timespec ts{time_t(wait.count() / 1'000'000'000), long(wait.count() % 1'000'000'000)};
            ppoll(nullptr, 0, &ts, &during_wait);
            continue;
        }
        Clock::time_point next = std::min(send_due(pty, line, args.pace), deadline);
        now = Clock::now();
        // Wake at least every 200 ms; a byte due sooner shortens the wait.
        nanoseconds wait = std::min<nanoseconds>(next - now, std::chrono::milliseconds(200));
        timespec ts{time_t(wait.count() / 1'000'000'000), long(wait.count() % 1'000'000'000)};
        pollfd pfd{pty.master, POLLIN, 0};
        int ready = ppoll(&pfd, 1, &ts, &during_wait);
        if (ready <= 0) continue;  // time-out or a signal
        if (!(pfd.revents & POLLIN)) {
            usleep(20000);  // hang-up without data: no client; don't spin
            continue;
        }
        ssize_t n = read(pty.master, buf, sizeof buf);
        if (n <= 0) {
            if (n < 0 && errno != EAGAIN && errno != EINTR) usleep(20000);  // EIO while no client
            continue;
        }
        now = Clock::now();
        // With pacing, the request is complete only once its last byte would
        // have crossed the line at 38400 baud.
        line.rx_free = args.pace ? std::max(line.rx_free, now) + BYTE_TIME * n : now;
        uint32_t now_ms =
            uint32_t(std::chrono::duration_cast<std::chrono::milliseconds>(now - started).count());
        if (!args.status_path.empty()) {
            const std::vector<uint8_t> scripted = read_scripted_status(args.status_path);
            for (SimDevice& dev : bus.devices) dev.scripted_status = scripted;
        }
        if (!args.fault_switch_path.empty()) {
            const bool faulty = access(args.fault_switch_path.c_str(), F_OK) == 0;
            for (SimDevice& dev : bus.devices) dev.faults_active = faulty;
        }
        SimOutput out;
        sim_bus_receive(bus, buf, size_t(n), now_ms, out);
        write_log(out.log);
        if (!out.wire.empty())
            line.queue.push_back(
                {out.wire, 0, line.rx_free + turnaround + std::chrono::milliseconds(out.delay_ms)});
        // Vanished: the terminal closes (on a bus, the whole line goes), for
        // good or until it is plugged in again.
        if (std::any_of(bus.devices.begin(), bus.devices.end(),
                        [](const SimDevice& d) { return d.vanished; })) {
            if (args.replug_after_ms < 0) break;
            unplug(pty, line, args);
            plugged = false;
            replug_at = Clock::now() + std::chrono::milliseconds(args.replug_after_ms);
            // Back on the line it answers again, and vanishes no more.
            for (SimDevice& dev : bus.devices) {
                dev.vanished = false;
                dev.cfg.vanish_after = -1;
            }
        }
    }

    if (plugged) unplug(pty, line, args);
    if (g_log) std::fclose(g_log);
    if (!args.save_path.empty() && !save_store(args.save_path, bus.devices.front().store)) {
        std::fprintf(stderr, "kv310r-sim: cannot write parameter file %s\n", args.save_path.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    SimArgs args;
    std::string error;
    if (!parse_sim_args(std::vector<std::string>(argv + 1, argv + argc), args, error)) {
        std::fprintf(stderr, "kv310r-sim: %s\n%s", error.c_str(), sim_usage());
        return 2;
    }
    if (args.help) {
        std::fputs(sim_usage(), stdout);
        return 0;
    }
    return run(args);
}
