// The busy window on the terminal: its text goes to stderr, and Ctrl+C plays
// the part of "Abbruch" (cli/platform.h). As in the program, a wait started
// with no busy window open counts as cancelled at once.
#include "link/busy.h"

#include "cli/platform.h"

#include <cstdio>

namespace {

bool open = false;

}  // namespace

void Busy_Open(WindowRef, int) { open = true; }

void Busy_SetText(const std::string& text) {
    if (!open) return;
    std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(stderr);
}

// Ctrl+C ends the whole run: once pressed, every later wait is cancelled too,
// so a list of dimmers stops at the one it was pressed for.
bool Busy_Cancelled() { return !open || cli_interrupted(); }

void Busy_Close() { open = false; }

WindowRef Busy_Window() { return open ? reinterpret_cast<WindowRef>(1) : nullptr; }
