// A radio button that a command has just unticked may still hold the focus.
// On Windows the focus arriving at an unticked radio button clicks it (the
// fixture's buttons do the same), so nothing the program does on its own may
// move the focus onto one: not "Speichern" or "Dimmerparameter schreiben"
// taking the value being typed, not a page coming back into view. Otherwise
// what is saved or sent is the button's value, not the set the page shows.
#include "tests/win/pages_ui_test.h"

#include "params/file_commands.h"
#include "params/param_file.h"
#include "params/recent.h"
#include "res/resource.h"

#include <cstdlib>
#include <functional>
#include <sstream>

namespace {

// "User 2" of column "CD = 00 und PC-Test", "Dimmer 1"; the default is "P-linear".
constexpr int USER2 = IDC_CHARACTERISTIC + 4;

bool unticked_radio(HWND window) {
    const LONG type = GetWindowLongW(window, GWL_STYLE) & BS_TYPEMASK;
    return (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON) &&
           SendMessageW(window, BM_GETCHECK, 0, 0) != BST_CHECKED;
}

// The page's dialog handling remembers a control to give the focus back to
// when the page itself gets the focus. Hiding the page with the focus on the
// button makes it remember that one, as Windows' dialog handling may do on
// its own.
void remember_focus(HWND page) {
    ShowWindow(page, SW_HIDE);
    ShowWindow(page, SW_SHOW);
}

int recent_command(const std::string& path) {
    for (int i = 0; i < RECENT_COUNT; ++i)
        if (recent_entries()[i].path == path) return RECENT_FIRST_COMMAND + i;
    return 0;
}

TEST_F(ShellTest, ButtonUntickedUnderTheFocusIsNotClickedBySavingOrShowingThePage) {
    ParameterRecord user2;
    apply_defaults(user2);
    user2.dimmer[0].characteristic[0] = 4;
    const std::string user2_file = dir.file("User2.ini");
    const std::string default_file = dir.file("Standard.ini");
    ASSERT_TRUE(write_parameter_file(user2, user2_file));
    write_default_parameter_file(default_file);
    start();
    HWND page = page_window(Page::base_settings);
    HWND button = GetDlgItem(page, USER2);
    fake_ui_choose_file(default_file);
    dispatch_command(CMD_OPEN);  // into the recent files

    struct Case {
        const char* what;
        std::function<void()> untick;  // replaces the set without asking (it is saved)
        bool focus_into_page;          // the program then gives the page the focus
    };
    const Case cases[] = {
        {"Neu", [] { dispatch_command(CMD_NEW); }, false},
        {"a recent file", [&] { dispatch_command(recent_command(default_file)); }, false},
        {"Neu, another page and back",
         [] {
             dispatch_command(CMD_NEW);
             select_page(Page::special_functions);
             select_page(Page::base_settings);
         },
         true},
        {"another page, Neu there, back",
         [] {
             select_page(Page::special_functions);
             dispatch_command(CMD_NEW);
             select_page(Page::base_settings);
         },
         true},
        {"Neu, Enter on the tab strip",
         [this] {
             dispatch_command(CMD_NEW);
             SetFocus(tab_control());
             press(VK_RETURN, false, false, tab_control());
         },
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fake_ui_choose_file(user2_file);
        dispatch_command(CMD_OPEN);
        ASSERT_TRUE(ticked(page, USER2));
        click(*this, page, USER2);  // the focus on it; the set stays as saved
        ASSERT_EQ(GetFocus(), button);
        ASSERT_FALSE(is_modified());
        remember_focus(page);

        c.untick();
        EXPECT_EQ(live_record().dimmer[0].characteristic[0], 1);
        EXPECT_FALSE(ticked(page, USER2));
        if (c.focus_into_page) {
            EXPECT_TRUE(IsChild(page, GetFocus()));
            EXPECT_FALSE(unticked_radio(GetFocus()));
        }
        const ParameterRecord shown = live_record();

        const std::string saved_file = dir.file("Gespeichert.ini");
        fake_ui_choose_file(saved_file);  // asked only for a set without a file
        dispatch_command(CMD_SAVE);
        ui.file_answers.clear();
        EXPECT_TRUE(changed_bytes(shown, live_record()).empty());
        ParameterRecord in_file{};
        ASSERT_TRUE(read_parameter_file(in_file, current_path()));
        EXPECT_EQ(in_file.dimmer[0].characteristic[0], 1);
        EXPECT_TRUE(ui.messages.empty());
    }
}

TEST_F(ShellTest, ButtonUntickedUnderTheFocusIsNotClickedBySendingTheSet) {
    const char* coms = std::getenv("KV_TEST_COMS");
    std::string port;
    if (coms) std::istringstream(coms) >> port;
    if (port.empty()) GTEST_SKIP() << "no virtual dimmer on a COM port";
    ParameterRecord user2;
    apply_defaults(user2);
    user2.dimmer[0].characteristic[0] = 4;
    const std::string user2_file = dir.file("User2.ini");
    ASSERT_TRUE(write_parameter_file(user2, user2_file));
    write_settings("[PROP]\r\nPORT=" + port + "\r\nRS485ADR=1\r\n");
    start();
    HWND page = page_window(Page::base_settings);
    fake_ui_choose_file(user2_file);
    dispatch_command(CMD_OPEN);
    click(*this, page, USER2);
    ASSERT_EQ(GetFocus(), GetDlgItem(page, USER2));

    dispatch_command(CMD_NEW);  // unticks it under the focus
    dispatch_command(CMD_WRITE_DEVICE);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "PC-Parameter wurden im Dimmer abgespeichert");
    EXPECT_EQ(live_record().dimmer[0].characteristic[0], 1);
    // What the dimmer holds now.
    live_record().dimmer[0].characteristic[0] = 3;
    dispatch_command(CMD_READ_DEVICE);
    EXPECT_EQ(live_record().dimmer[0].characteristic[0], 1);
}

}  // namespace
