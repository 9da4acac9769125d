// Dimmers at several addresses of the scripted port: each answers the frames
// addressed to it, after its own delay, from its own parameter image; the
// others stay silent. For the scan and the runs over a bus.
#pragma once

#include <cstring>
#include <map>
#include <vector>

#include "link/protocol.h"
#include "link/status_record.h"
#include "params/record.h"
#include "tests/support/link_fakes.h"

struct FakeBusDimmer {
    std::vector<uint8_t> versions = {2, 1, 1, 4, 1, 4};
    uint32_t delay_ms = 5;         // before each reply
    bool garbled = false;          // answers with bytes that never make a valid frame
    int silent_after_frames = -1;  // >= 0: answers only that many frames
    int frames = 0;                // frames addressed to it so far
    std::vector<uint8_t> image = std::vector<uint8_t>(TRANSFER_IMAGE_SIZE, 0);
    uint8_t front_temperature_tenths = 255;  // the status it sends: 25.5 °C
};

struct FakeBus {
    std::map<uint8_t, FakeBusDimmer> dimmers;
};

inline FakeBus& fake_bus() {
    static FakeBus bus;
    return bus;
}

// The image of a dimmer holding this record.
inline std::vector<uint8_t> image_of(const ParameterRecord& record) {
    std::vector<uint8_t> image(TRANSFER_IMAGE_SIZE, 0);
    std::memcpy(image.data(), device_image(record), DEVICE_IMAGE_SIZE);
    return image;
}

inline void fake_bus_respond(const Frame& request) {
    auto found = fake_bus().dimmers.find(request.address);
    if (found == fake_bus().dimmers.end()) return;
    FakeBusDimmer& d = found->second;
    if (d.silent_after_frames >= 0 && d.frames >= d.silent_after_frames) return;
    ++d.frames;
    const uint8_t a = request.address;
    if (d.garbled) {
        // A frame whose checksum is wrong, and noise.
        fake_port_queue({0x7f, a, 0x08, 0x02, 0x01, 0x00, 0x7f, 0x33, 0x7e, 0x12}, d.delay_ms);
        return;
    }
    const int index = request.length > 0 ? request.payload[0] : 0;
    switch (request.code) {
        case OPCODE_VERSION:
            fake_port_reply_from(a, OPCODE_VERSION, d.versions, d.delay_ms);
            break;
        case OPCODE_STATUS: {
            std::vector<uint8_t> status(STATUS_RECORD_SIZE, 0);
            status[offsetof(StatusRecord, front_temperature)] = d.front_temperature_tenths;
            fake_port_reply_from(a, OPCODE_STATUS, status, d.delay_ms);
            break;
        }
        case OPCODE_RESET:
            std::fill(d.image.begin(), d.image.end(), 0);
            fake_port_reply_from(a, OPCODE_RESET, {1}, d.delay_ms);
            break;
        case OPCODE_WRITE_BLOCK:
            std::memcpy(d.image.data() + index * PARAMETER_BLOCK_SIZE, request.payload + 1,
                        PARAMETER_BLOCK_SIZE);
            fake_port_reply_from(a, OPCODE_WRITE_BLOCK, {1, uint8_t(index)}, d.delay_ms);
            break;
        case OPCODE_READ_BLOCK: {
            std::vector<uint8_t> payload = {1, uint8_t(index)};
            payload.insert(payload.end(), d.image.begin() + index * PARAMETER_BLOCK_SIZE,
                           d.image.begin() + (index + 1) * PARAMETER_BLOCK_SIZE);
            fake_port_reply_from(a, OPCODE_READ_BLOCK, payload, d.delay_ms);
            break;
        }
        default:
            break;
    }
}

// A fresh link world whose port leads to the bus.
inline void reset_bus_world(std::map<uint8_t, FakeBusDimmer> dimmers) {
    reset_link_world();
    fake_bus().dimmers = std::move(dimmers);
    fake_port().responder = fake_bus_respond;
}
