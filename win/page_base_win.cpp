// The "Grundeinstellung" page (template IDD_PAGE_BASE): per dimmer and CD
// configuration the minimum, the output at control 0 %, the maximum and the
// dimming characteristic; per dimmer the switch-off behaviour, pre-heat time,
// fade time and its mode, default operating mode, automatic mode switching
// and voltage-input range.
#include "win/pages_win.h"

INT_PTR CALLBACK page_base_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    return editing_page_proc(dialog, message, wparam, lparam, Page::base_settings);
}
