// The virtual KV-310-R: everything the dimmer does on its RS485 line, as a
// plain struct and free functions. Bytes from the line go in with the current
// time, the bytes of the replies come out; no I/O, no clock of its own, so the
// same code runs behind the pseudo-terminal and inside unit tests.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "link/frame.h"
#include "link/protocol.h"
#include "link/status_record.h"
#include "sim/load_model.h"
#include "sim/rng.h"
#include "sim/scope_model.h"

struct SimConfig {
    uint8_t address = 1;                       // RS485 address this dimmer answers to
    uint8_t versions[6] = {2, 1, 1, 4, 1, 4};  // controller, dimmer 1, dimmer 2: major, minor
    bool short_version = false;                // version reply with the controller version only
    uint8_t dip[4] = {0x4, 0x0, 0x0, 0x8};     // DIP bytes 48..51 (default: RS485, address 1)
    double load_watts[2] = {500, 300};         // lamp load of each output at full drive
    uint32_t scope_record_ms = 400;            // time from a scope start until the data are ready
    // The store after start-up and after the reset command 0x40.
    std::array<uint8_t, TRANSFER_IMAGE_SIZE> factory_store{};

    // Fault injection.
    double drop_rate = 0;     // each reply byte is lost with this probability
    double corrupt_rate = 0;  // each reply byte is altered with this probability
    double noise_rate = 0;    // after each reply byte a random byte is added with this probability
    uint64_t seed = 1;
    bool wrong_subaddress = false;  // replies carry sub-address 1
    bool short_payload = false;     // replies are one byte shorter than the program accepts
    bool silent = false;            // never answer
    int64_t stop_after = -1;        // answer only the first N frames addressed to us (-1: all)
    int64_t vanish_after = -1;      // after N answered frames, the next one for us makes the dimmer vanish
    uint32_t noise_between = 0;     // random bytes on the line before each reply, outside any frame
    bool bad_markers = false;       // block reads carry no valid parameter markers
    uint32_t reply_delay_ms = 0;    // a slow dimmer: this much later than the line's turnaround
};

enum class ScopePhase : uint8_t {
    idle,
    recording,
    ready
};

// The dimmer's oscilloscope recorder: where it stands, when it started,
// what it was asked for and what it recorded.
struct SimScopeRecorder {
    ScopePhase phase = ScopePhase::idle;
    uint32_t started_ms = 0;
    ScopeRequest request;
    uint8_t capture[SCOPE_CAPTURE_SIZE] = {};
};

struct SimDevice {
    SimConfig cfg;
    FrameParser parser;
    std::vector<uint8_t> rx_wire;  // wire bytes since the last frame flag, for the traffic log
    uint8_t store[TRANSFER_IMAGE_SIZE];
    uint16_t drive[2];
    uint32_t peak_loss_mw[2];  // highest power loss seen, per output
    uint16_t dimmer_rx[2];     // controller <-> dimmer message counters
    uint16_t dimmer_tx[2];
    int64_t frames_for_us;  // valid frames addressed to this dimmer
    bool vanished;          // gone from the bus (the program closes the line)
    // A status record scripted from outside (tests): while it holds 111
    // bytes, status replies carry it instead of the modelled values.
    std::vector<uint8_t> scripted_status;
    SimScopeRecorder scope;
    SimRng rng;
    bool logs_requests = true;  // on a shared line only one dimmer logs the frames it hears
    // The line faults of the configuration (silent, wrong sub-address, short
    // payload, dropped, altered and added bytes) apply only while this is set.
    bool faults_active = true;
};

// A reply before it goes on the wire; send = false means no answer.
struct SimReply {
    bool send = false;
    uint8_t code = 0;
    std::vector<uint8_t> payload;
};

// What one batch of received bytes produced: the bytes to send back and the
// traffic-log lines ("RX 7f 01 08 f7 7f", "TX ...": raw wire bytes, lower-case hex).
struct SimOutput {
    std::vector<uint8_t> wire;
    std::vector<std::string> log;
    uint32_t delay_ms = 0;  // the longest reply delay of the dimmers that answered
};

void sim_init(SimDevice& dev, const SimConfig& cfg);

// Feeds bytes received from the line. Every frame they complete is logged and,
// if it is addressed to this dimmer with sub-address 0, answered.
void sim_receive(SimDevice& dev, const uint8_t* bytes, size_t count, uint32_t now_ms, SimOutput& out);

// Frame level: the answer to one request addressed to this dimmer, before faults.
SimReply sim_handle_request(SimDevice& dev, uint8_t code, const uint8_t* payload, size_t length,
                            uint32_t now_ms);

// The electrical state of output 0 or 1 as the status and the scope see it.
OutputState sim_output_state(const SimDevice& dev, int dimmer);

std::string hex_line(const char* prefix, const uint8_t* bytes, size_t count);
