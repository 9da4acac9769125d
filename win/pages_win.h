// The five tab pages: modeless child dialogs, each with its dialog procedure,
// and what the shell calls on them from the periodic timer and at start-up
// and exit.
#pragma once

#include <windows.h>

INT_PTR CALLBACK KvDlg_FuncDsc(HWND dialog, UINT message, WPARAM wparam,
                               LPARAM lparam);  // "Grundeinstellung"
INT_PTR CALLBACK KvDlg_Standalone(HWND dialog, UINT message, WPARAM wparam,
                                  LPARAM lparam);  // "Sonderfunktionen"
INT_PTR CALLBACK KvDlg_UserTab(HWND dialog, UINT message, WPARAM wparam,
                               LPARAM lparam);                                          // "Userkurve 1 und 2"
INT_PTR CALLBACK KvDlg_Stat(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);   // "Dimmerstatus"
INT_PTR CALLBACK KvDlg_Scope(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);  // "Oszilloskop"

// A page that so far shows only its title: it takes the notifications
// (PAGE_SETACTIVE, PAGE_KILLACTIVE) without fields to fill.
inline INT_PTR placeholder_page_proc(HWND dialog, UINT message) {
    switch (message) {
        case WM_INITDIALOG:
            return TRUE;
        case WM_NOTIFY:
            SetWindowLongPtrW(dialog, DWLP_MSGRESULT, 0);
            return TRUE;
    }
    return FALSE;
}

// Timer steps on the program's measurement state (program_state_win.h): each
// decides from its page's state whether it has work.
void status_timer_step();
void scope_timer_step();

// The oscilloscope's settings ("SCOPE") are the capture's own
// (measure/scope.h). The last imported curve file ("CHARIMP"/"FILE"):
void import_file_load();
void import_file_store();
