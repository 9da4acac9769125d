// The USB-RS485 adapter pulled while the program works, and plugged in again:
// the virtual dimmer on the Wine COM port KV_TEST_COM unplugs its line while
// the file KV_TEST_UNPLUG_SWITCH exists (its terminal closes and the COM name
// goes) and comes back on a new terminal under the same name once the file is
// gone; its traffic log KV_TEST_SIM_LOG notes each change. The line is paced
// with a pause before each reply, so a transfer lasts long enough to pull the
// adapter in the middle of it.
#include "tests/win/shell_fixture.h"

#include "link/busy.h"
#include "link/link.h"
#include "params/file_commands.h"
#include "port/utf16_win.h"
#include "res/resource.h"
#include "tests/bench/process_cpu_win.h"
#include "win/app_win.h"
#include "win/dialog_items_win.h"
#include "win/monitor_win.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>

namespace {

const std::string PORT_MESSAGE = "Kommunikationsport ist nicht geeignet";

struct Line {
    std::string port, unplug_switch, log;
};

// Nothing when the tests run without the virtual dimmer.
std::optional<Line> line() {
    const char* port = std::getenv("KV_TEST_COM");
    const char* unplug_switch = std::getenv("KV_TEST_UNPLUG_SWITCH");
    const char* log = std::getenv("KV_TEST_SIM_LOG");
    if (!port || !unplug_switch || !log) return std::nullopt;
    return Line{port, unplug_switch, log};
}

// Whether the line is plugged in, by the simulator's last note in its log.
bool plugged_in(const std::string& log) {
    std::ifstream in(std::filesystem::path(TempDir::as_u8(log)));
    bool plugged = true;
    for (std::string entry; std::getline(in, entry);) {
        if (entry == "UNPLUGGED") plugged = false;
        if (entry == "PLUGGED") plugged = true;
    }
    return plugged;
}

std::string g_switch_to_make;
DWORD g_pulled_at = 0;
// Pulls the adapter from inside a running operation's message loop.
void CALLBACK pull_now(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    std::ofstream(std::filesystem::path(TempDir::as_u8(g_switch_to_make))) << "x";
    g_pulled_at = GetTickCount();
}

std::map<std::string, std::string> folder_state(const std::filesystem::path& folder) {
    std::map<std::string, std::string> state;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        state[entry.path().filename().string()] = read_bytes(TempDir::utf8(entry.path()));
    return state;
}

class AdapterTest : public ShellTest {
  public:
    Line sim;

    void SetUp() override {
        ShellTest::SetUp();
        const auto found = line();
        if (!found) GTEST_SKIP() << "no virtual dimmer on a COM port";
        sim = *found;
        // A line left unplugged by an earlier case is back first.
        plug_in();
        write_settings("[PROP]\r\nPORT=" + sim.port + "\r\nRS485ADR=1\r\n");
    }
    void TearDown() override {
        if (!sim.unplug_switch.empty()) std::remove(sim.unplug_switch.c_str());
        ShellTest::TearDown();
    }

    void pull() {
        std::ofstream(std::filesystem::path(TempDir::as_u8(sim.unplug_switch))) << "x";
        ASSERT_TRUE(wait_for_line(false));
    }
    void plug_in() {
        std::remove(sim.unplug_switch.c_str());
        ASSERT_TRUE(wait_for_line(true));
    }
    bool wait_for_line(bool plugged) {
        const DWORD start = GetTickCount();
        while (plugged_in(sim.log) != plugged) {
            if (GetTickCount() - start > 3000) return false;
            Sleep(20);
        }
        return true;
    }

    // Runs the program's timer and message loop until done says so or ms
    // have passed. True when done.
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

    // The share of one core the program takes over ms, run as the program
    // runs: its own timer and a message loop that waits in the system.
    double cpu_share_over(DWORD ms) {
        const double before = process_cpu_seconds();
        timer_start();
        const DWORD start = GetTickCount();
        for (DWORD now = 0; now < ms; now = GetTickCount() - start) {
            MsgWaitForMultipleObjectsEx(0, nullptr, ms - now, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
            pump();
        }
        timer_stop();
        return (process_cpu_seconds() - before) * 1000.0 / ms;
    }

    std::string status_text(int id) { return dlg_get_text(page_window(Page::status), id, 2047); }
    bool status_shown() { return !status_text(IDC_STAT_VERSION_CONTROLLER).empty(); }
    void show_again(Page page) {
        ASSERT_TRUE(select_page(Page::base_settings));
        ASSERT_TRUE(select_page(page));
        pump();
    }
};

// The adapter goes while the status page polls: the page is blanked once and
// says the port is unusable, no message box, no load on the machine while
// the port is gone; once the adapter is back, showing the page again fills it.
TEST_F(AdapterTest, StatusPageBlanksOnceAndFillsAgainWhenShownAnew) {
    start();
    ASSERT_TRUE(select_page(Page::status));
    ASSERT_TRUE(run_until([&] { return status_shown(); }, 3000));

    pull();
    ASSERT_TRUE(run_until([&] { return status_text(IDC_STAT_DIAGNOSTICS) == PORT_MESSAGE; }, 2000))
        << status_text(IDC_STAT_DIAGNOSTICS);
    EXPECT_FALSE(status_shown());
    EXPECT_FALSE(link_port_is_open());
    const double share = cpu_share_over(2000);
    std::printf("CPU while the port is gone: %.1f %% of a core\n", share * 100);
    EXPECT_LT(share, 0.25) << "the program kept a core busy while the port was gone";
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(status_text(IDC_STAT_DIAGNOSTICS), PORT_MESSAGE);

    plug_in();
    show_again(Page::status);
    EXPECT_TRUE(link_port_is_open());
    EXPECT_TRUE(run_until([&] { return status_shown(); }, 3000));
    EXPECT_NE(status_text(IDC_STAT_DIAGNOSTICS), PORT_MESSAGE);
    EXPECT_TRUE(ui.messages.empty());
}

// The adapter goes while a capture is fetched: one message, the acquisition
// ends; once the adapter is back, the page shown again captures again.
TEST_F(AdapterTest, ScopeCaptureEndsWithOneMessageAndCapturesAgainWhenShownAnew) {
    start();
    ASSERT_TRUE(select_page(Page::scope));
    pump();
    ScopeSession& scope = program_state().scope;
    SendMessageW(page_window(Page::scope), WM_COMMAND, MAKEWPARAM(IDC_SCOPE_MEASURE, BN_CLICKED),
                 LPARAM(GetDlgItem(page_window(Page::scope), IDC_SCOPE_MEASURE)));
    ASSERT_TRUE(run_until([&] { return scope.state == ScopeState::fetching && scope.received > 0; }, 5000));

    pull();
    ASSERT_TRUE(run_until([&] { return scope.state == ScopeState::idle; }, 2000));
    run_for(1000);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].type, KV_MB_ERROR);
    EXPECT_EQ(ui.messages[0].text, PORT_MESSAGE);
    EXPECT_EQ(scope.state, ScopeState::idle);
    EXPECT_FALSE(link_port_is_open());
    EXPECT_LT(cpu_share_over(1000), 0.25) << "the program kept a core busy while the port was gone";
    EXPECT_EQ(ui.messages.size(), 1u);

