// The "Dimmerstatus" page against a virtual dimmer on a Wine COM port
// (KV_TEST_COM) that logs its traffic (KV_TEST_SIM_LOG) and answers status
// requests with a record the test scripts (KV_TEST_STATUS_FILE; the modelled
// status while the file is missing), and a silent one on the second port of
// KV_TEST_COMS. The program's timer is stepped by the test.
#include "tests/win/shell_fixture.h"

#include "base/bytes.h"
#include "base/file_io.h"
#include "base/text.h"
#include "link/link.h"
#include "measure/status_csv.h"
#include "measure/status_events.h"
#include "measure/status_text.h"
#include "port/port.h"
#include "port/utf16_win.h"
#include "res/resource.h"
#include "win/app_win.h"
#include "win/plot_draw_win.h"
#include "win/trend_plot_win.h"
#include "win/trend_window_win.h"

#include <commctrl.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <regex>
#include <sstream>
#include <utility>

namespace {

struct Dimmer {
    std::string port, log, status_file;
    std::string silent_port;  // a dimmer that never answers
};

// Nothing when the tests run without a virtual dimmer.
std::optional<Dimmer> dimmer() {
    const char* port = std::getenv("KV_TEST_COM");
    const char* log = std::getenv("KV_TEST_SIM_LOG");
    const char* status = std::getenv("KV_TEST_STATUS_FILE");
    const char* all = std::getenv("KV_TEST_COMS");
    if (!port || !log || !status || !all) return std::nullopt;
    Dimmer d{port, log, status, ""};
    std::istringstream ports(all);
    ports >> d.silent_port >> d.silent_port;
    if (d.silent_port.empty() || d.silent_port == d.port) return std::nullopt;
    return d;
}

// The dialog "Hardwareanschluss" answered by the user: when it is up, the
// port name is typed and "OK" clicked. A thread timer plays the user, so it
// acts inside the dialog's own message loop.
std::string g_port_to_choose;
void CALLBACK choose_port(HWND, UINT, UINT_PTR, DWORD) {
    HWND dialog = FindWindowW(L"#32770", L"Hardwareanschluss");
    if (g_port_to_choose.empty() || !dialog || !IsWindowVisible(dialog) || !IsWindowEnabled(dialog)) return;
    const std::string port = std::exchange(g_port_to_choose, "");
    HWND edit = GetDlgItem(dialog, IDC_HW_PORT);
    SetFocus(edit);
    SetWindowTextW(edit, widen(port).c_str());
    SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);  // the edit loses the focus: taken
}

// The status requests the dimmer received after the first `from` log lines:
// their eight payload bytes as hex, for the frames addressed to address 1.
std::vector<std::string> status_requests(const std::string& log, size_t from) {
    std::ifstream in(log);
    std::vector<std::string> payloads;
    size_t n = 0;
    const std::string prefix = "RX 7f 01 10 ";
    for (std::string line; std::getline(in, line); ++n)
        if (n >= from && line.rfind(prefix, 0) == 0) payloads.push_back(line.substr(prefix.size(), 23));
    return payloads;
}

// The status replies the dimmer sent to address 1 after the first `from` log lines.
size_t replies_sent(const std::string& log, size_t from) {
    std::ifstream in(log);
    size_t n = 0, replies = 0;
    for (std::string line; std::getline(in, line); ++n)
        if (n >= from && line.rfind("TX 7f 01 10 ", 0) == 0) ++replies;
    return replies;
}

size_t line_count(const std::string& log) {
    std::ifstream in(log);
    size_t n = 0;
    for (std::string line; std::getline(in, line);) ++n;
    return n;
}

