// Several virtual dimmers on one RS485 line, as on a real bus: every byte the
// PC sends reaches each of them, and only the dimmer a frame is addressed to
// answers. One dimmer is the same as before there was a bus.
#pragma once

#include <vector>

#include "sim/device_model.h"

struct SimBus {
    std::vector<SimDevice> devices;
};

// One dimmer per configuration, in that order; only the first logs the
// frames it hears, so the traffic log shows each frame once.
void sim_bus_init(SimBus& bus, const std::vector<SimConfig>& configs);

// Feeds received bytes to every dimmer, byte by byte, so replies leave in the
// order their requests completed.
void sim_bus_receive(SimBus& bus, const uint8_t* bytes, size_t count, uint32_t now_ms, SimOutput& out);
