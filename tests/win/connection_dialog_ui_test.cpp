// The dialog "Hardwareanschluss" driven like a user would: typing, leaving
// fields, "OK", Enter, "Abbruch", and the port search over the virtual dimmers.
#include "tests/win/link_ui_test.h"

#include "port/utf16_win.h"
#include "link/busy.h"
#include "link/link.h"
#include "win/monitor_win.h"
#include "link/port_settings.h"
#include "res/resource.h"

#include <functional>

namespace {

using DialogStep = std::function<void(HWND dialog)>;

// Plays the user at the modal dialog: whenever the dialog is up and its loop
// waits, the next step runs on it. It also notes every text the busy window
// shows, and presses the busy window's "Abbruch" when it shows cancel_at.
struct Robot {
    std::deque<DialogStep> steps;
    int unexpected_dialogs = 0;
    std::vector<std::string> busy_texts;
    std::string cancel_at;
    bool acting = false;
};

Robot* g_robot = nullptr;
HHOOK g_busy_hook = nullptr;

HWND waiting_dialog() {
    HWND dialog = FindWindowW(L"#32770", L"Hardwareanschluss");
    return dialog && IsWindowVisible(dialog) && IsWindowEnabled(dialog) ? dialog : nullptr;
}

void CALLBACK robot_tick(HWND, UINT, UINT_PTR, DWORD) {
    Robot* robot = g_robot;
    HWND dialog = waiting_dialog();
    if (!robot || robot->acting || !dialog) return;
    robot->acting = true;
    if (robot->steps.empty()) {  // more dialogs than planned: leave
        ++robot->unexpected_dialogs;
        SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    } else {
        DialogStep step = std::move(robot->steps.front());
        robot->steps.pop_front();
        step(dialog);
    }
    robot->acting = false;
}

LRESULT CALLBACK note_busy_text(int code, WPARAM wparam, LPARAM lparam) {
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lparam);
    HWND busy = static_cast<HWND>(busy_window());
    if (code == HC_ACTION && g_robot && busy && sent->message == WM_SETTEXT &&
        GetParent(sent->hwnd) == busy && GetDlgCtrlID(sent->hwnd) == IDC_BUSY_TEXT && sent->lParam) {
        const std::string text = narrow(reinterpret_cast<const wchar_t*>(sent->lParam));
        if (!text.empty()) g_robot->busy_texts.push_back(text);
        if (text == g_robot->cancel_at)
            PostMessageW(busy, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(busy, IDCANCEL)));
    }
    return CallNextHookEx(g_busy_hook, code, wparam, lparam);
}

void type(HWND dialog, int item, const std::string& text) {
    HWND edit = GetDlgItem(dialog, item);
    SetFocus(edit);
    SetWindowTextW(edit, widen(text).c_str());
}

// Mouse down and up on the button: it takes the focus, then reports the click.
void click(HWND dialog, int item) { SendMessageW(GetDlgItem(dialog, item), BM_CLICK, 0, 0); }

void press_enter() { PostMessageW(GetFocus(), WM_KEYDOWN, VK_RETURN, 1); }

struct ConnectionDialogTest : LinkUiTest {
    Robot robot;
    UINT_PTR timer = 0;

    void SetUp() override {
        LinkUiTest::SetUp();
        g_robot = &robot;
        timer = SetTimer(nullptr, 0, 20, robot_tick);
        g_busy_hook = SetWindowsHookExW(WH_CALLWNDPROC, note_busy_text, nullptr, GetCurrentThreadId());
    }
    void TearDown() override {
        KillTimer(nullptr, timer);
        UnhookWindowsHookEx(g_busy_hook);
        g_robot = nullptr;
        LinkUiTest::TearDown();
    }
    // CMD_HARDWARE from start to end; every planned step must have run.
    void run_dialog() {
        robot.busy_texts.clear();
        dispatch_command(CMD_HARDWARE);
        EXPECT_TRUE(robot.steps.empty());
        EXPECT_EQ(robot.unexpected_dialogs, 0);
        EXPECT_TRUE(IsWindowEnabled(main_window()));
        EXPECT_EQ(busy_window(), nullptr);
        EXPECT_FALSE(link_port_is_open());
    }
    void expect_live(const char* name, uint32_t address) {
        EXPECT_STREQ(g_port_settings.name, name);
        EXPECT_EQ(g_port_settings.address, address);
        EXPECT_EQ(status_field(3), std::string(name) + " / " + std::to_string(address));
    }
};

}  // namespace

