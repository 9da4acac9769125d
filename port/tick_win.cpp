#include <windows.h>

#include "port/port.h"

// From the performance counter: GetTickCount advances only with the system
// clock's tick, every 15.6 ms on Windows by default, too coarse for timing a
// reply on the line (Wine's moves every millisecond).
uint32_t tick_count_ms() {
    static const LONGLONG frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f.QuadPart;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return uint32_t(uint64_t(now.QuadPart / frequency) * 1000 +
                    uint64_t(now.QuadPart % frequency) * 1000 / uint64_t(frequency));
}
