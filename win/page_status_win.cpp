// The "Dimmerstatus" page: shows the status the poll brings in about ten
// times a second, and drives either output in test mode from a trackbar or a
// typed value. The texts, the poll and the drive arithmetic are the core's
// (measure/status_text.h, measure/status_poll.h); this file moves them into
// the controls and the page's messages into core calls.
#include "win/page_status_win.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "base/text.h"
#include "measure/status_poll.h"
#include "measure/status_text.h"
#include "port/port.h"
#include "port/utf16_win.h"
#include "res/resource.h"
#include "win/app_win.h"
#include "win/dialog_items_win.h"
#include "win/page_notify.h"
#include "win/status_bar_win.h"
#include "win/status_history_win.h"

namespace {

// The status-bar field the heartbeat indicator covers while the page is shown.
constexpr int HEARTBEAT_FIELD = 0;
constexpr uint32_t ADC_FULL_SCALE = 4095;  // the bars show raw 12-bit counts

constexpr int DRIVE_EDIT[2] = {IDC_STAT_DRIVE_EDIT1, IDC_STAT_DRIVE_EDIT2};
constexpr int DRIVE_BAR[2] = {IDC_STAT_DRIVE_BAR1, IDC_STAT_DRIVE_BAR2};
constexpr int LEVEL_BAR[4] = {IDC_STAT_UE1_BAR, IDC_STAT_UE2_BAR, IDC_STAT_POT1_BAR, IDC_STAT_POT2_BAR};

struct StatusPage {
    HWND dialog = nullptr;
    bool shown = false;  // the timer displays into the page only while it is shown
    // The controls a reply updates, looked up once: under Wine every look-up
    // by id lists the page's children in the server.
    std::vector<HWND> field_windows;  // in the order of text_fields
    HWND diagnostics_window = nullptr;
    HWND bar_windows[4] = {};
    uint32_t bar_widths[4] = {};  // pixels
    // What they show now, so a reply changes only the fields whose text
    // changed: ten updates a second then repaint a handful of controls, not all.
    std::vector<std::string> field_texts;
    std::string diagnostics;
    uint32_t bar_positions[4] = {};
};
StatusPage g_page;

// Every text field of the page with its text, in a fixed order.
std::vector<std::pair<int, const std::string*>> text_fields(const StatusTexts& t) {
    std::vector<std::pair<int, const std::string*>> f = {
        {IDC_STAT_VERSION_CONTROLLER, &t.controller_version},
        {IDC_STAT_VERSION_DIMMER1, &t.dimmer_version[0]},
        {IDC_STAT_VERSION_DIMMER2, &t.dimmer_version[1]},
        {IDC_STAT_SUPPLY, &t.supply_voltage},
        {IDC_STAT_FRONT_TEMPERATURE, &t.front_temperature},
        {IDC_STAT_UE1, &t.control_input[0]},
        {IDC_STAT_UE2, &t.control_input[1]},
        {IDC_STAT_UE1_PERCENT, &t.control_input_percent[0]},
        {IDC_STAT_UE2_PERCENT, &t.control_input_percent[1]},
        {IDC_STAT_POT1, &t.potentiometer[0]},
        {IDC_STAT_POT2, &t.potentiometer[1]},
        {IDC_STAT_POT1_PERCENT, &t.potentiometer_percent[0]},
        {IDC_STAT_POT2_PERCENT, &t.potentiometer_percent[1]},
        {IDC_STAT_DIP1_LOW, &t.dip[0]},
        {IDC_STAT_DIP1_HIGH, &t.dip[1]},
        {IDC_STAT_DIP2_LOW, &t.dip[2]},
        {IDC_STAT_DIP2_HIGH, &t.dip[3]},
    };
    for (int d = 0; d < 2; ++d) {
        const DimmerStatusTexts& m = t.dimmer[d];
        f.push_back({IDC_STAT_TEMPERATURE + d, &m.temperature});
        if (d == 0) f.push_back({IDC_STAT_INPUT_VOLTAGE, &m.input_voltage});  // measured once for the device
        f.push_back({IDC_STAT_PEAK_CURRENT + d, &m.peak_current});
        f.push_back({IDC_STAT_EFFECTIVE_POWER + d, &m.effective_power});
        f.push_back({IDC_STAT_PEAK_POWER + d, &m.peak_power});
        f.push_back({IDC_STAT_POWER_LOSS + d, &m.power_loss});
        f.push_back({IDC_STAT_PEAK_POWER_LOSS + d, &m.peak_power_loss});
        f.push_back({IDC_STAT_MAINS_FREQUENCY + d, &m.mains_frequency});
        f.push_back({IDC_STAT_PROCESSOR_CLOCK + d, &m.processor_clock});
        f.push_back({IDC_STAT_ON_TIME + d, &m.on_time});
        f.push_back({IDC_STAT_PHASE_MODE + d, &m.phase_mode});
    }
    return f;
}

// The controls as a fresh page has them: every field empty, every bar at 0.
void forget_shown_values() {
    g_page.field_texts.clear();
    g_page.diagnostics.clear();
    for (uint32_t& p : g_page.bar_positions) p = 0;
}

// Puts the poll's shown slot on the page: its texts, or empty fields and
// bars at 0 when the slot holds no status (then the diagnostic block says
// when nobody answers).
void display(const StatusPoll& poll) {
    const StatusTexts t = status_page_texts(poll, g_port_settings);
    const auto fields = text_fields(t);
    g_page.field_texts.resize(fields.size());
    for (size_t i = 0; i < fields.size(); ++i) {
        const std::string& text = *fields[i].second;
        if (g_page.field_texts[i] == text) continue;
        g_page.field_texts[i] = text;
        set_control_text(g_page.field_windows[i], text);
    }
    if (g_page.diagnostics != t.diagnostics) {
        // Longer than the 511 characters set_control_text keeps.
        g_page.diagnostics = t.diagnostics;
        SetWindowTextW(g_page.diagnostics_window, widen(t.diagnostics).c_str());
    }
    // A bar moves only when its new position is a pixel or more away: a
    // count that wobbles by a few steps repaints no bar.
    const uint32_t bars[4] = {t.control_input_bar[0], t.control_input_bar[1], t.potentiometer_bar[0],
                              t.potentiometer_bar[1]};
    for (int i = 0; i < 4; ++i) {
        const uint32_t w = g_page.bar_widths[i];
        const uint32_t to = bars[i] > ADC_FULL_SCALE ? ADC_FULL_SCALE : bars[i];
        if (g_page.bar_positions[i] * w / ADC_FULL_SCALE == to * w / ADC_FULL_SCALE) continue;
        g_page.bar_positions[i] = to;
        SendMessageW(g_page.bar_windows[i], PBM_SETPOS, to, 0);
    }
}

// The whole page afresh: the shown slot, then both drive values (clamped)
// into their edits and trackbars.
void refresh(HWND dialog) {
    ProgramState& state = program_state();
    display(state.status);
    clamp_test_drive(state.drive);
    for (int d = 0; d < 2; ++d) {
        const uint32_t value = state.drive.value[d];
        dlg_set_text(dialog, DRIVE_EDIT[d], format_text("%u", value));
        SendDlgItemMessageW(dialog, DRIVE_BAR[d], TBM_SETPOS, TRUE, LPARAM(drive_position_from_value(value)));
    }
}

void on_init(HWND dialog) {
    g_page.dialog = dialog;
    const StatusTexts none{};
    g_page.field_windows.clear();
    for (const auto& field : text_fields(none))
        g_page.field_windows.push_back(GetDlgItem(dialog, field.first));
    g_page.diagnostics_window = GetDlgItem(dialog, IDC_STAT_DIAGNOSTICS);
    for (int i = 0; i < 4; ++i) {
        HWND bar = g_page.bar_windows[i] = GetDlgItem(dialog, LEVEL_BAR[i]);
        SendMessageW(bar, PBM_SETRANGE32, 0, ADC_FULL_SCALE);
        SendMessageW(bar, PBM_SETSTEP, 1, 0);
        RECT r{};
        GetClientRect(bar, &r);
        g_page.bar_widths[i] = uint32_t(r.right > 0 ? r.right : 0);
    }
    for (int id : DRIVE_BAR) {
        SendDlgItemMessageW(dialog, id, TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
        SendDlgItemMessageW(dialog, id, TBM_SETTICFREQ, 10, 0);
    }
    forget_shown_values();
    refresh(dialog);
}

void on_activate(HWND dialog) {
    ProgramState& state = program_state();
    status_progress_create(HEARTBEAT_FIELD);
    status_page_activate(state.status, state.drive);
    refresh(dialog);
    g_page.shown = true;
}

void on_deactivate() {
    status_progress_remove();
    status_page_deactivate(program_state().status);
    g_page.shown = false;
}

// Notifications from the main window (sender 0): shown, hidden, and the
// property-sheet codes a page answers 0 to; all others are answered 1.
LRESULT on_page_notification(HWND dialog, UINT code) {
    switch (code) {
        case PAGE_SETACTIVE:
            on_activate(dialog);
            return 1;
        case PAGE_KILLACTIVE:
            on_deactivate();
            return 1;
        case PSN_APPLY:
        case PSN_QUERYCANCEL:
            return 0;
    }
    return 1;
}

bool is_readout(HWND control) {
    return control == g_page.diagnostics_window ||
           std::find(g_page.field_windows.begin(), g_page.field_windows.end(), control) !=
               g_page.field_windows.end();
}

// The colours the default dialog handling gives a static field, answered
// here for the readouts: they repaint with every reply, and under Wine the
// default handling first looks up the page's theme setting, a call into the
// server each time.
INT_PTR readout_colours(HDC dc) {
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
}

int dimmer_of(int id, const int (&ids)[2]) { return id == ids[1] ? 1 : 0; }

void on_command(HWND dialog, int id, int code) {
    ProgramState& state = program_state();
    switch (id) {
        case IDC_STAT_REFRESH:
            // On failure the page stays blank and the port closed until the
            // page is shown again.
            status_page_fetch(state.status, dialog);
            refresh(dialog);
            break;
        case IDC_STAT_DRIVE_SEND1:
        case IDC_STAT_DRIVE_SEND2:
            status_page_fetch_drive(state.status, state.drive, id == IDC_STAT_DRIVE_SEND2 ? 1 : 0, dialog);
            break;
        case IDC_STAT_DRIVE_EDIT1:
        case IDC_STAT_DRIVE_EDIT2:
            // Typing sends nothing: the value is taken when the edit is left.
            if (code != EN_KILLFOCUS) break;
            drive_from_typed(state.drive, dimmer_of(id, DRIVE_EDIT), dlg_get_int(dialog, id));
            refresh(dialog);
            break;
        case IDC_STAT_TREND:
            SendMessageW(main_window(), WM_COMMAND, CMD_TREND, 0);
            break;
        case IDOK:
            // Enter moves the focus on, so the edit being typed into commits.
            PostMessageW(dialog, WM_NEXTDLGCTL, 0, FALSE);
            break;
    }
}

void on_trackbar(HWND dialog, HWND bar, int code) {
    if (!trackbar_moved(code)) return;
    const int id = GetDlgCtrlID(bar);
    if (id != DRIVE_BAR[0] && id != DRIVE_BAR[1]) return;
    const auto position = static_cast<uint32_t>(SendMessageW(bar, TBM_GETPOS, 0, 0));
    // Sent with the next periodic request.
    drive_from_trackbar(program_state().drive, dimmer_of(id, DRIVE_BAR), position);
    refresh(dialog);
}

}  // namespace

INT_PTR CALLBACK page_status_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_INITDIALOG:
            on_init(dialog);
            return TRUE;
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lparam);
            if (header->hwndFrom) return FALSE;  // the controls' own notifications
            SetWindowLongPtrW(dialog, DWLP_MSGRESULT, on_page_notification(dialog, header->code));
            return TRUE;
        }
        case WM_COMMAND:
            on_command(dialog, LOWORD(wparam), HIWORD(wparam));
            return FALSE;
        case WM_HSCROLL:
            on_trackbar(dialog, reinterpret_cast<HWND>(lparam), LOWORD(wparam));
            return FALSE;
        case WM_CTLCOLORSTATIC:
            if (!is_readout(reinterpret_cast<HWND>(lparam))) return FALSE;
            return readout_colours(reinterpret_cast<HDC>(wparam));
        case WM_DESTROY:
            if (g_page.dialog == dialog) g_page = StatusPage{};
            return FALSE;
    }
    return FALSE;
}

void status_timer_step() {
    ProgramState& state = program_state();
    const StatusPollResult r =
        status_poll_step(state.status, state.drive, state.scope.page_active, tick_count_ms());
    status_history_follow(r);
    if (!g_page.shown) return;
    if (r.shown) status_progress_set(r.heartbeat_position);
    if (r.shown || r.fell_silent) display(state.status);
}

void status_page_follow_port(const PortSettings& before) {
    ProgramState& state = program_state();
    status_poll_follow_port(state.status, before);
    if (g_page.shown) display(state.status);
}