// A status record with a telling value in every field the page shows.
StatusRecord known_status() {
    StatusRecord s = {};
    s.controller_version[0] = 2;
    s.controller_version[1] = 13;
    s.dimmer_version[0][0] = 1;
    s.dimmer_version[0][1] = 4;  // dimmer 2 reports 0.0: no version shown
    s.board_warnings = 0x06;
    put_u16le(s.supply_voltage, 2048);
    put_u16le(s.front_temperature, 253);
    put_u16le(s.control_input[0], 1000);
    put_u16le(s.control_input[1], 4095);
    put_u16le(s.control_level[0], 32768);
    put_u16le(s.control_level[1], 65535);
    put_u16le(s.potentiometer[0], 2047);
    put_u16le(s.potentiometer[1], 20);
    s.dip[0] = 0x01;
    s.dip[1] = 0x08;
    s.dip[2] = 0x0f;
    s.dip[3] = 0x0f;
    put_u16le(s.idle_counter, 40000);
    put_u16le(s.timer_counter, 7);
    put_u16le(s.tx_counter[0], 11);
    put_u16le(s.rx_counter[1], 22);
    const uint16_t effective[2] = {4, 5}, peak[2] = {30, 29}, loss[2] = {499, 500};
    for (int d = 0; d < 2; ++d) {
        DimmerMeasurement& m = s.measurement[d];
        m.present = 1;
        put_u16le(m.temperature, uint16_t(412 + d));
        put_u16le(m.input_voltage, 2301);
        put_u16le(m.peak_current, 1234);
        put_u16le(m.effective_power, effective[d]);
        put_u16le(m.peak_power, peak[d]);
        put_u16le(m.power_loss, loss[d]);
        put_u32le(m.peak_power_loss, 70000);
        put_u16le(m.mains_frequency, 4998);
        put_u16le(m.processor_clock, 24576);
        put_u16le(s.control[d].on_time, uint16_t(3000 + d));
        s.control[d].phase_mode = uint8_t(1 - d);
    }
    return s;
}

class StatusPageTest : public ShellTest {
  public:
    Dimmer sim;

    // Starts the program on the status page with the dimmer answering `status`
    // (on the port given, the working dimmer's by default).
    void start_on_status_page(const std::optional<StatusRecord>& status, std::string port = "") {
        script(status);
        if (port.empty()) port = sim.port;
        write_settings("[PROP]\r\nPORT=" + port + "\r\nRS485ADR=1\r\n");
        start();
        ASSERT_TRUE(select_page(Page::status));
        page = page_window(Page::status);
    }

    // The record the dimmer answers with from its next request on; nothing:
    // the dimmer's own modelled status.
    void script(const std::optional<StatusRecord>& status) {
        if (!status) {
            DeleteFileW(widen(sim.status_file).c_str());
            return;
        }
        const auto* bytes = reinterpret_cast<const char*>(&*status);
        ASSERT_TRUE(write_file_atomic(sim.status_file, std::string_view(bytes, sizeof *status)));
    }

    // Runs the program's periodic timer as the message loop would, until
    // `done` holds or ms have passed. Whether `done` held.
    bool run_until(const std::function<bool()>& done, DWORD ms) {
        const DWORD start = GetTickCount();
        for (;;) {
            timer_tick(nullptr, 0, 0, 0);
            pump();
            if (done()) return true;
            if (GetTickCount() - start > ms) return false;
            MsgWaitForMultipleObjectsEx(0, nullptr, 1, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        }
    }
    void run_for(DWORD ms) {
        run_until([] { return false; }, ms);
    }

    std::string text(int id) const {
        wchar_t buffer[2048] = {};
        GetDlgItemTextW(page, id, buffer, 2048);
        return narrow(buffer);
    }
    LRESULT item_message(int id, UINT message) const { return SendDlgItemMessageW(page, id, message, 0, 0); }

    void click(int id) {
        SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
        pump();
    }
    // The trackbar moved by the user to position (a drag ends with TB_ENDTRACK).
    void move_trackbar(int id, int position) {
        HWND bar = GetDlgItem(page, id);
        SendMessageW(bar, TBM_SETPOS, TRUE, position);
        SendMessageW(page, WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, position), reinterpret_cast<LPARAM>(bar));
        SendMessageW(page, WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), reinterpret_cast<LPARAM>(bar));
    }
    HWND heartbeat() const { return FindWindowExW(status_bar(), nullptr, PROGRESS_CLASSW, nullptr); }

    // "Hardwareanschluss" from the menu, the port typed and "OK" clicked.
    void choose_port_in_dialog(const std::string& port) {
        g_port_to_choose = port;
        const UINT_PTR timer = SetTimer(nullptr, 0, 20, choose_port);
        dispatch_command(CMD_HARDWARE);
        KillTimer(nullptr, timer);
        EXPECT_TRUE(g_port_to_choose.empty());
        EXPECT_STREQ(g_port_settings.name, port.c_str());
    }

    HWND page = nullptr;
};

