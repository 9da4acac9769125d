// Parameter records filled with arbitrary bytes, for tests that must hold for
// any content (a linear congruential generator walks every byte value).
#pragma once

#include "params/record.h"

#include <cstddef>
#include <cstdint>

inline ParameterRecord noise_record(uint32_t& seed) {
    ParameterRecord r;
    auto* bytes = reinterpret_cast<uint8_t*>(&r);
    for (size_t i = 0; i < sizeof r; ++i) {
        seed = seed * 1664525u + 1013904223u;
        bytes[i] = uint8_t(seed >> 24);
    }
    return r;
}
