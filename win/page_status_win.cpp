// The "Dimmerstatus" page. For now it has only its title and the polling:
// while the page is shown the port is open and the timer asks the dimmer for
// its status; the fields that show the replies come with the page itself.
#include "win/pages_win.h"

#include "win/program_state_win.h"
#include "win/shell_win.h"
#include "port/port.h"

INT_PTR CALLBACK page_status_proc(HWND dialog, UINT message, WPARAM, LPARAM lparam) {
    ProgramState& state = program_state();
    switch (message) {
        case WM_INITDIALOG:
            return TRUE;
        case WM_NOTIFY:
            switch (reinterpret_cast<const NMHDR*>(lparam)->code) {
                case PAGE_SETACTIVE:
                    status_page_activate(state.status, state.drive);
                    break;
                case PAGE_KILLACTIVE:
                    status_page_deactivate(state.status);
                    break;
            }
            SetWindowLongPtrW(dialog, DWLP_MSGRESULT, 0);
            return TRUE;
    }
    return FALSE;
}

void status_timer_step() {
    ProgramState& state = program_state();
    status_poll_step(state.status, state.drive, state.scope.page_active, tick_count_ms());
}
