// The electrical side of one dimmer output: a resistive lamp load behind a
// phase-control switch, fed from 230 V / 50 Hz mains. Shared by the status
// record and the oscilloscope capture, so both tell the same story.
#pragma once

#include <cstdint>

constexpr double MAINS_RMS_V = 230.0;
constexpr double MAINS_HZ = 50.0;
constexpr double HALF_PERIOD_US = 10000.0;  // 50 Hz

struct OutputState {
    uint16_t drive = 0;        // test drive 0..65535
    double load_watts = 0;     // lamp power at full drive and 230 V
    uint8_t leading_edge = 0;  // phase-control mode: 0 trailing edge, 1 leading edge
};

// Part of each half period the switch conducts, 0..1.
double conduction(const OutputState& o);
// Whether the switch conducts at the given time after a mains zero crossing (µs).
bool conducts_at(const OutputState& o, double us_after_zero_crossing);
// Instant of the switching edge after the zero crossing (µs); 0 when the
// switch does not switch inside the half period (fully off or fully on).
uint32_t switching_delay_us(const OutputState& o);

struct OutputMeasurement {
    double power_w;         // effective output power
    double peak_power_w;    // peak instantaneous output power
    double peak_current_a;  // peak output current
    double loss_w;          // power loss in the switch
};

OutputMeasurement measure_output(const OutputState& o, double mains_rms_v);
