// Finding the dimmers on one RS485 line: each address of a list is asked for
// its firmware versions, and each dimmer that answers for its status.
//
// The wait per address is short (the version query's own 1000 ms would make
// a scan of 255 empty addresses last over four minutes), so a dimmer may
// answer after its wait is over, while the next address is asked. Every reply
// carries the address of the dimmer that sends it, so the scan takes a reply
// only from the address it waits for; a late version reply from an address
// asked before is that dimmer found late. A request that went out while
// anything else was on the line may have collided with it on the half-duplex
// bus, so an address whose wait heard foreign bytes is asked once more when
// the line has gone quiet. The requests are the dimmer's own commands (0x08,
// and 0x10 with no drive flag set, which leaves both outputs as they are).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "link/commands.h"
#include "link/link_status.h"
#include "link/status_record.h"

// ---- time on the line: 38400 baud, 8 data bits, no parity, 2 stop bits

constexpr uint32_t LINE_BAUD = 38400;
constexpr uint32_t LINE_BITS_PER_BYTE = 11;  // start bit, 8 data bits, 2 stop bits

// Bytes a frame with this payload takes on the wire: both flags, address,
// command byte, payload and checksum; with every byte between the flags
// stuffed when worst_case is set.
size_t frame_wire_bytes(size_t payload_length, bool worst_case);
// Milliseconds that many bytes take on the line, rounded up.
uint32_t line_time_ms(size_t bytes);

// The wait per address unless the settings say otherwise. It holds the
// version exchange on the wire at worst-case stuffing (9 ms), the dimmer's
// turnaround, the latency timer of a USB adapter (16 ms by default) and the
// granularity of the system's tick count (about 16 ms on Windows).
constexpr uint32_t SCAN_TIMEOUT_DEFAULT_MS = 50;

// Where the settings file keeps the wait per address, in milliseconds (a
// missing key or 0 gives the default).
constexpr const char* SCAN_SETTINGS_SECTION = "BUS";
constexpr const char* SCAN_TIMEOUT_KEY = "SCANTIMEOUT";

// The version exchange at worst-case stuffing on the line: no dimmer answers
// sooner, so no shorter wait makes sense.
uint32_t scan_timeout_floor_ms();
// The wait per address from a setting or an option: 0 or less gives the
// default, a value below the floor the floor, one above the version query's
// own wait (1000 ms) that wait.
uint32_t scan_version_timeout_ms(int32_t setting);
// The wait for the status reply of a dimmer that answered: the version wait
// plus the time the longer status exchange needs on the line.
uint32_t scan_status_timeout_ms(uint32_t version_timeout_ms);

// ---- the scan

enum class BusAnswer {
    answered,  // a valid version reply within the wait
    late,      // a valid version reply, heard only after its wait was over
    garbled,   // bytes came back twice, but never a valid reply
};

struct BusDimmer {
    uint32_t address = 0;
    BusAnswer answer = BusAnswer::answered;
    VersionData version{};  // nothing for garbled
    bool has_status = false;
    StatusRecord status{};
};

struct BusScanHooks {
    // Before each address is asked: how many were asked before it, of total.
    std::function<void(size_t asked, size_t total, uint32_t address)> asking;
    // Each dimmer once, as soon as all is known of it (the list can fill
    // while the scan runs).
    std::function<void(const BusDimmer&)> found;
    // Asked between addresses: true ends the scan there.
    std::function<bool()> stop_requested;
};

struct BusScanResult {
    // LINK_OK, the port's error, or LINK_CANCELLED (busy window).
    LinkStatus status = LINK_OK;
    std::vector<BusDimmer> dimmers;  // in the order found
    size_t asked = 0;                // addresses asked before the scan ended
    bool stopped = false;            // stop_requested ended it
};

// Asks every address on the port in g_port_settings, in the order given.
// Runs inside an open busy window, whose "Abbruch" ends it at once; the
// port is closed afterwards.
BusScanResult bus_scan(const std::vector<uint32_t>& addresses, uint32_t version_timeout_ms,
                       const BusScanHooks& hooks);
