// The "Oszilloskop" page: the settings of the next capture, its own test-drive
// trackbar, "Messen" and "Reset", and the last complete capture as two traces
// with axis labels. The acquisition runs in the core (measure/scope.h),
// stepped by the program's timer while this page is shown; its hooks bring
// progress and captures here. What the controls show is worked out in
// measure/scope_view.h.
#include "win/page_scope_win.h"

#include "win/app_win.h"
#include "win/dialog_items_win.h"
#include "win/page_notify.h"
#include "win/scope_export_win.h"
#include "win/scope_plot_win.h"
#include "win/scope_readout_win.h"
#include "win/timer_win.h"
#include "base/text.h"
#include "link/link.h"
#include "measure/scope_view.h"
#include "port/port.h"
#include "port/utf16_win.h"
#include "res/resource.h"

#include <commctrl.h>
#include <windowsx.h>

namespace {

constexpr WORD TRACKBAR_TICK = 10;

// What the page keeps of its own; what it shows comes from the program
// state's oscilloscope session and plot (app_win.h).
struct ScopePage {
    HWND dialog = nullptr;
    RECT labels_placed_for{};  // the plot rectangle the labels were last placed against
};
ScopePage g_page;

HWND item(int id) { return GetDlgItem(g_page.dialog, id); }

// Controls are written only when their text changes, so a capture arriving
// every second does not make the page flicker.
void set_text(int id, const std::string& text) {
    if (dlg_get_text(g_page.dialog, id, 511) != text) dlg_set_text(g_page.dialog, id, text);
}

void set_trackbar(int id, uint32_t position) {
    if (uint32_t(SendMessageW(item(id), TBM_GETPOS, 0, 0)) != position)
        SendMessageW(item(id), TBM_SETPOS, TRUE, LPARAM(position));
}

// Ticks button first + index of a radio group (none for -1), with the tab
// stop on it.
void tick_radio(int first, int last, int index) {
    for (int id = first; id <= last; ++id) {
        const bool ticked = id - first == index;
        set_tab_stop(item(id), ticked);
        if ((IsDlgButtonChecked(g_page.dialog, id) == BST_CHECKED) != ticked)
            CheckDlgButton(g_page.dialog, id, ticked ? BST_CHECKED : BST_UNCHECKED);
    }
}

HWND range_tooltip() {
    return reinterpret_cast<HWND>(SendMessageW(item(IDC_SCOPE_RANGE), TBM_GETTOOLTIPS, 0, 0));
}

uint32_t range_position() { return uint32_t(SendMessageW(item(IDC_SCOPE_RANGE), TBM_GETPOS, 0, 0)); }

RECT rect_in_page(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    MapWindowPoints(nullptr, g_page.dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The labels beside and below the plot, placed against its window rectangle:
// the first and last at its edges, the others spread evenly between. Only
// when the plot has moved: moving 24 windows costs more than a whole capture's
// redraw.
void lay_out_labels() {
    HWND plot = item(IDC_SCOPE_PLOT);
    const RECT r = rect_in_page(plot);
    if (EqualRect(&r, &g_page.labels_placed_for)) return;
    g_page.labels_placed_for = r;
    RECT client{};
    GetClientRect(plot, &client);
    const int width = r.right - r.left, height = r.bottom - r.top;
    const int border = width > client.right ? width - client.right : 0;
    for (int first : {IDC_SCOPE_VOLTAGE_LABEL_FIRST, IDC_SCOPE_CURRENT_LABEL_FIRST}) {
        for (int i = 0; i < SCOPE_VERTICAL_LABELS; ++i) {
            HWND label = item(first + i);
            const RECT l = rect_in_page(label);
            const int top =
                vertical_label_top(i, SCOPE_VERTICAL_LABELS, r.top, height, border, l.bottom - l.top);
            SetWindowPos(label, nullptr, l.left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            ShowWindow(label, SW_SHOWNA);
        }
    }
    for (int i = 0; i < SCOPE_TIME_LABELS; ++i) {
        HWND label = item(IDC_SCOPE_TIME_LABEL_FIRST + i);
        const RECT l = rect_in_page(label);
        const int left = time_label_left(i, SCOPE_TIME_LABELS, r.left, width, border, l.right - l.left);
        SetWindowPos(label, nullptr, left, l.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        ShowWindow(label, SW_SHOWNA);
    }
}

// The axis labels for a capture with these settings.
void set_up_axes(const ScopeSettings& displayed) {
    const ScopeAxisTexts t = scope_axis_texts(displayed);
    for (int i = 0; i < SCOPE_VERTICAL_LABELS; ++i) {
        set_text(IDC_SCOPE_VOLTAGE_LABEL_FIRST + i, t.voltage[i]);
        set_text(IDC_SCOPE_CURRENT_LABEL_FIRST + i, t.current[i]);
    }
    for (int i = 0; i < SCOPE_TIME_LABELS; ++i) set_text(IDC_SCOPE_TIME_LABEL_FIRST + i, t.time[i]);
    lay_out_labels();
}

void update_controls() {
    ProgramState& s = program_state();
    const ScopeControls c =
        scope_controls(s.scope.edited, s.scope.displayed, s.scope_plot, s.scope.shown_capture, s.drive);
    set_text(IDC_SCOPE_DESCRIPTION, c.description);
    set_text(IDC_SCOPE_PEAK, c.peak_current);
    set_text(IDC_SCOPE_ZERO_TIME, c.zero_time);
    set_text(IDC_SCOPE_SWITCHING_TIME, c.switching_time);
    tick_radio(IDC_SCOPE_DIMMER_FIRST, IDC_SCOPE_DIMMER_LAST, int(c.dimmer));
    tick_radio(IDC_SCOPE_KIND_FIRST, IDC_SCOPE_KIND_LAST, int(c.kind));
    for (int id = IDC_SCOPE_SECTION_FIRST; id <= IDC_SCOPE_SECTION_LAST; ++id)
        EnableWindow(item(id), c.sections_enabled);
    tick_radio(IDC_SCOPE_SECTION_FIRST, IDC_SCOPE_SECTION_LAST, c.section);
    // A number being typed stays as typed; it is taken when the edit loses the focus.
    if (GetFocus() != item(IDC_SCOPE_HALF_PERIOD))
        set_text(IDC_SCOPE_HALF_PERIOD, format_text("%u", unsigned(c.half_period)));
    set_text(IDC_SCOPE_TIME_UNIT, "\u0394 t [ms]");
    set_text(IDC_SCOPE_ZERO_TIME_LABEL, "\u0394 t=0 @ [ms]");
    set_text(IDC_SCOPE_RANGE_LOW, current_range_label(1));
    set_text(IDC_SCOPE_RANGE_HIGH, current_range_label(6));
    set_trackbar(IDC_SCOPE_RANGE, c.range);
    set_text(IDC_SCOPE_RANGE_TEXT, c.range_text);
    set_trackbar(IDC_SCOPE_DRIVE, c.drive_position);
}

void repaint_plot() { InvalidateRect(item(IDC_SCOPE_PLOT), nullptr, FALSE); }

// ---- the acquisition's hooks

void on_progress(uint32_t value) {
    if (g_page.dialog) SendMessageW(item(IDC_SCOPE_PROGRESS), PBM_SETPOS, value, 0);
}

void on_capture_complete() {
    ProgramState& s = program_state();
    scope_plot_prepare(s.scope_plot, s.scope.shown_capture, s.scope.displayed);
    if (!g_page.dialog) return;
    set_up_axes(s.scope.displayed);
    update_controls();
    repaint_plot();
}

void on_capture_cleared() {
    scope_plot_clear(program_state().scope_plot);
    if (!g_page.dialog) return;
    update_controls();
    repaint_plot();
}

// ---- messages

// The trackbar of the current range shows the range label in its tooltip.
// Some trackbars write their position number into the tooltip themselves
// instead of asking for the text, so those updates are rewritten here too.
LRESULT CALLBACK range_tip_proc(HWND tip, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR) {
    if (message == TTM_UPDATETIPTEXTW && lparam) {
        TTTOOLINFOW info = *reinterpret_cast<const TTTOOLINFOW*>(lparam);
        const std::wstring label = widen(current_range_label(range_position()));
        info.lpszText = const_cast<wchar_t*>(label.c_str());
        return DefSubclassProc(tip, message, wparam, reinterpret_cast<LPARAM>(&info));
    }
    return DefSubclassProc(tip, message, wparam, lparam);
}

void init_dialog(HWND dialog) {
    g_page = ScopePage{dialog, RECT{}};
    SendMessageW(item(IDC_SCOPE_PROGRESS), PBM_SETRANGE32, 0, 100);
    SendMessageW(item(IDC_SCOPE_PROGRESS), PBM_SETSTEP, 1, 0);
    scope_plot_create_resources();
    set_up_axes(ScopeSettings{});  // no capture yet: ±400 V, ±16 A, 0..25 ms
    SendMessageW(item(IDC_SCOPE_RANGE), TBM_SETRANGE, TRUE, MAKELPARAM(1, 6));
    SendMessageW(item(IDC_SCOPE_DRIVE), TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
    SendMessageW(item(IDC_SCOPE_DRIVE), TBM_SETTICFREQ, TRACKBAR_TICK, 0);
    if (HWND tip = range_tooltip()) SetWindowSubclass(tip, range_tip_proc, 0, 0);
    readout_create(dialog, item(IDC_SCOPE_PLOT));
    update_controls();
}

// The tooltip of the current-range trackbar asks for its text: the range
// label, through the structure of the kind asked for (their buffers differ).
void answer_range_tip(const NMHDR& header) {
    constexpr UINT WESTERN_EUROPE = 1250;  // the ANSI form of "±"
    const std::wstring label = widen(current_range_label(range_position()));
    if (header.code == TTN_GETDISPINFOW) {
        auto* info = reinterpret_cast<NMTTDISPINFOW*>(const_cast<NMHDR*>(&header));
        lstrcpynW(info->szText, label.c_str(), int(std::size(info->szText)));
        info->lpszText = info->szText;
    } else {
        auto* info = reinterpret_cast<NMTTDISPINFOA*>(const_cast<NMHDR*>(&header));
        WideCharToMultiByte(WESTERN_EUROPE, 0, label.c_str(), -1, info->szText, int(std::size(info->szText)),
                            nullptr, nullptr);
        info->lpszText = info->szText;
    }
}

LRESULT on_notify(const NMHDR& header) {
    ScopeSession& scope = program_state().scope;
    switch (header.code) {
        case PAGE_SETACTIVE:
            update_controls();
            scope.page_active = true;
            (void)link_open();  // a failure shows when the start command reopens the port
            return 1;
        case PAGE_KILLACTIVE:
            scope.page_active = false;
            link_close();
            readout_hide();
            return 1;
        case PSN_APPLY:
        case PSN_QUERYCANCEL:
            return 0;
        case TTN_GETDISPINFOW:
        case TTN_GETDISPINFOA:
            if (header.hwndFrom == range_tooltip()) answer_range_tip(header);
            return 1;
    }
    return 1;
}

void start_measurement() {
    ProgramState& s = program_state();
    scope_start_measurement_at(s.scope, tick_count_ms());
    // The start command goes out now; the page repaints while the dimmer records.
    run_timer_step(scope_timer_step);
    scope_plot_clear(s.scope_plot);
    readout_hide();
    set_up_axes(s.scope.displayed);
    update_controls();
    repaint_plot();
}

bool on_command(int id, int code) {
    ScopeSettings& edited = program_state().scope.edited;
    if (id >= IDC_SCOPE_DIMMER_FIRST && id <= IDC_SCOPE_DIMMER_LAST) {
        if (code != BN_CLICKED) return false;
        edited.dimmer = uint32_t(id - IDC_SCOPE_DIMMER_FIRST);
    } else if (id >= IDC_SCOPE_KIND_FIRST && id <= IDC_SCOPE_KIND_LAST) {
        if (code != BN_CLICKED) return false;
        edited.kind = uint32_t(id - IDC_SCOPE_KIND_FIRST);
    } else if (id >= IDC_SCOPE_SECTION_FIRST && id <= IDC_SCOPE_SECTION_LAST) {
        if (code != BN_CLICKED) return false;
        edited.section = uint32_t(id - IDC_SCOPE_SECTION_FIRST);
    } else if (id == IDC_SCOPE_HALF_PERIOD) {
        if (code != EN_KILLFOCUS) return false;
        const uint32_t n = dlg_get_int(g_page.dialog, IDC_SCOPE_HALF_PERIOD);
        edited.half_period = n > SCOPE_MAX_HALF_PERIOD ? SCOPE_MAX_HALF_PERIOD : n;
    } else if (id == IDC_SCOPE_MEASURE) {
        start_measurement();
        return true;
    } else if (id == IDC_SCOPE_RESET) {
        scope_reset(program_state().scope);
        return true;
    } else if (id == IDOK) {
        // Enter takes the value typed and moves on, as Tab would.
        PostMessageW(g_page.dialog, WM_NEXTDLGCTL, 0, 0);
        return true;
    } else if (id == CMD_SCOPE_SAVE_CSV || id == CMD_SCOPE_SAVE_PNG || id == CMD_SCOPE_COPY) {
        scope_export(g_page.dialog, id);
        return true;
    } else {
        return id == IDCANCEL || id == IDC_SCOPE_DRIVE || id == IDC_SCOPE_RANGE;
    }
    update_controls();
    return true;
}

void on_hscroll(HWND control, int code) {
    if (!trackbar_moved(code)) return;
    ProgramState& s = program_state();
    const uint32_t position = uint32_t(SendMessageW(control, TBM_GETPOS, 0, 0));
    if (control == item(IDC_SCOPE_RANGE)) {
        s.scope.edited.current_range = position;
    } else if (control == item(IDC_SCOPE_DRIVE)) {
        scope_drive_moved(s.scope.edited, s.drive, position);  // goes out with the next status request
    } else {
        return;
    }
    update_controls();
}

void on_draw_item(const DRAWITEMSTRUCT& draw) {
    switch (draw.CtlID) {
        case IDC_SCOPE_PLOT:
            scope_plot_paint(draw.hDC, draw.rcItem, program_state().scope_plot);
            break;
        case IDC_SCOPE_VOLTAGE_KEY:
            scope_key_paint(draw.hDC, draw.rcItem, SCOPE_VOLTAGE_COLOUR);
            break;
        case IDC_SCOPE_CURRENT_KEY:
            scope_key_paint(draw.hDC, draw.rcItem, SCOPE_CURRENT_COLOUR);
            break;
    }
}

// The plot's own menu for a right click on it; elsewhere the main window's.
bool on_context_menu(LPARAM lparam) {
    if (lparam == -1) return false;
    const POINT at{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
    RECT plot{};
    GetWindowRect(item(IDC_SCOPE_PLOT), &plot);
    if (!PtInRect(&plot, at)) return false;
    readout_hide();
    scope_export_menu(g_page.dialog, at, program_state().scope_plot.shown);
    return true;
}

}  // namespace

INT_PTR CALLBACK page_scope_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_INITDIALOG:
            init_dialog(dialog);
            return TRUE;
        case WM_NOTIFY:
            SetWindowLongPtrW(dialog, DWLP_MSGRESULT, on_notify(*reinterpret_cast<const NMHDR*>(lparam)));
            return TRUE;
        case WM_COMMAND:
            return on_command(LOWORD(wparam), HIWORD(wparam));
        case WM_HSCROLL:
            on_hscroll(reinterpret_cast<HWND>(lparam), LOWORD(wparam));
            return TRUE;
        case WM_DRAWITEM:
            on_draw_item(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
            return TRUE;
        case WM_CONTEXTMENU:
            return on_context_menu(lparam);
        case WM_MOUSEMOVE: {
            const ScopeSession& scope = program_state().scope;
            readout_mouse_move(POINT{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)},
                               program_state().scope_plot.shown, scope.shown_capture, scope.displayed);
            return TRUE;
        }
        case WM_MOUSELEAVE:
            readout_hide();
            return TRUE;
        case WM_DESTROY:
            g_page = ScopePage{};
            return FALSE;
    }
    return FALSE;
}

void scope_page_attach(ScopeSession& session) {
    session.hooks = {on_progress, on_capture_complete, on_capture_cleared};
}

void scope_timer_step() {
    ProgramState& state = program_state();
    // The page's window owns the start command's messages.
    scope_step(state.scope, state.status.slots, state.drive, g_page.dialog, tick_count_ms());
}
