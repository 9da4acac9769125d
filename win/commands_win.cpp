#include "win/commands_win.h"

#include "win/app_win.h"
#include "win/bus_dialog_win.h"
#include "win/connection_dialog_win.h"
#include "win/monitor_win.h"
#include "win/page_status_win.h"
#include "win/status_bar_win.h"
#include "win/status_history_win.h"
#include "win/tab_pages_win.h"
#include "win/tabs.h"
#include "win/trend_window_win.h"
#include "link/device_ops.h"
#include "params/file_commands.h"
#include "params/recent.h"
#include "port/utf16_win.h"
#include "res/resource.h"

namespace {

// Item count of "&Parameterdatei" without the recent files; measured the first
// time they are put in.
int g_menu_base_count = -1;

// After the record was replaced: show it, and leave a measurement page, which
// does not show the parameter set.
void refresh_after_load() {
    refresh_current_page();
    const std::optional<Page> page = selected_page();
    if (page == Page::status || page == Page::scope) {
        select_page(Page::base_settings);
        refresh_current_page();
    }
}

void open_recent(int index) {
    const RecentEntry entry = recent_entries()[index];  // a copy: the list changes below
    if (entry.kind != RECENT_KIND_PARAMETER_FILE) return;
    commit_pending_edit();
    if (ask_save_changes(main_window())) {
        if (open_parameter_path(main_window(), entry.path, true))
            refresh_after_load();
        else
            recent_remove(entry.path);
    }
    refresh_current_page();
}

void replace_set(bool (*command)()) {
    commit_pending_edit();
    if (ask_save_changes(main_window()) && command()) refresh_after_load();
}

bool open_with_dialog() { return open_parameter_file(main_window()); }

void read_from_dimmer() {
    commit_pending_edit();
    refresh_after_load();
    ParameterRecord& record = live_record();
    if (read_parameter_set(main_window(), record)) finish_parameter_read(record);
    refresh_current_page();
}

void write_to_dimmer() {
    commit_pending_edit();
    refresh_after_load();
    write_parameter_set(main_window(), live_record());
    refresh_current_page();
}

// Centred on the owner's client area when that area is on the desktop and
// large enough to hold the dialog.
void centre_on_owner(HWND dialog) {
    HWND owner = GetWindow(dialog, GW_OWNER);
    RECT area{}, box{}, desktop{};
    if (!owner || !GetClientRect(owner, &area)) return;
    MapWindowPoints(owner, nullptr, reinterpret_cast<POINT*>(&area), 2);
    GetWindowRect(dialog, &box);
    GetWindowRect(GetDesktopWindow(), &desktop);
    const int w = box.right - box.left, h = box.bottom - box.top;
    const bool on_desktop = area.left >= desktop.left && area.top >= desktop.top &&
                            area.right <= desktop.right && area.bottom <= desktop.bottom;
    if (!on_desktop || area.right - area.left < w || area.bottom - area.top < h) return;
    SetWindowPos(dialog, nullptr, area.left + (area.right - area.left - w) / 2,
                 area.top + (area.bottom - area.top - h) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK about_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            centre_on_owner(dialog);
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) {
                EndDialog(dialog, LOWORD(wparam));
                return TRUE;
            }
            break;
    }
    return FALSE;
}

void show_about() {
    DialogBoxParamW(app_instance(), MAKEINTRESOURCEW(IDD_ABOUT), main_window(), about_proc, 0);
}

void update_recent_menu(HMENU popup) {
    HMENU menu = GetMenu(main_window());
    if (!recent_is_ready() || !menu || popup != GetSubMenu(menu, 0)) return;
    if (recent_menu_outdated()) {
        if (g_menu_base_count < 0) g_menu_base_count = GetMenuItemCount(popup);
        while (GetMenuItemCount(popup) > g_menu_base_count)
            DeleteMenu(popup, g_menu_base_count, MF_BYPOSITION);
        const auto& entries = recent_entries();
        if (!entries[0].path.empty()) {
            AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
            for (int i = 0; i < RECENT_COUNT && !entries[i].path.empty(); ++i)
                AppendMenuW(popup, MF_STRING, RECENT_FIRST_COMMAND + i,
                            widen(recent_menu_label(i, entries[i].path)).c_str());
        }
        recent_menu_rebuilt();
    }
    for (int i = 0; i < RECENT_COUNT; ++i)
        EnableMenuItem(popup, RECENT_FIRST_COMMAND + i, MF_BYCOMMAND | MF_ENABLED);
}

