#include "win/page_scroll_win.h"

#include <initializer_list>

namespace {

constexpr int LINE_PIXELS = 20;

// Kept in the page's GWLP_USERDATA. The page is subclassed by replacing its
// window procedure, not through comctl32's subclass chain: that chain looks
// its data up as a window property on every message, and under Wine each
// look-up is a call into the server (the status page's fields alone send the
// page some thirty WM_CTLCOLORSTATIC a second).
struct ScrollState {
    SIZE full;          // the page's size from its template
    POINT offset;       // how far the contents are scrolled
    WNDPROC page_proc;  // the page's own window procedure
};

int range_of(const ScrollState& s, int bar) { return bar == SB_HORZ ? s.full.cx : s.full.cy; }
LONG& offset_of(ScrollState& s, int bar) { return bar == SB_HORZ ? s.offset.x : s.offset.y; }

void scroll_to(HWND page, ScrollState& s, int bar, int position) {
    RECT client{};
    GetClientRect(page, &client);
    const int visible = bar == SB_HORZ ? client.right : client.bottom;
    const int largest = range_of(s, bar) > visible ? range_of(s, bar) - visible : 0;
    if (position > largest) position = largest;
    if (position < 0) position = 0;
    LONG& offset = offset_of(s, bar);
    const int delta = offset - position;
    if (delta == 0) return;
    offset = position;
    SetScrollPos(page, bar, position, TRUE);
    ScrollWindowEx(page, bar == SB_HORZ ? delta : 0, bar == SB_VERT ? delta : 0, nullptr, nullptr, nullptr,
                   nullptr, SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
}

// Bars for what the client area cannot show; the contents follow when the
// page grows back.
void update_bars(HWND page, ScrollState& s) {
    RECT client{};
    GetClientRect(page, &client);
    for (int bar : {SB_HORZ, SB_VERT}) {
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        info.nMax = range_of(s, bar) - 1;
        info.nPage = UINT(bar == SB_HORZ ? client.right : client.bottom);
        info.nPos = offset_of(s, bar);
        SetScrollInfo(page, bar, &info, TRUE);
        scroll_to(page, s, bar, offset_of(s, bar));
    }
}

void on_scroll(HWND page, ScrollState& s, int bar, int code) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo(page, bar, &info);
    int position = offset_of(s, bar);
    switch (code) {
        case SB_LINEUP:
            position -= LINE_PIXELS;
            break;
        case SB_LINEDOWN:
            position += LINE_PIXELS;
            break;
        case SB_PAGEUP:
            position -= int(info.nPage);
            break;
        case SB_PAGEDOWN:
            position += int(info.nPage);
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
            position = info.nTrackPos;
            break;
        case SB_TOP:
            position = 0;
            break;
        case SB_BOTTOM:
            position = range_of(s, bar);
            break;
        default:
            return;
    }
    scroll_to(page, s, bar, position);
}

void show_focus(HWND page, ScrollState& s) {
    HWND focus = GetFocus();
    if (!focus || !IsChild(page, focus)) return;
    RECT control{}, client{};
    GetWindowRect(focus, &control);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&control), 2);
    GetClientRect(page, &client);
    // Rectangles in page coordinates; the offset moves the contents the other way.
    if (control.right > client.right) scroll_to(page, s, SB_HORZ, s.offset.x + control.right - client.right);
    if (control.left < 0) scroll_to(page, s, SB_HORZ, s.offset.x + control.left);
    if (control.bottom > client.bottom)
        scroll_to(page, s, SB_VERT, s.offset.y + control.bottom - client.bottom);
    if (control.top < 0) scroll_to(page, s, SB_VERT, s.offset.y + control.top);
}

LRESULT CALLBACK scroll_proc(HWND page, UINT message, WPARAM wparam, LPARAM lparam) {
    auto& s = *reinterpret_cast<ScrollState*>(GetWindowLongPtrW(page, GWLP_USERDATA));
    const WNDPROC page_proc = s.page_proc;
    switch (message) {
        case WM_SIZE:
            update_bars(page, s);
            break;
        case WM_HSCROLL:
        case WM_VSCROLL:
            if (lparam) break;  // from a control of the page (a trackbar), not the page's own bars
            on_scroll(page, s, message == WM_HSCROLL ? SB_HORZ : SB_VERT, LOWORD(wparam));
            return 0;
        case WM_MOUSEWHEEL: {
            const LONG style = GetWindowLongW(page, GWL_STYLE);
            if (!(style & (WS_VSCROLL | WS_HSCROLL))) break;
            const int bar = (style & WS_VSCROLL) ? SB_VERT : SB_HORZ;  // sideways when only that scrolls
            scroll_to(page, s, bar,
                      offset_of(s, bar) - GET_WHEEL_DELTA_WPARAM(wparam) * 3 * LINE_PIXELS / WHEEL_DELTA);
            return 0;
        }
        case WM_NEXTDLGCTL: {
            const LRESULT result = CallWindowProcW(page_proc, page, message, wparam, lparam);
            show_focus(page, s);
            return result;
        }
        case WM_NCDESTROY:
            SetWindowLongPtrW(page, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(page_proc));
            SetWindowLongPtrW(page, GWLP_USERDATA, 0);
            delete &s;
            break;
    }
    return CallWindowProcW(page_proc, page, message, wparam, lparam);
}

}  // namespace

void page_scroll_attach(HWND page) {
    RECT client{};
    GetClientRect(page, &client);
    auto* state = new ScrollState{{client.right, client.bottom}, {0, 0}, nullptr};
    SetWindowLongPtrW(page, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
    state->page_proc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(page, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(scroll_proc)));
    if (!state->page_proc) {
        SetWindowLongPtrW(page, GWLP_USERDATA, 0);
        delete state;
    }
}
