// The busy window shown while a device operation runs: it disables the window
// it belongs to (in the Windows program the main window), shows what is
// happening and offers "Abbruch". The wait loops ask it on every pass whether
// the user cancelled; that query also keeps the user interface alive. The
// Windows program implements these with a modeless dialog (win/busy_win.cpp),
// kv310r-cli on the terminal (Ctrl+C cancels), the tests with a scripted fake;
// the choice is made at link time.
#pragma once

#include <string>

#include "base/ui.h"

// The kinds of busy window, each with its own title.
enum class BusyKind {
    connection,  // "Anschluss"
    status,      // "KV-310-R-Status"
    test,        // "Test"
    config,      // "KV-310-R-Konfiguration"
};

// Does nothing while a busy window is open. Otherwise clears the cancel flag,
// disables the window it belongs to and shows the busy window of this kind.
void busy_open(BusyKind kind);
// Sets the window's text; nothing without a busy window.
void busy_set_text(const std::string& text);
// True when the user cancelled, and always true when no busy window is open:
// a wait started outside a busy window ends at once as cancelled. The flag
// stays set until the next busy_open.
bool busy_cancelled();
// A run over several dimmers: from now until the next busy_open, "Abbruch"
// no longer ends the waits but asks the run to stop once the dimmer in
// progress is done, so no dimmer is left half-written. busy_stop_asked tells
// whether it was pressed (always true without a busy window).
void busy_defer_cancel();
bool busy_stop_asked();
// Re-enables the window it belongs to, then removes the busy window if one is
// open.
void busy_close();
// The open busy window, or null. The periodic timer skips its polling while
// one is open.
WindowRef busy_window();
