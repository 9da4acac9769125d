// The communication monitor window "Kommunikationsmonitor": modeless, at most
// one, listing the serial traffic while it is open and logging it to
// "ComMon.txt".
#pragma once

#include <windows.h>

#include <string>

// CMD_MONITOR: creates the monitor, owned by the main window, or brings the
// open one back: restored from minimised, centred over its owner, focused.
void monitor_open(HWND owner);
// The monitor while it exists, else null. The message loop hands it the
// keyboard input meant for it.
HWND monitor_window();

// The folder of the log file, ending with a separator. Empty (the default)
// means the program's own folder; the UI tests use a folder of their own.
void monitor_set_log_folder(const std::string& folder);
