// The dialog "Bus durchsuchen" driven like a technician would, against a
// virtual bus on COM5: dimmers at 2 (answering), 6 (garbling every reply), 7
// (answering late) and 9 (another firmware). Found while the scan runs, the
// open set written to the ticked ones with a failing dimmer in the middle,
// proved by a comparison, read into files, the protocol saved, an address
// taken over, and a run stopped in the busy window after the dimmer in progress.
#include "tests/win/link_ui_test.h"

#include "port/utf16_win.h"
#include "link/busy.h"
#include "link/link.h"
#include "params/file_commands.h"
#include "params/record.h"
#include "win/bus_dialog_win.h"
#include "res/resource.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>

namespace {

bool bus_present() {
    const char* ports = std::getenv("KV_TEST_COMS");
    return ports && std::string(ports) == "COM5";
}

using DialogStep = std::function<void(HWND dialog)>;

// Plays the technician: whenever the dialog waits for input, the next step
// runs on it. It notes the busy window's texts and presses its "Abbruch"
// when it shows cancel_at.
struct Robot {
    std::deque<DialogStep> steps;
    int unexpected_dialogs = 0;
    std::vector<std::string> busy_texts;
    std::string cancel_at;
    std::function<void(const std::string&)> on_text;  // each text the busy window shows
    bool acting = false;
};
Robot* g_robot = nullptr;
HHOOK g_busy_hook = nullptr;

void CALLBACK robot_tick(HWND, UINT, UINT_PTR, DWORD) {
    HWND dialog = bus_dialog_window();
    if (!g_robot || g_robot->acting || !dialog || !IsWindowEnabled(dialog)) return;
    g_robot->acting = true;
    if (g_robot->steps.empty()) {
        ++g_robot->unexpected_dialogs;
        SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    } else {
        DialogStep step = std::move(g_robot->steps.front());
        g_robot->steps.pop_front();
        step(dialog);
    }
    g_robot->acting = false;
}

LRESULT CALLBACK note_busy_text(int code, WPARAM wparam, LPARAM lparam) {
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lparam);
    HWND busy = static_cast<HWND>(busy_window());
    if (code == HC_ACTION && g_robot && busy && sent->message == WM_SETTEXT &&
        GetParent(sent->hwnd) == busy && GetDlgCtrlID(sent->hwnd) == IDC_BUSY_TEXT && sent->lParam) {
        const std::string text = narrow(reinterpret_cast<const wchar_t*>(sent->lParam));
        if (!text.empty()) g_robot->busy_texts.push_back(text);
        if (g_robot->on_text) g_robot->on_text(text);
        if (text == g_robot->cancel_at)
            PostMessageW(busy, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(busy, IDCANCEL)));
    }
    return CallNextHookEx(g_busy_hook, code, wparam, lparam);
}

void click(HWND dialog, int item) { SendMessageW(GetDlgItem(dialog, item), BM_CLICK, 0, 0); }

constexpr int COLUMNS = 8;  // Adresse .. Vergleichen

// The list as it shows, one row of cells per line.
std::vector<std::vector<std::string>> rows(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_BUS_LIST);
    std::vector<std::vector<std::string>> out;
    const int count = int(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int r = 0; r < count; ++r) {
        std::vector<std::string> row;
        for (int c = 0; c < COLUMNS; ++c) {
            wchar_t text[512] = {};
            LVITEMW item{};
            item.iSubItem = c;
            item.pszText = text;
            item.cchTextMax = 512;
            SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(r), reinterpret_cast<LPARAM>(&item));
            row.push_back(narrow(text));
        }
        out.push_back(row);
    }
    return out;
}

// One column of every row.
std::vector<std::string> column(HWND dialog, int c) {
    std::vector<std::string> out;
    for (const auto& row : rows(dialog)) out.push_back(row[size_t(c)]);
    return out;
}

void tick(HWND dialog, int row, bool ticked) {
    LVITEMW item{};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(ticked ? 2 : 1);
    SendDlgItemMessageW(dialog, IDC_BUS_LIST, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                        reinterpret_cast<LPARAM>(&item));
}

