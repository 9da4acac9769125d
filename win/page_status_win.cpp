// The "Dimmerstatus" page. For now it has only its title and the polling:
// while the page is shown the port is open and the timer asks the dimmer for
// its status; the fields that show the replies come with the page itself.
#include "win/pages_win.h"

#include "win/shell_win.h"
#include "port/port.h"
#include "measure/scope.h"
#include "measure/status_text.h"

INT_PTR CALLBACK page_status_proc(HWND dialog, UINT message, WPARAM, LPARAM lparam) {
    switch (message) {
        case WM_INITDIALOG:
            return TRUE;
        case WM_NOTIFY:
            switch (reinterpret_cast<const NMHDR*>(lparam)->code) {
                case PAGE_SETACTIVE:
                    status_page_activate(g_status_poll);
                    break;
                case PAGE_KILLACTIVE:
                    status_page_deactivate(g_status_poll);
                    break;
            }
            SetWindowLongPtrW(dialog, DWLP_MSGRESULT, 0);
            return TRUE;
    }
    return FALSE;
}

void status_poll_step() { status_poll_step(g_status_poll, g_scope.page_active, tick_count_ms()); }
