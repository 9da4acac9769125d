// The communication monitor window: what it lists and logs, one window only,
// pause and resume, its keyboard, and the status page's polling under it.
#include "tests/win/link_ui_test.h"

#include "link/link.h"
#include "link/monitor_feed.h"
#include "win/monitor_win.h"
#include "win/app_win.h"
#include "res/resource.h"

#include <algorithm>

namespace {

constexpr char LOG_HEADER[] = "KV-310-R PC-Testprogramm\nV2.3 15.2.2017\n";

HWND list_of(HWND monitor) { return GetDlgItem(monitor, IDC_MONITOR_LIST); }

void tick(HWND monitor) { SendMessageW(monitor, WM_TIMER, 1, 0); }

// The firmware query as the link feeds it: the port opened afresh, the
// request to address 1 and the virtual dimmer's version reply.
std::string firmware_query_feed() {
    return "\r\n{PORT COM3}\r\n\r\n" + frame_line("Tx", 1, 0x08, {}) + "\r\n" +
           frame_line("Rx", 1, 0x08, {2, 1, 1, 4, 1, 4}) + "\r\n";
}

std::vector<std::string> firmware_query_lines() {
    return {"{PORT COM3}", "Tx 7f 01 08 f7 7f", frame_line("Rx", 1, 0x08, {2, 1, 1, 4, 1, 4})};
}

POINT centre_of(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

using MonitorTest = LinkUiTest;

}  // namespace

TEST_F(MonitorTest, ListsAndLogsAFirmwareQueryAndHoldsItWhilePaused) {
    REQUIRE_VIRTUAL_DIMMERS();
    start_with_port("COM3", 1);
    dispatch_command(CMD_MONITOR);
    HWND monitor = monitor_window();
    ASSERT_NE(monitor, nullptr);
    EXPECT_EQ(window_text(monitor), "Kommunikationsmonitor");
    EXPECT_TRUE(IsWindowVisible(monitor));
    EXPECT_EQ(GetWindow(monitor, GW_OWNER), main_window());
    expect_client_size(monitor, 470, 360);
    expect_places(monitor, {{-1, "Port", 10, 13, 30, 8},
                            {IDC_MONITOR_PORT, "", 45, 13, 50, 8},
                            {-1, "Mode", 115, 13, 30, 8},
                            {IDC_MONITOR_MODE, "", 150, 13, 92, 8},
                            {IDC_MONITOR_LIST, nullptr, 10, 30, 450, 305},
                            {IDC_MONITOR_PAUSE, "Anhalten", 400, 10, 60, 15},
                            {IDCANCEL, "Abbruch", 400, 340, 60, 15}});
    EXPECT_FALSE(GetWindowLongW(list_of(monitor), GWL_STYLE) & LBS_SORT);
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(list_of(monitor), WM_GETFONT, 0, 0)), sizeof font, &font);
    EXPECT_STREQ(font.lfFaceName, L"Courier New");
    EXPECT_EQ(font.lfWeight, 700);
    EXPECT_TRUE(monitor_feed_active());
    EXPECT_EQ(log_text(), LOG_HEADER);

    dispatch_command(CMD_FIRMWARE);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].type, KV_MB_INFO);
    EXPECT_EQ(item_text(monitor, IDC_MONITOR_PORT), "COM3");
    EXPECT_EQ(item_text(monitor, IDC_MONITOR_MODE), "38400,n,8,2");
    tick(monitor);
    EXPECT_EQ(log_text(), LOG_HEADER + firmware_query_feed());
    EXPECT_EQ(list_lines(list_of(monitor)), firmware_query_lines());
    EXPECT_EQ(SendMessageW(list_of(monitor), LB_GETCURSEL, 0, 0), 2);

    link_close();  // the fields follow the link
    EXPECT_EQ(item_text(monitor, IDC_MONITOR_PORT), "COM3");
    EXPECT_EQ(item_text(monitor, IDC_MONITOR_MODE), "");

    // Paused, the traffic waits; resumed, it is all shown and logged.
    SendMessageW(GetDlgItem(monitor, IDC_MONITOR_PAUSE), BM_CLICK, 0, 0);
    EXPECT_EQ(item_text(monitor, IDC_MONITOR_PAUSE), "Starten");
    dispatch_command(CMD_FIRMWARE);
    tick(monitor);
    EXPECT_EQ(log_text(), LOG_HEADER + firmware_query_feed());
    EXPECT_EQ(list_lines(list_of(monitor)).size(), 3u);
    SendMessageW(GetDlgItem(monitor, IDC_MONITOR_PAUSE), BM_CLICK, 0, 0);
    EXPECT_EQ(item_text(monitor, IDC_MONITOR_PAUSE), "Anhalten");
    tick(monitor);
    EXPECT_EQ(log_text(), LOG_HEADER + firmware_query_feed() + firmware_query_feed());
    std::vector<std::string> twice = firmware_query_lines();
    const std::vector<std::string> once = twice;
    twice.insert(twice.end(), once.begin(), once.end());
    EXPECT_EQ(list_lines(list_of(monitor)), twice);
}

