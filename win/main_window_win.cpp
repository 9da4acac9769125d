// The main window: the toolbar on top, the tab control with the five pages
// (tab_pages_win.h), the status bar at the bottom (status_bar_win.h). Its
// procedure lays them out, answers the toolbar's tips, finds a page's
// controls by their mnemonics, shows the context menu and hands every command
// to the dispatcher (commands_win.h).
#include "win/main_window_win.h"

#include "win/app_win.h"
#include "win/commands_win.h"
#include "win/dialog_items_win.h"
#include "win/placement.h"
#include "win/status_bar_win.h"
#include "win/status_history_win.h"
#include "win/tab_pages_win.h"
#include "win/toolbar_images_win.h"
#include "base/settings.h"
#include "res/resource.h"

#include <commctrl.h>
#include <windowsx.h>

#include <cwchar>
#include <cwctype>
#include <iterator>
#include <optional>

namespace {

// The main window's own children; the window itself is main_window()
// (app_win.h), the status bar and the tab control with its pages keep their
// own state.
struct MainWindow {
    HWND toolbar = nullptr;
    HFONT font = nullptr;  // the stock GUI font, set on the tab control
};
MainWindow g_main;

int height_of(HWND window) {
    RECT r{};
    if (window) GetWindowRect(window, &r);
    return r.bottom - r.top;
}

bool create_toolbar(HWND window) {
    g_main.toolbar =
        CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TBSTYLE_TOOLTIPS | TBSTYLE_FLAT, 0, 0, 0, 0,
                        window, reinterpret_cast<HMENU>(IDC_TOOLBAR), app_instance(), nullptr);
    if (!g_main.toolbar) return false;
    SendMessageW(g_main.toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    // The icons at the size the DPI setting asks for, beside text that grows with it.
    const ToolbarImages images = toolbar_images(app_instance());
    SendMessageW(g_main.toolbar, TB_SETBITMAPSIZE, 0, MAKELPARAM(images.width, images.height));
    if (images.list) {
        SendMessageW(g_main.toolbar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images.list));
    } else {
        TBADDBITMAP bitmap{app_instance(), IDB_TOOLBAR};
        SendMessageW(g_main.toolbar, TB_ADDBITMAP, TOOLBAR_IMAGE_COUNT, reinterpret_cast<LPARAM>(&bitmap));
    }
    auto button = [](int image, int command, const wchar_t* label) {
        TBBUTTON b{};
        b.iBitmap = image;
        b.idCommand = command;
        b.fsState = TBSTATE_ENABLED;
        b.fsStyle = BTNS_BUTTON | BTNS_AUTOSIZE;
        b.iString = reinterpret_cast<INT_PTR>(label);
        return b;
    };
    TBBUTTON separator{};
    separator.fsStyle = BTNS_SEP;
    TBBUTTON buttons[] = {
        button(0, CMD_TB_NEW, L"Neu"),
        button(1, CMD_TB_OPEN, L"Öffnen"),
        button(2, CMD_TB_SAVE, L"Speichern"),
        button(2, CMD_TB_SAVE_AS, L"Speichern unter..."),
        separator,
        button(10, CMD_READ_DEVICE, L"Parameter auslesen"),
        button(9, CMD_WRITE_DEVICE, L"Parameter schreiben"),
    };
    if (!SendMessageW(g_main.toolbar, TB_ADDBUTTONSW, std::size(buttons), reinterpret_cast<LPARAM>(buttons)))
        return false;
    SendMessageW(g_main.toolbar, TB_AUTOSIZE, 0, 0);
    return true;
}

