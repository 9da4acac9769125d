// The monitor window only hosts the view: its 200 ms timer hands the list box
// to monitor_view_tick, which takes the traffic out of the feed, logs it and
// says which lines to add. The link feeds the monitor only while the window
// exists.
#include "win/monitor_win.h"

#include "win/app_win.h"
#include "win/dialog_items_win.h"
#include "port/utf16_win.h"
#include "link/link.h"
#include "link/monitor_feed.h"
#include "link/monitor_view.h"
#include "res/resource.h"

#include <algorithm>

namespace {

constexpr UINT_PTR TICK_TIMER = 1;
constexpr UINT TICK_MS = 200;

struct Monitor {
    HWND window = nullptr;  // while it exists
    HWND list = nullptr;
    HFONT font = nullptr;  // created once, kept until the program ends
    MonitorView view;      // what the list shows, and the log file
    std::string log_folder;
};
Monitor g_monitor;

size_t list_count(void*) {
    const LRESULT n = SendMessageW(g_monitor.list, LB_GETCOUNT, 0, 0);
    return n > 0 ? static_cast<size_t>(n) : 0;
}

void list_delete_first(void*) { SendMessageW(g_monitor.list, LB_DELETESTRING, 0, 0); }

void list_add_and_select(void*, const std::string& line) {
    const LRESULT index =
        SendMessageW(g_monitor.list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(widen(line).c_str()));
    if (index >= 0)
        SendMessageW(g_monitor.list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);  // scrolls it into view
}

const MonitorList LIST_BOX{nullptr, list_count, list_delete_first, list_add_and_select};

void show_link_texts(const std::string& port_text, const std::string& mode_text) {
    if (!g_monitor.window) return;
    dlg_set_text(g_monitor.window, IDC_MONITOR_PORT, port_text);
    dlg_set_text(g_monitor.window, IDC_MONITOR_MODE, mode_text);
}

// Centred over the owner's window, but kept with its caption on the screen.
void centre_over_owner(HWND window) {
    HWND owner = GetWindow(window, GW_OWNER);
    RECT outer{}, box{};
    if (!owner || !GetWindowRect(owner, &outer) || !GetWindowRect(window, &box)) return;
    const int w = box.right - box.left, h = box.bottom - box.top;
    int x = (outer.left + outer.right - w) / 2;
    int y = (outer.top + outer.bottom - h) / 2;
    MONITORINFO screen{};
    screen.cbSize = sizeof screen;
    if (GetMonitorInfoW(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &screen)) {
        const RECT& area = screen.rcWork;
        x = std::max<int>(area.left, std::min<int>(x, area.right - w));
        y = std::max<int>(area.top, std::min<int>(y, area.bottom - h));
    }
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Wide enough to scroll to the end of the longest line the list can hold.
void set_list_extent() {
    HDC dc = GetDC(g_monitor.list);
    HGDIOBJ old = SelectObject(dc, g_monitor.font ? g_monitor.font : GetStockObject(DEFAULT_GUI_FONT));
    SIZE size{};
    const std::wstring longest(MONITOR_LINE_CHARS + 1, L'W');
    GetTextExtentPoint32W(dc, longest.c_str(), static_cast<int>(longest.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(g_monitor.list, dc);
    SendMessageW(g_monitor.list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(size.cx), 0);
}

void on_init(HWND dialog) {
    centre_over_owner(dialog);
    g_monitor.window = dialog;
    g_monitor.list = GetDlgItem(dialog, IDC_MONITOR_LIST);
    SendMessageW(g_monitor.list, WM_SETFONT, reinterpret_cast<WPARAM>(g_monitor.font), FALSE);
    set_list_extent();
    SetTimer(dialog, TICK_TIMER, TICK_MS, nullptr);
    monitor_view_open(g_monitor.view,
                      g_monitor.log_folder.empty() ? program_directory() : g_monitor.log_folder);
    link_set_monitor_text_hook(show_link_texts);
    show_link_texts(link_monitor_port_text(), link_monitor_mode_text());
}

// New lines are added with the list's drawing off, so it paints once per tick
// instead of scrolling for every line (under a status poll at full rate that
// costs several times the CPU).
void on_tick() {
    const size_t pending = monitor_feed_unread() + g_monitor.view.transfer.size();
    if (pending == 0 || g_monitor.view.paused) {
        monitor_view_tick(g_monitor.view, LIST_BOX);
        return;
    }
    SendMessageW(g_monitor.list, WM_SETREDRAW, FALSE, 0);
    monitor_view_tick(g_monitor.view, LIST_BOX);
    SendMessageW(g_monitor.list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(g_monitor.list, nullptr, TRUE);
}

// Also when the main window takes its owned windows along at exit.
void on_destroy(HWND dialog) {
    KillTimer(dialog, TICK_TIMER);
    link_set_monitor_text_hook(nullptr);
    g_monitor.window = nullptr;
    g_monitor.list = nullptr;
    monitor_view_close(g_monitor.view);  // the feed stops; whatever was buffered is dropped
}

INT_PTR CALLBACK monitor_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            on_init(dialog);
            return TRUE;
        case WM_TIMER:
            if (dialog == g_monitor.window) on_tick();
            return TRUE;
        case WM_COMMAND:
            switch (LOWORD(wparam)) {
                case IDOK:
                case IDCANCEL:
                    DestroyWindow(dialog);
                    return TRUE;
                case IDC_MONITOR_PAUSE:
                    if (HIWORD(wparam) == BN_CLICKED)
                        dlg_set_text(dialog, IDC_MONITOR_PAUSE, monitor_view_toggle_pause(g_monitor.view));
                    return TRUE;
            }
            break;
        case WM_DESTROY:
            if (dialog == g_monitor.window) on_destroy(dialog);
            return TRUE;
    }
    return FALSE;
}

}  // namespace

void monitor_open(HWND owner) {
    if (g_monitor.window) {
        if (IsIconic(g_monitor.window)) ShowWindow(g_monitor.window, SW_RESTORE);
        centre_over_owner(g_monitor.window);
        SetFocus(g_monitor.window);
        return;
    }
    if (!g_monitor.font)
        g_monitor.font =
            CreateFontW(0, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, L"Courier New");
    HWND window = CreateDialogParamW(app_instance(), MAKEINTRESOURCEW(IDD_MONITOR), owner, monitor_proc, 0);
    if (window) ShowWindow(window, SW_SHOW);
}

HWND monitor_window() { return g_monitor.window; }

void monitor_set_log_folder(const std::string& folder) { g_monitor.log_folder = folder; }