TEST_F(ConnectionDialogTest, FieldsShowWhatIsTakenAndAbbruchChangesNothing) {
    start_with_port("COM7", 0);
    robot.steps.push_back([](HWND d) {
        EXPECT_EQ(window_text(d), "Hardwareanschluss");
        EXPECT_EQ(GetWindow(d, GW_OWNER), main_window());
        expect_client_size(d, 230, 145);
        EXPECT_TRUE(GetWindowLongW(d, GWL_STYLE) & WS_MINIMIZEBOX);
        expect_places(d, {{-1, "Port", 10, 10, 30, 8},
                          {IDC_HW_PORT, "COM7", 45, 10, 100, 12},
                          {-1, "RS485-Adresse", 10, 30, 80, 16},
                          {IDC_HW_ADDRESS, "", 95, 30, 50, 12},  // address 0 shows empty
                          {IDC_HW_TEST, "Testen", 160, 10, 60, 15},
                          {IDOK, "OK", 160, 100, 60, 15},
                          {IDCANCEL, "Abbruch", 160, 120, 60, 15}});
        EXPECT_EQ(GetWindowLongW(GetDlgItem(d, IDOK), GWL_STYLE) & 0xF, BS_DEFPUSHBUTTON);

        const struct {
            int item;
            const char* typed;
            const char* shown;
        } cases[] = {
            {IDC_HW_PORT, "  COM3 rest", "COM3"},
            {IDC_HW_PORT, "\t\\\\.\\COM12", "\\\\.\\COM12"},
            {IDC_HW_PORT, "   ", ""},
            {IDC_HW_ADDRESS, "300", "255"},  // frames carry eight bits
            {IDC_HW_ADDRESS, "  12abc", "12"},
            {IDC_HW_ADDRESS, "abc", ""},
            {IDC_HW_ADDRESS, "-5", "255"},
            {IDC_HW_ADDRESS, "0", ""},
            {IDC_HW_ADDRESS, "255", "255"},
        };
        for (const auto& c : cases) {
            SCOPED_TRACE(c.typed);
            type(d, c.item, c.typed);
            EXPECT_EQ(item_text(d, c.item), c.typed);  // nothing taken while typing
            SetFocus(GetDlgItem(d, c.item == IDC_HW_PORT ? IDC_HW_ADDRESS : IDC_HW_PORT));
            EXPECT_EQ(item_text(d, c.item), c.shown);
        }
        click(d, IDCANCEL);
    });
    run_dialog();
    expect_live("COM7", 0);
    EXPECT_TRUE(ui.messages.empty());

    // A live address above 255 (frames cannot carry it) becomes 0 when the
    // dialog fills its fields; the field still shows the value it was given.
    g_port_settings.address = 300;
    robot.steps.push_back([](HWND d) {
        EXPECT_EQ(item_text(d, IDC_HW_ADDRESS), "300");
        EXPECT_EQ(g_port_settings.address, 0u);
        SendMessageW(d, WM_CLOSE, 0, 0);  // closing the window cancels too
    });
    run_dialog();
    EXPECT_EQ(g_port_settings.address, 0u);
}

TEST_F(ConnectionDialogTest, OkMakesTheValuesLiveAndTestsTheConnection) {
    const bool dimmers = virtual_dimmers_present();
    const struct {
        const char* port;
        const char* address;
        bool enter;  // Enter in the address field instead of a click on "OK"
        const char* live_name;
        uint32_t live_address;
        const char* message;  // empty: none
        bool needs_dimmers;
    } cases[] = {
        {"", "1", false, "", 1, "Kommunikationsport muss ausgewählt werden", false},
        {" COM99 x", "300", true, "COM99", 255, "Kommunikationsport ist nicht geeignet", false},
        {"COM3", "1", true, "COM3", 1, "", true},
        {"COM3", "2", false, "COM3", 2, "Kommunikation mit KV-310-R ist fehlerhaft", true},  // no dimmer at 2
        {"COM2", "1", false, "COM2", 1, "Kommunikation mit KV-310-R ist fehlerhaft", true},  // silent
    };
    start_with_port("COM7", 9);
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.port) + " / " + c.address);
        if (c.needs_dimmers && !dimmers) continue;
        ui.messages.clear();
        robot.steps.push_back([&c](HWND d) {
            type(d, IDC_HW_PORT, c.port);
            type(d, IDC_HW_ADDRESS, c.address);
            if (c.enter)
                press_enter();
            else
                click(d, IDOK);
        });
        run_dialog();
        expect_live(c.live_name, c.live_address);
        EXPECT_EQ(robot.busy_texts, std::vector<std::string>{"Hardware-Test.."});
        if (*c.message) {
            ASSERT_EQ(ui.messages.size(), 1u);
            EXPECT_EQ(ui.messages[0].text, c.message);
            EXPECT_EQ(ui.messages[0].type, KV_MB_ERROR);
            EXPECT_EQ(ui.messages[0].owner, main_window());
        } else {
            EXPECT_TRUE(ui.messages.empty());
        }
    }
}

