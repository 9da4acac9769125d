// The five tab pages: modeless child dialogs, each with its dialog procedure,
// and what the shell calls on them from the periodic timer and at start-up
// and exit.
#pragma once

#include <windows.h>

INT_PTR CALLBACK KvDlg_FuncDsc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);    // "Grundeinstellung"
INT_PTR CALLBACK KvDlg_Standalone(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam); // "Sonderfunktionen"
INT_PTR CALLBACK KvDlg_UserTab(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);    // "Userkurve 1 und 2"
INT_PTR CALLBACK KvDlg_Stat(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);       // "Dimmerstatus"
INT_PTR CALLBACK KvDlg_Scope(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);      // "Oszilloskop"

// Timer steps: each decides from its page's state whether it has work.
void status_poll_step();
void scope_step();

// Settings kept by the pages: oscilloscope settings ("SCOPE") and the last
// imported curve file ("CHARIMP"/"FILE").
void scope_settings_load();
void scope_settings_store();
void import_file_load();
void import_file_store();
