// The busy window, recorded instead of shown.
#include "tests/support/link_fakes.h"

#include "link/busy.h"

namespace {

FakeBusy g_busy;

}  // namespace

FakeBusy& fake_busy() { return g_busy; }

void busy_open(BusyKind kind) {
    if (g_busy.open) return;
    g_busy.open = true;
    g_busy.kind = kind;
    g_busy.cancel_flag = false;
    g_busy.deferred = false;
    g_busy.stop_asked = false;
    g_busy.queries = 0;
    ++g_busy.opens;
}

void busy_set_text(const std::string& text) {
    if (g_busy.open) g_busy.text = text;
}

bool busy_cancelled() {
    if (!g_busy.open) return true;
    ++g_busy.queries;
    if (g_busy.cancel_after >= 0 && g_busy.queries >= g_busy.cancel_after) {
        if (g_busy.deferred)
            g_busy.stop_asked = true;
        else
            g_busy.cancel_flag = true;
    }
    return g_busy.cancel_flag;
}

void busy_defer_cancel() { g_busy.deferred = true; }

bool busy_stop_asked() { return !g_busy.open || g_busy.stop_asked; }

void busy_close() {
    if (g_busy.open) ++g_busy.closes;
    g_busy.open = false;
}

WindowRef busy_window() { return g_busy.open ? &g_busy : nullptr; }
