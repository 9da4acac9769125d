// Time between two readings of the 32-bit millisecond tick counter.
#pragma once

#include <cstdint>

// The difference is taken as a signed 32-bit number and its magnitude used,
// so a wrap of the counter between the two readings (every 49.7 days) does not
// end a wait early or stall a periodic request.
constexpr uint32_t ticks_elapsed(uint32_t since, uint32_t now) {
    const int64_t difference = int32_t(now - since);
    return uint32_t(difference < 0 ? -difference : difference);
}