TEST_F(MonitorTest, ClosedMonitorLeavesNoTrace) {
    REQUIRE_VIRTUAL_DIMMERS();
    start_with_port("COM3", 1);
    dispatch_command(CMD_FIRMWARE);
    EXPECT_FALSE(monitor_feed_active());
    EXPECT_FALSE(log_exists());

    dispatch_command(CMD_MONITOR);
    HWND monitor = monitor_window();
    ASSERT_NE(monitor, nullptr);
    SendMessageW(GetDlgItem(monitor, IDCANCEL), BM_CLICK, 0, 0);  // "Abbruch"
    EXPECT_EQ(monitor_window(), nullptr);
    EXPECT_FALSE(IsWindow(monitor));
    EXPECT_FALSE(monitor_feed_active());
    link_close();
    dispatch_command(CMD_FIRMWARE);
    EXPECT_EQ(monitor_feed_unread(), 0u);
    EXPECT_EQ(log_text(), LOG_HEADER);
}

TEST_F(MonitorTest, SecondOpenBringsTheSameWindowBackAndEscClosesIt) {
    start();
    SetWindowPos(main_window(), nullptr, 40, 30, 1000, 800, SWP_NOZORDER);
    dispatch_command(CMD_MONITOR);
    HWND monitor = monitor_window();
    ASSERT_NE(monitor, nullptr);
    const POINT centre = centre_of(main_window());
    EXPECT_NEAR(centre_of(monitor).x, centre.x, 1);
    EXPECT_NEAR(centre_of(monitor).y, centre.y, 1);
    monitor_feed("kept\r\n");
    tick(monitor);
    const std::string log = std::string(LOG_HEADER) + "kept\r\n";
    EXPECT_EQ(log_text(), log);

    SetWindowPos(monitor, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(monitor, SW_MINIMIZE);
    SetFocus(main_window());
    dispatch_command(CMD_MONITOR);
    EXPECT_EQ(monitor_window(), monitor);
    EXPECT_FALSE(IsIconic(monitor));
    EXPECT_NEAR(centre_of(monitor).x, centre.x, 1);
    EXPECT_NEAR(centre_of(monitor).y, centre.y, 1);
    HWND focus = GetFocus();
    EXPECT_TRUE(focus == monitor || IsChild(monitor, focus));
    EXPECT_EQ(log_text(), log);  // not recreated

    // The main loop hands the monitor its keys: Esc is "Abbruch".
    press(VK_ESCAPE, false, false, list_of(monitor));
    EXPECT_EQ(monitor_window(), nullptr);
    EXPECT_FALSE(IsWindow(monitor));
    EXPECT_FALSE(monitor_feed_active());

    dispatch_command(CMD_MONITOR);  // a new window starts a new log
    EXPECT_NE(monitor_window(), nullptr);
    EXPECT_EQ(log_text(), LOG_HEADER);
}

TEST_F(MonitorTest, ListKeepsTheNewest1001LinesCutTo71Characters) {
    start();
    dispatch_command(CMD_MONITOR);
    HWND monitor = monitor_window();
    ASSERT_NE(monitor, nullptr);
    std::string feed;
    for (int i = 0; i < 1010; ++i) feed.append("L").append(std::to_string(i)).append("\r\n");
    monitor_feed(feed.data(), feed.size());
    tick(monitor);
    std::vector<std::string> lines = list_lines(list_of(monitor));
    ASSERT_EQ(lines.size(), 1001u);
    EXPECT_EQ(lines.front(), "L9");
    EXPECT_EQ(lines.back(), "L1009");
    EXPECT_EQ(SendMessageW(list_of(monitor), LB_GETCURSEL, 0, 0), 1000);

    monitor_feed("\r\nRx");
    for (int i = 0; i < 30; ++i) monitor_feed(" a5");
    monitor_feed("\r\n");
    tick(monitor);
    lines = list_lines(list_of(monitor));
    ASSERT_EQ(lines.size(), 1001u);
    EXPECT_EQ(lines.front(), "L10");
    EXPECT_EQ(lines.back().size(), 71u);
    EXPECT_EQ(lines.back().substr(0, 8), "Rx a5 a5");
    EXPECT_EQ(log_text().size(), std::string(LOG_HEADER).size() + feed.size() + 4 + 90 + 2);
}

TEST_F(MonitorTest, StatusPagePollsThroughTheOpenPortWhileShown) {
    REQUIRE_VIRTUAL_DIMMERS();
    start_with_port("COM3", 1);
    dispatch_command(CMD_MONITOR);
    HWND monitor = monitor_window();
    ASSERT_NE(monitor, nullptr);
    StatusSlot& shown = program_state().status.slots.shown;
    shown.valid = 0;
    select_page(Page::status);
    EXPECT_TRUE(link_port_is_open());
    const DWORD started = GetTickCount();
    while (!shown.valid && GetTickCount() - started < 3000) {
        timer_tick(nullptr, WM_TIMER, 0, 0);
        pump_for(*this, 5);
    }
    EXPECT_EQ(shown.valid, 1u);
    tick(monitor);
    const std::vector<std::string> lines = list_lines(list_of(monitor));
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "{PORT COM3}");
    EXPECT_EQ(lines[1].substr(0, 11), "Tx 7f 01 10");
    // Requests go out every 100 ms whether or not the last reply is in, so on
    // a slow machine an empty "Rx" line may come before the first reply.
    EXPECT_NE(std::find_if(lines.begin() + 2, lines.end(),
                           [](const std::string& line) { return line.substr(0, 11) == "Rx 7f 01 10"; }),
              lines.end());

    select_page(Page::base_settings);  // leaving the page closes the port
    EXPECT_FALSE(link_port_is_open());
    EXPECT_EQ(item_text(monitor, IDC_MONITOR_MODE), "");
}
