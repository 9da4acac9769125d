// The busy window, recorded instead of shown.
#include "tests/support/link_fakes.h"

#include "link/busy.h"

namespace {

FakeBusy g_busy;

}  // namespace

FakeBusy& fake_busy() { return g_busy; }

void Busy_Open(WindowRef owner, int template_id) {
    if (g_busy.open) return;
    g_busy.open = true;
    g_busy.owner = owner;
    g_busy.template_id = template_id == 0 ? BUSY_TEMPLATE_CONNECTION : template_id;
    g_busy.cancel_flag = false;
    g_busy.queries = 0;
    ++g_busy.opens;
}

void Busy_SetText(const std::string& text) {
    if (g_busy.open) g_busy.text = text;
}

bool Busy_Cancelled() {
    if (!g_busy.open) return true;
    ++g_busy.queries;
    if (g_busy.cancel_after >= 0 && g_busy.queries >= g_busy.cancel_after) g_busy.cancel_flag = true;
    return g_busy.cancel_flag;
}

void Busy_Close() {
    if (g_busy.open) ++g_busy.closes;
    g_busy.open = false;
}

WindowRef Busy_Window() { return g_busy.open ? &g_busy : nullptr; }
