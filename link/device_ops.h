// The device operations the user starts: firmware version, status fetch, and
// writing and reading the parameter set. Each shows the busy window (owned by
// the main window) while it runs and reports to the user itself: an error
// closes the port and shows the link's message owned by owner, "Abbruch"
// closes the port silently.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/ui.h"
#include "link/link_status.h"
#include "link/protocol.h"
#include "link/status_record.h"
#include "params/record.h"

// The parameter set crosses the link as the transfer image (protocol.h): the
// 596-byte device image fills the start, the rest is zero.

// Input discarded before an operation's first request, so a late reply to an
// earlier one cannot be taken for the new one.
constexpr uint32_t DRAIN_MS = 500;

// Asks for the firmware versions and shows them. The port stays open after
// success. Always true: the command is handled either way.
bool firmware_version(WindowRef owner);

// Fetches one status record into the fetched slot; the port is closed
// afterwards whatever the outcome. The second form also sets the test drive.
bool status_fetch(WindowRef owner, StatusSlots& slots);
bool status_fetch_drive(WindowRef owner, StatusSlots& slots, uint8_t flag1, uint16_t value1, uint8_t flag2,
                        uint16_t value2);

// Resets the dimmer's parameter set, then writes all eight blocks of the
// record's device image. The port stays open after success.
bool write_parameter_set(WindowRef owner, const ParameterRecord& record);

// Reads all eight blocks. With both markers in place the device image replaces
// the record's; otherwise the record's device image is zeroed (the caller then
// applies the defaults). The record is untouched unless all blocks arrived.
bool read_parameter_set(WindowRef owner, ParameterRecord& record);
// The two transfers alone, for a caller that keeps its own busy window open
// and reports the outcome itself (a run over the dimmers of a bus): no busy
// window, no message, and the port as the transactions leave it (the caller
// closes it after a failure).
// The write as write_parameter_set does it: drain, reset, the eight blocks.
LinkStatus send_parameter_set(const ParameterRecord& record);
// The read as read_parameter_set does it; markers_valid tells which of the two
// endings the record got. The record is untouched unless all blocks arrived.
LinkStatus receive_parameter_set(ParameterRecord& record, bool& markers_valid);

// What the program and kv310r-cli do with the record after a read that
// reported success: a dimmer without a valid set (its image was zeroed, so
// the markers are missing) gives the default set; then every field is kept
// to its limits.
void finish_parameter_read(ParameterRecord& record);

// Called after each parameter block that crossed the link (done of total), so
// a front end can show progress. Null (the default) shows nothing.
using TransferProgressHook = void (*)(int done, int total);
void set_transfer_progress_hook(TransferProgressHook hook);
