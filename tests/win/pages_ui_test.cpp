// "Grundeinstellung" and "Sonderfunktionen" as a user works them: typing into
// the edits and leaving them, clicking radio buttons and check boxes, Enter,
// Esc and Tab; and both pages showing a set that a file or the dimmer brought.
#include "tests/win/pages_ui_test.h"

#include "win/dialog_items_win.h"
#include "win/page_controls.h"
#include "params/file_commands.h"
#include "params/param_file.h"
#include "res/resource.h"

#include <cstring>
#include <sstream>

void type_into(ShellTest& t, HWND page, int id, const std::string& text) {
    HWND edit = GetDlgItem(page, id);
    SetFocus(edit);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    SendMessageW(edit, WM_CLEAR, 0, 0);
    for (char c : text) SendMessageW(edit, WM_CHAR, WPARAM(static_cast<unsigned char>(c)), 1);
    t.pump();
}

void leave(ShellTest& t) {
    SetFocus(tab_control());
    t.pump();
}

void click(ShellTest& t, HWND page, int id) {
    SendMessageW(GetDlgItem(page, id), BM_CLICK, 0, 0);
    t.pump();
}

bool ticked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }

std::vector<size_t> changed_bytes(const ParameterRecord& a, const ParameterRecord& b) {
    std::vector<size_t> out;
    const auto* pa = reinterpret_cast<const uint8_t*>(&a);
    const auto* pb = reinterpret_cast<const uint8_t*>(&b);
    for (size_t i = 0; i < sizeof a; ++i)
        if (pa[i] != pb[i]) out.push_back(i);
    return out;
}

