// The communication monitor's view of the traffic: every 200 ms the window's
// timer moves the feed into the log file "ComMon.txt" byte for byte and into
// the list as lines. The window only mirrors the list operations this code
// asks for, so line assembly and logging are the same on every platform.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

constexpr size_t MONITOR_TRANSFER_SIZE = 16384;
constexpr size_t MONITOR_LINE_CHARS = 71;   // longer lines are cut in the list (not in the file)
constexpr size_t MONITOR_LIST_KEEP = 1000;  // the list holds at most this many plus the new line
constexpr const char* MONITOR_LOG_NAME = "ComMon.txt";

// What the list shows; the Windows monitor backs these with its list box.
struct MonitorList {
    void* context = nullptr;
    size_t (*count)(void* context) = nullptr;
    void (*delete_first)(void* context) = nullptr;
    void (*add_and_select)(void* context, const std::string& line) = nullptr;
};

struct MonitorView {
    std::vector<char> transfer;  // taken from the feed, not yet shown
    std::string line;            // the line being assembled
    bool paused = false;
    std::FILE* log = nullptr;
    bool in_tick = false;  // the timer can be re-entered from a message pump
};

// Window start: clears the buffers and the feed ring, activates the feed,
// recreates the log file in dir (the program's folder) with its two header
// lines. Without a log file the monitor still lists the traffic.
void monitor_view_open(MonitorView& view, const std::string& dir);
// Window end: deactivates the feed, drops whatever is buffered, closes the log.
void monitor_view_close(MonitorView& view);

// The 200 ms timer: moves the feed into the transfer buffer and, unless
// paused, logs and lists it.
void monitor_view_tick(MonitorView& view, const MonitorList& list);

// "Anhalten" / "Starten": returns the button's new text.
const char* monitor_view_toggle_pause(MonitorView& view);
