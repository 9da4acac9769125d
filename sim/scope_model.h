// The dimmer's oscilloscope: the start request, the recorded burst of 500
// voltage and 500 current samples (2012 bytes, fetched in 200-byte blocks),
// generated from the output's electrical state at the moment of the start.
#pragma once

#include <cstddef>
#include <cstdint>

#include "link/protocol.h"
#include "sim/load_model.h"
#include "sim/rng.h"

// The 6-byte start payload of command 0x80.
struct ScopeRequest {
    uint8_t dimmer = 0;        // 1 or 2; 0 in the stop request
    uint8_t kind = 0;          // 1 single/continuous, 2 fault, 3 at start, 4 load test
    uint16_t half_period = 0;  // for kind 3
    uint8_t section = 0;       // 0 full period, 1 zero crossing, 2 switching, 3 load test
    uint8_t low_range = 0;     // 1: ±0.5 A current range
};

ScopeRequest parse_scope_request(const uint8_t payload[6]);
bool is_stop_request(const ScopeRequest& r);

// Builds the capture for one request. `phase_us` places a full-period record
// within the mains period (any value; only its remainder matters); `rng` adds
// a little measurement noise.
void make_capture(const ScopeRequest& request, const OutputState& output, double mains_rms_v,
                  uint32_t phase_us, SimRng& rng, uint8_t out[SCOPE_CAPTURE_SIZE]);
