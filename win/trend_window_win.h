// The window "Verlauf": modeless, at most one, owned by the main window and
// open while the technician switches pages. It draws the chosen quantities of
// the status's last hour over 1, 10 or 60 minutes, shows the values under the
// mouse, lists the events ("Ereignisse") and starts a recording or saves the
// kept hour (its buttons send CMD_TREND_RECORD and CMD_TREND_SAVE).
#pragma once

#include <windows.h>

#include "measure/status_history.h"

// CMD_TREND: creates the window or brings the open one back.
void trend_window_open(HWND owner);
// The window while it exists, else null. The message loop hands it the
// keyboard input meant for it.
HWND trend_window();

// The history took in what `added` says: new events into the list, the plot
// drawn again. Nothing while the window is closed.
void trend_window_follow(HistoryAdded added);
// A recording started or ended: the button says what it would do now.
void trend_window_recording_changed();
