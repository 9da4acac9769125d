// The dimmer's command set and the transactions built on it. Each request is
// sent once with sub-address 0; a reply counts only with sub-address 0, the
// same command code and at least the payload given here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "link/frame.h"
#include "link/link.h"
#include "link/protocol.h"
#include "link/status_record.h"

constexpr uint32_t VERSION_WAIT_MS = 1000;
constexpr uint32_t STATUS_WAIT_MS = 1000;
constexpr uint32_t PARAMETER_WAIT_MS = 5000;

// The firmware versions from the last connection test (dimmer versions 0 when
// the reply carried only the controller's).
struct VersionData {
    uint8_t controller_major;
    uint8_t controller_minor;
    uint8_t dimmer_major[2];
    uint8_t dimmer_minor[2];
};

// A dimmer's version as the firmware message shows it: "%u.%u", or empty
// while the dimmer reports major version 0.
std::string dimmer_version_text(const VersionData& version, int dimmer);

// Clears the version data, closes and reopens the port, asks for the version
// (1000 ms); the reply fills the version data.
LinkStatus connection_test(VersionData& version);

// Clears the fetched status slot, opens the port (not closed first), sends the
// status request with the given drive flags and values, waits 1000 ms; the
// reply fills the fetched slot.
LinkStatus status_transaction(StatusSlots& slots, uint8_t flag1, uint16_t value1, uint8_t flag2,
                              uint16_t value2);

// Opens the port, resets the dimmer's parameter set, waits 5000 ms.
LinkStatus reset_transaction();

// Opens the port, sends parameter block index (0..7), waits 5000 ms for the echo.
LinkStatus write_block(int index, const uint8_t* block /* 128 bytes */);

// Opens the port, asks for parameter block index, waits 5000 ms; the reply's
// 128 block bytes go to block.
LinkStatus read_block(int index, uint8_t* block /* 128 bytes */);

// Send-only status request: LINK_ERR_PORT if the port is closed.
LinkStatus send_status_request(uint8_t flag1, uint16_t value1, uint8_t flag2, uint16_t value2);

// One receive step. Clears the polled slot; for a status reply clears the
// fetched slot (a polled reply is newer than any fetched one), fills the
// polled slot and returns LINK_OK; otherwise LINK_ERR_COMM.
LinkStatus poll_status_reply(StatusSlots& slots);
// Receive steps until nothing more is waiting (at most 32 steps of up to 128
// bytes, twice the port's input buffer): the newest status reply among the frames completed on
// the way fills the polled slot, as poll_status_reply does with one. A reply
// that came late is followed closely by the next; taking only the first would
// leave the page showing the older one, a period behind, for good.
LinkStatus poll_newest_status_reply(StatusSlots& slots);
// What every poll does with a status reply of at least 111 bytes.
void store_polled_status(StatusSlots& slots, const Frame& reply);

// The 8-byte status request payload: per dimmer the set-drive flag, 0, u16 value.
void build_status_request(uint8_t flag1, uint16_t value1, uint8_t flag2, uint16_t value2, uint8_t payload[8]);