#define NEEDS_DIMMER()                                                 \
    do {                                                               \
        const auto found = dimmer();                                   \
        if (!found) GTEST_SKIP() << "no virtual dimmer on a COM port"; \
        sim = *found;                                                  \
    } while (0)

TEST_F(StatusPageTest, KnownStatusFillsEveryField) {
    NEEDS_DIMMER();
    const StatusRecord status = known_status();
    start_on_status_page(status);
    ASSERT_NE(heartbeat(), nullptr);
    EXPECT_TRUE(link_port_is_open());
    ASSERT_TRUE(run_until([&] { return text(IDC_STAT_VERSION_CONTROLLER) == "V2.13"; }, 3000));

    struct Field {
        int id;
        const char* text;
    };
    const std::vector<Field> fields = {
        {IDC_STAT_VERSION_DIMMER1, "V1.4"},
        {IDC_STAT_VERSION_DIMMER2, ""},
        {IDC_STAT_SUPPLY, "3.30 V"},
        {IDC_STAT_FRONT_TEMPERATURE, "25.3 °C"},
        {IDC_STAT_UE1, "1000"},
        {IDC_STAT_UE1_PERCENT, "50 %"},
        {IDC_STAT_UE2, "4095"},
        {IDC_STAT_UE2_PERCENT, "100 %"},
        {IDC_STAT_POT1, "2047"},
        {IDC_STAT_POT1_PERCENT, "49 %"},
        {IDC_STAT_POT2, "20"},
        {IDC_STAT_POT2_PERCENT, "0 %"},
        {IDC_STAT_DIP1_LOW, "01"},
        {IDC_STAT_DIP1_HIGH, "08"},
        {IDC_STAT_DIP2_LOW, "0f"},
        {IDC_STAT_DIP2_HIGH, "0f"},
        {IDC_STAT_TEMPERATURE, "41.2 °C"},
        {IDC_STAT_TEMPERATURE + 1, "41.3 °C"},
        {IDC_STAT_INPUT_VOLTAGE, "230.1 V"},
        {IDC_STAT_PEAK_CURRENT, "1.23 A"},
        {IDC_STAT_EFFECTIVE_POWER, "<5 W"},
        {IDC_STAT_EFFECTIVE_POWER + 1, "5 W"},
        {IDC_STAT_PEAK_POWER, "30 W"},
        {IDC_STAT_PEAK_POWER + 1, "<30 W"},
        {IDC_STAT_POWER_LOSS, "<0.5 W"},
        {IDC_STAT_POWER_LOSS + 1, "0.5 W"},
        {IDC_STAT_PEAK_POWER_LOSS, "70.0 W"},
        {IDC_STAT_MAINS_FREQUENCY + 1, "49.98 Hz"},
        {IDC_STAT_PROCESSOR_CLOCK, "24.576 MHz"},
        {IDC_STAT_ON_TIME, "3000"},
        {IDC_STAT_ON_TIME + 1, "3001"},
        {IDC_STAT_PHASE_MODE, "ANschnitt"},
        {IDC_STAT_PHASE_MODE + 1, "ABschnitt"},
    };
    for (const Field& f : fields) EXPECT_EQ(text(f.id), f.text) << f.id;
    EXPECT_EQ(item_message(IDC_STAT_UE1_BAR, PBM_GETPOS), 1000);
    EXPECT_EQ(item_message(IDC_STAT_UE2_BAR, PBM_GETPOS), 4095);
    EXPECT_EQ(item_message(IDC_STAT_POT1_BAR, PBM_GETPOS), 2047);
    const std::string diagnostics = text(IDC_STAT_DIAGNOSTICS);
    const std::string head =
        "Mode: DMX, 8bit, addr 511\r\nBoard temperature error , U warning \r\nCnt-idle 80000 Cnt-tim 7\r\n";
    EXPECT_EQ(diagnostics.substr(0, head.size()), head);
    EXPECT_EQ(diagnostics, status_diagnostics(status));

    // The heartbeat moves with the replies.
    const LRESULT beat = SendMessageW(heartbeat(), PBM_GETPOS, 0, 0);
    ASSERT_TRUE(run_until([&] { return SendMessageW(heartbeat(), PBM_GETPOS, 0, 0) != beat; }, 1000));

    // Dimmer 2 without measurement: its fields empty, dimmer 1's stay.
    StatusRecord without_second = status;
    without_second.measurement[1].present = 0;
    script(without_second);
    ASSERT_TRUE(run_until([&] { return text(IDC_STAT_TEMPERATURE + 1).empty(); }, 3000));
    for (int id : {IDC_STAT_PEAK_CURRENT, IDC_STAT_EFFECTIVE_POWER, IDC_STAT_PEAK_POWER, IDC_STAT_POWER_LOSS,
                   IDC_STAT_PEAK_POWER_LOSS, IDC_STAT_MAINS_FREQUENCY, IDC_STAT_PROCESSOR_CLOCK,
                   IDC_STAT_ON_TIME, IDC_STAT_PHASE_MODE}) {
        EXPECT_EQ(text(id + 1), "") << id + 1;
        EXPECT_NE(text(id), "") << id;
    }
    EXPECT_EQ(text(IDC_STAT_INPUT_VOLTAGE), "230.1 V");

    // Another page: the indicator goes, the port closes, nothing more is asked.
    ASSERT_TRUE(select_page(Page::base_settings));
    EXPECT_EQ(heartbeat(), nullptr);
    EXPECT_EQ(status_field(0), "Parameterdatei");
    EXPECT_FALSE(link_port_is_open());
    const size_t mark = line_count(sim.log);
    run_for(300);
    EXPECT_TRUE(status_requests(sim.log, mark).empty());
}

