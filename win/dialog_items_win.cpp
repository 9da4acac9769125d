#include "win/dialog_items_win.h"

#include "base/text.h"
#include "port/program_path.h"
#include "port/utf16_win.h"

#include <commctrl.h>

#include <vector>

namespace {

bool is_class(HWND window, const wchar_t* name) {
    wchar_t found[32] = {};
    return GetClassNameW(window, found, 32) && lstrcmpiW(found, name) == 0;
}

}  // namespace

std::string dlg_get_text(HWND dialog, int item, size_t max_chars) {
    std::vector<wchar_t> buffer(max_chars + 1, L'\0');
    GetDlgItemTextW(dialog, item, buffer.data(), static_cast<int>(buffer.size()));
    return narrow(buffer.data());
}

void dlg_set_text(HWND dialog, int item, const std::string& text) {
    SetDlgItemTextW(dialog, item, widen(cut_chars(text, 511)).c_str());
}

void set_control_text(HWND control, const std::string& text) {
    SetWindowTextW(control, widen(cut_chars(text, 511)).c_str());
}

void dlg_set_uint(HWND dialog, int item, uint32_t value) {
    dlg_set_text(dialog, item, value ? format_text("%lu", static_cast<unsigned long>(value)) : std::string());
}

uint32_t dlg_get_int(HWND dialog, int item, bool* valid) {
    return parse_dlg_int(dlg_get_text(dialog, item, 127), valid);
}

std::string dlg_get_word(HWND dialog, int item, bool keep_inner_blanks, size_t size) {
    if (size < 1 || size > 128) size = 128;
    return take_word(dlg_get_text(dialog, item, size - 1), keep_inner_blanks, size);
}

void set_tab_stop(HWND control, bool stop) {
    const LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
    const LONG_PTR wanted = stop ? (style | WS_TABSTOP) : (style & ~LONG_PTR(WS_TABSTOP));
    if (wanted != style) SetWindowLongPtrW(control, GWL_STYLE, wanted);
}

bool is_unticked_radio(HWND control) {
    const LONG type = GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
    return (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON) && is_class(control, WC_BUTTONW) &&
           SendMessageW(control, BM_GETCHECK, 0, 0) != BST_CHECKED;
}

HWND focus_target_in_group(HWND dialog, HWND control) {
    HWND button = control;
    while (button && is_unticked_radio(button)) {
        button = GetNextDlgGroupItem(dialog, button, FALSE);
        if (button == control) return nullptr;
    }
    return button;
}

bool is_edit(HWND control) { return is_class(control, WC_EDITW); }

bool trackbar_moved(int code) {
    switch (code) {
        case TB_LINEUP:
        case TB_LINEDOWN:
        case TB_PAGEUP:
        case TB_PAGEDOWN:
        case TB_THUMBTRACK:
        case TB_ENDTRACK:
            return true;
        default:
            return false;
    }
}

std::string program_directory() { return program_directory_of(executable_path()); }

void help_quit(HWND window) {
    std::string help = program_directory() + "Kv310r.hlp";
    WinHelpW(window, widen(help).c_str(), HELP_QUIT, 0);
}
