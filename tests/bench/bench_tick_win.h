// The program's periodic timer as the benchmarks run it. The program asks
// for a thread timer of 1 ms (timer_win.cpp). Wine runs such a timer every
// 10 ms; Windows runs it on the system clock's tick, every 15.625 ms unless
// something has raised the clock's resolution. With KV_BENCH_TICK_MS set (to
// 15.625, say) a benchmark emulates that tick under Wine: a WM_TIMER on a
// grid of that period, which calls the program's timer callback as the real
// timer would. Wine's SetTimer takes whole milliseconds and no less than 10,
// so the timer is set again at each tick for the next grid point; a tick
// handled more than (period - 10) ms late makes the next one late too.
// Unset or below 10: the program's own timer of 1 ms.
#pragma once

#include <windows.h>

#include <cmath>
#include <cstdlib>

#include "win/timer_win.h"

namespace bench_tick {

struct Emulated {
    HWND owner = nullptr;  // a message-only window, so that setting the timer again replaces it
    double period_ms = 0;
    double next_ms = 0;  // the next grid point
    UINT_PTR native = 0;
};
inline Emulated g_tick;

inline double now_ms() {
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return double(now.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

inline void CALLBACK on_grid_tick(HWND window, UINT message, UINT_PTR id, DWORD time);

inline void set_for_next_grid_point() {
    const double now = now_ms();
    while (g_tick.next_ms <= now) g_tick.next_ms += g_tick.period_ms;
    const double wait = std::ceil(g_tick.next_ms - now);
    SetTimer(g_tick.owner, 1, UINT(wait < USER_TIMER_MINIMUM ? USER_TIMER_MINIMUM : wait), on_grid_tick);
}

inline void CALLBACK on_grid_tick(HWND window, UINT message, UINT_PTR id, DWORD time) {
    set_for_next_grid_point();
    timer_tick(window, message, id, time);
}

}  // namespace bench_tick

// The tick's period in milliseconds as this run uses it (10 for Wine's own).
inline double bench_tick_period_ms() {
    const char* text = std::getenv("KV_BENCH_TICK_MS");
    const double period = text ? std::atof(text) : 0;
    return period >= USER_TIMER_MINIMUM ? period : USER_TIMER_MINIMUM;
}

// Starts the program's timer at the tick of this run.
inline void bench_tick_start() {
    using namespace bench_tick;
    const double period = bench_tick_period_ms();
    if (period <= USER_TIMER_MINIMUM) {
        g_tick.native = SetTimer(nullptr, 0, 1, timer_tick);
        return;
    }
    g_tick.period_ms = period;
    g_tick.owner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    g_tick.next_ms = now_ms();
    set_for_next_grid_point();
}

inline void bench_tick_stop() {
    using namespace bench_tick;
    if (g_tick.native) KillTimer(nullptr, g_tick.native);
    if (g_tick.owner) {
        KillTimer(g_tick.owner, 1);
        DestroyWindow(g_tick.owner);
    }
    g_tick = Emulated{};
}
