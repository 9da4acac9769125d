#include "sim/scope_model.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

#include "base/bytes.h"

namespace {

void put_i16(uint8_t* p, int v) { put_u16le(p, uint16_t(int16_t(std::clamp(v, -32768, 32767)))); }

// Sample spacing and where the record starts, in µs relative to a rising
// mains zero crossing, for each section. The record lengths match the time
// axes the program draws: 25 ms, 5 ms (-1..4), 2.5 ms (-0.5..2.0).
struct Timebase {
    double sample_us;
    double start_us;  // record start relative to the zero crossing
    uint32_t t0_us;   // position of the axis origin within the record
};

Timebase timebase_for(const ScopeRequest& r, const OutputState& o, uint32_t phase_us) {
    switch (r.section) {
        case 1:  // around the zero crossing
            return {10.0, -1000.0, 1000};
        case 2:  // around the switching edge
        case 3: {
            double edge = switching_delay_us(o);
            return {5.0, edge - 500.0, 500};
        }
        default: {  // a full period plus a quarter, starting anywhere in the period
            // Keep the first zero crossing off the very first sample: 0 would read "none".
            uint32_t offset = 1000 + phase_us % 18000;
            return {50.0, -double(offset), offset};
        }
    }
}

}  // namespace

ScopeRequest parse_scope_request(const uint8_t p[6]) {
    ScopeRequest r;
    r.dimmer = p[0];
    r.kind = p[1];
    r.half_period = uint16_t(p[2] | (p[3] << 8));
    r.section = p[4];
    r.low_range = p[5];
    return r;
}

bool is_stop_request(const ScopeRequest& r) {
    return r.dimmer == 0 && r.kind == 0 && r.half_period == 0 && r.section == 0 && r.low_range == 0;
}

void make_capture(const ScopeRequest& r, const OutputState& o, double mains_rms_v, uint32_t phase_us,
                  SimRng& rng, uint8_t out[SCOPE_CAPTURE_SIZE]) {
    std::memset(out, 0, SCOPE_CAPTURE_SIZE);
    // The first four bytes echo the request, as a header the program skips.
    out[0] = r.dimmer;
    out[1] = r.kind;
    out[2] = r.section;
    out[3] = r.low_range;

    Timebase tb = timebase_for(r, o, phase_us);
    double peak_v = mains_rms_v * std::sqrt(2.0);
    // The load test runs the output at a reduced test voltage.
    if (r.section == 3 || r.kind == 4) peak_v *= 0.1;
    double ohms = o.load_watts > 0 ? MAINS_RMS_V * MAINS_RMS_V / o.load_watts : 0;
    // A cold lamp filament draws a multiple of its rated current in the first
    // half periods after switching on.
    double inrush = r.kind == 3 ? 1.0 + 4.0 * std::exp(-double(r.half_period) / 4.0) : 1.0;
    int current_limit_ma = r.low_range ? 500 : 16000;

    for (int k = 0; k < SCOPE_SAMPLES; ++k) {
        double t = tb.start_us + k * tb.sample_us;
        double v = peak_v * std::sin(2 * std::numbers::pi * MAINS_HZ * t * 1e-6);
        double i = (ohms > 0 && conducts_at(o, t)) ? v / ohms * inrush : 0.0;
        int v_counts = int(std::lround(v * 10.0)) + int(rng_next(rng) % 5) - 2;
        int i_ma = std::clamp(int(std::lround(i * 1000.0)) + int(rng_next(rng) % 7) - 3, -current_limit_ma,
                              current_limit_ma);
        put_i16(out + SCOPE_VOLTAGE_AT + 2 * k, v_counts);
        put_i16(out + SCOPE_CURRENT_AT + 2 * k, i_ma);
    }
    put_u32le(out + SCOPE_ZERO_TIME_AT, tb.t0_us);
    put_u32le(out + SCOPE_SWITCHING_TIME_AT, switching_delay_us(o));
}
