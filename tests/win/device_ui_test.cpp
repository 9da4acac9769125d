// The device commands of the Windows program against virtual dimmers on Wine
// COM ports (scripts/with-sim-com.sh): KV_TEST_COMS names a working dimmer
// that logs its traffic to KV_TEST_SIM_LOG, a silent one, and a working one on
// a slow line (so a transfer lasts long enough to cancel).
#include "tests/win/shell_fixture.h"

#include "link/busy.h"
#include "link/link.h"
#include "params/file_commands.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {

struct Ports {
    std::string working, silent, paced, log;
};

// Nothing when the tests run without virtual dimmers.
std::optional<Ports> ports() {
    const char* all = std::getenv("KV_TEST_COMS");
    const char* log = std::getenv("KV_TEST_SIM_LOG");
    if (!all || !log) return std::nullopt;
    Ports p;
    std::istringstream in(all);
    in >> p.working >> p.silent >> p.paced;
    p.log = log;
    if (p.paced.empty()) return std::nullopt;
    return p;
}

// The request frames the working dimmer received since `from` lines.
std::vector<std::string> received(const std::string& log, size_t from) {
    std::ifstream in(log);
    std::vector<std::string> lines;
    size_t n = 0;
    for (std::string line; std::getline(in, line); ++n)
        if (n >= from && line.rfind("RX", 0) == 0) lines.push_back(line);
    return lines;
}

size_t line_count(const std::string& log) {
    std::ifstream in(log);
    size_t n = 0;
    for (std::string line; std::getline(in, line);) ++n;
    return n;
}

void use_port(ShellTest& t, const std::string& port) {
    t.write_settings("[PROP]\r\nPORT=" + port + "\r\nRS485ADR=1\r\n");
}

// Presses "Abbruch" in the busy window once the transfer is under way.
void CALLBACK press_cancel(HWND, UINT, UINT_PTR id, DWORD) {
    if (HWND busy = static_cast<HWND>(busy_window())) {
        KillTimer(nullptr, id);
        PostMessageW(busy, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), LPARAM(GetDlgItem(busy, IDCANCEL)));
    }
}

// Ends the program from outside once a wait is under way.
void CALLBACK post_quit(HWND, UINT, UINT_PTR id, DWORD) {
    if (busy_window()) {
        KillTimer(nullptr, id);
        PostQuitMessage(0);
    }
}

// The program's idle wait, counted.
int g_idle_waits = 0;
bool counted_wait(unsigned max_ms) {
    ++g_idle_waits;
    return wait_for_messages(max_ms);
}

}  // namespace

TEST_F(ShellTest, ReadAndWriteThroughTheVirtualDimmer) {
    const auto p = ports();
    if (!p) GTEST_SKIP() << "no virtual dimmers on COM ports";
    use_port(*this, p->working);
    start();

    // Write: reset first, then the eight blocks, each once.
    ParameterRecord& record = live_record();
    set_fade_time(record.dimmer[1], 4321);
    record.user_curve[0][9] = 0x7f;
    const ParameterRecord written = record;
    size_t mark = line_count(p->log);
    dispatch_command(21112);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].type, KV_MB_INFO);
    EXPECT_EQ(ui.messages[0].text, "PC-Parameter wurden im Dimmer abgespeichert");
    EXPECT_TRUE(IsWindowEnabled(main_window()));
    std::vector<std::string> rx = received(p->log, mark);
    ASSERT_EQ(rx.size(), 9u);
    EXPECT_EQ(rx[0], "RX 7f 01 40 bf 7f");
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(rx[size_t(i) + 1].substr(0, 14), "RX 7f 01 50 0" + std::to_string(i));

    // Back to the defaults, then read: eight 0x48 requests in block order, and
    // the set counts as changed because the dimmer's values differ.
    ui.message_answers = {KV_IDNO};
    dispatch_command(21101);
    EXPECT_EQ(status_field(1), "Parameterdatei KV-310-R.ini");
    ui.messages.clear();
    mark = line_count(p->log);
    const DWORD started = GetTickCount();
    dispatch_command(21111);
    EXPECT_GE(GetTickCount() - started, 500u);  // input is drained for 500 ms first
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Dimmerparameter wurden zum PC übertragen");
    rx = received(p->log, mark);
    const std::vector<std::string> reads = {
        "RX 7f 01 48 00 b7 7f", "RX 7f 01 48 01 b6 7f", "RX 7f 01 48 02 b5 7f", "RX 7f 01 48 03 b4 7f",
        "RX 7f 01 48 04 b3 7f", "RX 7f 01 48 05 b2 7f", "RX 7f 01 48 06 b1 7f", "RX 7f 01 48 07 b0 7f"};
    EXPECT_EQ(rx, reads);
    EXPECT_EQ(std::memcmp(device_image(live_record()), device_image(written), DEVICE_IMAGE_SIZE), 0);
    EXPECT_EQ(status_field(1), "* Parameterdatei KV-310-R.ini");

    ui.messages.clear();
    dispatch_command(21550);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].type, KV_MB_INFO);
    EXPECT_EQ(ui.messages[0].text, "KV-310-R-Firmware-Version V2.1\r\nDimmer 1 1.4\r\nDimmer 2 1.4");
}

