// How long a click on a tab takes until its page is completely painted.
// Starts the real main window with its timer and message loop in this
// process, talking to the dimmer on the COM port named in KV_TEST_COM, and
// clicks the tabs round: each page is reached from the page before it.
//
//   tab_switch.exe ROUNDS
//
// Prints one line per page: its title, the median and the slowest of ROUNDS
// switches in milliseconds, from the click posted to the tab control until
// no window of the program is left to paint and the program has gone idle
// (Wine copies what was painted to the display when the program waits for
// its next message).
#include "win/main_win.h"
#include "win/tab_pages_win.h"
#include "params/page.h"
#include "tests/bench/bench_tick_win.h"
#include "tests/bench/start_program_win.h"
#include "tests/support/fake_ui.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

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

void handle_waiting_messages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) shell_process_message(msg);
}

// The program's own message loop for a while.
void run_for(double seconds) {
    const double end = seconds_now() + seconds;
    while (seconds_now() < end) {
        handle_waiting_messages();
        MsgWaitForMultipleObjectsEx(0, nullptr, 5, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

// Clicks the tab of page as the mouse would and runs the message loop until
// every window has painted. Milliseconds; negative when the page did not come.
double click_tab(Page page) {
    HWND tab = tab_control();
    RECT r{};
    TabCtrl_GetItemRect(tab, page_index(page), &r);
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    const double start = seconds_now();
    PostMessageW(tab, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(tab, WM_LBUTTONUP, 0, at);
    for (;;) {
        handle_waiting_messages();
        // Posted, sent and paint messages are all handled; the timer's ticks
        // go on as they would.
        if (!(HIWORD(GetQueueStatus(QS_ALLINPUT)) & ~QS_TIMER)) break;
    }
    // Idle: Wine puts the painted pixels on the display now.
    MsgWaitForMultipleObjectsEx(0, nullptr, 0, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    const double ms = (seconds_now() - start) * 1000;
    return current_page() == page_window(page) ? ms : -1;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 10;
    if (!start_program("[SHOWCMD]\r\nTAB=0\r\n", fake_message_box)) return 1;
    bench_tick_start();
    run_for(1.0);  // start-up settles

    std::vector<double> times[PAGE_COUNT];
    for (int round = 0; round < rounds; ++round) {
        for (int i = 1; i <= PAGE_COUNT; ++i) {
            const Page page = page_at(i % PAGE_COUNT);
            const double ms = click_tab(page);
            if (ms < 0) {
                std::printf("%s: the page did not come\n", page_title(page));
                return 1;
            }
            times[page_index(page)].push_back(ms);
            run_for(0.3);  // the page at rest, its polling under way
        }
    }
    for (int i = 0; i < PAGE_COUNT; ++i) {
        std::vector<double>& t = times[i];
        std::sort(t.begin(), t.end());
        std::printf("%-20s median %6.1f ms  slowest %6.1f ms\n", page_title(page_at(i)), t[t.size() / 2],
                    t.back());
    }
    bench_tick_stop();
    return 0;
}
