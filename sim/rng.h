// A small deterministic random source for the fault injection, so a run with
// the same seed drops and corrupts the same bytes on every machine.
#pragma once

#include <cstdint>

struct SimRng {
    uint64_t state = 1;
};

// splitmix64: one step, one 64-bit value.
inline uint64_t rng_next(SimRng& r) {
    uint64_t z = (r.state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// Uniform in [0, 1).
inline double rng_unit(SimRng& r) { return double(rng_next(r) >> 11) * (1.0 / 9007199254740992.0); }

// True with the given probability (0 never draws, so a rate of 0 costs nothing).
inline bool rng_chance(SimRng& r, double rate) { return rate > 0.0 && rng_unit(r) < rate; }
