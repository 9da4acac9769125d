// The busy window shown while a device operation runs: it disables its owner,
// shows what is happening and offers "Abbruch". The wait loops ask it on every
// pass whether the user cancelled; that query also keeps the user interface
// alive. The Windows program implements these with a modeless dialog
// (busy_win.cpp), kv310r-cli on the terminal (Ctrl+C cancels), the tests with
// a scripted fake; the choice is made at link time.
#pragma once

#include <string>

#include "base/ui.h"

// Dialog templates of the busy window.
constexpr int BUSY_TEMPLATE_CONNECTION = 27200;  // "Anschluss", the default (template_id 0)
constexpr int BUSY_TEMPLATE_STATUS = 27201;      // "KV-310-R-Status"
constexpr int BUSY_TEMPLATE_TEST = 27204;        // "Test"
constexpr int BUSY_TEMPLATE_CONFIG = 27205;      // "KV-310-R-Konfiguration"

// Does nothing while a busy window is open. Otherwise clears the cancel flag,
// disables the owner and shows the window (template_id 0 means
// BUSY_TEMPLATE_CONNECTION).
void busy_open(WindowRef owner, int template_id);
// Sets the window's text; nothing without a busy window.
void busy_set_text(const std::string& text);
// True when the user cancelled, and always true when no busy window is open:
// a wait started outside a busy window ends at once as cancelled. The flag
// stays set until the next busy_open.
bool busy_cancelled();
// Re-enables the owner, then removes the window if one is open.
void busy_close();
// The open busy window, or null. The periodic timer skips its polling while
// one is open.
WindowRef busy_window();
