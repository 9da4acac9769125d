// The dialog "Bus durchsuchen": every dimmer on the RS485 line found by its
// address, the ticked ones written, read or compared one after the other, one
// of them taken as the live address, and the results saved as a protocol.
#pragma once

#include <windows.h>

#include <string>

// CMD_BUS. Runs the dialog modally, owned by owner. The list of dimmers is
// kept for the next opening while the program runs.
void bus_dialog(HWND owner);
// The dialog while it is open, else null (for the UI tests).
HWND bus_dialog_window();