TEST_F(StatusPageTest, TrackbarMoveReachesTheDimmerInTheNextRequest) {
    NEEDS_DIMMER();
    start_on_status_page(std::nullopt);
    ASSERT_TRUE(run_until([&] { return !text(IDC_STAT_VERSION_CONTROLLER).empty(); }, 3000));
    // Before any move the requests only ask.
    size_t mark = line_count(sim.log);
    ASSERT_TRUE(run_until([&] { return status_requests(sim.log, mark).size() >= 2; }, 2000));
    for (const std::string& p : status_requests(sim.log, mark)) EXPECT_EQ(p, "00 00 00 00 00 00 00 00");

    mark = line_count(sim.log);
    move_trackbar(IDC_STAT_DRIVE_BAR1, 50);
    EXPECT_EQ(text(IDC_STAT_DRIVE_EDIT1), "32768");
    EXPECT_EQ(item_message(IDC_STAT_DRIVE_BAR1, TBM_GETPOS), 50);
    ASSERT_TRUE(run_until([&] { return status_requests(sim.log, mark).size() >= 2; }, 2000));
    std::vector<std::string> sent = status_requests(sim.log, mark);
    // The first request after the move sets the drive; later ones carry the
    // value without the flag.
    EXPECT_EQ(sent[0], "01 00 00 80 00 00 00 00");
    EXPECT_EQ(sent[1], "00 00 00 80 00 00 00 00");
    // The dimmer took it: its control value shows in the diagnostic block.
    EXPECT_TRUE(run_until(
        [&] { return text(IDC_STAT_DIAGNOSTICS).find("Ctrl/T 32768/") != std::string::npos; }, 2000))
        << text(IDC_STAT_DIAGNOSTICS);

    mark = line_count(sim.log);
    move_trackbar(IDC_STAT_DRIVE_BAR2, 1);
    EXPECT_EQ(text(IDC_STAT_DRIVE_EDIT2), "656");
    ASSERT_TRUE(run_until([&] { return !status_requests(sim.log, mark).empty(); }, 2000));
    EXPECT_EQ(status_requests(sim.log, mark)[0], "00 00 00 80 01 00 90 02");
}

