#include "win/timer_win.h"

#include "win/status_bar_win.h"
#include "link/busy.h"

namespace {

struct Timer {
    UINT_PTR id = 0;  // while it runs
    int nesting = 0;  // > 1 while a tick runs inside another step's message pump
    TimerStep status_step = nullptr;
    TimerStep scope_step = nullptr;
};
Timer g_timer;

}  // namespace

void set_timer_steps(TimerStep status_step, TimerStep scope_step) {
    g_timer.status_step = status_step;
    g_timer.scope_step = scope_step;
}

// The system raises the 1 ms period to its shortest one.
void timer_start() { g_timer.id = SetTimer(nullptr, 0, 1, timer_tick); }

void timer_stop() {
    KillTimer(nullptr, g_timer.id);
    g_timer.id = 0;
}

// A step pumps messages while it works (a port wait, a message box), and the
// timer keeps ticking in there; a nested step would start over what the outer
// one is in the middle of, such as sending a failed start command again and
// showing its message a second time. Only the outermost one works.
void run_timer_step(TimerStep step) {
    ++g_timer.nesting;
    if (g_timer.nesting == 1) step();
    --g_timer.nesting;
}

void CALLBACK timer_tick(HWND, UINT, UINT_PTR, DWORD) {
    run_timer_step([] {
        if (!busy_window()) {
            if (g_timer.status_step) g_timer.status_step();
            if (g_timer.scope_step) g_timer.scope_step();
        }
        update_file_name_display();  // page edits change the record behind our back
    });
}
