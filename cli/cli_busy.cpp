// The busy window on the terminal: its text goes to stderr, and Ctrl+C plays
// the part of "Abbruch". As in the program, a wait started with no busy window
// open counts as cancelled at once.
#include "link/busy.h"

#include "cli/cli_port.h"

#include <csignal>
#include <cstdio>

namespace {

volatile std::sig_atomic_t interrupted = 0;
bool open = false;
bool cancelled = false;

void on_interrupt(int) { interrupted = 1; }

}  // namespace

void cli_install_interrupt_handler() { std::signal(SIGINT, on_interrupt); }

bool cli_interrupted() { return interrupted != 0; }

void Busy_Open(WindowRef, int) {
    if (open) return;
    open = true;
    cancelled = false;
    interrupted = 0;
}

void Busy_SetText(const std::string& text) {
    if (!open) return;
    std::fprintf(stderr, "%s\n", text.c_str());
}

bool Busy_Cancelled() {
    if (!open) return true;
    if (interrupted) cancelled = true;
    return cancelled;
}

void Busy_Close() { open = false; }

WindowRef Busy_Window() { return open ? reinterpret_cast<WindowRef>(1) : nullptr; }