TEST_F(StatusPageTest, TypedValueIsClampedAndSentOnlyByItsButton) {
    NEEDS_DIMMER();
    start_on_status_page(std::nullopt);
    HWND edit = GetDlgItem(page, IDC_STAT_DRIVE_EDIT1);
    SetFocus(edit);
    SetWindowTextW(edit, L"70000");
    size_t mark = line_count(sim.log);
    run_for(300);  // typing alone sends nothing
    for (const std::string& p : status_requests(sim.log, mark)) EXPECT_EQ(p, "00 00 00 00 00 00 00 00");

    SetFocus(GetDlgItem(page, IDC_STAT_REFRESH));  // leaving the edit takes the value
    pump();
    EXPECT_EQ(text(IDC_STAT_DRIVE_EDIT1), "65535");
    EXPECT_EQ(item_message(IDC_STAT_DRIVE_BAR1, TBM_GETPOS), 100);
    mark = line_count(sim.log);
    ASSERT_TRUE(run_until([&] { return status_requests(sim.log, mark).size() >= 2; }, 2000));
    for (const std::string& p : status_requests(sim.log, mark)) EXPECT_EQ(p, "00 00 ff ff 00 00 00 00");

    // The button beside the edit sends it at once, in a fetch of its own.
    mark = line_count(sim.log);
    click(IDC_STAT_DRIVE_SEND1);
    EXPECT_TRUE(ui.messages.empty());
    const std::vector<std::string> sent = status_requests(sim.log, mark);
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.back(), "01 00 ff ff 00 00 00 00");
    EXPECT_TRUE(link_port_is_open());  // the polling goes on
    EXPECT_TRUE(run_until(
        [&] { return text(IDC_STAT_DIAGNOSTICS).find("Ctrl/T 65535/") != std::string::npos; }, 2000));
}

TEST_F(StatusPageTest, TopButtonFetchesOrBlanksThePageUntilShownAgain) {
    NEEDS_DIMMER();
    StatusRecord status = known_status();
    start_on_status_page(status);
    click(IDC_STAT_REFRESH);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(text(IDC_STAT_VERSION_CONTROLLER), "V2.13");  // shown at once, not by the poll
    EXPECT_TRUE(link_port_is_open());

    // A dimmer that does not answer: the link's message, a blank page, and
    // the port stays closed while the page is shown.
    g_port_settings.address = 2;
    click(IDC_STAT_REFRESH);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].type, KV_MB_ERROR);
    EXPECT_EQ(ui.messages[0].text, "Kommunikation mit KV-310-R ist fehlerhaft");
    EXPECT_EQ(text(IDC_STAT_VERSION_CONTROLLER), "");
    EXPECT_EQ(text(IDC_STAT_TEMPERATURE), "");
    EXPECT_EQ(text(IDC_STAT_DIAGNOSTICS), "");
    EXPECT_EQ(item_message(IDC_STAT_UE2_BAR, PBM_GETPOS), 0);
    EXPECT_FALSE(link_port_is_open());
    g_port_settings.address = 1;
    const size_t mark = line_count(sim.log);
    run_for(400);
    EXPECT_EQ(line_count(sim.log), mark);
    EXPECT_EQ(text(IDC_STAT_VERSION_CONTROLLER), "");

    // Shown again: the polling resumes.
    ASSERT_TRUE(select_page(Page::base_settings));
    ASSERT_TRUE(select_page(Page::status));
    EXPECT_TRUE(run_until([&] { return text(IDC_STAT_VERSION_CONTROLLER) == "V2.13"; }, 3000));
}

TEST_F(StatusPageTest, SilentDimmerBlanksTheFieldsAndTheyReturnWithIt) {
    NEEDS_DIMMER();
    start_on_status_page(known_status());
    ASSERT_TRUE(run_until([&] { return text(IDC_STAT_VERSION_CONTROLLER) == "V2.13"; }, 3000));

    // The dimmer falls silent (it no longer hears its address): the last
    // status stays about a second, then the fields empty and the diagnostic
    // block says who does not answer; the requests go on.
    g_port_settings.address = 2;
    const DWORD silent_since = GetTickCount();
    ASSERT_TRUE(run_until([&] { return text(IDC_STAT_VERSION_CONTROLLER).empty(); }, 3000));
    EXPECT_GE(GetTickCount() - silent_since, 900u);
    EXPECT_EQ(text(IDC_STAT_SUPPLY), "");
    EXPECT_EQ(text(IDC_STAT_TEMPERATURE), "");
    EXPECT_EQ(text(IDC_STAT_DIAGNOSTICS), "Keine Antwort von Adresse 2 an " + sim.port);
    EXPECT_EQ(item_message(IDC_STAT_UE1_BAR, PBM_GETPOS), 0);
    EXPECT_TRUE(link_port_is_open());
    EXPECT_TRUE(ui.messages.empty());  // the view just keeps polling

    // Heard again: the fields return, and the diagnostic block is the status's.
    g_port_settings.address = 1;
    EXPECT_TRUE(run_until([&] { return text(IDC_STAT_VERSION_CONTROLLER) == "V2.13"; }, 2000));
    EXPECT_EQ(text(IDC_STAT_SUPPLY), "3.30 V");
    EXPECT_EQ(text(IDC_STAT_DIAGNOSTICS), status_diagnostics(known_status()));
}

