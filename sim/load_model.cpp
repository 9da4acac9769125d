#include "sim/load_model.h"

#include <cmath>
#include <numbers>

double conduction(const OutputState& o) { return o.drive / 65535.0; }

bool conducts_at(const OutputState& o, double us) {
    double phase = std::fmod(us, HALF_PERIOD_US);
    if (phase < 0) phase += HALF_PERIOD_US;
    double c = conduction(o);
    // Trailing edge: on from the zero crossing, cut off after c of the half
    // period. Leading edge: fired after (1 - c), on until the zero crossing.
    return o.leading_edge ? phase >= (1.0 - c) * HALF_PERIOD_US : phase < c * HALF_PERIOD_US;
}

uint32_t switching_delay_us(const OutputState& o) {
    if (o.drive == 0 || o.drive == 65535) return 0;
    double c = conduction(o);
    double us = o.leading_edge ? (1.0 - c) * HALF_PERIOD_US : c * HALF_PERIOD_US;
    return uint32_t(std::lround(us));
}

OutputMeasurement measure_output(const OutputState& o, double mains_rms_v) {
    OutputMeasurement m{};
    if (o.load_watts <= 0) return m;
    double c = conduction(o);
    double scale = (mains_rms_v / MAINS_RMS_V) * (mains_rms_v / MAINS_RMS_V);
    // Conducting over an angle a of each half period delivers (a - sin 2a / 2) / pi
    // of full power; the same holds for leading and trailing edge by symmetry.
    double a = std::numbers::pi * c;
    double fraction = (a - std::sin(2 * a) / 2) / std::numbers::pi;
    // The highest voltage the load sees: the crest if the conduction reaches the
    // middle of the half period, else the voltage at the switching edge.
    double crest = c >= 0.5 ? 1.0 : std::sin(a);
    double full_peak_a = std::sqrt(2.0) * o.load_watts / MAINS_RMS_V * (mains_rms_v / MAINS_RMS_V);
    m.power_w = o.load_watts * scale * fraction;
    m.peak_current_a = full_peak_a * crest;
    m.peak_power_w = 2 * o.load_watts * scale * crest * crest;
    // Conduction loss of the switch plus a small standing loss while active.
    m.loss_w = c > 0 ? 0.25 + 0.008 * m.power_w : 0.0;
    return m;
}
