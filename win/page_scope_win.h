// The "Oszilloskop" page beyond its dialog procedure: how the acquisition
// reaches it, and what the UI tests look at.
#pragma once

#include <windows.h>

#include <string>

#include "measure/scope.h"

// Points the session's hooks at the page: progress into its bar, a complete
// capture onto its plot, a cleared capture off it. Called before the
// settings load, which clears the capture before any page exists.
void scope_page_attach(ScopeSession& session);

// The readout over the plot: its tooltip window and the text it shows (empty
// while hidden).
HWND scope_readout_tooltip();
std::string scope_readout_text();