// A reply that comes late is still waiting when the next one arrives behind
// it: the page shows the newer. The timer is stepped by hand, so the page
// reads nothing between the two requests.
TEST_F(StatusPageTest, TwoRepliesWaitingShowTheNewer) {
    NEEDS_DIMMER();
    StatusRecord status = known_status();
    start_on_status_page(status);
    ASSERT_TRUE(run_until([&] { return text(IDC_STAT_VERSION_CONTROLLER) == "V2.13"; }, 3000));

    auto tick = [&] {
        timer_tick(nullptr, 0, 0, 0);
        pump();
    };
    // Waits until the dimmer has sent `count` status replies since the mark,
    // and a little longer for them to cross the line.
    auto await_replies = [&](size_t mark, size_t count) {
        const DWORD start = GetTickCount();
        while (replies_sent(sim.log, mark) < count && GetTickCount() - start < 2000) Sleep(5);
        ASSERT_EQ(replies_sent(sim.log, mark), count);
        Sleep(20);
    };
    const size_t mark = line_count(sim.log);
    status.controller_version[1] = 1;
    script(status);
    Sleep(STATUS_POLL_PERIOD_MS + 10);
    tick();  // request 1 goes out; too early to read its reply
    const DWORD first_request = GetTickCount();
    await_replies(mark, 1);
    status.controller_version[1] = 2;
    script(status);
    while (GetTickCount() - first_request <= STATUS_POLL_PERIOD_MS) Sleep(5);
    tick();  // request 2 goes out; reply 1 still waits unread
    await_replies(mark, 2);
    // The page reads what waits: both replies.
    ASSERT_TRUE(run_until([&] { return text(IDC_STAT_VERSION_CONTROLLER) != "V2.13"; }, 1000));
    EXPECT_EQ(text(IDC_STAT_VERSION_CONTROLLER), "V2.2");
}

// The page says when the port chosen has no dimmer answering, and follows a
// port chosen in "Hardwareanschluss" at once, without being shown anew.
TEST_F(StatusPageTest, FollowsThePortChosenInTheDialogAndSaysWhenNobodyAnswers) {
    NEEDS_DIMMER();
    start_on_status_page(known_status(), sim.silent_port);
    const std::string no_answer = "Keine Antwort von Adresse 1 an " + sim.silent_port;
    ASSERT_TRUE(run_until([&] { return text(IDC_STAT_DIAGNOSTICS) == no_answer; }, 3000))
        << text(IDC_STAT_DIAGNOSTICS);
    EXPECT_EQ(text(IDC_STAT_VERSION_CONTROLLER), "");

    // The working dimmer's port: the connection test passes and its status
    // shows while the page stays shown; the no-answer text goes.
    choose_port_in_dialog(sim.port);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(link_port_is_open());
    ASSERT_TRUE(run_until([&] { return text(IDC_STAT_VERSION_CONTROLLER) == "V2.13"; }, 1000));
    EXPECT_EQ(text(IDC_STAT_DIAGNOSTICS), status_diagnostics(known_status()));

    // Back to the silent one: its test fails, the status of the other port
    // goes at once, and the page says that nobody answers.
    choose_port_in_dialog(sim.silent_port);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Kommunikation mit KV-310-R ist fehlerhaft");
    EXPECT_EQ(text(IDC_STAT_VERSION_CONTROLLER), "");
    EXPECT_TRUE(run_until([&] { return text(IDC_STAT_DIAGNOSTICS) == no_answer; }, 3000))
        << text(IDC_STAT_DIAGNOSTICS);
}

// ---- the status over time: "Verlauf", its events and the recording

std::vector<std::string> file_lines(const std::string& path) {
    std::vector<std::string> lines;
    const std::string text = read_file(path).value_or("");
    size_t start = 0;
    for (size_t at; (at = text.find('\n', start)) != std::string::npos; start = at + 1)
        lines.push_back(text.substr(start, at - start));
    EXPECT_EQ(start, text.size()) << path << " ends in a whole line";
    return lines;
}

