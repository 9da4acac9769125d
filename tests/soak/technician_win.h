// A technician's day with kv310r.exe, played in this process against the real
// main window and a virtual dimmer on a Wine COM port: the pages switched,
// the status watched, captures taken and exported from the plot's menu,
// parameter files opened, edited and saved, the monitor and the connection
// dialog opened, the parameter set read and written. The day is played in
// rounds of the same mix; message boxes and file dialogs are answered here.
#pragma once

#include <cstdint>
#include <string>

// How much of each thing one round holds.
struct RoundPlan {
    int page_switches;
    int status_replies;    // displayed on "Dimmerstatus"
    int captures;          // drawn, each exported as CSV, as PNG and to the clipboard
    int parameter_files;   // opened, edited, saved
    int monitor_openings;  // each listing a few status replies
    int dialog_openings;   // "Hardwareanschluss", left with "OK" and "Abbruch" by turns
    int read_write_cycles;
};

// A day is 100 rounds (scripts/soak.sh): 2,000 page switches, 50,000 status
// replies, 1,000 captures, 500 parameter files, 200 monitor and 200 dialog
// openings, 100 read/write cycles.
constexpr RoundPlan DAY_ROUND = {20, 500, 10, 5, 2, 2, 1};

// What was seen to happen: each counted only when its effect was there (a
// reply displayed, a plot drawn, a file written, a window opened and gone).
struct Tally {
    int64_t page_switches = 0;
    int64_t status_replies = 0;
    int64_t captures = 0;
    int64_t csv_files = 0;
    int64_t png_files = 0;
    int64_t clipboard_copies = 0;
    int64_t files_saved = 0;
    int64_t monitor_openings = 0;
    int64_t dialog_openings = 0;
    int64_t reads = 0;
    int64_t writes = 0;
    int64_t errors = 0;  // error messages shown
    std::string first_error;
};

// Writes the settings file (the port from KV_TEST_COM, RS485 address 1) and
// the parameter files into folder (ending with a backslash), and starts the
// main window with its timer, as the program starts. False when it could not.
bool technician_start(const std::string& folder);
// Closes the main window as the user does, and stops the timer.
void technician_stop();

// One round of plan. When leak is set it is called once for each thing done
// (the counters' proof leaks a resource there).
void play_round(const RoundPlan& plan, Tally& tally, void (*leak)() = nullptr);

// The things of rounds rounds of plan that did not happen, one line each;
// empty when all did.
std::string tally_shortfall(const Tally& tally, const RoundPlan& plan, int rounds);
std::string tally_text(const Tally& tally);