// The radio mark of "&Bearbeiten" follows the tab shown. The oscilloscope tab
// has no entry, so then no entry is marked.
void mark_page_entry() {
    HMENU menu = GetMenu(main_window());
    if (!menu) return;
    const int id = CMD_TAB_FIRST + page_index(selected_page().value_or(Page::base_settings));
    if (id < CMD_TAB_SCOPE) {
        CheckMenuRadioItem(menu, CMD_TAB_BASE, CMD_TAB_STATUS, id, MF_BYCOMMAND);
    } else {
        for (int other = CMD_TAB_BASE; other <= CMD_TAB_STATUS; ++other)
            CheckMenuItem(menu, other, MF_BYCOMMAND | MF_UNCHECKED);
    }
}

}  // namespace

void commands_init_menu_popup(HMENU popup) {
    update_recent_menu(popup);
    mark_page_entry();
}

void close_main_window() {
    commit_pending_edit();
    if (ask_save_changes(main_window())) DestroyWindow(main_window());
}

void dispatch_command(int id) {
    if (id >= RECENT_FIRST_COMMAND && id < RECENT_FIRST_COMMAND + RECENT_COUNT) {
        open_recent(id - RECENT_FIRST_COMMAND);
        update_file_name_display();
        return;
    }
    switch (id) {
        case CMD_TAB_BASE:
        case CMD_TAB_SPECIAL:
        case CMD_TAB_CURVES:
        case CMD_TAB_STATUS:
        case CMD_TAB_SCOPE:
            // Also for the tab already shown: the page is hidden and shown again.
            show_page(page_at(id - CMD_TAB_FIRST));
            break;
        case CMD_TAB_HOME:
            step_tab(0, false);
            break;
        case CMD_TAB_END:
            step_tab(TAB_LAST, false);
            break;
        case CMD_TAB_LEFT:
            step_tab(-1, false);
            break;
        case CMD_TAB_RIGHT:
            step_tab(+1, false);
            break;
        case CMD_TAB_PREV_WRAP:
            step_tab(-1, true);
            break;
        case CMD_TAB_NEXT_WRAP:
            step_tab(+1, true);
            break;
        case CMD_TB_NEW:
        case CMD_NEW:
            replace_set(new_parameter_set);
            break;
        case CMD_TB_OPEN:
        case CMD_OPEN:
            replace_set(open_with_dialog);
            break;
        case CMD_TB_SAVE:
        case CMD_SAVE:
            commit_pending_edit();
            save_parameter_file(main_window(), false);
            break;
        case CMD_TB_SAVE_AS:
        case CMD_SAVE_AS:
            commit_pending_edit();
            save_parameter_file(main_window(), true);
            break;
        case CMD_CLOSE:
            replace_set(close_parameter_set);
            break;
        case CMD_EXIT:
            // Ends the program the way closing the window does, so unsaved
            // changes are asked about and the window placement is kept.
            close_main_window();
            return;
        case CMD_READ_DEVICE:
            read_from_dimmer();
            break;
        case CMD_WRITE_DEVICE:
            write_to_dimmer();
            break;
        case CMD_HARDWARE: {
            const PortSettings before = g_port_settings;
            hardware_connection_dialog(main_window());
            status_page_follow_port(before);
            break;
        }
        case CMD_BUS:
            commit_pending_edit();  // the set written and compared is the one on the pages
            bus_dialog(main_window());
            break;
        case CMD_MONITOR:
            monitor_open(main_window());
            break;
        case CMD_TREND:
            trend_window_open(main_window());
            break;
        case CMD_TREND_RECORD:
            status_recording_command(trend_window() ? trend_window() : main_window());
            break;
        case CMD_TREND_SAVE:
            status_history_save_command(trend_window() ? trend_window() : main_window());
            break;
        case CMD_FIRMWARE:
            firmware_version(main_window());
            break;
        case CMD_ABOUT:
            show_about();
            break;
        default:
            return;
    }
    update_file_name_display();
}