std::vector<std::string> list_lines(HWND list) {
    std::vector<std::string> lines;
    const LRESULT n = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < n; ++i) {
        wchar_t buffer[512] = {};
        SendMessageW(list, LB_GETTEXT, WPARAM(i), reinterpret_cast<LPARAM>(buffer));
        lines.push_back(narrow(buffer));
    }
    return lines;
}

// The texts after the clock time of event lines ("12:34:56.789  text").
std::vector<std::string> event_texts(const std::vector<std::string>& lines) {
    std::vector<std::string> texts;
    for (const std::string& line : lines) texts.push_back(line.size() > 14 ? line.substr(14) : line);
    return texts;
}

// The topmost row of the quantity's colour in each pixel column right of
// `from` (-1 where the column has none), from the plot drawn as the window
// draws it.
std::vector<int> colour_tops(const TrendView& view, TrendQuantity quantity, int width, int height, int from) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP dib = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, dib);
    plot_create_resources();
    plot_set_mapping(dc);
    trend_plot_draw(dc, width, height, program_state().history, view);
    GdiFlush();
    const COLORREF c = trend_colour(quantity);
    const uint32_t wanted = (uint32_t(GetRValue(c)) << 16) | (uint32_t(GetGValue(c)) << 8) | GetBValue(c);
    std::vector<int> tops(size_t(width), -1);
    const auto* pixels = static_cast<const uint32_t*>(bits);
    for (int x = from; x < width; ++x)
        for (int y = 0; y < height; ++y)
            if ((pixels[size_t(y) * size_t(width) + size_t(x)] & 0xFFFFFF) == wanted) {
                tops[size_t(x)] = y;
                break;
            }
    SelectObject(dc, old);
    DeleteObject(dib);
    DeleteDC(dc);
    return tops;
}

