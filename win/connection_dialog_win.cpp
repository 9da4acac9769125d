// The dialog works on a copy of the live port settings. A field is taken into
// the copy when it loses the focus and is then shown again as taken, so the
// user sees at once what a typed text amounts to. "Testen" leaves the dialog,
// searches, and opens it again on the settings the search left behind.
#include "win/connection_dialog_win.h"

#include "win/app_win.h"
#include "win/status_bar_win.h"
#include "win/dialog_items_win.h"
#include "link/port_settings.h"
#include "res/resource.h"

namespace {

PortSettings* copy_of(HWND dialog) {
    return reinterpret_cast<PortSettings*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

void fill_fields(HWND dialog, const PortSettings& copy) {
    dlg_set_text(dialog, IDC_HW_PORT, copy.name);
    dlg_set_text(dialog, IDC_HW_ADDRESS, port_address_field_text(copy.address));
    // Frames carry only eight address bits; a larger live value means none.
    if (g_port_settings.address > 255) g_port_settings.address = 0;
}

void take_field(HWND dialog, int item) {
    PortSettings* copy = copy_of(dialog);
    if (!copy) return;  // the dialog is ending
    if (item == IDC_HW_PORT)
        port_settings_take_name(*copy, dlg_get_text(dialog, item, 127));
    else if (item == IDC_HW_ADDRESS)
        port_settings_take_address(*copy, dlg_get_text(dialog, item, 127));
    else
        return;
    fill_fields(dialog, *copy);
}

// Enter presses "OK" without moving the focus, so the field being typed in
// is taken here as if it had lost the focus.
void end_dialog(HWND dialog, int result) {
    if (result != IDCANCEL) take_field(dialog, GetDlgCtrlID(GetFocus()));
    SetWindowLongPtrW(dialog, DWLP_USER, 0);
    EndDialog(dialog, result);
}

INT_PTR CALLBACK hardware_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrW(dialog, DWLP_USER, lparam);
            fill_fields(dialog, *reinterpret_cast<PortSettings*>(lparam));
            return TRUE;
        case WM_COMMAND: {
            const int item = LOWORD(wparam);
            if (HIWORD(wparam) == EN_KILLFOCUS) {
                take_field(dialog, item);
                return TRUE;
            }
            if (item == IDOK || item == IDCANCEL || item == IDC_HW_TEST) {
                end_dialog(dialog, item);
                return TRUE;
            }
            break;
        }
    }
    return FALSE;
}

void show_port_settings(const PortSettings& settings) {
    show_port_in_status_bar(port_settings_status_text(settings));
}

}  // namespace

void hardware_connection_dialog(HWND owner) {
    for (;;) {
        PortSettings copy = g_port_settings;
        const INT_PTR choice = DialogBoxParamW(app_instance(), MAKEINTRESOURCEW(IDD_HARDWARE), owner,
                                               hardware_dialog_proc, reinterpret_cast<LPARAM>(&copy));
        if (choice == IDC_HW_TEST) {
            port_search(owner, copy);
            // The search leaves the found port, or the dialog's values, live.
            show_port_settings(g_port_settings);
            continue;
        }
        if (choice == IDOK) {
            show_port_settings(copy);
            (void)port_settings_accept(owner, copy);  // it reports a failure itself
        }
        return;
    }
}
