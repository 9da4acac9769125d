#include <windows.h>

#include "port/port.h"

uint32_t tick_count_ms() { return GetTickCount(); }