namespace {

// What the page shows and what the record holds after typing and leaving.
TEST_F(ShellTest, TypedValuesAreTakenOnLeavingAndShownCorrected) {
    start();
    using enum Page;
    struct Case {
        Page page;
        int id;
        const char* typed;
        const char* shown;
        std::vector<std::pair<int, const char*>> also;  // other controls refilled at once
    };
    const Case cases[] = {
        {base_settings, IDC_MINIMUM + 1, "150", "100", {{IDC_MAXIMUM + 1, "100"}}},
        {base_settings, IDC_MINIMUM + 2, "-5", "100", {}},
        {base_settings, IDC_MINIMUM + 1, "abc", "0", {{IDC_MAXIMUM + 1, "100"}}},
        {base_settings, IDC_MINIMUM + 3, "", "0", {}},
        {base_settings, IDC_MINIMUM + 5, "40", "40", {}},
        {base_settings, IDC_MAXIMUM + 5, "20", "40", {}},  // not below that column's minimum
        {base_settings, IDC_FADE_TIME, "70000", "60000", {}},
        {base_settings, IDC_FADE_TIME + 1, "-1", "60000", {}},
        {base_settings, IDC_PREHEAT_TIME + 1, "300", "255", {}},
        {special_functions, IDC_BUS_FAILURE_DELAY, "3", "3", {}},
        {special_functions, IDC_BUS_FAILURE_DELAY, "300", "255", {}},
        {special_functions, IDC_NONDIM_THRESHOLD + 1, "5", "5", {}},
        {special_functions, IDC_NONDIM_HYSTERESIS + 1, "8", "5", {}},
        {special_functions, IDC_NONDIM_THRESHOLD, "150", "100", {}},
        {special_functions, IDC_ONE_BUTTON_START, "120", "100", {}},
        {special_functions, IDC_ONE_BUTTON_ONOFF_FADE + 1, "300", "255", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "control " << c.id << " typed \"" << c.typed << "\"");
        select_page(c.page);
        HWND page = current_page();
        type_into(*this, page, c.id, c.typed);
        leave(*this);
        EXPECT_EQ(dlg_get_text(page, c.id), c.shown);
        for (const auto& [id, text] : c.also) EXPECT_EQ(dlg_get_text(page, id), text) << "control " << id;
        const auto control = find_page_control(c.page, c.id);
        ASSERT_TRUE(control);
        EXPECT_EQ(std::to_string(slot_value(live_record(), control->slot)), c.shown);
    }
    EXPECT_TRUE(ui.messages.empty());  // corrected, never reported
}

TEST_F(ShellTest, RadioButtonsOfDimmer2ChangeOnlyTheirOwnField) {
    start();
    for (Page edited : EDIT_PAGES) {
        select_page(edited);
        HWND page = current_page();
        for (const PageControl& c : page_controls(edited)) {
            if (c.slot.field->kind != FieldKind::choice || c.slot.dimmer != 1) continue;
            SCOPED_TRACE(testing::Message() << "button " << c.id);
            const ParameterRecord before = live_record();
            click(*this, page, c.id);
            EXPECT_EQ(slot_value(live_record(), c.slot), c.value);
            for (size_t offset : changed_bytes(before, live_record())) EXPECT_EQ(offset, slot_offset(c.slot));
            // The group shows the one ticked; the button never ticks itself otherwise.
            for (const PageControl& other : page_controls(edited)) {
                if (other.slot.field == c.slot.field && other.slot.dimmer == 1 &&
                    other.slot.column == c.slot.column) {
                    EXPECT_EQ(ticked(page, other.id), other.id == c.id) << "button " << other.id;
                }
            }
        }
    }
    // "ANschnitt" for dimmer 2 leaves dimmer 1's default mode alone.
    select_page(Page::base_settings);
    click(*this, current_page(), IDC_DEFAULT_MODE + 3);
    EXPECT_EQ(live_record().dimmer[1].default_mode, 1);
    EXPECT_EQ(live_record().dimmer[0].default_mode, 0);
    EXPECT_TRUE(ticked(current_page(), IDC_DEFAULT_MODE));
}

TEST_F(ShellTest, CheckBoxesClickedTwiceAreBackWhereTheyStarted) {
    start();
    using enum Page;
    const struct {
        Page page;
        int id;
    } boxes[] = {{base_settings, IDC_AUTO_MODE_SWITCH},
                 {base_settings, IDC_AUTO_MODE_SWITCH + 1},
                 {special_functions, IDC_MASTER_SLAVE}};
    for (const auto& b : boxes) {
        SCOPED_TRACE(b.id);
        select_page(b.page);
        HWND page = current_page();
        const ParameterRecord before = live_record();
        const bool was = ticked(page, b.id);
        click(*this, page, b.id);
        EXPECT_EQ(ticked(page, b.id), !was);
        EXPECT_EQ(changed_bytes(before, live_record()).size(), 1u);
        click(*this, page, b.id);
        EXPECT_EQ(ticked(page, b.id), was);
        EXPECT_TRUE(changed_bytes(before, live_record()).empty());
    }
}

TEST_F(ShellTest, EnterTakesTheValueAndMovesOnEscDoesNothing) {
    start();
    HWND page = current_page();
    HWND edit = GetDlgItem(page, IDC_MINIMUM);
    type_into(*this, page, IDC_MINIMUM, "42");
    press(VK_RETURN, false, false);
    EXPECT_EQ(live_record().dimmer[0].minimum[0], 42);
    EXPECT_NE(GetFocus(), edit);
    EXPECT_TRUE(IsChild(page, GetFocus()));  // still on the page
    EXPECT_EQ(current_page(), page);

    type_into(*this, page, IDC_MINIMUM, "17");
    const ParameterRecord before = live_record();
    press(VK_ESCAPE, false, false);
    EXPECT_TRUE(changed_bytes(before, live_record()).empty());
    EXPECT_EQ(GetFocus(), edit);
    EXPECT_EQ(dlg_get_text(page, IDC_MINIMUM), "17");  // still being typed
    EXPECT_TRUE(ui.messages.empty());
}

// Tab lands on the ticked button of each radio group, so walking the whole
// page with the keyboard changes nothing.
TEST_F(ShellTest, TabWalksThePagesWithoutChangingTheSet) {
    start();
    for (Page edited : EDIT_PAGES) {
        select_page(edited);
        HWND page = current_page();
        SetFocus(GetNextDlgTabItem(page, nullptr, FALSE));
        const ParameterRecord before = live_record();
        for (int i = 0; i < 80; ++i) press(VK_TAB, false, false);
        for (int i = 0; i < 80; ++i) press(VK_TAB, false, true);
        EXPECT_TRUE(changed_bytes(before, live_record()).empty()) << page_title(edited);
        EXPECT_TRUE(IsChild(page, GetFocus()));
    }
}

TEST_F(ShellTest, PagesShowTheSetOfAFileOpenedWhileTheyAreShown) {
    ParameterRecord record;
    apply_defaults(record);
    record.dimmer[1].minimum[2] = 33;
    record.dimmer[0].characteristic[3] = 4;
    record.dimmer[1].nondim_threshold = 77;
    record.bus_failure_delay = 9;
    const std::string path = dir.file("Anlage.ini");
    ASSERT_TRUE(write_parameter_file(record, path));
    start();
    for (Page edited : EDIT_PAGES) {
        select_page(edited);
        ui.file_answers.push_back(FileDialogResult{path, 1});
        dispatch_command(CMD_OPEN);
        ASSERT_TRUE(ui.messages.empty());
        HWND page = current_page();
        if (edited == Page::base_settings) {
            EXPECT_EQ(dlg_get_text(page, IDC_MINIMUM + 6), "33");
            EXPECT_TRUE(ticked(page, IDC_CHARACTERISTIC + 15 + 4));
            EXPECT_FALSE(ticked(page, IDC_CHARACTERISTIC + 15 + 1));
        } else {
            EXPECT_EQ(dlg_get_text(page, IDC_NONDIM_THRESHOLD + 1), "77");
            EXPECT_EQ(dlg_get_text(page, IDC_BUS_FAILURE_DELAY), "9");
        }
        dispatch_command(CMD_NEW);  // back to the defaults for the next round
    }
}

TEST_F(ShellTest, PagesShowWhatTheDimmerSent) {
    const char* coms = std::getenv("KV_TEST_COMS");
    std::string port;
    if (coms) std::istringstream(coms) >> port;
    if (port.empty()) GTEST_SKIP() << "no virtual dimmer on a COM port";
    write_settings("[PROP]\r\nPORT=" + port + "\r\nRS485ADR=1\r\n");
    start();
    // Into the dimmer with values of our own, back to the defaults, then read.
    ParameterRecord& record = live_record();
    record.dimmer[0].maximum[1] = 66;
    record.dimmer[1].voltage_input_range = 1;
    record.dimmer[1].pot_activity = 0;
    set_fade_time(record.dimmer[1], 1234);
    dispatch_command(CMD_WRITE_DEVICE);
    ASSERT_EQ(ui.messages.size(), 1u);
    ASSERT_EQ(ui.messages[0].text, "PC-Parameter wurden im Dimmer abgespeichert");
    ui.messages.clear();
    ui.message_answers = {KV_IDNO};
    dispatch_command(CMD_NEW);
    EXPECT_EQ(dlg_get_text(current_page(), IDC_MAXIMUM + 1), "100");
    ui.messages.clear();
    dispatch_command(CMD_READ_DEVICE);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Dimmerparameter wurden zum PC übertragen");
    HWND page = current_page();
    EXPECT_EQ(dlg_get_text(page, IDC_MAXIMUM + 1), "66");
    EXPECT_EQ(dlg_get_text(page, IDC_FADE_TIME + 1), "1234");
    EXPECT_TRUE(ticked(page, IDC_VOLTAGE_INPUT_RANGE + 3));
    select_page(Page::special_functions);
    EXPECT_TRUE(ticked(current_page(), IDC_POT_ACTIVITY + 3));
}

TEST_F(ShellTest, LargePagesScrollInASmallWindow) {
    start();
    HWND page = current_page();
    HWND far_edit = GetDlgItem(page, IDC_PREHEAT_TIME + 1);  // dimmer 2, bottom right
    RECT full{};
    GetWindowRect(far_edit, &full);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&full), 2);

    SetWindowPos(main_window(), nullptr, 0, 0, 600, 420, SWP_NOZORDER | SWP_NOMOVE);
    pump();
    const LONG style = GetWindowLongW(page, GWL_STYLE);
    EXPECT_TRUE(style & WS_HSCROLL);
    EXPECT_TRUE(style & WS_VSCROLL);
    // The keyboard brings a control out of sight into view.
    SendMessageW(page, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(far_edit), TRUE);
    RECT shown{}, client{};
    GetWindowRect(far_edit, &shown);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&shown), 2);
    GetClientRect(page, &client);
    EXPECT_GE(shown.left, 0);
    EXPECT_LE(shown.right, client.right);
    EXPECT_LE(shown.bottom, client.bottom);

    // Large enough again: no bars, everything where the template put it.
    SetWindowPos(main_window(), nullptr, 0, 0, 1600, 1000, SWP_NOZORDER | SWP_NOMOVE);
    pump();
    EXPECT_FALSE(GetWindowLongW(page, GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL));
    GetWindowRect(far_edit, &shown);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&shown), 2);
    EXPECT_EQ(shown.left, full.left);
    EXPECT_EQ(shown.top, full.top);
}

}  // namespace
