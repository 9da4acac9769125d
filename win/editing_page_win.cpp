// What "Grundeinstellung" and "Sonderfunktionen" share: the page shows the
// live record through its control map and writes every change straight into
// it. Edits are taken when they lose the focus, buttons on their click; after
// either the page is filled again, so the record's own limits show at once.
#include "win/editing_page_win.h"

#include "win/dialog_items_win.h"
#include "win/page_controls.h"
#include "win/page_notify.h"
#include "params/file_commands.h"
#include "port/utf16_win.h"

#include <string>
#include <unordered_map>

namespace {

std::string window_text(HWND control) {
    wchar_t text[128] = {};
    GetWindowTextW(control, text, 128);
    return narrow(text);
}

BOOL CALLBACK add_control(HWND control, LPARAM map) {
    (*reinterpret_cast<std::unordered_map<int, HWND>*>(map))[GetDlgCtrlID(control)] = control;
    return TRUE;
}

// Every control is touched only where it shows something else: a refill
// follows every edit and click, and each change of a control costs a round
// trip to the window system.
void fill(HWND dialog, Page page) {
    std::unordered_map<int, HWND> controls;
    EnumChildWindows(dialog, add_control, reinterpret_cast<LPARAM>(&controls));
    for (const ControlShown& c : page_fill(live_record(), page)) {
        HWND control = controls[c.id];
        if (!control) continue;
        switch (c.kind) {
            case FieldKind::number:
                // Untouched texts also keep their caret and selection.
                if (window_text(control) != c.text) SetWindowTextW(control, widen(c.text).c_str());
                break;
            case FieldKind::choice:
                set_tab_stop(control, c.ticked);
                [[fallthrough]];
            case FieldKind::flag:
                if ((SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED) != c.ticked)
                    SendMessageW(control, BM_SETCHECK, c.ticked ? BST_CHECKED : BST_UNCHECKED, 0);
                break;
        }
    }
}

void on_command(HWND dialog, Page page, int id, int code) {
    if (id == IDOK) {  // Enter: on to the next control, which takes the value typed
        PostMessageW(dialog, WM_NEXTDLGCTL, 0, FALSE);
        return;
    }
    bool taken = false;
    if (code == EN_KILLFOCUS)
        taken = page_take_text(live_record(), page, id, dlg_get_text(dialog, id));
    else if (code == BN_CLICKED)
        taken = page_take_click(live_record(), page, id, IsDlgButtonChecked(dialog, id) == BST_CHECKED);
    if (taken) fill(dialog, page);
}

INT_PTR editing_page_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam, Page page) {
    switch (message) {
        case WM_INITDIALOG:
            fill(dialog, page);
            return TRUE;
        case WM_NOTIFY:
            if (reinterpret_cast<const NMHDR*>(lparam)->code == PAGE_SETACTIVE) fill(dialog, page);
            SetWindowLongPtrW(dialog, DWLP_MSGRESULT, 0);
            return TRUE;
        case WM_COMMAND:
            on_command(dialog, page, LOWORD(wparam), HIWORD(wparam));
            return TRUE;
    }
    return FALSE;
}

}  // namespace

INT_PTR CALLBACK page_base_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    return editing_page_proc(dialog, message, wparam, lparam, Page::base_settings);
}

INT_PTR CALLBACK page_special_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    return editing_page_proc(dialog, message, wparam, lparam, Page::special_functions);
}