// Without a stored placement: make the window just large enough for the tab
// control, but no larger than the monitor's work area (the pages scroll
// then), and centre it there.
void fit_window_to_pages(HWND window) {
    RECT client{}, outer{}, tab{};
    GetClientRect(window, &client);
    GetWindowRect(window, &outer);
    GetWindowRect(tab_control(), &tab);
    client.top += height_of(g_main.toolbar);
    client.bottom -= height_of(status_bar()) + GetSystemMetrics(SM_CYBORDER);
    int width = (outer.right - outer.left) - (client.right - client.left) + (tab.right - tab.left);
    int height = (outer.bottom - outer.top) - (client.bottom - client.top) + (tab.bottom - tab.top);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor))
        GetWindowRect(GetDesktopWindow(), &monitor.rcWork);
    const RECT& w = monitor.rcWork;
    const Rect r = fit_to_work_area(width, height, Rect{w.left, w.top, w.right, w.bottom},
                                    GetSystemMetrics(SM_CXVSCROLL), GetSystemMetrics(SM_CYHSCROLL));
    MoveWindow(window, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

LRESULT on_create(HWND window, const CREATESTRUCTW* create) {
    g_main.font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    if (!g_main.font) return -1;
    const LPARAM size = MAKELPARAM(create->cx, create->cy);
    if (!create_toolbar(window)) return -1;
    SendMessageW(g_main.toolbar, WM_SIZE, SIZE_RESTORED, size);
    app_set_main_window(window);
    if (!status_bar_create(window, size)) return -1;
    if (!tab_pages_create(window, g_main.font)) return -1;
    if (!placement_get().use_stored) fit_window_to_pages(window);
    SetFocus(tab_control());
    return 0;
}

void on_size(HWND window, WPARAM type, LPARAM size) {
    status_bar_resize(type, size);
    if (g_main.toolbar) SendMessageW(g_main.toolbar, WM_SIZE, type, size);
    RECT r{};
    GetClientRect(window, &r);
    r.top += height_of(g_main.toolbar);
    r.bottom -= height_of(status_bar()) + GetSystemMetrics(SM_CYBORDER);
    tab_pages_place(r);
}

// Tool tips are string resources numbered like the button's command. The
// ANSI and the wide request carry structures of different sizes (their text
// buffers differ), so each is answered through its own.
template <typename DispInfo>
void answer_tip(const NMHDR& header) {
    auto* info = reinterpret_cast<DispInfo*>(const_cast<NMHDR*>(&header));
    info->hinst = app_instance();
    info->lpszText =
        reinterpret_cast<decltype(info->lpszText)>(static_cast<ULONG_PTR>(LOWORD(header.idFrom)));
}

LRESULT on_notify(const NMHDR& header) {
    if (header.code == TTN_GETDISPINFOW)
        answer_tip<NMTTDISPINFOW>(header);
    else if (header.code == TTN_GETDISPINFOA)
        answer_tip<NMTTDISPINFOA>(header);
    else
        tab_pages_notify(header);
    return 0;
}

// Alt + a key that no menu title claims: the page control with that mnemonic.
LRESULT on_menu_char(wchar_t ch) {
    HWND page = current_page();
    if (!page) return 0;
    if (ch >= L'a' && ch <= L'z') ch = static_cast<wchar_t>(ch - L'a' + L'A');
    HWND target = nullptr;
    bool click = true;
    for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        LRESULT code = SendMessageW(child, WM_GETDLGCODE, 0, 0);
        if (code & DLGC_WANTCHARS) continue;
        wchar_t text[512] = {};
        GetWindowTextW(child, text, 512);
        const wchar_t* amp = wcschr(text, L'&');
        if (!amp || !amp[1]) continue;
        wchar_t m = amp[1];
        if (m != ch && static_cast<wchar_t>(towupper(m)) != ch) continue;
        if (target) {  // ambiguous: only move to the first, click nothing
            click = false;
            break;
        }
        // A label leads to the control after it; into a radio group only at
        // its ticked button, which the focus does not click.
        target = (code & DLGC_STATIC) ? focus_target_in_group(page, GetWindow(child, GW_HWNDNEXT)) : child;
    }
    if (!target) return 0;
    LRESULT code = SendMessageW(target, WM_GETDLGCODE, 0, 0);
    if (code & (DLGC_RADIOBUTTON | DLGC_WANTCHARS)) click = false;
    PostMessageW(page, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(target), TRUE);
    if (click) PostMessageW(target, WM_SYSCHAR, ch, 0);
    return MAKELRESULT(0, MNC_CLOSE);
}

