// A kept hour for the benchmarks of the "Verlauf" window: 36,000 statuses
// 100 ms apart, the newest at tick now and wall-clock time wall_ms, in which every quantity moves (slow
// waves with noise), so every pixel column has a spread to draw.
#pragma once

#include <cmath>
#include <cstdint>

#include "base/bytes.h"
#include "measure/status_history.h"

inline void fill_hour(StatusHistory& h, uint32_t now, int64_t wall_ms) {
    uint32_t noise = 1;
    for (uint32_t i = 0; i < HISTORY_STATUSES; ++i) {
        noise = noise * 1103515245u + 12345u;
        const int wobble = int((noise >> 16) % 40);
        const double wave = std::sin(i / 3000.0);
        StatusRecord s = {};
        put_u16le(s.front_temperature, uint16_t(300 + 50 * wave + wobble / 4));
        put_u16le(s.supply_voltage, uint16_t(2000 + wobble));
        put_u16le(s.control_level[0], uint16_t(30000 + 20000 * wave));
        put_u16le(s.control_level[1], uint16_t(wobble * 100));
        for (int d = 0; d < 2; ++d) {
            DimmerMeasurement& m = s.measurement[d];
            m.present = 1;
            put_u16le(m.temperature, uint16_t(400 + 150 * d + 100 * wave + wobble / 2));
            put_u16le(m.input_voltage, uint16_t(2300 + wobble));
            put_u16le(m.peak_current, uint16_t(1500 + 500 * wave + 10 * wobble));
            put_u16le(m.effective_power, uint16_t(200 + 50 * wave + wobble));
            put_u16le(m.power_loss, uint16_t(2000 + 500 * wave + 10 * wobble));
            put_u16le(m.mains_frequency, uint16_t(4990 + wobble / 4));
        }
        const uint32_t back = (HISTORY_STATUSES - 1 - i) * 100;
        history_add_status(h, now - back, wall_ms - back, s);
    }
}
