// How long the oscilloscope page takes: from "Messen" to the traces drawn on
// the screen, and painting the plot once. Starts the real main window with
// its timer and message loop in this process, on the "Oszilloskop" page,
// talking to the dimmer on the COM port named in KV_TEST_COM, with the timer
// ticking as KV_BENCH_TICK_MS says (bench_tick_win.h).
//
//   scope_capture.exe COUNT
//
// Prints the tick, then one line per capture ("capture N: S s, CPU P %", wall
// seconds from the click to the end of the plot's first paint with the new
// capture, and the share of one core the process used meanwhile), then the paint
// times: "paint: M ms" (the plot redrawn on the screen: off-screen drawing and
// the block copy) and "draw: M ms" (the off-screen drawing alone).
#include "win/app_win.h"
#include "win/main_win.h"
#include "win/scope_plot_win.h"
#include "win/tab_pages_win.h"
#include "win/timer_win.h"
#include "res/resource.h"
#include "tests/bench/bench_tick_win.h"
#include "tests/bench/process_cpu_win.h"
#include "tests/bench/start_program_win.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr int PAINTS = 200;

bool g_drawn = false;  // the plot was painted with a capture

double seconds_now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return double(now.QuadPart) / double(frequency.QuadPart);
}

// The plot is subclassed rather than hooked: a message hook would cost every
// message sent in the program a few calls into Wine's server, which would
// show in the CPU figure.
WNDPROC g_plot_proc = nullptr;

LRESULT CALLBACK watch_plot(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    const LRESULT result = CallWindowProcW(g_plot_proc, window, message, wparam, lparam);
    if (message == WM_PAINT && program_state().scope_plot.shown) g_drawn = true;
    return result;
}

int answer_ok(WindowRef, unsigned, const std::string&) { return IDOK; }

// The program's own message loop until done or the time is up. Done can only
// become true while a message is handled, so the loop sleeps until the next
// one as the program's own loop does.
bool loop_until(bool (*done)(), double seconds) {
    const double end = seconds_now() + seconds;
    while (seconds_now() < end) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            shell_process_message(msg);
            if (done && done()) return true;
        }
        MsgWaitForMultipleObjectsEx(0, nullptr, 50, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
    return done && done();
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 5;
    if (!start_program("[SHOWCMD]\r\nTAB=4\r\n[SCOPE]\r\nI=4\r\n", answer_ok)) return 1;
    bench_tick_start();
    std::printf("tick: %.3f ms\n", bench_tick_period_ms());
    HWND page = page_window(Page::scope);
    HWND plot = GetDlgItem(page, IDC_SCOPE_PLOT);
    g_plot_proc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(plot, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(watch_plot)));
    loop_until(nullptr, 1.5);  // start-up settles, the status requests run

    for (int i = 1; i <= count; ++i) {
        g_drawn = false;
        const double start = seconds_now();
        const double cpu_start = process_cpu_seconds();
        SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_SCOPE_MEASURE, BN_CLICKED),
                     LPARAM(GetDlgItem(page, IDC_SCOPE_MEASURE)));
        if (!loop_until([] { return g_drawn; }, 10)) {
            std::printf("capture %d: no capture\n", i);
            return 1;
        }
        const double wall = seconds_now() - start;
        std::printf("capture %d: %.3f s, CPU %.1f %%\n", i, wall,
                    100 * (process_cpu_seconds() - cpu_start) / wall);
        std::fflush(stdout);
        loop_until(nullptr, 0.5);
    }

    double start = seconds_now();
    for (int i = 0; i < PAINTS; ++i) RedrawWindow(plot, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    std::printf("paint: %.2f ms\n", (seconds_now() - start) * 1000 / PAINTS);

    RECT client{};
    GetClientRect(plot, &client);
    HDC screen = GetDC(plot);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
    HGDIOBJ old = SelectObject(memory, bitmap);
    start = seconds_now();
    for (int i = 0; i < PAINTS; ++i)
        scope_plot_draw(memory, client.right, client.bottom, program_state().scope_plot);
    GdiFlush();
    std::printf("draw: %.2f ms (%ld x %ld pixels)\n", (seconds_now() - start) * 1000 / PAINTS, client.right,
                client.bottom);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(plot, screen);

    bench_tick_stop();
    return 0;
}
