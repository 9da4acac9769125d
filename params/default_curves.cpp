// The two factory user curves. Both come from a phase-control dimmer: cutting
// the mains half-wave at angle θ (0..π) delivers the power fraction
// (θ − sin θ · cos θ) / π. A curve point stores, for control x, the angle in
// 1/255 steps of π that gives the wanted fraction P(x):
//   curve 1 (power-linear):       P(x) = x / 255
//   curve 2 (rms-voltage-linear): P(x) = (x / 255)²  (rms voltage ∝ √power)
#include "params/record.h"

#include <array>
#include <cmath>
#include <numbers>

namespace {

// The angle θ in [0, π] with θ − sin θ · cos θ = π · fraction. The left side
// rises monotonically on [0, π] (its slope is 2 sin² θ), so bisection finds it.
double angle_for_fraction(double fraction) {
    const double target = std::numbers::pi * fraction;
    double lo = 0.0, hi = std::numbers::pi;
    for (int i = 0; i < 100; ++i) {
        const double mid = (lo + hi) / 2;
        if (mid - std::sin(mid) * std::cos(mid) < target)
            lo = mid;
        else
            hi = mid;
    }
    return (lo + hi) / 2;
}

using Curve = std::array<uint8_t, CURVE_POINTS>;

Curve make_curve(bool rms_voltage_linear) {
    Curve c{};
    for (int x = 0; x < CURVE_POINTS; ++x) {
        double p = x / 255.0;
        if (rms_voltage_linear) p *= p;
        c[x] = uint8_t(std::lround(255.0 * angle_for_fraction(p) / std::numbers::pi));
    }
    return c;
}

}  // namespace

const uint8_t* default_user_curve(int curve) {
    static const Curve curves[2] = {make_curve(false), make_curve(true)};
    return curves[curve == 1 ? 1 : 0].data();
}
