// The dialog "Hardwareanschluss": the port and RS485 address of the dimmer,
// edited, tested with "OK", or found by trying every COM port ("Testen").
#pragma once

#include <windows.h>

// CMD_HARDWARE. Runs the dialog modally, owned by owner, until it is left
// with "OK" (the values become live and are tested) or cancelled.
void hardware_connection_dialog(HWND owner);
