// The "Oszilloskop" page (template IDD_PAGE_SCOPE), long known as
// KvDlg_Scope: the settings of the next capture, the test-drive trackbar,
// "Messen" and "Reset", and the last complete capture as a plot.
#pragma once

#include <windows.h>

#include "measure/scope.h"

INT_PTR CALLBACK page_scope_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// Points the session's hooks at the page: progress into its bar, a complete
// capture onto its plot, a cleared capture off it. Called before the
// settings load, which clears the capture before any page exists.
void scope_page_attach(ScopeSession& session);

// The periodic timer's step on the oscilloscope session (app_win.h's program
// state): the acquisition's state machine, with the page owning the start
// command's messages.
void scope_timer_step();
