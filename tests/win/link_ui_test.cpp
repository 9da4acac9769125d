#include "tests/win/link_ui_test.h"

#include "port/utf16_win.h"
#include "link/frame.h"
#include "link/link.h"
#include "win/monitor_win.h"
#include "win/app_win.h"

#include <cstdlib>

bool virtual_dimmers_present() {
    const char* ports = std::getenv("KV_TEST_COMS");
    return ports && std::string(ports) == "COM1 COM2 COM3";
}

void LinkUiTest::SetUp() {
    ShellTest::SetUp();
    monitor_set_log_folder(dir.path.string() + "\\");
}

void LinkUiTest::TearDown() {
    if (HWND monitor = monitor_window()) DestroyWindow(monitor);
    if (program_state().status.page_active) status_page_deactivate(program_state().status);
    link_close();
    monitor_set_log_folder("");
    ShellTest::TearDown();
}

void LinkUiTest::start_with_port(const std::string& port, unsigned address) {
    write_settings("[PROP]\r\nPORT=" + port + "\r\nRS485ADR=" + std::to_string(address) + "\r\n");
    start();
}

std::string LinkUiTest::log_text() { return read_bytes(dir.file("ComMon.txt")); }

bool LinkUiTest::log_exists() { return std::filesystem::exists(dir.path / "ComMon.txt"); }

namespace {

HWND child_with_text(HWND dialog, const char* text) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (window_text(child) == text) return child;
    return nullptr;
}

}  // namespace

void expect_places(HWND dialog, const std::vector<ControlPlace>& places) {
    for (const ControlPlace& p : places) {
        SCOPED_TRACE(p.text ? p.text : std::to_string(p.item).c_str());
        HWND control = p.item == -1 ? child_with_text(dialog, p.text) : GetDlgItem(dialog, p.item);
        ASSERT_NE(control, nullptr);
        if (p.text) {
            EXPECT_EQ(window_text(control), p.text);
        }
        RECT expected{p.x, p.y, p.x + p.width, p.y + p.height};
        MapDialogRect(dialog, &expected);
        RECT actual{};
        GetWindowRect(control, &actual);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&actual), 2);
        EXPECT_EQ(actual.left, expected.left);
        EXPECT_EQ(actual.top, expected.top);
        EXPECT_EQ(actual.right, expected.right);
        EXPECT_EQ(actual.bottom, expected.bottom);
    }
}

void expect_client_size(HWND dialog, int width, int height) {
    RECT expected{0, 0, width, height}, client{};
    MapDialogRect(dialog, &expected);
    GetClientRect(dialog, &client);
    EXPECT_EQ(client.right, expected.right);
    EXPECT_EQ(client.bottom, expected.bottom);
}

std::vector<std::string> list_lines(HWND list) {
    std::vector<std::string> lines;
    const LRESULT n = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < n; ++i) {
        std::wstring line(static_cast<size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)), L'\0');
        SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line.data()));
        lines.push_back(narrow(line));
    }
    return lines;
}

std::string frame_line(const char* marker, uint8_t address, uint8_t code, std::vector<uint8_t> payload) {
    uint8_t frame[FRAME_MAX_STUFFED];
    const size_t length = frame_encode(address, 0, code, payload.data(), payload.size(), frame);
    std::string line = marker;
    char hex[4];
    for (size_t i = 0; i < length; ++i) {
        std::snprintf(hex, sizeof hex, " %02x", frame[i]);
        line += hex;
    }
    return line;
}

void pump_for(ShellTest& test, DWORD ms) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        MsgWaitForMultipleObjectsEx(0, nullptr, 5, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        test.pump();
    }
}