bool ticked(HWND dialog, int row) {
    const LRESULT state = SendDlgItemMessageW(dialog, IDC_BUS_LIST, LVM_GETITEMSTATE,
                                              static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK);
    return ((state & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

void select(HWND dialog, int row) {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendDlgItemMessageW(dialog, IDC_BUS_LIST, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                        reinterpret_cast<LPARAM>(&item));
}

const std::string WRITTEN = "PC-Parameter wurden im Dimmer abgespeichert";
const std::string FAILED = "Kommunikation mit KV-310-R ist fehlerhaft";

struct BusDialogTest : LinkUiTest {
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
    // CMD_BUS from start to end; every planned step must have run.
    void run_dialog() {
        dispatch_command(CMD_BUS);
        EXPECT_TRUE(robot.steps.empty());
        EXPECT_EQ(robot.unexpected_dialogs, 0);
        EXPECT_TRUE(IsWindowEnabled(main_window()));
        EXPECT_EQ(busy_window(), nullptr);
        EXPECT_EQ(bus_dialog_window(), nullptr);
        EXPECT_FALSE(link_port_is_open());
    }
};

}  // namespace

TEST_F(BusDialogTest, FindWriteProveAndRecordTheWholeBus) {
    if (!bus_present()) GTEST_SKIP() << "needs KV_TEST_COMS=COM5: a virtual bus";
    start_with_port("COM5", 1);
    set_fade_time(live_record().dimmer[1], 17);  // the open set differs from the dimmers' own

    robot.steps.push_back([&](HWND d) {
        EXPECT_EQ(window_text(d), "Bus durchsuchen");
        EXPECT_EQ(GetWindow(d, GW_OWNER), main_window());
        EXPECT_EQ(item_text(d, IDC_BUS_ADDRESSES), "1-255");
        SetDlgItemTextW(d, IDC_BUS_ADDRESSES, L"1-10");
        click(d, IDC_BUS_SCAN);
        // The scan ran in the busy window, address by address, and the
        // dialog took the input back afterwards; the owner stays disabled.
        EXPECT_TRUE(IsWindowEnabled(d));
        EXPECT_FALSE(IsWindowEnabled(main_window()));
        ASSERT_GE(robot.busy_texts.size(), 10u);
        EXPECT_EQ(robot.busy_texts.front(), "Adresse 1 (1 von 10)");
        EXPECT_EQ(robot.busy_texts.back(), "Adresse 10 (10 von 10)");
        const auto found = rows(d);
        ASSERT_EQ(found.size(), 4u);
        EXPECT_EQ(column(d, 0), (std::vector<std::string>{"2", "6", "7", "9"}));
        EXPECT_EQ(column(d, 1), (std::vector<std::string>{"V2.1", "", "V2.1", "V3.0"}));
        EXPECT_EQ(column(d, 2), (std::vector<std::string>{"1.4", "", "1.4", "2.1"}));
        EXPECT_EQ(column(d, 3), (std::vector<std::string>{"1.4", "", "1.4", ""}));
        EXPECT_EQ(found[0][4].rfind("Temperatur ", 0), 0u) << found[0][4];
        EXPECT_EQ(found[1][4], "Antwort gestört");
        EXPECT_NE(found[2][4].find("antwortet spät"), std::string::npos) << found[2][4];
        // The garbled address comes unticked, the others ticked.
        EXPECT_TRUE(ticked(d, 0) && !ticked(d, 1) && ticked(d, 2) && ticked(d, 3));

        click(d, IDC_BUS_COMPARE);
        EXPECT_EQ(column(d, 7), (std::vector<std::string>{"1 Feld verschieden", "", "1 Feld verschieden",
                                                          "1 Feld verschieden"}));
        select(d, 2);
        EXPECT_EQ(item_text(d, IDC_BUS_DIFFERENCES),
                  "Grundeinstellung, Dimmer 2, Blendzeit [x 0,01s]: 17 -> 10\r\n");
    });
    robot.steps.push_back([&](HWND d) {
        // The garbled one ticked too: it fails in the middle, the run goes on.
        tick(d, 1, true);
        click(d, IDC_BUS_WRITE);
        EXPECT_EQ(column(d, 5), (std::vector<std::string>{WRITTEN, FAILED, WRITTEN, WRITTEN}));
        tick(d, 1, false);
        click(d, IDC_BUS_COMPARE);
        EXPECT_EQ(column(d, 7), (std::vector<std::string>{"gleich", "", "gleich", "gleich"}));
        EXPECT_EQ(item_text(d, IDC_BUS_DIFFERENCES), "");

        fake_ui_choose_file(dir.file("Anlage.ini"));
        click(d, IDC_BUS_READ);
        EXPECT_EQ(column(d, 6),
                  (std::vector<std::string>{"gespeichert als Anlage-2.ini", "",
                                            "gespeichert als Anlage-7.ini", "gespeichert als Anlage-9.ini"}));
        for (const char* name : {"Anlage-2.ini", "Anlage-7.ini", "Anlage-9.ini"})
            EXPECT_TRUE(std::filesystem::exists(dir.path / name)) << name;
        EXPECT_FALSE(std::filesystem::exists(dir.path / "Anlage-6.ini"));

        fake_ui_choose_file(dir.file("Protokoll.csv"));
        click(d, IDC_BUS_PROTOCOL);

        select(d, 3);
        click(d, IDC_BUS_TAKE);
        EXPECT_EQ(g_port_settings.address, 9u);
        EXPECT_EQ(status_field(3), "COM5 / 9");
    });
    robot.steps.push_back([&](HWND d) {
        // A whole scan keeps the program alive: the main window repaints while
        // it runs, and "Abbruch" ends it within 200 ms. The dimmers heard
        // before stay listed, the late one too.
        DWORD cancelled_at = 0;
        bool repainted = false;
        robot.on_text = [&](const std::string& text) {
            if (text == "Adresse 50 (50 von 255)") InvalidateRect(main_window(), nullptr, TRUE);
            if (text == "Adresse 60 (60 von 255)") repainted = !GetUpdateRect(main_window(), nullptr, FALSE);
            if (text == "Adresse 100 (100 von 255)") cancelled_at = GetTickCount();
        };
        robot.cancel_at = "Adresse 100 (100 von 255)";
        SetDlgItemTextW(d, IDC_BUS_ADDRESSES, L"1-255");
        click(d, IDC_BUS_SCAN);
        const DWORD answered_ms = GetTickCount() - cancelled_at;
        robot.on_text = nullptr;
        EXPECT_NE(cancelled_at, 0u);
        EXPECT_LT(answered_ms, 200u);
        EXPECT_TRUE(repainted);
        EXPECT_EQ(column(d, 0), (std::vector<std::string>{"2", "6", "7", "9"}));
        EXPECT_EQ(rows(d)[3][5], WRITTEN);  // the results of the runs stay
        std::printf("[ MEASURED ] Abbruch of a scan answered in %lu ms\n",
                    static_cast<unsigned long>(answered_ms));
    });
    robot.steps.push_back([&](HWND d) {
        // "Abbruch" while the second of three is written: that one is
        // written whole, the third is not started.
        robot.cancel_at = "Adresse 7 (2 von 3)";
        robot.busy_texts.clear();
        click(d, IDC_BUS_WRITE);
        EXPECT_EQ(column(d, 5), (std::vector<std::string>{WRITTEN, FAILED, WRITTEN, WRITTEN}));
        EXPECT_EQ(std::count(robot.busy_texts.begin(), robot.busy_texts.end(), "Adresse 9 (3 von 3)"), 0);
        EXPECT_TRUE(IsWindowEnabled(d));
        click(d, IDCANCEL);
    });
    run_dialog();
    EXPECT_TRUE(ui.messages.empty());
    ASSERT_EQ(ui.file_requests.size(), 2u);
    EXPECT_EQ(ui.file_requests[1].title, "Protokoll speichern");

    const std::string csv = read_bytes(dir.file("Protokoll.csv"));
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 5) << csv;  // header and four addresses
    EXPECT_NE(csv.find(";COM5;9;V3.0;2.1;;"), std::string::npos) << csv;
    EXPECT_NE(csv.find(";" + FAILED + ";;;\r\n"), std::string::npos) << csv;
    const std::string html = read_bytes(dir.file("Protokoll.html"));
    EXPECT_NE(html.find("Unterschrift"), std::string::npos);
    EXPECT_NE(html.find("<td>Antwort gestört</td>"), std::string::npos);
}
