// The two pages that edit the parameter set. Each shows the live record
// through its control map (page_controls.h) and writes every change straight
// into it.
#pragma once

#include <windows.h>

// "Grundeinstellung" (template IDD_PAGE_BASE), long known as KvDlg_FuncDsc:
// per dimmer and CD configuration the minimum, the output at control 0 %, the
// maximum and the dimming characteristic; per dimmer the switch-off
// behaviour, pre-heat time, fade time and its mode, default operating mode,
// automatic mode switching and voltage-input range.
INT_PTR CALLBACK page_base_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// "Sonderfunktionen" (template IDD_PAGE_SPECIAL), long known as
// KvDlg_Standalone: the bus-failure delay and master/slave operation of the
// whole device, and per dimmer the action after a bus failure, the activity
// of the potentiometer and the voltage input, the non-dim threshold and
// hysteresis and the one-button operation.
INT_PTR CALLBACK page_special_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
