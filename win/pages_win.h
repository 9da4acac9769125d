// The five tab pages: modeless child dialogs, each with its dialog procedure,
// and what the shell calls on them from the periodic timer and at start-up
// and exit.
#pragma once

#include <windows.h>

#include <cstdint>

#include "link/link.h"
#include "params/page.h"

// Dialog procedures of the pages, in tab order. Each page's procedure has
// long been known by the name in its comment.
INT_PTR CALLBACK page_base_proc(HWND, UINT, WPARAM, LPARAM);     // KvDlg_FuncDsc, "Grundeinstellung"
INT_PTR CALLBACK page_special_proc(HWND, UINT, WPARAM, LPARAM);  // KvDlg_Standalone, "Sonderfunktionen"
INT_PTR CALLBACK page_curves_proc(HWND, UINT, WPARAM, LPARAM);   // KvDlg_UserTab, "Userkurve 1 und 2"
INT_PTR CALLBACK page_status_proc(HWND, UINT, WPARAM, LPARAM);   // KvDlg_Stat, "Dimmerstatus"
INT_PTR CALLBACK page_scope_proc(HWND, UINT, WPARAM, LPARAM);    // KvDlg_Scope, "Oszilloskop"

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

// What "Grundeinstellung" and "Sonderfunktionen" share:
// filled from the live record, edits taken on focus loss, buttons on click.
INT_PTR editing_page_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam, Page page);

// "Userkurve 1 und 2": one curve plot drawn into a context of the given pixel
// size (pixel mapping set), and the import of a text file into curve 0 or 1
// through the open-file dialog, reporting a failure.
void draw_curve_plot(HDC dc, int width, int height, const uint8_t* curve);
void import_curve_text(int curve);

// Timer steps on the program's measurement state (program_state_win.h): each
// decides from its page's state whether it has work.
void status_timer_step();
void scope_timer_step();

// After the dialog "Hardwareanschluss" (which closes the port when it ends):
// a shown status page polls the live port settings at once, and no longer
// shows a status from other settings than `before`.
void status_page_follow_port(const PortSettings& before);

// The oscilloscope's settings ("SCOPE") are the capture's own
// (measure/scope.h). The last imported curve file ("CHARIMP"/"FILE"):
void import_file_load();
void import_file_store();
