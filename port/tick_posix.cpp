#include <chrono>

#include "port/port.h"

uint32_t tick_count_ms() {
    using namespace std::chrono;
    return uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}
