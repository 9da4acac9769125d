// How much CPU the Windows program uses while it waits: idle on a page, and
// while a transfer waits for the dimmer. Starts the real main window with its
// timer and message loop in this process and reads its own CPU time.
//
//   program_cpu.exe idle SECONDS [TAB]   the message loop with tab TAB shown
//   program_cpu.exe read SECONDS         "Dimmerparameter auslesen" again and
//                                        again (a dimmer on the COM port named
//                                        in KV_TEST_COM)
//   program_cpu.exe status SECONDS       the message loop with the "Dimmerstatus"
//                                        page polling that dimmer; also counts
//                                        the replies the page displayed
//   program_cpu.exe trend SECONDS        as status, with the window "Verlauf"
//                                        open over a full kept hour, showing
//                                        60 minutes
// Prints: mode, wall seconds, CPU seconds, CPU percent of one core.
#include "win/app_win.h"
#include "win/commands_win.h"
#include "win/trend_window_win.h"
#include "win/main_win.h"
#include "win/status_bar_win.h"
#include "win/timer_win.h"
#include "tests/bench/bench_tick_win.h"
#include "tests/bench/kept_hour.h"
#include "tests/bench/process_cpu_win.h"
#include "port/port.h"
#include "res/resource.h"
#include "tests/bench/start_program_win.h"
#include "tests/support/fake_ui.h"

#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void CALLBACK stop_loop(HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(0); }

// The status page moves the heartbeat indicator in the status bar once for
// every reply it displays: counting those moves counts the displayed updates.
// The indicator is subclassed rather than hooked: a message hook would cost
// every message sent in the program a few calls into Wine's server.
int g_displayed = 0;
WNDPROC g_progress_proc = nullptr;

LRESULT CALLBACK count_heartbeats(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == PBM_SETPOS) ++g_displayed;
    return CallWindowProcW(g_progress_proc, window, message, wparam, lparam);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: program_cpu idle|read|status|trend SECONDS [TAB]\n");
        return 2;
    }
    const std::string mode = argv[1];
    const DWORD ms = DWORD(std::atof(argv[2]) * 1000);
    const bool polls = mode == "status" || mode == "trend";
    const std::string tab = polls ? "3" : argc > 3 ? argv[3] : "";
    const std::string more = tab.empty() ? "" : "[SHOWCMD]\r\nTAB=" + tab + "\r\n";
    if (!start_program(more, fake_message_box)) return 1;  // every message answered with OK
    if (HWND heartbeat = FindWindowExW(status_bar(), nullptr, PROGRESS_CLASSW, nullptr))
        g_progress_proc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(heartbeat, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(count_heartbeats)));
    if (mode == "trend") {
        const auto wall = std::chrono::system_clock::now().time_since_epoch();
        fill_hour(program_state().history, tick_count_ms(),
                  std::chrono::duration_cast<std::chrono::milliseconds>(wall).count());
        dispatch_command(CMD_TREND);
        HWND trend = trend_window();
        if (!trend) return 1;
        SendDlgItemMessageW(trend, IDC_TREND_SPAN, CB_SETCURSEL, 2, 0);  // 60 minutes
        SendMessageW(trend, WM_COMMAND, MAKEWPARAM(IDC_TREND_SPAN, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(GetDlgItem(trend, IDC_TREND_SPAN)));
    }
    bench_tick_start();

    g_displayed = 0;
    const double cpu_start = process_cpu_seconds();
    const DWORD start = GetTickCount();
    int transfers = 0;
    if (mode == "read") {
        while (GetTickCount() - start < ms) {
            dispatch_command(21111);
            ++transfers;
        }
    } else {
        SetTimer(nullptr, 0, ms, stop_loop);
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) shell_process_message(msg);
    }
    const double wall = (GetTickCount() - start) / 1000.0;
    const double cpu = process_cpu_seconds() - cpu_start;
    bench_tick_stop();
    std::printf("%-6s wall %.2f s  CPU %.3f s  %.1f %% of a core", mode.c_str(), wall, cpu,
                100.0 * cpu / wall);
    if (mode == "read") std::printf("  (%d reads)", transfers);
    if (polls)
        std::printf("  %d updates displayed, %.1f per second", g_displayed, g_displayed / wall);
    std::printf("\n");
    return 0;
}
