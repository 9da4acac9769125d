// The "Dimmerstatus" page (template IDD_PAGE_STATUS), long known as
// KvDlg_Stat: the status the poll brings in about ten times a second, and the
// test drive of either output.
#pragma once

#include <windows.h>

#include "link/link.h"

INT_PTR CALLBACK page_status_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// The periodic timer's step on the status poll (app_win.h's program state):
// polls while the page is shown and shows what arrives.
void status_timer_step();

// After the dialog "Hardwareanschluss" (which closes the port when it ends):
// a shown status page polls the live port settings at once, and no longer
// shows a status from other settings than `before`.
void status_page_follow_port(const PortSettings& before);
