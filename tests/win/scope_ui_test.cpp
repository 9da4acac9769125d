// The "Oszilloskop" page in the real main window: its controls, the captures
// it takes from virtual dimmers on Wine COM ports (scripts/with-sim-com.sh),
// what it does while it is hidden or the line is bad, and the exports of the
// shown capture. KV_TEST_COMS names a dimmer that goes silent and one that
// corrupts its replies while the files KV_TEST_SILENT_SWITCH and
// KV_TEST_CORRUPT_SWITCH exist; each logs its traffic (KV_TEST_SILENT_LOG,
// KV_TEST_CORRUPT_LOG).
#include "tests/win/shell_fixture.h"

#include "win/dialog_items_win.h"
#include "win/page_scope_win.h"
#include "win/app_win.h"
#include "win/scope_export_win.h"
#include "win/scope_readout_win.h"
#include "base/bytes.h"
#include "base/settings.h"
#include "link/link.h"
#include "measure/scope_csv.h"
#include "measure/scope_text.h"
#include "measure/scope_view.h"
#include "port/utf16_win.h"
#include "res/resource.h"

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>

namespace {

struct Dimmers {
    std::string silent_port, corrupt_port;
    std::string silent_switch, corrupt_switch;
    std::string silent_log, corrupt_log;
};

// Nothing when the tests run without virtual dimmers.
std::optional<Dimmers> dimmers() {
    const char* ports = std::getenv("KV_TEST_COMS");
    const char* names[] = {"KV_TEST_SILENT_SWITCH", "KV_TEST_CORRUPT_SWITCH", "KV_TEST_SILENT_LOG",
                           "KV_TEST_CORRUPT_LOG"};
    for (const char* name : names)
        if (!std::getenv(name)) return std::nullopt;
    if (!ports) return std::nullopt;
    Dimmers d;
    std::istringstream in(ports);
    in >> d.silent_port >> d.corrupt_port;
    d.silent_switch = std::getenv(names[0]);
    d.corrupt_switch = std::getenv(names[1]);
    d.silent_log = std::getenv(names[2]);
    d.corrupt_log = std::getenv(names[3]);
    if (d.corrupt_port.empty()) return std::nullopt;
    return d;
}

std::vector<std::string> log_lines(const std::string& log) {
    std::ifstream in(log);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The requests with command code (two hex digits) the dimmer received from line `from` on.
std::vector<std::string> requests(const std::string& log, const char* code, size_t from = 0) {
    std::vector<std::string> out;
    const std::vector<std::string> lines = log_lines(log);
    const std::string prefix = std::string("RX 7f 01 ") + code;
    for (size_t i = from; i < lines.size(); ++i)
        if (lines[i].rfind(prefix, 0) == 0) out.push_back(lines[i]);
    return out;
}

void make_file(const std::string& path) { std::ofstream(std::filesystem::path(TempDir::as_u8(path))) << "x"; }

class ScopeTest : public ShellTest {
  public:
    HWND page() { return page_window(Page::scope); }
    HWND item(int id) { return GetDlgItem(page(), id); }
    std::string text(int id) { return dlg_get_text(page(), id, 511); }
    ScopeSession& scope() { return program_state().scope; }

    void start_on(const std::string& port, const std::string& scope_settings = "") {
        // A line left bad by an earlier run is clean again.
        if (const auto d = dimmers()) {
            std::remove(d->silent_switch.c_str());
            std::remove(d->corrupt_switch.c_str());
        }
        write_settings("[PROP]\r\nPORT=" + port + "\r\nRS485ADR=1\r\n[SCOPE]\r\n" + scope_settings);
        start();
        select_page(Page::scope);
        pump();
    }

    void click(int id) {
        SendMessageW(page(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(item(id)));
        pump();
    }
    void move_trackbar(int id, int position) {
        SendMessageW(item(id), TBM_SETPOS, TRUE, position);
        SendMessageW(page(), WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), LPARAM(item(id)));
        pump();
    }
    void type_half_period(const char* number) {
        SetFocus(item(IDC_SCOPE_HALF_PERIOD));
        dlg_set_text(page(), IDC_SCOPE_HALF_PERIOD, number);
        SetFocus(item(IDC_SCOPE_MEASURE));  // the edit reports the loss of focus
        pump();
    }
    bool checked(int id) { return IsDlgButtonChecked(page(), id) == BST_CHECKED; }

    // Runs the program's timer and message loop, as the real program does,
    // until done says so or ms have passed. True when done.
    bool run_until(const std::function<bool()>& done, DWORD ms) {
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < ms) {
            timer_tick(nullptr, 0, 0, 0);
            pump();
            if (done()) return true;
            MsgWaitForMultipleObjectsEx(0, nullptr, 1, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        }
        return done();
    }
    void run_for(DWORD ms) {
        run_until([] { return false; }, ms);
    }
    bool run_until_complete(DWORD ms = 6000) {
        return run_until([this] { return scope().state == ScopeState::complete; }, ms);
    }

    std::vector<std::string> labels(int first, int count) {
        std::vector<std::string> out;
        for (int i = 0; i < count; ++i) out.push_back(text(first + i));
        return out;
    }

    RECT in_page(int id) {
        RECT r{};
        GetWindowRect(item(id), &r);
        MapWindowPoints(nullptr, page(), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

    // How many pixels of the plot on the screen have this colour.
    int plot_pixels(COLORREF colour) {
        UpdateWindow(item(IDC_SCOPE_PLOT));
        RECT client{};
        GetClientRect(item(IDC_SCOPE_PLOT), &client);
        const int w = client.right, h = client.bottom;
        HDC screen = GetDC(item(IDC_SCOPE_PLOT));
        HDC memory = CreateCompatibleDC(screen);
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        HBITMAP dib = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = SelectObject(memory, dib);
        BitBlt(memory, 0, 0, w, h, screen, 0, 0, SRCCOPY);
        int n = 0;
        const auto* px = static_cast<const uint32_t*>(bits);
        const uint32_t want =
            uint32_t(GetRValue(colour)) << 16 | uint32_t(GetGValue(colour)) << 8 | GetBValue(colour);
        for (int i = 0; i < w * h; ++i) n += (px[i] & 0xffffff) == want;
        SelectObject(memory, old);
        DeleteObject(dib);
        DeleteDC(memory);
        ReleaseDC(item(IDC_SCOPE_PLOT), screen);
        return n;
    }
};

}  // namespace

TEST_F(ScopeTest, StartsWithTheStoredSettingsAndTheDefaultAxes) {
    write_settings("[SCOPE]\r\nDM=1\r\nTYPE=3\r\nSPEC=2\r\nI=1\r\nHPER=12\r\n");
    start();
    select_page(Page::scope);
    pump();

    // Settings as stored: dimmer 2, load test (sections off and clear), ±0.5 A.
    EXPECT_TRUE(checked(IDC_SCOPE_DIMMER_FIRST + 1));
    EXPECT_FALSE(checked(IDC_SCOPE_DIMMER_FIRST));
    EXPECT_TRUE(checked(IDC_SCOPE_KIND_FIRST + 3));
    for (int id = IDC_SCOPE_SECTION_FIRST; id <= IDC_SCOPE_SECTION_LAST; ++id) {
        EXPECT_FALSE(IsWindowEnabled(item(id)));
        EXPECT_FALSE(checked(id));
    }
    EXPECT_EQ(text(IDC_SCOPE_HALF_PERIOD), "12");
    EXPECT_EQ(text(IDC_SCOPE_RANGE_TEXT), "\u00b10.5");
    EXPECT_EQ(text(IDC_SCOPE_RANGE_LOW), "\u00b10.5");
    EXPECT_EQ(text(IDC_SCOPE_RANGE_HIGH), "\u00b116");
    EXPECT_EQ(SendMessageW(item(IDC_SCOPE_RANGE), TBM_GETPOS, 0, 0), 1);
    EXPECT_EQ(text(IDC_SCOPE_TIME_UNIT), "\u0394 t [ms]");
    EXPECT_EQ(text(IDC_SCOPE_ZERO_TIME_LABEL), "\u0394 t=0 @ [ms]");

    // No capture yet: empty capture fields, the default axes and ranges.
    for (int id : {IDC_SCOPE_DESCRIPTION, IDC_SCOPE_PEAK, IDC_SCOPE_ZERO_TIME, IDC_SCOPE_SWITCHING_TIME})
        EXPECT_EQ(text(id), "");
    using Texts = std::vector<std::string>;
    EXPECT_EQ(labels(IDC_SCOPE_VOLTAGE_LABEL_FIRST, 9),
              (Texts{"+400", "+300", "+200", "+100", "0", "-100", "-200", "-300", "-400"}));
    EXPECT_EQ(labels(IDC_SCOPE_CURRENT_LABEL_FIRST, 9),
              (Texts{"+16", "+12", "+8", "+4", "0", "-4", "-8", "-12", "-16"}));
    EXPECT_EQ(labels(IDC_SCOPE_TIME_LABEL_FIRST, 6), (Texts{"0", "+5", "+10", "+15", "+20", "+25"}));
    EXPECT_FALSE(program_state().scope_plot.shown);
    EXPECT_EQ(program_state().scope_plot.voltage_max, 4000);
    EXPECT_EQ(program_state().scope_plot.current_min, -16000);
    EXPECT_GT(plot_pixels(RGB(192, 192, 192)), 100);  // the frame
    EXPECT_EQ(plot_pixels(RGB(0, 255, 255)), 0);      // no trace

    // The labels sit against the plot: the outer ones at its edges.
    const RECT plot = in_page(IDC_SCOPE_PLOT);
    RECT client{};
    GetClientRect(item(IDC_SCOPE_PLOT), &client);
    const int border = (plot.right - plot.left) - client.right;
    for (int first : {IDC_SCOPE_VOLTAGE_LABEL_FIRST, IDC_SCOPE_CURRENT_LABEL_FIRST}) {
        EXPECT_EQ(in_page(first).top, plot.top);
        EXPECT_EQ(in_page(first + 8).bottom, plot.bottom);
        for (int i = 1; i < 9; ++i) EXPECT_GT(in_page(first + i).top, in_page(first + i - 1).top);
    }
    EXPECT_EQ(in_page(IDC_SCOPE_TIME_LABEL_FIRST).left, plot.left + border + 3);
    EXPECT_EQ(in_page(IDC_SCOPE_TIME_LABEL_FIRST + 5).right, plot.right - border - 3);

    // Edited and stored at exit, as they are then.
    click(IDC_SCOPE_KIND_FIRST + 2);
    destroy_window();
    shell_store_settings();
    EXPECT_EQ(settings_int("SCOPE", "DM"), 1);
    EXPECT_EQ(settings_int("SCOPE", "TYPE"), 2);
    EXPECT_EQ(settings_int("SCOPE", "SPEC"), 2);
    EXPECT_EQ(settings_int("SCOPE", "I"), 1);
    EXPECT_EQ(settings_int("SCOPE", "HPER"), 12);
}

TEST_F(ScopeTest, ControlsEditTheSettings) {
    start();
    select_page(Page::scope);
    pump();
    const ScopeSettings& edited = scope().edited;
    EXPECT_EQ(edited.current_range, 6u);  // a missing "I" is ±16 A

    click(IDC_SCOPE_DIMMER_FIRST + 1);
    EXPECT_EQ(edited.dimmer, 1u);
    EXPECT_TRUE(checked(IDC_SCOPE_DIMMER_FIRST + 1));
    click(IDC_SCOPE_SECTION_FIRST + 1);
    EXPECT_EQ(edited.section, 1u);
    // The fault capture has its own section: the radios go off and clear, and
    // come back with the section chosen.
    click(IDC_SCOPE_KIND_FIRST + 1);
    EXPECT_EQ(edited.kind, 1u);
    EXPECT_FALSE(IsWindowEnabled(item(IDC_SCOPE_SECTION_FIRST + 1)));
    EXPECT_FALSE(checked(IDC_SCOPE_SECTION_FIRST + 1));
    click(IDC_SCOPE_KIND_FIRST + 4);
    EXPECT_TRUE(IsWindowEnabled(item(IDC_SCOPE_SECTION_FIRST + 1)));
    EXPECT_TRUE(checked(IDC_SCOPE_SECTION_FIRST + 1));
    // Tab walks onto the ticked button of each group, so it changes nothing.
    SetFocus(item(IDC_SCOPE_DIMMER_FIRST + 1));
    press(VK_TAB, false, false);
    EXPECT_EQ(GetFocus(), item(IDC_SCOPE_KIND_FIRST + 4));
    press(VK_TAB, false, false);
    press(VK_TAB, false, false);
    EXPECT_EQ(GetFocus(), item(IDC_SCOPE_SECTION_FIRST + 1));
    EXPECT_EQ(edited.kind, 4u);
    EXPECT_EQ(edited.section, 1u);

    type_half_period("700");
    EXPECT_EQ(edited.half_period, 500u);
    EXPECT_EQ(text(IDC_SCOPE_HALF_PERIOD), "500");
    type_half_period("7");
    EXPECT_EQ(edited.half_period, 7u);
    // A number being typed is not overwritten when a capture arrives; it is
    // taken when the edit loses the focus.
    SetFocus(item(IDC_SCOPE_HALF_PERIOD));
    dlg_set_text(page(), IDC_SCOPE_HALF_PERIOD, "42");
    scope().hooks.capture_complete();
    pump();
    EXPECT_EQ(text(IDC_SCOPE_HALF_PERIOD), "42");
    SetFocus(item(IDC_SCOPE_MEASURE));
    pump();
    EXPECT_EQ(edited.half_period, 42u);

    move_trackbar(IDC_SCOPE_RANGE, 3);
    EXPECT_EQ(edited.current_range, 3u);
    EXPECT_EQ(text(IDC_SCOPE_RANGE_TEXT), "\u00b12");
    // The trackbar's tooltip names the range, not the position.
    HWND tip = reinterpret_cast<HWND>(SendMessageW(item(IDC_SCOPE_RANGE), TBM_GETTOOLTIPS, 0, 0));
    ASSERT_NE(tip, nullptr);
    wchar_t number[] = L"3";
    TTTOOLINFOW info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(SendMessageW(tip, TTM_ENUMTOOLSW, 0, LPARAM(&info)));
    info.lpszText = number;
    SendMessageW(tip, TTM_UPDATETIPTEXTW, 0, LPARAM(&info));
    wchar_t shown[64] = {};
    info.lpszText = shown;
    SendMessageW(tip, TTM_GETTEXTW, 64, LPARAM(&info));
    EXPECT_EQ(narrow(shown), "\u00b12");
    // Asked for the text, the page answers with the label, in either kind of structure.
    NMTTDISPINFOW wide{};
    wide.hdr = {tip, 0, TTN_GETDISPINFOW};
    SendMessageW(page(), WM_NOTIFY, 0, LPARAM(&wide));
    EXPECT_EQ(narrow(wide.lpszText), "\u00b12");
    NMTTDISPINFOA ansi{};
    ansi.hdr = {tip, 0, TTN_GETDISPINFOA};
    SendMessageW(page(), WM_NOTIFY, 0, LPARAM(&ansi));
    EXPECT_STREQ(ansi.lpszText,
                 "\xb1"
                 "2");

    // The drive trackbar drives the chosen dimmer: 1 % already gives 656.
    move_trackbar(IDC_SCOPE_DRIVE, 1);
    EXPECT_EQ(program_state().drive.pending[1], 1u);
    EXPECT_EQ(program_state().drive.value[1], 656u);
    EXPECT_EQ(program_state().drive.pending[0], 0u);
    // The trackbar shows the value of the dimmer chosen.
    program_state().drive.value[0] = 70000;
    click(IDC_SCOPE_DIMMER_FIRST);
    EXPECT_EQ(SendMessageW(item(IDC_SCOPE_DRIVE), TBM_GETPOS, 0, 0), 100);
    EXPECT_EQ(program_state().drive.value[0], 65535u);

    // Enter moves on instead of closing anything.
    SetFocus(item(IDC_SCOPE_HALF_PERIOD));
    SendMessageW(page(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    pump();
    EXPECT_NE(GetFocus(), item(IDC_SCOPE_HALF_PERIOD));
}

TEST_F(ScopeTest, CapturesOfEverySectionAndRange) {
    const auto d = dimmers();
    if (!d) GTEST_SKIP() << "no virtual dimmers on COM ports";
    start_on(d->silent_port);
    struct Case {
        int dimmer, kind, section, range;
        const char* half_period;
        const char* start_request;
        const char* description;
        std::vector<std::string> voltage_top;  // labels 0 and 1
        std::vector<std::string> current_top;
        std::vector<std::string> time;
    };
    const std::vector<Case> cases = {
        {0,
         0,
         0,
         1,
         "0",
         "RX 7f 01 80 01 01 00 00 00 01",
         "Dimmer 1, Einzelmessung, Volle Periode",
         {"+400", "+300"},
         {"+0.500", "+0.375"},
         {"0", "+5", "+10", "+15", "+20", "+25"}},
        {1,
         0,
         1,
         2,
         "0",
         "RX 7f 01 80 02 01 00 00 01 00",
         "Dimmer 2, Einzelmessung, Nulldurchgang",
         {"+400", "+300"},
         {"+1.00", "+0.75"},
         {"-1", "0", "+1", "+2", "+3", "+4"}},
        {0,
         1,
         2,
         3,
         "0",
         "RX 7f 01 80 01 02 00 00 01 00",
         "Dimmer 1, Messung bei/nach Fehler",
         {"+400", "+300"},
         {"+2.0", "+1.5"},
         {"-1", "0", "+1", "+2", "+3", "+4"}},
        {0,
         2,
         2,
         4,
         "7",
         "RX 7f 01 80 01 03 07 00 02 00",
         "Dimmer 1, Messung bei Start, Schaltvorgang",
         {"+400", "+300"},
         {"+4", "+3"},
         {"-0.5", "0.0", "+0.5", "+1.0", "+1.5", "+2.0"}},
        {1,
         3,
         0,
         5,
         "0",
         "RX 7f 01 80 02 04 00 00 03 00",
         "Dimmer 2, Last-Test",
         {"+50", ""},
         {"+8", "+6"},
         {"-0.5", "0.0", "+0.5", "+1.0", "+1.5", "+2.0"}},
        {0,
         0,
         2,
         6,
         "0",
         "RX 7f 01 80 01 01 00 00 02 00",
         "Dimmer 1, Einzelmessung, Schaltvorgang",
         {"+400", "+300"},
         {"+16", "+12"},
         {"-0.5", "0.0", "+0.5", "+1.0", "+1.5", "+2.0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.description);
        click(IDC_SCOPE_DIMMER_FIRST + c.dimmer);
        click(IDC_SCOPE_KIND_FIRST + c.kind);
        if (IsWindowEnabled(item(IDC_SCOPE_SECTION_FIRST))) click(IDC_SCOPE_SECTION_FIRST + c.section);
        type_half_period(c.half_period);
        move_trackbar(IDC_SCOPE_RANGE, c.range);
        const size_t mark = log_lines(d->silent_log).size();

        click(IDC_SCOPE_MEASURE);
        // "Messen" clears the capture shown.
        EXPECT_EQ(text(IDC_SCOPE_DESCRIPTION), "");
        EXPECT_FALSE(program_state().scope_plot.shown);
        ASSERT_TRUE(run_until_complete());
        pump();

        const std::vector<std::string> starts = requests(d->silent_log, "80", mark);
        ASSERT_EQ(starts.size(), 1u);
        EXPECT_EQ(starts[0].substr(0, std::string(c.start_request).size()), c.start_request);
        EXPECT_EQ(text(IDC_SCOPE_DESCRIPTION), c.description);
        const ScopeCapture& shown = scope().shown_capture;
        EXPECT_EQ(text(IDC_SCOPE_PEAK), peak_current_text(peak_current(shown)));
        EXPECT_EQ(text(IDC_SCOPE_PEAK).rfind("Imax = ", 0), 0u);
        EXPECT_EQ(text(IDC_SCOPE_ZERO_TIME), capture_time_text(capture_zero_time_us(shown)));
        EXPECT_EQ(text(IDC_SCOPE_SWITCHING_TIME), capture_time_text(capture_switching_time_us(shown)));
        EXPECT_EQ(labels(IDC_SCOPE_VOLTAGE_LABEL_FIRST, 2), c.voltage_top);
        EXPECT_EQ(labels(IDC_SCOPE_CURRENT_LABEL_FIRST, 2), c.current_top);
        EXPECT_EQ(labels(IDC_SCOPE_TIME_LABEL_FIRST, 6), c.time);
        // The bar shows 100 from the next period on.
        EXPECT_TRUE(
            run_until([&] { return SendMessageW(item(IDC_SCOPE_PROGRESS), PBM_GETPOS, 0, 0) == 100; }, 300));
        // Both traces on the screen.
        EXPECT_GT(plot_pixels(RGB(0, 255, 255)), 200);
        EXPECT_GT(plot_pixels(RGB(255, 255, 0)), 200);
    }
}

TEST_F(ScopeTest, ContinuousMeasurementRestartsWithTheSettingsAsEdited) {
    const auto d = dimmers();
    if (!d) GTEST_SKIP() << "no virtual dimmers on COM ports";
    start_on(d->silent_port, "TYPE=4\r\nSPEC=1\r\n");
    const size_t mark = log_lines(d->silent_log).size();
    click(IDC_SCOPE_MEASURE);
    ASSERT_TRUE(run_until_complete());
    EXPECT_EQ(text(IDC_SCOPE_DESCRIPTION), "Dimmer 1, Dauermessung, Nulldurchgang");
    // The next capture starts on its own, with dimmer 2 chosen meanwhile.
    click(IDC_SCOPE_DIMMER_FIRST + 1);
    ASSERT_TRUE(run_until([&] { return scope().state != ScopeState::complete; }, 2000));
    ASSERT_TRUE(run_until_complete());
    EXPECT_EQ(text(IDC_SCOPE_DESCRIPTION), "Dimmer 2, Dauermessung, Nulldurchgang");
    const std::vector<std::string> starts = requests(d->silent_log, "80", mark);
    ASSERT_GE(starts.size(), 2u);
    EXPECT_EQ(starts[0].substr(0, 29), "RX 7f 01 80 01 01 00 00 01 00");
    EXPECT_EQ(starts[1].substr(0, 29), "RX 7f 01 80 02 01 00 00 01 00");

    // "Reset" ends it: the stop command, no more starts, the capture stays shown.
    click(IDC_SCOPE_RESET);
    run_for(500);
    EXPECT_EQ(scope().state, ScopeState::idle);
    const std::vector<std::string> after_reset = requests(d->silent_log, "80", mark);
    EXPECT_EQ(after_reset.back().substr(0, 29), "RX 7f 01 80 00 00 00 00 00 00");
    run_for(1500);
    EXPECT_EQ(requests(d->silent_log, "80", mark).size(), after_reset.size());
    EXPECT_EQ(SendMessageW(item(IDC_SCOPE_PROGRESS), PBM_GETPOS, 0, 0), 0);
    EXPECT_EQ(text(IDC_SCOPE_DESCRIPTION), "Dimmer 2, Dauermessung, Nulldurchgang");
    EXPECT_TRUE(program_state().scope_plot.shown);
}

TEST_F(ScopeTest, LeavingThePageSuspendsTheCapture) {
    const auto d = dimmers();
    if (!d) GTEST_SKIP() << "no virtual dimmers on COM ports";
    start_on(d->silent_port);
    const size_t mark = log_lines(d->silent_log).size();
    click(IDC_SCOPE_MEASURE);
    ASSERT_TRUE(run_until([&] { return scope().state == ScopeState::fetching; }, 3000));

    // Another page: the port closes and nothing goes out; the state stays.
    select_page(Page::base_settings);
    pump();
    EXPECT_FALSE(scope().page_active);
    EXPECT_FALSE(link_port_is_open());
    run_for(300);
    const size_t quiet = log_lines(d->silent_log).size();
    run_for(700);
    EXPECT_EQ(log_lines(d->silent_log).size(), quiet);
    EXPECT_EQ(scope().state, ScopeState::fetching);

    // Back on the page, the same capture goes on and completes.
    select_page(Page::scope);
    pump();
    EXPECT_TRUE(link_port_is_open());
    ASSERT_TRUE(run_until_complete());
    EXPECT_EQ(requests(d->silent_log, "80", mark).size(), 1u);
    EXPECT_TRUE(program_state().scope_plot.shown);
}

// A start command that cannot go out is reported once, although the timer
// keeps ticking while the message is up, and the acquisition is idle after.
TEST_F(ScopeTest, FailedStartIsReportedOnceAndLeavesTheAcquisitionIdle) {
    start_on("");
    const struct {
        const char* port;
        const char* message;
    } cases[] = {
        {"", "Kommunikationsport muss ausgewählt werden"},
        {"COM99", "Kommunikationsport ist nicht geeignet"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.port);
        std::snprintf(g_port_settings.name, sizeof g_port_settings.name, "%s", c.port);
        ui.messages.clear();
        click(IDC_SCOPE_MEASURE);
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].type, KV_MB_ERROR);
        EXPECT_EQ(ui.messages[0].text, c.message);
        EXPECT_EQ(scope().state, ScopeState::idle);
        run_for(300);
        EXPECT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(scope().state, ScopeState::idle);
    }
}

TEST_F(ScopeTest, SilentDimmerIsAskedAgainUntilItAnswers) {
    const auto d = dimmers();
    if (!d) GTEST_SKIP() << "no virtual dimmers on COM ports";
    start_on(d->silent_port);
    make_file(d->silent_switch);
    const size_t mark = log_lines(d->silent_log).size();
    click(IDC_SCOPE_MEASURE);
    run_for(1500);
    std::remove(d->silent_switch.c_str());
    EXPECT_NE(scope().state, ScopeState::complete);
    EXPECT_GE(requests(d->silent_log, "80", mark).size(), 3u);  // the start, every 300 ms
    EXPECT_EQ(SendMessageW(item(IDC_SCOPE_PROGRESS), PBM_GETPOS, 0, 0), 0);
    EXPECT_TRUE(ui.messages.empty());
    // The line clean again: the capture completes.
    ASSERT_TRUE(run_until_complete());
    EXPECT_TRUE(program_state().scope_plot.shown);
}

TEST_F(ScopeTest, CorruptedRepliesAreAskedForAgain) {
    const auto d = dimmers();
    if (!d) GTEST_SKIP() << "no virtual dimmers on COM ports";
    start_on(d->corrupt_port);
    // A clean capture to compare with.
    click(IDC_SCOPE_MEASURE);
    ASSERT_TRUE(run_until_complete());
    const size_t mark = log_lines(d->corrupt_log).size();
    make_file(d->corrupt_switch);
    click(IDC_SCOPE_MEASURE);
    run_for(1500);
    std::remove(d->corrupt_switch.c_str());
    EXPECT_NE(scope().state, ScopeState::complete);
    ASSERT_TRUE(run_until_complete());
    // Requests went out more often than a clean line needs.
    const size_t starts = requests(d->corrupt_log, "80", mark).size();
    const size_t blocks = requests(d->corrupt_log, "90", mark).size();
    EXPECT_TRUE(starts > 1 || blocks > 11) << starts << " starts, " << blocks << " block requests";
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(program_state().scope_plot.shown);
}

TEST_F(ScopeTest, ExportsOfTheShownCapture) {
    const auto d = dimmers();
    if (!d) GTEST_SKIP() << "no virtual dimmers on COM ports";
    start_on(d->silent_port, "I=4\r\n");

    // No capture: the menu offers nothing and the commands do nothing.
    HMENU menu = nullptr;
    HMENU popup = scope_export_popup(false, menu);
    ASSERT_NE(popup, nullptr);
    for (UINT id : {CMD_SCOPE_SAVE_CSV, CMD_SCOPE_SAVE_PNG, CMD_SCOPE_COPY})
        EXPECT_TRUE(GetMenuState(popup, id, MF_BYCOMMAND) & MF_GRAYED);
    DestroyMenu(menu);
    click(CMD_SCOPE_SAVE_CSV);
    EXPECT_TRUE(ui.file_requests.empty());

    click(IDC_SCOPE_MEASURE);
    ASSERT_TRUE(run_until_complete());
    popup = scope_export_popup(true, menu);
    for (UINT id : {CMD_SCOPE_SAVE_CSV, CMD_SCOPE_SAVE_PNG, CMD_SCOPE_COPY})
        EXPECT_FALSE(GetMenuState(popup, id, MF_BYCOMMAND) & MF_GRAYED);
    DestroyMenu(menu);

    // CSV: the same text as kv310r-cli writes.
    const std::string csv = dir.file("Messung ä.csv");
    ui.file_answers.push_back(FileDialogResult{csv, 1});
    click(CMD_SCOPE_SAVE_CSV);
    ASSERT_EQ(ui.file_requests.size(), 1u);
    EXPECT_TRUE(ui.file_requests[0].save);
    EXPECT_EQ(ui.file_requests[0].title, "Messung als CSV speichern");
    EXPECT_EQ(ui.file_requests[0].default_ext, "csv");
    EXPECT_EQ(read_bytes(csv), capture_csv(scope().shown_capture, scope().displayed));
    EXPECT_EQ(read_bytes(csv).rfind("# KV-310-R Oszilloskop: Dimmer 1, Einzelmessung, Volle Periode, "
                                    "I-Messbereich [A] \u00b14\n",
                                    0),
              0u);

    // PNG: the plot with its labels, at the size it has on the page.
    const std::string png = dir.file("Bild.png");
    ui.file_answers.push_back(FileDialogResult{png, 1});
    click(CMD_SCOPE_SAVE_PNG);
    const std::string image = read_bytes(png);
    ASSERT_GT(image.size(), 33u);
    EXPECT_EQ(image.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    HBITMAP page_image = scope_page_image(page());
    BITMAP size{};
    GetObjectW(page_image, sizeof size, &size);
    DeleteObject(page_image);
    const auto be32 = [&](size_t at) {
        return uint32_t(uint8_t(image[at])) << 24 | uint32_t(uint8_t(image[at + 1])) << 16 |
               uint32_t(uint8_t(image[at + 2])) << 8 | uint8_t(image[at + 3]);
    };
    EXPECT_EQ(be32(16), uint32_t(size.bmWidth));
    EXPECT_EQ(be32(20), uint32_t(size.bmHeight));
    EXPECT_GT(size.bmWidth, in_page(IDC_SCOPE_PLOT).right - in_page(IDC_SCOPE_PLOT).left);

    // Copy: the image on the clipboard.
    click(CMD_SCOPE_COPY);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));
    CloseClipboard();
    EXPECT_TRUE(ui.messages.empty());

    // A save that fails says so and leaves the file there as it was.
    for (int command : {CMD_SCOPE_SAVE_CSV, CMD_SCOPE_SAVE_PNG}) {
        SCOPED_TRACE(command);
        const std::string locked = dir.file(command == CMD_SCOPE_SAVE_CSV ? "alt.csv" : "alt.png");
        write_bytes(locked, "alt");
        SetFileAttributesW(widen(locked).c_str(), FILE_ATTRIBUTE_READONLY);
        ui.messages.clear();
        ui.file_answers.push_back(FileDialogResult{locked, 1});
        click(command);
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].type, KV_MB_ERROR);
        EXPECT_EQ(ui.messages[0].text, "Fehler: Datei \"" + locked + "\" konnte nicht abgespeichert werden");
        EXPECT_EQ(read_bytes(locked), "alt");
        SetFileAttributesW(widen(locked).c_str(), FILE_ATTRIBUTE_NORMAL);
    }

    // Cancelled: nothing written, nothing said.
    ui.messages.clear();
    fake_ui_cancel_file_dialog();
    click(CMD_SCOPE_SAVE_PNG);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ScopeTest, ReadoutOfTheSampleUnderTheMouse) {
    const auto d = dimmers();
    if (!d) GTEST_SKIP() << "no virtual dimmers on COM ports";
    start_on(d->silent_port);
    const RECT plot = in_page(IDC_SCOPE_PLOT);
    // The pointer really goes there, so the page hears when it leaves.
    const auto move_to = [&](int x, int y) {
        POINT screen{x, y};
        ClientToScreen(page(), &screen);
        SetCursorPos(screen.x, screen.y);
        SendMessageW(page(), WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
        pump();
    };
    move_to((plot.left + plot.right) / 2, (plot.top + plot.bottom) / 2);
    EXPECT_EQ(scope_readout_text(), "");  // nothing to read without a capture

    click(IDC_SCOPE_MEASURE);
    ASSERT_TRUE(run_until_complete());
    RECT client{};
    GetClientRect(item(IDC_SCOPE_PLOT), &client);
    POINT origin{0, 0};
    MapWindowPoints(item(IDC_SCOPE_PLOT), page(), &origin, 1);
    for (int x : {4, 100, int(client.right / 2), int(client.right - 5)}) {
        SCOPED_TRACE(x);
        move_to(origin.x + x, origin.y + 20);
        const int index = sample_at_x(x, client.right);
        EXPECT_EQ(scope_readout_text(), sample_readout(scope().shown_capture, scope().displayed, index));
        EXPECT_TRUE(IsWindowVisible(scope_readout_tooltip()));
    }
    move_to(plot.right + 30, plot.top);
    EXPECT_EQ(scope_readout_text(), "");
    EXPECT_FALSE(IsWindowVisible(scope_readout_tooltip()));
}