bool on_context_menu(HWND window, LPARAM lparam) {
    POINT pt{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
    bool from_keyboard = pt.x == -1 && pt.y == -1;
    if (from_keyboard) {
        GetCursorPos(&pt);
    } else {
        RECT client{};
        GetClientRect(window, &client);
        MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
        if (!PtInRect(&client, pt)) return false;
    }
    HMENU menu = LoadMenuW(app_instance(), MAKEINTRESOURCEW(IDR_CONTEXT_MENU));
    if (!menu) return true;
    TrackPopupMenu(GetSubMenu(menu, 0), TPM_RIGHTBUTTON, pt.x, pt.y, 0, window, nullptr);
    DestroyMenu(menu);
    return true;
}

void on_destroy(HWND window) {
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    GetWindowPlacement(window, &wp);
    std::optional<int> tab;
    if (HWND control = tab_control()) tab = TabCtrl_GetCurSel(control);
    const RECT& n = wp.rcNormalPosition;
    // The exit's stores, this one first, replace the settings file once
    // (committed in shell_store_settings after the message loop).
    settings_batch_begin();
    placement_store(tab, IsZoomed(window) != FALSE, IsIconic(window) != FALSE,
                    Rect{n.left, n.top, n.right, n.bottom});
    // Now, not with the stores after the message loop: by then the window the
    // help viewer knows us by is gone.
    help_quit(window);
    status_recording_end();
    PostQuitMessage(0);
}

void forget_windows() {
    app_set_main_window(nullptr);
    g_main = MainWindow{};
    status_bar_forget();
    tab_pages_forget();
}

LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_CREATE:
            return on_create(window, reinterpret_cast<const CREATESTRUCTW*>(lparam));
        case WM_SIZE:
            on_size(window, wparam, lparam);
            return 0;
        case WM_GETMINMAXINFO:
            reinterpret_cast<MINMAXINFO*>(lparam)->ptMinTrackSize = POINT{400, 300};
            return 0;
        case WM_ERASEBKGND: {
            RECT r{};
            GetClientRect(window, &r);
            FillRect(reinterpret_cast<HDC>(wparam), &r, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
            return 1;
        }
        case WM_NOTIFY:
            return on_notify(*reinterpret_cast<const NMHDR*>(lparam));
        case WM_CONTEXTMENU:
            if (on_context_menu(window, lparam)) return 0;
            break;
        case WM_CHAR:
            if (wparam == VK_ESCAPE && tab_control()) SetFocus(tab_control());
            return 0;
        case WM_COMMAND:
            dispatch_command(LOWORD(wparam));
            return 0;
        case WM_INITMENUPOPUP:
            commands_init_menu_popup(reinterpret_cast<HMENU>(wparam));
            return 0;
        case WM_MENUCHAR:
            if (LRESULT r = on_menu_char(static_cast<wchar_t>(LOWORD(wparam)))) return r;
            break;
        case WM_CLOSE:
            close_main_window();
            return 0;
        case WM_DESTROY:
            on_destroy(window);
            return 0;
        case WM_NCDESTROY:
            forget_windows();
            break;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

bool main_window_register_class(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = main_window_proc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_PROGRAM));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszMenuName = MAKEINTRESOURCEW(IDR_MAIN_MENU);
    wc.lpszClassName = MAIN_CLASS_NAME;
    if (RegisterClassExW(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS) return true;
    WNDCLASSW plain{};
    plain.style = wc.style;
    plain.lpfnWndProc = wc.lpfnWndProc;
    plain.hInstance = instance;
    plain.hIcon = wc.hIcon;
    plain.hCursor = wc.hCursor;
    plain.hbrBackground = wc.hbrBackground;
    plain.lpszMenuName = wc.lpszMenuName;
    plain.lpszClassName = wc.lpszClassName;
    return RegisterClassW(&plain) != 0;
}

HWND tool_bar() { return g_main.toolbar; }
