#include "sim/bus.h"

void sim_bus_init(SimBus& bus, const std::vector<SimConfig>& configs) {
    bus.devices.assign(configs.size(), SimDevice{});
    for (size_t i = 0; i < configs.size(); ++i) {
        sim_init(bus.devices[i], configs[i]);
        bus.devices[i].logs_requests = i == 0;
    }
}

void sim_bus_receive(SimBus& bus, const uint8_t* bytes, size_t count, uint32_t now_ms, SimOutput& out) {
    for (size_t i = 0; i < count; ++i)
        for (SimDevice& dev : bus.devices) sim_receive(dev, bytes + i, 1, now_ms, out);
}