// A dimmer whose status changes as a technician would want to find it
// later: its temperature climbs, a warning comes and goes, dimmer 2
// vanishes, the line falls silent and returns. The "Verlauf" window follows
// it all, and the recording started on the way holds every status and
// event from its start, line by line, while it runs.
TEST_F(StatusPageTest, TrendEventsAndRecordingFollowTheDimmer) {
    NEEDS_DIMMER();
    StatusRecord status = known_status();  // board warnings 0x06, both dimmers present
    auto show = [&](const StatusRecord& next, const std::string& temperature) {
        script(next);
        return run_until([&] { return text(IDC_STAT_TEMPERATURE) == temperature; }, 3000);
    };
    start_on_status_page(status);
    ASSERT_TRUE(run_until([&] { return text(IDC_STAT_VERSION_CONTROLLER) == "V2.13"; }, 3000));
    dispatch_command(CMD_TREND);
    HWND trend = trend_window();
    ASSERT_TRUE(trend);
    EXPECT_TRUE(IsWindowVisible(trend));

    const std::string path = dir.file("aufzeichnung.csv");
    fake_ui_choose_file(path);
    dispatch_command(CMD_TREND_RECORD);
    EXPECT_NE(status_field(3).find("Aufzeichnung läuft"), std::string::npos) << status_field(3);
    EXPECT_EQ(item_text(trend, IDC_TREND_RECORD), "Aufzeichnung beenden");
    const size_t kept_before = ring_size(program_state().history.statuses);

    // The ramp, and a page switch on the way: the window stays open.
    for (int step = 1; step <= 5; ++step) {
        put_u16le(status.measurement[0].temperature, uint16_t(412 + 50 * step));
        ASSERT_TRUE(show(status, format_text("%.1f °C", (412 + 50 * step) / 10.0)));
        run_for(300);
    }
    ASSERT_TRUE(select_page(Page::base_settings));
    EXPECT_TRUE(IsWindowVisible(trend));
    ASSERT_TRUE(select_page(Page::status));
    page = page_window(Page::status);

    status.board_warnings = 0x07;
    ASSERT_TRUE(show(status, "66.2 °C"));
    run_for(300);
    status.board_warnings = 0x06;
    status.measurement[1].present = 0;
    script(status);
    ASSERT_TRUE(run_until([&] { return text(IDC_STAT_TEMPERATURE + 1).empty(); }, 3000));
    g_port_settings.address = 2;
    ASSERT_TRUE(run_until([&] { return text(IDC_STAT_VERSION_CONTROLLER).empty(); }, 3000));
    g_port_settings.address = 1;
    ASSERT_TRUE(run_until([&] { return text(IDC_STAT_VERSION_CONTROLLER) == "V2.13"; }, 3000));
    run_for(300);

    // The events, in the window's list.
    const std::vector<std::string> expected_events = {
        "Warnung ein: Board temperature warning", "Warnung aus: Board temperature warning",
        "Dimmer 2 verschwindet", "Keine Antwort mehr", "Antwort wieder da"};
    std::vector<std::string> listed = event_texts(list_lines(GetDlgItem(trend, IDC_TREND_EVENTS)));
    const std::vector<std::string> first = {"Mode: DMX, 8bit, addr 511",
                                            "Warnung ein: Board temperature error", "Warnung ein: U warning"};
    ASSERT_GE(listed.size(), first.size());
    EXPECT_EQ(std::vector<std::string>(listed.begin(), listed.begin() + 3), first);
    EXPECT_EQ(std::vector<std::string>(listed.begin() + 3, listed.end()), expected_events);

    // The recording ends; the files hold every line up to then.
    dispatch_command(CMD_TREND_RECORD);
    EXPECT_EQ(status_field(3).find("Aufzeichnung"), std::string::npos) << status_field(3);
    EXPECT_EQ(item_text(trend, IDC_TREND_RECORD), "Aufzeichnen…");
    const size_t kept = ring_size(program_state().history.statuses) - kept_before;
    const std::vector<std::string> statuses = file_lines(path);
    ASSERT_EQ(statuses.size(), kept + 1);  // the header, then each status kept since the start
    EXPECT_EQ(statuses[0] + "\n", status_csv_header());
    // Every status of the ramp is in the file, in order, with its time.
    const std::regex line(R"((\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3});(\d+\.\d{3});.*)");
    std::vector<std::string> temperatures;
    double elapsed = 0;
    for (size_t i = 1; i < statuses.size(); ++i) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(statuses[i], m, line)) << statuses[i];
        EXPECT_GE(std::stod(m[2]), elapsed);
        elapsed = std::stod(m[2]);
        for (const char* ramp : {";46.2;", ";51.2;", ";56.2;", ";61.2;", ";66.2;"})
            if (statuses[i].find(ramp) != std::string::npos &&
                (temperatures.empty() || temperatures.back() != ramp))
                temperatures.push_back(ramp);
    }
    EXPECT_EQ(temperatures, (std::vector<std::string>{";46.2;", ";51.2;", ";56.2;", ";61.2;", ";66.2;"}));
    const std::vector<std::string> events = file_lines(events_csv_path(path));
    ASSERT_EQ(events.size(), expected_events.size() + 1);
    EXPECT_EQ(events[0], "time;elapsed_s;event");
    for (size_t i = 0; i < expected_events.size(); ++i) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(events[i + 1], m, line)) << events[i + 1];
        EXPECT_EQ(events[i + 1].substr(events[i + 1].rfind(';') + 1), expected_events[i]);
    }

    // The plot: the ramp in dimmer 1's temperature colour, rising to the
    // right (smaller rows) over the last minute; without the quantity chosen,
    // none of its colour.
    const TrendView view{{TrendQuantity::temperature1}, TREND_SPANS_MS[0], tick_count_ms()};
    const std::vector<int> tops = colour_tops(view, TrendQuantity::temperature1, 600, 240, 250);
    std::vector<int> drawn;
    for (int y : tops)
        if (y >= 0) drawn.push_back(y);
    ASSERT_GE(drawn.size(), 20u);
    EXPECT_GT(drawn.front(), drawn.back() + 100);  // from the bottom of the range to its top
    const TrendView other{{TrendQuantity::front_temperature}, TREND_SPANS_MS[0], tick_count_ms()};
    for (int y : colour_tops(other, TrendQuantity::temperature1, 600, 240, 250)) EXPECT_EQ(y, -1);

    // The value under the mouse, near the right edge of the plot.
    RECT plot{};
    GetWindowRect(GetDlgItem(trend, IDC_TREND_PLOT), &plot);
    POINT at{plot.right - 5, (plot.top + plot.bottom) / 2};
    ScreenToClient(trend, &at);
    SendMessageW(trend, WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
    EXPECT_NE(item_text(trend, IDC_TREND_READOUT).find("Temperatur Dimmer 1: 66.2 °C"), std::string::npos)
        << item_text(trend, IDC_TREND_READOUT);
}

}  // namespace
