#include "win/scope_readout_win.h"

#include "measure/scope_view.h"
#include "port/utf16_win.h"

#include <commctrl.h>

#include <string>

namespace {

constexpr int POINTER_OFFSET = 16;  // the tip sits below right of the pointer, clear of it
constexpr int MAX_TIP_WIDTH = 400;  // lets the three lines break where the text says

struct Readout {
    HWND page = nullptr;
    HWND plot = nullptr;
    HWND tip = nullptr;   // the tooltip window, owned by the page
    bool active = false;  // the tip is shown
    std::string text;     // what it shows
};
Readout g_readout;

TTTOOLINFOW tool_info(wchar_t* text) {
    TTTOOLINFOW info{};
    info.cbSize = sizeof info;
    info.uFlags = TTF_TRACK | TTF_ABSOLUTE;
    info.hwnd = g_readout.page;
    info.uId = 1;
    info.lpszText = text;
    return info;
}

void set_tip_text(const std::string& text) {
    if (text == g_readout.text) return;
    g_readout.text = text;
    std::wstring wide = widen(text);
    TTTOOLINFOW info = tool_info(wide.data());
    SendMessageW(g_readout.tip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
}

}  // namespace

void readout_create(HWND page, HWND plot) {
    g_readout = Readout{};
    g_readout.page = page;
    g_readout.plot = plot;
    g_readout.tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                    WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                                    CW_USEDEFAULT, CW_USEDEFAULT, page, nullptr, nullptr, nullptr);
    if (!g_readout.tip) return;
    wchar_t empty[] = L"";
    TTTOOLINFOW info = tool_info(empty);
    SendMessageW(g_readout.tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    SendMessageW(g_readout.tip, TTM_SETMAXTIPWIDTH, 0, MAX_TIP_WIDTH);
}

void readout_mouse_move(POINT point, bool capture_shown, const ScopeCapture& capture,
                        const ScopeSettings& displayed) {
    if (!g_readout.tip) return;
    POINT in_plot = point;
    MapWindowPoints(g_readout.page, g_readout.plot, &in_plot, 1);
    RECT client{};
    GetClientRect(g_readout.plot, &client);
    if (!capture_shown || !PtInRect(&client, in_plot)) {
        readout_hide();
        return;
    }
    set_tip_text(sample_readout(capture, displayed, sample_at_x(in_plot.x, client.right)));
    POINT screen = point;
    ClientToScreen(g_readout.page, &screen);
    SendMessageW(g_readout.tip, TTM_TRACKPOSITION, 0,
                 MAKELPARAM(screen.x + POINTER_OFFSET, screen.y + POINTER_OFFSET));
    if (!g_readout.active) {
        wchar_t empty[] = L"";
        TTTOOLINFOW info = tool_info(empty);
        SendMessageW(g_readout.tip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&info));
        g_readout.active = true;
        // The page hears when the mouse leaves it, and hides the tip then.
        TRACKMOUSEEVENT leave{sizeof leave, TME_LEAVE, g_readout.page, 0};
        TrackMouseEvent(&leave);
    }
}

void readout_hide() {
    if (!g_readout.tip || !g_readout.active) return;
    wchar_t empty[] = L"";
    TTTOOLINFOW info = tool_info(empty);
    SendMessageW(g_readout.tip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&info));
    g_readout.active = false;
}

HWND scope_readout_tooltip() { return g_readout.tip; }

std::string scope_readout_text() { return g_readout.active ? g_readout.text : std::string(); }
