// The busy window on the terminal: its text goes to stderr, and Ctrl+C plays
// the part of "Abbruch" (cli/platform.h). As in the program, a wait started
// with no busy window open counts as cancelled at once.
#include "link/busy.h"

#include "cli/platform.h"

#include <cstdio>

namespace {

bool g_open = false;
bool g_deferred = false;

}  // namespace

void busy_open(BusyKind) {
    g_open = true;
    g_deferred = false;
}

void busy_set_text(const std::string& text) {
    if (!g_open) return;
    std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(stderr);
}

// Ctrl+C ends the whole run: once pressed, every later wait is cancelled too,
// so a list of dimmers stops at the one it was pressed for.
bool busy_cancelled() { return !g_open || (!g_deferred && cli_interrupted()); }

// Ctrl+C during a run over several dimmers ends it after the one in progress.
void busy_defer_cancel() { g_deferred = true; }

bool busy_stop_asked() { return !g_open || cli_interrupted(); }

void busy_close() { g_open = false; }

WindowRef busy_window() { return g_open ? reinterpret_cast<WindowRef>(1) : nullptr; }
