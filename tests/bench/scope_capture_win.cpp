// How long the oscilloscope page takes: from "Messen" to the traces drawn on
// the screen, and painting the plot once. Starts the real main window with
// its timer and message loop in this process, on the "Oszilloskop" page,
// talking to the dimmer on the COM port named in KV_TEST_COM.
//
//   scope_capture.exe COUNT
//
// Prints one line per capture ("capture N: S s", wall seconds from the click
// to the end of the plot's first paint with the new capture), then the paint
// times: "paint: M ms" (the plot redrawn on the screen: off-screen drawing and
// the block copy) and "draw: M ms" (the off-screen drawing alone).
#include "win/app_win.h"
#include "win/main_win.h"
#include "win/scope_plot_win.h"
#include "win/tab_pages_win.h"
#include "win/timer_win.h"
#include "res/resource.h"
#include "tests/bench/start_program_win.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr int PAINTS = 200;

HHOOK g_hook = nullptr;
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

// Sees each WM_DRAWITEM of the plot after the page has handled it.
LRESULT CALLBACK after_message(int code, WPARAM wparam, LPARAM lparam) {
    if (code == HC_ACTION) {
        const auto* m = reinterpret_cast<const CWPRETSTRUCT*>(lparam);
        if (m->message == WM_DRAWITEM && m->wParam == IDC_SCOPE_PLOT && program_state().scope_plot.shown)
            g_drawn = true;
    }
    return CallNextHookEx(g_hook, code, wparam, lparam);
}

int answer_ok(WindowRef, unsigned, const std::string&) { return IDOK; }

// The program's own message loop until done or the time is up.
bool loop_until(bool (*done)(), double seconds) {
    const double end = seconds_now() + seconds;
    while (seconds_now() < end) {
        if (done && done()) return true;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) shell_process_message(msg);
        if (done && done()) return true;
        MsgWaitForMultipleObjectsEx(0, nullptr, 1, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
    return done && done();
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 5;
    if (!start_program("[SHOWCMD]\r\nTAB=4\r\n[SCOPE]\r\nI=4\r\n", answer_ok)) return 1;
    const UINT_PTR tick = SetTimer(nullptr, 0, 1, timer_tick);
    g_hook = SetWindowsHookExW(WH_CALLWNDPROCRET, after_message, nullptr, GetCurrentThreadId());
    HWND page = page_window(Page::scope);
    HWND plot = GetDlgItem(page, IDC_SCOPE_PLOT);
    loop_until(nullptr, 1.5);  // start-up settles, the status requests run

    for (int i = 1; i <= count; ++i) {
        g_drawn = false;
        const double start = seconds_now();
        SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_SCOPE_MEASURE, BN_CLICKED),
                     LPARAM(GetDlgItem(page, IDC_SCOPE_MEASURE)));
        if (!loop_until([] { return g_drawn; }, 10)) {
            std::printf("capture %d: no capture\n", i);
            return 1;
        }
        std::printf("capture %d: %.3f s\n", i, seconds_now() - start);
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

    UnhookWindowsHookEx(g_hook);
    KillTimer(nullptr, tick);
    return 0;
}
