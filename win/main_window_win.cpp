// The main window: toolbar on top, the tab control with the five pages, the
// status bar at the bottom. Pages are modeless child dialogs of the tab
// control, created once and shown one at a time.
#include "win/shell_win.h"

#include "win/dialog_items_win.h"
#include "win/page_scroll_win.h"
#include "win/pages_win.h"
#include "win/placement.h"
#include "win/status_fields.h"
#include "win/tabs.h"
#include "win/toolbar_images_win.h"
#include "base/settings.h"
#include "base/text.h"
#include "port/utf16_win.h"
#include "link/link.h"
#include "params/file_commands.h"
#include "res/resource.h"

#include <commctrl.h>
#include <windowsx.h>

#include <cstring>

namespace {

// Each page's dialog template and procedure, in tab order (params/page.h).
struct PageDialog {
    int template_id;
    DLGPROC proc;
};

const PageDialog PAGE_DIALOGS[PAGE_COUNT] = {
    {IDD_PAGE_BASE, page_base_proc},     {IDD_PAGE_SPECIAL, page_special_proc},
    {IDD_PAGE_CURVES, page_curves_proc}, {IDD_PAGE_STATUS, page_status_proc},
    {IDD_PAGE_SCOPE, page_scope_proc},
};

constexpr wchar_t FILE_LABEL[] = L"Parameterdatei";
constexpr wchar_t PORT_LABEL[] = L"KV-310-R-Anschluss";

HWND g_main = nullptr;
HWND g_toolbar = nullptr;
HWND g_status = nullptr;
HWND g_tab = nullptr;
HWND g_page = nullptr;  // the page shown
HWND g_progress = nullptr;
unsigned g_progress_pos = 0;
HFONT g_font = nullptr;
bool g_shown_modified = false;
std::string g_shown_file_name;

int height_of(HWND window) {
    RECT r{};
    if (window) GetWindowRect(window, &r);
    return r.bottom - r.top;
}

void send_page_notification(HWND page, UINT code) {
    NMHDR header{nullptr, 0, code};
    SendMessageW(page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
}

HWND create_page(int index) {
    HWND page = CreateDialogParamW(app_instance(), MAKEINTRESOURCEW(PAGE_DIALOGS[index].template_id), g_tab,
                                   PAGE_DIALOGS[index].proc, 0);
    if (page) page_scroll_attach(page);
    return page;
}

bool set_page_of_tab(int index, HWND page) {
    TCITEMW item{};
    item.mask = TCIF_PARAM;
    item.lParam = reinterpret_cast<LPARAM>(page);
    return TabCtrl_SetItem(g_tab, index, &item) != FALSE;
}

HWND page_of_tab(int index) {
    TCITEMW item{};
    item.mask = TCIF_PARAM;
    if (index < 0 || !TabCtrl_GetItem(g_tab, index, &item)) return nullptr;
    return reinterpret_cast<HWND>(item.lParam);
}

// The tab control's display area, in its own client coordinates.
RECT page_area() {
    RECT r{};
    GetWindowRect(g_tab, &r);
    OffsetRect(&r, -r.left, -r.top);
    TabCtrl_AdjustRect(g_tab, FALSE, &r);
    return r;
}

void place_page(HWND page) {
    RECT r = page_area();
    MoveWindow(page, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    ShowWindow(page, SW_SHOW);
}

// The focus into a page: its first control in tab order that is not an
// unticked radio button. Not the control the page's dialog handling would
// give it back to, which may be a radio button that a refill has unticked
// since; on Windows the focus arriving there would click it and change the
// set. Tab stops sit on the ticked button of each group, so this is rarely
// more than the first control.
void focus_into_page(HWND page) {
    HWND first = GetNextDlgTabItem(page, nullptr, FALSE);
    HWND target = first;
    while (target && is_unticked_radio(target)) {
        target = GetNextDlgTabItem(page, target, FALSE);
        if (target == first) target = nullptr;
    }
    if (target)
        SendMessageW(page, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(target), TRUE);
    else
        SetFocus(g_tab);
}

int label_width() {
    HDC dc = GetDC(g_status);
    if (!dc) return 0;
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(g_status, WM_GETFONT, 0, 0));
    HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    SIZE a{}, b{};
    GetTextExtentPoint32W(dc, FILE_LABEL, lstrlenW(FILE_LABEL), &a);
    GetTextExtentPoint32W(dc, PORT_LABEL, lstrlenW(PORT_LABEL), &b);
    if (old) SelectObject(dc, old);
    ReleaseDC(g_status, dc);
    // Room for the raised border around the label.
    return (a.cx > b.cx ? a.cx : b.cx) + 2 * GetSystemMetrics(SM_CXEDGE) + 6;
}

void layout_status_fields() {
    if (!g_status) return;
    RECT client{};
    GetClientRect(g_main, &client);
    auto edges = status_field_edges(label_width(), client.right - client.left);
    int parts[4] = {edges[0], edges[1], edges[2], edges[3]};
    SendMessageW(g_status, SB_SETPARTS, 4, reinterpret_cast<LPARAM>(parts));
    SendMessageW(g_status, SB_SETTEXTW, STATUS_FIELD_FILE_LABEL | SBT_POPOUT,
                 reinterpret_cast<LPARAM>(FILE_LABEL));
    SendMessageW(g_status, SB_SETTEXTW, STATUS_FIELD_PORT_LABEL | SBT_POPOUT,
                 reinterpret_cast<LPARAM>(PORT_LABEL));
}

bool create_toolbar(HWND window) {
    g_toolbar =
        CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TBSTYLE_TOOLTIPS | TBSTYLE_FLAT, 0, 0, 0, 0,
                        window, reinterpret_cast<HMENU>(IDC_TOOLBAR), app_instance(), nullptr);
    if (!g_toolbar) return false;
    SendMessageW(g_toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    // The icons at the size the DPI setting asks for, beside text that grows with it.
    const ToolbarImages images = toolbar_images(app_instance());
    SendMessageW(g_toolbar, TB_SETBITMAPSIZE, 0, MAKELPARAM(images.width, images.height));
    if (images.list) {
        SendMessageW(g_toolbar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images.list));
    } else {
        TBADDBITMAP bitmap{app_instance(), IDB_TOOLBAR};
        SendMessageW(g_toolbar, TB_ADDBITMAP, TOOLBAR_IMAGE_COUNT, reinterpret_cast<LPARAM>(&bitmap));
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
    if (!SendMessageW(g_toolbar, TB_ADDBUTTONSW, std::size(buttons), reinterpret_cast<LPARAM>(buttons)))
        return false;
    SendMessageW(g_toolbar, TB_AUTOSIZE, 0, 0);
    return true;
}

bool create_status_bar(HWND window) {
    if (!g_status)
        g_status =
            CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_BORDER, 0,
                            0, 0, 0, window, reinterpret_cast<HMENU>(IDC_STATUSBAR), app_instance(), nullptr);
    return g_status != nullptr;
}

bool create_tab_control(HWND window) {
    g_tab =
        CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TCS_MULTILINE, 0, 0,
                        0, 0, window, reinterpret_cast<HMENU>(IDC_TABCONTROL), app_instance(), nullptr);
    if (!g_tab) return false;
    SendMessageW(g_tab, WM_SETFONT, reinterpret_cast<WPARAM>(g_font), FALSE);
    RECT page_rect{};
    for (int i = 0; i < PAGE_COUNT; ++i) {
        std::wstring title = widen(page_title(page_at(i)));
        TCITEMW item{};
        item.mask = TCIF_TEXT | TCIF_PARAM;
        item.pszText = title.data();
        if (TabCtrl_InsertItem(g_tab, i, &item) != i) return false;
        HWND page = create_page(i);
        if (!page || !set_page_of_tab(i, page)) return false;
        GetClientRect(page, &page_rect);
    }
    // Make the display area exactly one page: the row count of a multi-line
    // tab strip depends on the width, so measure again after the first move.
    RECT r = page_rect;
    TabCtrl_AdjustRect(g_tab, TRUE, &r);
    MoveWindow(g_tab, r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
    RECT shown{0, 0, r.right - r.left, r.bottom - r.top};
    TabCtrl_AdjustRect(g_tab, FALSE, &shown);
    r.right += (page_rect.right - page_rect.left) - (shown.right - shown.left);
    r.bottom += (page_rect.bottom - page_rect.top) - (shown.bottom - shown.top);
    MoveWindow(g_tab, r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
    TabCtrl_SetCurSel(g_tab, placement_get().start_tab);
    page_switch();
    return true;
}

// Without a stored placement: make the window just large enough for the tab
// control, but no larger than the monitor's work area (the pages scroll
// then), and centre it there.
void fit_window_to_pages(HWND window) {
    RECT client{}, outer{}, tab{};
    GetClientRect(window, &client);
    GetWindowRect(window, &outer);
    GetWindowRect(g_tab, &tab);
    client.top += height_of(g_toolbar);
    client.bottom -= height_of(g_status) + GetSystemMetrics(SM_CYBORDER);
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
    g_font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    if (!g_font) return -1;
    const LPARAM size = MAKELPARAM(create->cx, create->cy);
    if (!create_toolbar(window)) return -1;
    SendMessageW(g_toolbar, WM_SIZE, SIZE_RESTORED, size);
    g_main = window;  // the status-field layout measures the main window
    if (!create_status_bar(window)) return -1;
    layout_status_fields();
    SendMessageW(g_status, WM_SIZE, SIZE_RESTORED, size);
    if (!create_tab_control(window)) return -1;
    if (!placement_get().use_stored) fit_window_to_pages(window);
    SetFocus(g_tab);
    return 0;
}

void on_size(WPARAM type, LPARAM size) {
    if (g_status) SendMessageW(g_status, WM_SIZE, type, size);
    if (g_toolbar) SendMessageW(g_toolbar, WM_SIZE, type, size);
    layout_status_fields();
    if (!g_tab) return;
    RECT r{};
    GetClientRect(g_main, &r);
    r.top += height_of(g_toolbar);
    r.bottom -= height_of(g_status) + GetSystemMetrics(SM_CYBORDER);
    MoveWindow(g_tab, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    if (g_page) place_page(g_page);
}

void on_tab_key(const NMTCKEYDOWN* key) {
    if (!g_page) return;
    switch (key->wVKey) {
        case VK_TAB:
            step_tab(GetKeyState(VK_SHIFT) < 0 ? -1 : +1, true);
            break;
        case VK_PRIOR:
            step_tab(-1, true);
            break;
        case VK_NEXT:
            step_tab(+1, true);
            break;
        case VK_RETURN:
            focus_into_page(g_page);
            break;
        case VK_ESCAPE:
            SetFocus(g_main);
            break;
    }
}

// Tool tips are string resources numbered like the button's command. The
// ANSI and the wide request carry structures of different sizes (their text
// buffers differ), so each is answered through its own.
template <typename DispInfo>
void answer_tip(NMHDR* header) {
    auto* info = reinterpret_cast<DispInfo*>(header);
    info->hinst = app_instance();
    info->lpszText =
        reinterpret_cast<decltype(info->lpszText)>(static_cast<ULONG_PTR>(LOWORD(header->idFrom)));
}

LRESULT on_notify(NMHDR* header) {
    if (header->code == TTN_GETDISPINFOW) {
        answer_tip<NMTTDISPINFOW>(header);
        return 0;
    }
    if (header->code == TTN_GETDISPINFOA) {
        answer_tip<NMTTDISPINFOA>(header);
        return 0;
    }
    if (header->hwndFrom != g_tab || !g_tab) return 0;
    if (header->code == TCN_KEYDOWN)
        on_tab_key(reinterpret_cast<const NMTCKEYDOWN*>(header));
    else if (header->code == TCN_SELCHANGE)
        page_switch();
    return 0;
}

// Alt + a key that no menu title claims: the page control with that mnemonic.
LRESULT on_menu_char(wchar_t ch) {
    if (!g_page) return 0;
    if (ch >= L'a' && ch <= L'z') ch = static_cast<wchar_t>(ch - L'a' + L'A');
    HWND target = nullptr;
    bool click = true;
    for (HWND child = GetWindow(g_page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
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
        target = (code & DLGC_STATIC) ? GetWindow(child, GW_HWNDNEXT) : child;
    }
    if (!target) return 0;
    LRESULT code = SendMessageW(target, WM_GETDLGCODE, 0, 0);
    if (code & (DLGC_RADIOBUTTON | DLGC_WANTCHARS)) click = false;
    PostMessageW(g_page, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(target), TRUE);
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
    if (g_tab) tab = TabCtrl_GetCurSel(g_tab);
    const RECT& n = wp.rcNormalPosition;
    // The exit's stores, this one first, replace the settings file once
    // (committed in shell_store_settings after the message loop).
    settings_batch_begin();
    placement_store(tab, IsZoomed(window) != FALSE, IsIconic(window) != FALSE,
                    Rect{n.left, n.top, n.right, n.bottom});
    // Now, not with the stores after the message loop: by then the window the
    // help viewer knows us by is gone.
    help_quit(window);
    PostQuitMessage(0);
}

void forget_windows() {
    g_main = g_toolbar = g_status = g_tab = g_page = g_progress = nullptr;
    g_progress_pos = 0;
    g_shown_modified = false;
    g_shown_file_name.clear();
}

}  // namespace

HWND main_window() { return g_main; }
HWND tab_control() { return g_tab; }
HWND tool_bar() { return g_toolbar; }
HWND status_bar() { return g_status; }
HWND current_page() { return g_page; }
HWND page_window(Page page) { return g_tab ? page_of_tab(page_index(page)) : nullptr; }

std::optional<Page> selected_page() {
    const int index = g_tab ? TabCtrl_GetCurSel(g_tab) : -1;
    if (index < 0 || index >= PAGE_COUNT) return std::nullopt;
    return page_at(index);
}

void status_text(int field, unsigned style, const std::string& text) {
    if (!g_status) return;
    std::wstring w = widen(cut_chars(text, 511));
    SendMessageW(g_status, SB_SETTEXTW, static_cast<WPARAM>(field) | style,
                 reinterpret_cast<LPARAM>(w.c_str()));
}

bool status_progress_create(int field) {
    status_progress_remove();
    RECT r{};
    if (!g_status || !SendMessageW(g_status, SB_GETRECT, field, reinterpret_cast<LPARAM>(&r))) return false;
    g_progress =
        CreateWindowExW(0, PROGRESS_CLASSW, nullptr, WS_CHILD | WS_VISIBLE, r.left, r.top, r.right - r.left,
                        r.bottom - r.top, g_status, nullptr, app_instance(), nullptr);
    if (!g_progress) return false;
    SendMessageW(g_progress, PBM_SETRANGE32, 0, 100);
    SendMessageW(g_progress, PBM_SETSTEP, 1, 0);
    g_progress_pos = 0;
    return true;
}

void status_progress_set(unsigned position) {
    if (!g_progress) return;
    if (position > 100) position = 100;
    if (position == g_progress_pos) return;
    g_progress_pos = position;
    SendMessageW(g_progress, PBM_SETPOS, position, 0);
}

void status_progress_remove() {
    if (g_progress) DestroyWindow(g_progress);
    g_progress = nullptr;
}

bool refresh_current_page() {
    if (!g_page) return false;
    send_page_notification(g_page, PAGE_SETACTIVE);
    return true;
}

void commit_pending_edit() {
    if (!g_page) return;
    // Only an edit of the page has anything to take, and only an edit gets
    // the focus back: a radio button under the focus may have been unticked
    // by a refill since it was clicked, and on Windows the focus returning to
    // it would click it.
    HWND focus = GetFocus();
    if (!focus || !IsChild(g_page, focus) || !is_edit(focus)) return;
    SetFocus(nullptr);
    SetFocus(focus);
}

void page_switch() {
    if (g_page) {
        HWND old = g_page;
        HWND focus = GetFocus();
        if (focus && (focus == old || IsChild(old, focus)))
            SetFocus(nullptr);  // the control being edited stores its value now
        ShowWindow(old, SW_HIDE);
        g_page = nullptr;
        send_page_notification(old, PAGE_KILLACTIVE);
    }
    const int index = TabCtrl_GetCurSel(g_tab);
    HWND page = page_of_tab(index);
    if (!page && index >= 0 && index < PAGE_COUNT) {
        page = create_page(index);
        if (page) set_page_of_tab(index, page);
    }
    if (!page) return;
    g_page = page;
    place_page(page);
    // Refilled before it gets the focus, so the focus lands on what the page
    // shows now.
    send_page_notification(page, PAGE_SETACTIVE);
    if (!GetFocus()) focus_into_page(page);
}

bool step_tab(int delta, bool wrap) {
    if (!g_tab) return false;
    const int current = TabCtrl_GetCurSel(g_tab);
    auto target = step_tab_target(TabCtrl_GetItemCount(g_tab), current, delta, wrap);
    if (!target) return false;
    if (*target != current) {
        if (TabCtrl_SetCurSel(g_tab, *target) == -1) return false;
        page_switch();
    }
    return true;
}

bool select_page(Page page) {
    if (!g_tab) return false;
    auto target = select_tab_target(TabCtrl_GetItemCount(g_tab), page_index(page));
    if (!target) return false;
    if (*target != TabCtrl_GetCurSel(g_tab)) {
        if (TabCtrl_SetCurSel(g_tab, *target) == -1) return false;
        page_switch();
    }
    return true;
}

void update_file_name_display() {
    // Called from every timer tick: touch the status bar only on a change.
    const bool modified = is_modified();
    if (modified == g_shown_modified && g_shown_file_name == current_path()) return;
    show_file_name();
}

void show_file_name_in_status_bar(const std::string& text) {
    g_shown_modified = is_modified();
    g_shown_file_name = current_path();
    status_text(STATUS_FIELD_FILE_NAME, 0, text);
}

LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_CREATE:
            return on_create(window, reinterpret_cast<const CREATESTRUCTW*>(lparam));
        case WM_SIZE:
            on_size(wparam, lparam);
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
            return on_notify(reinterpret_cast<NMHDR*>(lparam));
        case WM_CONTEXTMENU:
            if (on_context_menu(window, lparam)) return 0;
            break;
        case WM_CHAR:
            if (wparam == VK_ESCAPE && g_tab) SetFocus(g_tab);
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
