// The readout over the oscilloscope plot: while the mouse is over the plot of
// a shown capture, a tooltip beside the pointer gives the time, voltage and
// current of the nearest sample.
#pragma once

#include <windows.h>

#include "measure/scope.h"

#include <string>

// The tooltip for the page and its plot area (once per page).
void readout_create(HWND page, HWND plot);
// The mouse moved to point (page coordinates).
void readout_mouse_move(POINT point, bool capture_shown, const ScopeCapture& capture,
                        const ScopeSettings& displayed);
void readout_hide();

// The tooltip window and the text it shows (empty while hidden), for the UI
// tests.
HWND scope_readout_tooltip();
std::string scope_readout_text();
