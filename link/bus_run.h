// The dimmers of a bus as a list the technician works through: what the scan
// found at each address, and what the last write, read and comparison there
// ended in. A run does one of these for chosen addresses, one dimmer after the
// other: the parameter set's transfers exactly as for one dimmer (drain,
// reset, blocks), each ending in its dimmer's line instead of a message box.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "link/bus_scan.h"
#include "link/link_status.h"
#include "params/record.h"

enum class BusAction {
    write,    // the open parameter set into the dimmer
    read,     // the dimmer's set into a parameter file of its own
    compare,  // the dimmer's set against the open one
};

struct BusActionResult {
    bool done = false;  // the action ran for this address
    bool ok = false;    // it went through (a comparison: the dimmer's set was read)
    std::string text;   // the line's text: the result or the message of what failed
    std::string time;   // when it ended
    // A comparison only: the dimmer holds a valid set and it equals the open
    // one. A dimmer without a valid set is compared as the default set (as
    // kv310r-cli diff does) but never matches.
    bool matches = false;
};

// One address of the list.
struct BusEntry {
    BusDimmer dimmer;
    std::string scan_time;  // when the scan found it
    BusActionResult write, read, compare;
    std::vector<std::string> differences;  // of the last comparison, as kv310r-cli diff names them
};

BusActionResult& bus_result(BusEntry& entry, BusAction action);
const BusActionResult& bus_result(const BusEntry& entry, BusAction action);

// A dimmer the scan found goes into the list, kept in address order; an
// address already listed keeps the results of its runs. Returns its index.
size_t bus_entry_found(std::vector<BusEntry>& entries, const BusDimmer& dimmer, const std::string& time);
// After a scan: the addresses it asked but did not find leave the list.
void bus_drop_missing(std::vector<BusEntry>& entries, const std::vector<uint32_t>& asked,
                      const std::vector<BusDimmer>& found);

// Every entry was compared and matches: the verification of a bus.
bool bus_all_match(const std::vector<BusEntry>& entries);

// "gleich", "1 Feld verschieden", "3 Felder verschieden".
std::string differences_text(size_t count);

struct BusRunInput {
    const ParameterRecord* record = nullptr;  // write and compare: the open set
    std::string file_pattern;                 // read: "Anlage.ini" gives "Anlage-5.ini" beside it
};

struct BusRunHooks {
    // Before each dimmer: how many were done before it, of total.
    std::function<void(size_t done, size_t total, uint32_t address)> starting;
    // After each dimmer, its entry's index: its result is in place.
    std::function<void(size_t entry)> finished;
    // The time text each result gets.
    std::function<std::string()> now;
};

struct BusRunOutcome {
    // LINK_OK, or a port error, which ends the run (no dimmer can be reached
    // then).
    LinkStatus status = LINK_OK;
    size_t done = 0;       // dimmers worked on, the failed ones included
    bool stopped = false;  // "Abbruch" ended it after the dimmer in progress
};

// Does the action for the entries chosen (indexes into entries), in that
// order, on the port in g_port_settings, each at its own address; the live
// address is the same afterwards. Runs inside an open busy window, whose
// "Abbruch" stops the run once the dimmer in progress is done. A dimmer
// that fails gets the link's message in its line and the port is opened
// afresh for the next; a parameter file is written only whole. The port is
// closed at the end.
BusRunOutcome bus_run(BusAction action, std::vector<BusEntry>& entries, const std::vector<size_t>& chosen,
                      const BusRunInput& input, const BusRunHooks& hooks);