TEST_F(ConnectionDialogTest, SearchTakesTheFirstPortWhoseDimmerAnswersAndShowsEachProbe) {
    REQUIRE_VIRTUAL_DIMMERS();
    start_with_port("COM9", 1);
    dispatch_command(CMD_MONITOR);
    HWND monitor = monitor_window();
    ASSERT_NE(monitor, nullptr);

    robot.steps.push_back([](HWND d) { click(d, IDC_HW_TEST); });
    robot.steps.push_back([](HWND d) {
        EXPECT_EQ(item_text(d, IDC_HW_PORT), "COM3");
        EXPECT_EQ(item_text(d, IDC_HW_ADDRESS), "1");
        click(d, IDCANCEL);  // the found port stays live all the same
    });
    run_dialog();
    EXPECT_EQ(robot.busy_texts, (std::vector<std::string>{"COM1", "COM2", "COM3"}));
    EXPECT_TRUE(ui.messages.empty());
    expect_live("COM3", 1);

    // COM1 cannot be opened and leaves nothing; COM2 opens but stays silent.
    SendMessageW(monitor, WM_TIMER, 1, 0);
    const std::string request = frame_line("Tx", 1, 0x08, {});
    EXPECT_EQ(request, "Tx 7f 01 08 f7 7f");
    EXPECT_EQ(list_lines(GetDlgItem(monitor, IDC_MONITOR_LIST)),
              (std::vector<std::string>{"{PORT COM2}", request, "Rx", "{TIMEOUT 1000}", "{PORT COM3}",
                                        request, frame_line("Rx", 1, 0x08, {2, 1, 1, 4, 1, 4})}));
}

TEST_F(ConnectionDialogTest, SearchWithoutAnswerTriesEveryNameAndRestoresTheDialogValues) {
    REQUIRE_VIRTUAL_DIMMERS();
    start_with_port("COM9", 1);
    robot.steps.push_back([](HWND d) {
        type(d, IDC_HW_ADDRESS, "7");  // no dimmer has this address
        click(d, IDC_HW_TEST);
    });
    robot.steps.push_back([](HWND d) {
        EXPECT_EQ(item_text(d, IDC_HW_PORT), "COM9");
        EXPECT_EQ(item_text(d, IDC_HW_ADDRESS), "7");
        click(d, IDCANCEL);
    });
    const DWORD started = GetTickCount();
    run_dialog();
    std::printf("search over %d names without an answer: %lu ms\n", PORT_SEARCH_NAMES,
                static_cast<unsigned long>(GetTickCount() - started));

    std::vector<std::string> names;
    for (int n = 1; n <= 128; ++n) names.push_back("COM" + std::to_string(n));
    for (int n = 10; n <= 128; ++n) names.push_back("\\\\.\\COM" + std::to_string(n));
    EXPECT_EQ(robot.busy_texts, names);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Kommunikationsport wurde nicht erkannt");
    EXPECT_EQ(ui.messages[0].type, KV_MB_ERROR);
    EXPECT_EQ(ui.messages[0].owner, main_window());
    expect_live("COM9", 7);  // the dialog's values
}

TEST_F(ConnectionDialogTest, CancelledSearchReopensTheDialogSilently) {
    start_with_port("COM9", 1);
    robot.cancel_at = "COM2";
    robot.steps.push_back([](HWND d) {
        type(d, IDC_HW_ADDRESS, "5");
        click(d, IDC_HW_TEST);
    });
    robot.steps.push_back([](HWND d) {
        EXPECT_EQ(item_text(d, IDC_HW_PORT), "COM9");
        EXPECT_EQ(item_text(d, IDC_HW_ADDRESS), "5");
        click(d, IDCANCEL);
    });
    run_dialog();
    EXPECT_EQ(robot.busy_texts, (std::vector<std::string>{"COM1", "COM2"}));
    EXPECT_TRUE(ui.messages.empty());
    expect_live("COM9", 5);
}
