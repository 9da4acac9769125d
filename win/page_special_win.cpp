// The "Sonderfunktionen" page. For now it shows only its title; the controls and
// their handling come with the page itself.
#include "win/pages_win.h"

INT_PTR CALLBACK page_special_proc(HWND dialog, UINT message, WPARAM, LPARAM) {
    return placeholder_page_proc(dialog, message);
}