TEST_F(ShellTest, SilentDimmerEndsInTheLinkMessage) {
    const auto p = ports();
    if (!p) GTEST_SKIP() << "no virtual dimmers on COM ports";
    use_port(*this, p->silent);
    start();
    const ParameterRecord before = live_record();
    dispatch_command(21111);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].type, KV_MB_ERROR);
    EXPECT_EQ(ui.messages[0].text, "Kommunikation mit KV-310-R ist fehlerhaft");
    EXPECT_EQ(std::memcmp(&live_record(), &before, sizeof before), 0);
    EXPECT_EQ(busy_window(), nullptr);
    EXPECT_TRUE(IsWindowEnabled(main_window()));
}

TEST_F(ShellTest, AbbruchStopsATransferSilently) {
    const auto p = ports();
    if (!p) GTEST_SKIP() << "no virtual dimmers on COM ports";
    use_port(*this, p->paced);
    start();
    const ParameterRecord before = live_record();
    const UINT_PTR timer = SetTimer(nullptr, 0, 1000, press_cancel);  // after the drain, mid-transfer
    const DWORD started = GetTickCount();
    dispatch_command(21111);
    KillTimer(nullptr, timer);
    EXPECT_LT(GetTickCount() - started, 2500u);  // eight slow blocks would take longer
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(std::memcmp(&live_record(), &before, sizeof before), 0);
    EXPECT_EQ(busy_window(), nullptr);
    EXPECT_TRUE(IsWindowEnabled(main_window()));
}

TEST_F(ShellTest, AQuitDuringAWaitIsHeldUntilTheOperationEndsWithoutSpinning) {
    const auto p = ports();
    if (!p) GTEST_SKIP() << "no virtual dimmers on COM ports";
    use_port(*this, p->silent);
    start();
    g_idle_waits = 0;
    link_set_idle_wait(counted_wait);
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, post_quit);
    const DWORD started = GetTickCount();
    dispatch_command(21550);  // the firmware version: waits 1 s for a reply that never comes
    const DWORD elapsed = GetTickCount() - started;
    KillTimer(nullptr, timer);
    link_set_idle_wait(wait_for_messages);
    EXPECT_GE(elapsed, 1000u);  // the wait ran to its end
    // Each idle wait sleeps up to 1 ms unless a message comes; a quit left in
    // the queue would end every one of them at once (thousands a second).
    EXPECT_LT(g_idle_waits, int(elapsed)) << "the wait spun";
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Kommunikation mit KV-310-R ist fehlerhaft");
    // The quit is there again for the main loop, once.
    MSG quit;
    EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_FALSE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}
