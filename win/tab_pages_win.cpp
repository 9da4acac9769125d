#include "win/tab_pages_win.h"

#include "win/app_win.h"
#include "win/dialog_items_win.h"
#include "win/editing_page_win.h"
#include "win/page_curves_win.h"
#include "win/page_notify.h"
#include "win/page_scope_win.h"
#include "win/page_scroll_win.h"
#include "win/page_status_win.h"
#include "win/placement.h"
#include "win/tabs.h"
#include "port/utf16_win.h"
#include "res/resource.h"

#include <commctrl.h>

#include <string>

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

// Each page window is kept in its tab's item data.
struct TabPages {
    HWND tab = nullptr;
    HWND shown = nullptr;  // the page shown
};
TabPages g_tabs;

void send_page_notification(HWND page, UINT code) {
    NMHDR header{nullptr, 0, code};
    SendMessageW(page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
}

HWND create_page(int index) {
    HWND page = CreateDialogParamW(app_instance(), MAKEINTRESOURCEW(PAGE_DIALOGS[index].template_id),
                                   g_tabs.tab, PAGE_DIALOGS[index].proc, 0);
    if (page) page_scroll_attach(page);
    return page;
}

bool set_page_of_tab(int index, HWND page) {
    TCITEMW item{};
    item.mask = TCIF_PARAM;
    item.lParam = reinterpret_cast<LPARAM>(page);
    return TabCtrl_SetItem(g_tabs.tab, index, &item) != FALSE;
}

HWND page_of_tab(int index) {
    TCITEMW item{};
    item.mask = TCIF_PARAM;
    if (index < 0 || !TabCtrl_GetItem(g_tabs.tab, index, &item)) return nullptr;
    return reinterpret_cast<HWND>(item.lParam);
}

// The tab control's display area, in its own client coordinates.
RECT page_area() {
    RECT r{};
    GetWindowRect(g_tabs.tab, &r);
    OffsetRect(&r, -r.left, -r.top);
    TabCtrl_AdjustRect(g_tabs.tab, FALSE, &r);
    return r;
}

// Hides a page as ShowWindow would, but leaves the tab control beneath
// undrawn when the page leaves exactly the display area: the next page
// covers that at once, and drawing the tab control's display area first,
// only for the page to paint over it, is a good part of a tab switch under
// Wine.
void hide_page(HWND page) {
    RECT r{};
    GetWindowRect(page, &r);
    MapWindowPoints(nullptr, g_tabs.tab, reinterpret_cast<POINT*>(&r), 2);
    const RECT area = page_area();
    const UINT redraw = EqualRect(&r, &area) ? SWP_NOREDRAW : 0;
    SendMessageW(page, WM_SHOWWINDOW, FALSE, 0);
    SetWindowPos(page, nullptr, 0, 0, 0, 0,
                 SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | redraw);
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
        SetFocus(g_tabs.tab);
}

void on_key(const NMTCKEYDOWN& key) {
    if (!g_tabs.shown) return;
    switch (key.wVKey) {
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
            focus_into_page(g_tabs.shown);
            break;
        case VK_ESCAPE:
            SetFocus(main_window());
            break;
    }
}

}  // namespace

