// A test fixture that starts the real main window of kv310r.exe in the test
// process, answers its message boxes and file dialogs from a script (the
// fake of tests/support/fake_ui.h), and records the notifications the main
// window sends to its pages. Where Windows and Wine differ in a way the
// program depends on, the fixture makes the windows behave as on Windows:
// message boxes run a message loop with the timer ticking while they are up,
// and radio buttons report a click when the focus reaches them unticked.
#pragma once

#include "win/app_win.h"
#include "win/commands_win.h"
#include "win/main_win.h"
#include "win/main_window_win.h"
#include "win/page_notify.h"
#include "win/status_bar_win.h"
#include "win/tab_pages_win.h"
#include "win/timer_win.h"
#include "base/ui.h"
#include "tests/support/fake_ui.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

struct PageNote {
    std::optional<Page> page;  // nothing for the watched control
    UINT code;                 // PAGE_SETACTIVE, PAGE_KILLACTIVE, WM_COMMAND for a button click on
                               // the page, or WM_KILLFOCUS for the watched control
    int item = 0;              // the button clicked
};

// Names a page in the messages of failed checks.
inline void PrintTo(Page page, std::ostream* out) { *out << "Page \"" << page_title(page) << '"'; }

class ShellTest : public testing::Test {
  public:
    TempDir dir;

    void SetUp() override;
    void TearDown() override;

    // Settings file beside the "program" (the test's folder).
    void write_settings(std::string_view text);
    std::string settings_text();
    int settings_int(const char* section, const char* key);

    // Creates and shows the main window as start-up does (no message loop).
    void start();
    // Destroys the main window if it still exists, handles what is queued and
    // commits the settings stored on the way, as the program's exit does.
    void destroy_window();
    // Handles every waiting message the way the program's loop does.
    void pump();
    // A key pressed where the focus is (or at `target`), with Ctrl/Shift held.
    void press(UINT vk, bool ctrl, bool shift, HWND target = nullptr);

    std::string status_field(int field);
    std::string menu_item_text(HMENU menu, int position);

    // The "user": the scripted answers and what was shown, reset for each test.
    FakeUi& ui = fake_ui();

    // Stops noting what the main window sends its pages (a hook on every
    // message sent in this thread, which costs time under Wine).
    void stop_watching();
    std::vector<PageNote> notes;
    HWND watched_control = nullptr;  // its WM_KILLFOCUS is noted too
    std::optional<Page> page_of(HWND window) const;
    HWND pages[PAGE_COUNT] = {};  // by page_index

    static ShellTest* current;
};

// A parameter file holding the default set.
void write_default_parameter_file(const std::string& path);

// The text of a window or of a dialog's control.
std::string window_text(HWND window);
std::string item_text(HWND dialog, int item);
