#include <windows.h>

#include "link/port.h"

uint32_t tick_count_ms() { return GetTickCount(); }
