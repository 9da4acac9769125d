// The window holds the view's choices (span, quantities) and the controls;
// the plot is trend_plot_win's, the history and recording are the program
// state's (app_win.h), the reduction and texts the core's.
#include "win/trend_window_win.h"

#include <windowsx.h>

#include <string>
#include <vector>

#include "base/text.h"
#include "measure/status_csv.h"
#include "measure/trend.h"
#include "port/port.h"
#include "port/utf16_win.h"
#include "res/resource.h"
#include "win/app_win.h"
#include "win/dialog_items_win.h"
#include "win/plot_draw_win.h"
#include "win/trend_plot_win.h"

namespace {

constexpr const char* SPAN_TEXTS[] = {"1 Minute", "10 Minuten", "60 Minuten"};
constexpr int DEFAULT_SPAN = 1;

struct TrendWindow {
    HWND window = nullptr;  // while it exists
    HWND plot = nullptr;
    HWND events = nullptr;
    HWND quantities = nullptr;
    // The choices, kept from one opening to the next.
    int span = DEFAULT_SPAN;
    std::vector<TrendQuantity> chosen = {TrendQuantity::front_temperature, TrendQuantity::temperature1,
                                         TrendQuantity::temperature2};
    // The last paint, and whether another is due: most statuses change no
    // pixel (the columns stand still, and one holds several statuses), and
    // skipping their paints is most of the window's cost.
    TrendPainted painted;
    bool paint_due = false;
    // A status widened the newest column: shown with the next second's
    // tick rather than at once, as a status comes ten times a second and
    // most of the hour's paint is the reduction of the older columns.
    bool widened = false;
};

constexpr UINT_PTR SECOND_TIMER = 1;
TrendWindow g_trend;

TrendView current_view() { return TrendView{g_trend.chosen, TREND_SPANS_MS[g_trend.span], tick_count_ms()}; }

void repaint() {
    g_trend.paint_due = true;
    InvalidateRect(g_trend.plot, nullptr, FALSE);
}

int plot_width() {
    RECT r{};
    GetClientRect(g_trend.plot, &r);
    return r.right;
}

// "12:34:56.789": the clock time of a moment without its date.
std::string time_of_day(int64_t wall_ms) {
    const std::string text = csv_time_text(wall_ms);
    return text.size() > 11 ? text.substr(11) : text;
}

// "12:34:56.789  Dimmer 2 verschwindet": the clock time, the event.
std::string event_line(const StatusHistory& h, const StatusEvent& e) {
    return time_of_day(history_wall_ms(h, e.tick_ms)) + "  " + e.text;
}

void add_event_lines(size_t count) {
    const StatusHistory& h = program_state().history;
    const size_t events = ring_size(h.events);
    if (count > events) count = events;
    SendMessageW(g_trend.events, WM_SETREDRAW, FALSE, 0);
    for (size_t i = events - count; i < events; ++i)
        SendMessageW(g_trend.events, LB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(widen(event_line(h, ring_at(h.events, i))).c_str()));
    // The list holds what the history holds.
    while (SendMessageW(g_trend.events, LB_GETCOUNT, 0, 0) > LRESULT(HISTORY_EVENTS))
        SendMessageW(g_trend.events, LB_DELETESTRING, 0, 0);
    const LRESULT n = SendMessageW(g_trend.events, LB_GETCOUNT, 0, 0);
    if (n > 0) SendMessageW(g_trend.events, LB_SETTOPINDEX, WPARAM(n - 1), 0);
    SendMessageW(g_trend.events, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(g_trend.events, nullptr, TRUE);
}

void show_record_button() {
    if (!g_trend.window) return;
    dlg_set_text(g_trend.window, IDC_TREND_RECORD,
                 recording_active(program_state().recording) ? "Aufzeichnung beenden" : "Aufzeichnen…");
}

void read_chosen() {
    g_trend.chosen.clear();
    for (int q = 0; q < TREND_QUANTITIES; ++q)
        if (SendMessageW(g_trend.quantities, LB_GETSEL, WPARAM(q), 0) > 0)
            g_trend.chosen.push_back(TrendQuantity(q));
}

// The values under the mouse at x (a plot client coordinate), or nothing.
void show_readout(int x) {
    int column = 0, columns = 0;
    std::string text;
    if (trend_plot_column(plot_width(), x, column, columns)) {
        const StatusHistory& h = program_state().history;
        const TrendView view = current_view();
        const int64_t age = trend_column_middle_age(view.now, view.span_ms, columns, column);
        text = time_of_day(history_wall_ms(h, view.now - uint32_t(age))).substr(0, 8);
        for (TrendQuantity q : view.quantities) {
            const TrendQuantityInfo& info = trend_quantity_info(q);
            const auto value = trend_value_at(h, q, view.now, view.span_ms, columns, column);
            text += format_text("   %s: ", info.name);
            text += value ? format_text("%.*f %s", info.decimals, *value * info.scale, info.unit) : "–";
        }
    }
    dlg_set_text(g_trend.window, IDC_TREND_READOUT, text);
}

void on_init(HWND dialog) {
    g_trend.window = dialog;
    g_trend.plot = GetDlgItem(dialog, IDC_TREND_PLOT);
    g_trend.events = GetDlgItem(dialog, IDC_TREND_EVENTS);
    g_trend.quantities = GetDlgItem(dialog, IDC_TREND_QUANTITIES);
    plot_create_resources();
    HWND span = GetDlgItem(dialog, IDC_TREND_SPAN);
    for (const char* text : SPAN_TEXTS)
        SendMessageW(span, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(widen(text).c_str()));
    SendMessageW(span, CB_SETCURSEL, WPARAM(g_trend.span), 0);
    for (int q = 0; q < TREND_QUANTITIES; ++q)
        SendMessageW(g_trend.quantities, LB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(widen(trend_quantity_info(TrendQuantity(q)).name).c_str()));
    for (TrendQuantity q : g_trend.chosen) SendMessageW(g_trend.quantities, LB_SETSEL, TRUE, LPARAM(int(q)));
    SendMessageW(g_trend.events, LB_SETHORIZONTALEXTENT, 1200, 0);
    add_event_lines(ring_size(program_state().history.events));
    show_record_button();
    SetTimer(dialog, SECOND_TIMER, 1000, nullptr);
}

// Each second: a widened newest column is shown, and the picture moves on
// with the time even while no status comes.
void on_second() {
    if (g_trend.paint_due) return;
    const TrendView view = current_view();
    int column = 0, columns = 0;
    trend_plot_column(plot_width(), 0, column, columns);
    if (g_trend.widened || columns <= 0 ||
        trend_slot(view.now, view.span_ms, columns) != g_trend.painted.slot)
        repaint();
}

void on_command(HWND dialog, int id, int code) {
    switch (id) {
        case IDOK:
        case IDCANCEL:
            DestroyWindow(dialog);
            break;
        case IDC_TREND_SPAN:
            if (code != CBN_SELCHANGE) break;
            g_trend.span = int(SendDlgItemMessageW(dialog, IDC_TREND_SPAN, CB_GETCURSEL, 0, 0));
            if (g_trend.span < 0 || g_trend.span > 2) g_trend.span = DEFAULT_SPAN;
            repaint();
            break;
        case IDC_TREND_QUANTITIES:
            if (code != LBN_SELCHANGE) break;
            read_chosen();
            repaint();
            break;
        case IDC_TREND_RECORD:
            SendMessageW(GetWindow(dialog, GW_OWNER), WM_COMMAND, CMD_TREND_RECORD, 0);
            break;
        case IDC_TREND_SAVE:
            SendMessageW(GetWindow(dialog, GW_OWNER), WM_COMMAND, CMD_TREND_SAVE, 0);
            break;
    }
}

// The plot is an owner-drawn static: it paints all of itself, off-screen.
void on_draw_item(const DRAWITEMSTRUCT& item) {
    const RECT& r = item.rcItem;
    const TrendView view = current_view();
    plot_paint_offscreen(item.hDC, r, [&view](HDC dc, int width, int height) {
        g_trend.painted = trend_plot_draw(dc, width, height, program_state().history, view);
    });
    g_trend.paint_due = false;
    g_trend.widened = false;
}

void on_mouse_move(HWND dialog, LPARAM lparam) {
    POINT p{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
    MapWindowPoints(dialog, g_trend.plot, &p, 1);
    RECT r{};
    GetClientRect(g_trend.plot, &r);
    show_readout(PtInRect(&r, p) ? p.x : -1);
}

INT_PTR CALLBACK trend_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_INITDIALOG:
            on_init(dialog);
            return TRUE;
        case WM_COMMAND:
            on_command(dialog, LOWORD(wparam), HIWORD(wparam));
            return TRUE;
        case WM_DRAWITEM:
            if (wparam != IDC_TREND_PLOT) break;
            on_draw_item(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
            return TRUE;
        case WM_TIMER:
            if (dialog == g_trend.window && wparam == SECOND_TIMER) on_second();
            return TRUE;
        case WM_MOUSEMOVE:
            // The plot is a static without notify: the mouse over it is the dialog's.
            if (dialog == g_trend.window) on_mouse_move(dialog, lparam);
            return TRUE;
        case WM_DESTROY:
            if (dialog == g_trend.window) {
                KillTimer(dialog, SECOND_TIMER);
                g_trend.window = g_trend.plot = g_trend.events = g_trend.quantities = nullptr;
            }
            return TRUE;
    }
    return FALSE;
}

}  // namespace

void trend_window_open(HWND owner) {
    if (g_trend.window) {
        if (IsIconic(g_trend.window)) ShowWindow(g_trend.window, SW_RESTORE);
        SetFocus(g_trend.window);
        return;
    }
    HWND window = CreateDialogParamW(app_instance(), MAKEINTRESOURCEW(IDD_TREND), owner, trend_proc, 0);
    if (window) ShowWindow(window, SW_SHOW);
}

HWND trend_window() { return g_trend.window; }

void trend_window_follow(HistoryAdded added) {
    if (!g_trend.window) return;
    if (added.events > 0) add_event_lines(added.events);
    if (g_trend.paint_due || !added.status) return;
    const StatusHistory& h = program_state().history;
    switch (
        trend_plot_change(g_trend.painted, current_view(), plot_width(), ring_newest(h.statuses).status)) {
        case TrendChange::moves:
            repaint();
            break;
        case TrendChange::widens:
            g_trend.widened = true;
            break;
        case TrendChange::none:
            break;
    }
}

void trend_window_recording_changed() { show_record_button(); }