    plug_in();
    show_again(Page::scope);
    SendMessageW(page_window(Page::scope), WM_COMMAND, MAKEWPARAM(IDC_SCOPE_MEASURE, BN_CLICKED),
                 LPARAM(GetDlgItem(page_window(Page::scope), IDC_SCOPE_MEASURE)));
    EXPECT_TRUE(run_until([&] { return scope.state == ScopeState::complete; }, 8000));
    EXPECT_EQ(ui.messages.size(), 1u);
}

// The adapter goes in the middle of reading or writing the parameter set: the
// busy window goes with one message at once (not after the reply's
// time-out), the parameter set and the files stay; once the adapter is back
// the same command works without a restart.
TEST_F(AdapterTest, ParameterTransferEndsWithOneMessageAndWorksOnceTheAdapterIsBack) {
    start();
    const struct {
        int command;
        const char* success;
    } cases[] = {
        {CMD_READ_DEVICE, "Dimmerparameter wurden zum PC übertragen"},
        {CMD_WRITE_DEVICE, "PC-Parameter wurden im Dimmer abgespeichert"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.success);
        ui.messages.clear();
        const ParameterRecord before = live_record();
        const auto files = folder_state(dir.path);
        g_switch_to_make = sim.unplug_switch;
        const UINT_PTR timer = SetTimer(nullptr, 0, 900, pull_now);  // after the drain, mid-transfer
        g_pulled_at = 0;
        dispatch_command(c.command);
        const DWORD ended = GetTickCount();
        KillTimer(nullptr, timer);
        ASSERT_NE(g_pulled_at, 0u) << "the transfer ended before the adapter was pulled";
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].type, KV_MB_ERROR);
        EXPECT_EQ(ui.messages[0].text, PORT_MESSAGE);
        // The simulator unplugs within 200 ms; a reply's time-out is 5 s.
        EXPECT_LT(ended - g_pulled_at, 1500u);
        EXPECT_EQ(std::memcmp(&live_record(), &before, sizeof before), 0);
        EXPECT_EQ(folder_state(dir.path), files);
        EXPECT_EQ(busy_window(), nullptr);
        EXPECT_TRUE(IsWindowEnabled(main_window()));
        EXPECT_FALSE(link_port_is_open());

        plug_in();
        ui.messages.clear();
        dispatch_command(c.command);
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text, c.success);
    }
}

// The adapter goes while the communication monitor shows the status page's
// traffic: the monitor stays, its mode field empties as the port closes, no
// message box; plugged in again and the page shown anew, the traffic and the
// mode are back.
TEST_F(AdapterTest, MonitorShowsThePortClosedAndTheTrafficBackAfterwards) {
    monitor_set_log_folder(dir.path.string() + "\\");
    start();
    dispatch_command(CMD_MONITOR);
    HWND monitor = monitor_window();
    ASSERT_NE(monitor, nullptr);
    ASSERT_TRUE(select_page(Page::status));
    ASSERT_TRUE(run_until([&] { return status_shown(); }, 3000));
    EXPECT_EQ(item_text(monitor, IDC_MONITOR_MODE), "38400,n,8,2");

    pull();
    ASSERT_TRUE(run_until([&] { return status_text(IDC_STAT_DIAGNOSTICS) == PORT_MESSAGE; }, 2000));
    EXPECT_EQ(item_text(monitor, IDC_MONITOR_PORT), sim.port);
    EXPECT_EQ(item_text(monitor, IDC_MONITOR_MODE), "");
    EXPECT_EQ(monitor_window(), monitor);
    EXPECT_LT(cpu_share_over(1000), 0.25) << "the program kept a core busy while the port was gone";
    EXPECT_TRUE(ui.messages.empty());
    const std::string logged = read_bytes(dir.file("ComMon.txt"));
    EXPECT_NE(logged.find("{PORT " + sim.port + "}"), std::string::npos);

    plug_in();
    show_again(Page::status);
    EXPECT_TRUE(run_until([&] { return status_shown(); }, 3000));
    EXPECT_EQ(item_text(monitor, IDC_MONITOR_MODE), "38400,n,8,2");
    SendMessageW(monitor, WM_COMMAND, IDCANCEL, 0);
    monitor_set_log_folder("");
}

}  // namespace
