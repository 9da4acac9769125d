// Shared by the UI tests of the connection dialog and the communication
// monitor: the fixture, and the virtual dimmers the test run provides.
#pragma once

#include "tests/win/shell_fixture.h"

#include <string>
#include <vector>

// The run (see tests/win/CMakeLists.txt) puts a port that cannot be opened on
// COM1, a dimmer that never answers on COM2 and a working dimmer at RS485
// address 1 on COM3, so a port search finds COM3 after one time-out.
bool virtual_dimmers_present();
#define REQUIRE_VIRTUAL_DIMMERS()   \
    if (!virtual_dimmers_present()) \
    GTEST_SKIP() << "needs KV_TEST_COMS=\"COM1 COM2 COM3\": nothing, a silent and a working dimmer"

// The monitor writes its log into the test's folder; whatever a test leaves
// open (monitor, port, status page) is closed afterwards.
struct LinkUiTest : ShellTest {
    void SetUp() override;
    void TearDown() override;
    void start_with_port(const std::string& port, unsigned address);
    std::string log_text();
    bool log_exists();
};

// Checks each control's text and place: left, top, width and height in
// dialog units, converted with the dialog's own font. Labels (item -1) are
// found by their text; text null skips the text check.
struct ControlPlace {
    int item;
    const char* text;
    int x, y, width, height;
};
void expect_places(HWND dialog, const std::vector<ControlPlace>& places);
// Checks the dialog's client size in dialog units.
void expect_client_size(HWND dialog, int width, int height);
std::vector<std::string> list_lines(HWND list);
// "Tx" or "Rx" and the frame's bytes as the monitor shows them.
std::string frame_line(const char* marker, uint8_t address, uint8_t code, std::vector<uint8_t> payload);
// Pumps messages for about the given time.
void pump_for(ShellTest& test, DWORD ms);