bool tab_pages_create(HWND main, HFONT font) {
    g_tabs.tab =
        CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TCS_MULTILINE, 0, 0,
                        0, 0, main, reinterpret_cast<HMENU>(IDC_TABCONTROL), app_instance(), nullptr);
    if (!g_tabs.tab) return false;
    SendMessageW(g_tabs.tab, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    RECT page_rect{};
    for (int i = 0; i < PAGE_COUNT; ++i) {
        std::wstring title = widen(page_title(page_at(i)));
        TCITEMW item{};
        item.mask = TCIF_TEXT | TCIF_PARAM;
        item.pszText = title.data();
        if (TabCtrl_InsertItem(g_tabs.tab, i, &item) != i) return false;
        HWND page = create_page(i);
        if (!page || !set_page_of_tab(i, page)) return false;
        GetClientRect(page, &page_rect);
    }
    // Make the display area exactly one page: the row count of a multi-line
    // tab strip depends on the width, so measure again after the first move.
    RECT r = page_rect;
    TabCtrl_AdjustRect(g_tabs.tab, TRUE, &r);
    MoveWindow(g_tabs.tab, r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
    RECT shown{0, 0, r.right - r.left, r.bottom - r.top};
    TabCtrl_AdjustRect(g_tabs.tab, FALSE, &shown);
    r.right += (page_rect.right - page_rect.left) - (shown.right - shown.left);
    r.bottom += (page_rect.bottom - page_rect.top) - (shown.bottom - shown.top);
    MoveWindow(g_tabs.tab, r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
    TabCtrl_SetCurSel(g_tabs.tab, placement_get().start_tab);
    page_switch();
    return true;
}

void tab_pages_place(const RECT& area) {
    if (!g_tabs.tab) return;
    MoveWindow(g_tabs.tab, area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
    if (g_tabs.shown) place_page(g_tabs.shown);
}

void tab_pages_notify(const NMHDR& header) {
    if (!g_tabs.tab || header.hwndFrom != g_tabs.tab) return;
    if (header.code == TCN_KEYDOWN)
        on_key(reinterpret_cast<const NMTCKEYDOWN&>(header));
    else if (header.code == TCN_SELCHANGE)
        page_switch();
}

void tab_pages_forget() { g_tabs = TabPages{}; }

HWND tab_control() { return g_tabs.tab; }
HWND current_page() { return g_tabs.shown; }
HWND page_window(Page page) { return g_tabs.tab ? page_of_tab(page_index(page)) : nullptr; }

std::optional<Page> selected_page() {
    const int index = g_tabs.tab ? TabCtrl_GetCurSel(g_tabs.tab) : -1;
    if (index < 0 || index >= PAGE_COUNT) return std::nullopt;
    return page_at(index);
}

bool refresh_current_page() {
    if (!g_tabs.shown) return false;
    send_page_notification(g_tabs.shown, PAGE_SETACTIVE);
    return true;
}

void commit_pending_edit() {
    if (!g_tabs.shown) return;
    // Only an edit of the page has anything to take, and only an edit gets
    // the focus back: a radio button under the focus may have been unticked
    // by a refill since it was clicked, and on Windows the focus returning to
    // it would click it.
    HWND focus = GetFocus();
    if (!focus || !IsChild(g_tabs.shown, focus) || !is_edit(focus)) return;
    SetFocus(nullptr);
    SetFocus(focus);
}

void page_switch() {
    if (g_tabs.shown) {
        HWND old = g_tabs.shown;
        HWND focus = GetFocus();
        if (focus && (focus == old || IsChild(old, focus)))
            SetFocus(nullptr);  // the control being edited stores its value now
        hide_page(old);
        g_tabs.shown = nullptr;
        send_page_notification(old, PAGE_KILLACTIVE);
    }
    const int index = TabCtrl_GetCurSel(g_tabs.tab);
    HWND page = page_of_tab(index);
    if (!page && index >= 0 && index < PAGE_COUNT) {
        page = create_page(index);
        if (page) set_page_of_tab(index, page);
    }
    if (!page) {
        InvalidateRect(g_tabs.tab, nullptr, TRUE);  // nothing covers the area the old page left
        return;
    }
    g_tabs.shown = page;
    place_page(page);
    // Refilled before it gets the focus, so the focus lands on what the page
    // shows now.
    send_page_notification(page, PAGE_SETACTIVE);
    if (!GetFocus()) focus_into_page(page);
}

bool step_tab(int delta, bool wrap) {
    if (!g_tabs.tab) return false;
    const int current = TabCtrl_GetCurSel(g_tabs.tab);
    auto target = step_tab_target(TabCtrl_GetItemCount(g_tabs.tab), current, delta, wrap);
    if (!target) return false;
    if (*target != current) {
        if (TabCtrl_SetCurSel(g_tabs.tab, *target) == -1) return false;
        page_switch();
    }
    return true;
}

bool select_page(Page page) {
    if (!g_tabs.tab) return false;
    auto target = select_tab_target(TabCtrl_GetItemCount(g_tabs.tab), page_index(page));
    if (!target) return false;
    if (*target != TabCtrl_GetCurSel(g_tabs.tab)) {
        if (TabCtrl_SetCurSel(g_tabs.tab, *target) == -1) return false;
        page_switch();
    }
    return true;
}

void show_page(Page page) {
    TabCtrl_SetCurSel(g_tabs.tab, page_index(page));
    page_switch();
}
