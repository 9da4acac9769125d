// The "Sonderfunktionen" page (template IDD_PAGE_SPECIAL): the bus-failure
// delay and master/slave operation of the whole device, and per dimmer the
// action after a bus failure, the activity of the potentiometer and the
// voltage input, the non-dim threshold and hysteresis and the one-button
// operation.
#include "win/pages_win.h"

INT_PTR CALLBACK page_special_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    return editing_page_proc(dialog, message, wparam, lparam, Page::special_functions);
}
