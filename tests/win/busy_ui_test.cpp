// The busy window and the periodic timer that must keep still while it is up.
#include "tests/win/shell_fixture.h"

#include "win/page_scope_win.h"
#include "win/page_status_win.h"
#include "link/busy.h"
#include "res/resource.h"

namespace {

int g_status_steps = 0;
int g_scope_steps = 0;
bool g_nest = false;

void count_status_step() {
    ++g_status_steps;
    if (g_nest)  // a tick dispatched from a message pump inside this step
        timer_tick(nullptr, WM_TIMER, 0, 0);
}

void count_scope_step() { ++g_scope_steps; }

void tick() { timer_tick(nullptr, WM_TIMER, 0, 0); }

struct BusyTest : ShellTest {
    void SetUp() override {
        ShellTest::SetUp();
        g_status_steps = g_scope_steps = 0;
        g_nest = false;
    }
    // The main window as start-up makes it, with the timer's steps counted
    // instead of the pages' own.
    void start() {
        ShellTest::start();
        set_timer_steps(count_status_step, count_scope_step);
    }
    void TearDown() override {
        busy_close();
        set_timer_steps(status_timer_step, scope_timer_step);
        ShellTest::TearDown();
    }
};

}  // namespace

TEST_F(BusyTest, TimerStepsRunOnlyWithoutBusyWindowAndOutermost) {
    start();
    tick();
    EXPECT_EQ(g_status_steps, 1);
    EXPECT_EQ(g_scope_steps, 1);

    busy_open(BusyKind::config);
    tick();
    EXPECT_EQ(g_status_steps, 1);
    busy_close();
    tick();
    EXPECT_EQ(g_status_steps, 2);

    g_nest = true;
    tick();  // the nested tick does nothing
    EXPECT_EQ(g_status_steps, 3);
    EXPECT_EQ(g_scope_steps, 3);
}

TEST_F(BusyTest, BusyWindowDisablesItsOwnerUntilClosed) {
    start();
    EXPECT_TRUE(busy_cancelled());  // no busy window: a wait ends at once
    const struct {
        BusyKind kind;
        const char* title;
    } kinds[] = {{BusyKind::connection, "Anschluss"},
                 {BusyKind::status, "KV-310-R-Status"},
                 {BusyKind::test, "Test"},
                 {BusyKind::config, "KV-310-R-Konfiguration"}};
    for (const auto& t : kinds) {
        SCOPED_TRACE(t.title);
        busy_open(t.kind);
        HWND busy = static_cast<HWND>(busy_window());
        ASSERT_NE(busy, nullptr);
        EXPECT_EQ(window_text(busy), t.title);
        EXPECT_EQ(GetWindow(busy, GW_OWNER), main_window());
        EXPECT_TRUE(IsWindowVisible(busy));
        EXPECT_FALSE(IsWindowEnabled(main_window()));
        EXPECT_EQ(window_text(GetDlgItem(busy, IDCANCEL)), "Abbruch");
        EXPECT_FALSE(busy_cancelled());

        busy_open(BusyKind::test);  // a second one changes nothing
        EXPECT_EQ(busy_window(), busy);

        busy_set_text("Kommunikation mit KV-310-R");
        EXPECT_EQ(window_text(GetDlgItem(busy, IDC_BUSY_TEXT)), "Kommunikation mit KV-310-R");

        SendMessageW(busy, WM_COMMAND, IDCANCEL, 0);  // "Abbruch"
        EXPECT_TRUE(busy_cancelled());
        EXPECT_TRUE(IsWindow(busy));  // the operation closes it, not the button
        EXPECT_TRUE(busy_cancelled());

        busy_close();
        EXPECT_EQ(busy_window(), nullptr);
        EXPECT_FALSE(IsWindow(busy));
        EXPECT_TRUE(IsWindowEnabled(main_window()));
    }
    EnableWindow(main_window(), FALSE);
    busy_close();  // none open: only gives the owner back
    EXPECT_TRUE(IsWindowEnabled(main_window()));
}

TEST_F(BusyTest, MessagesKeepFlowingOnePerQuery) {
    start();
    busy_open(BusyKind::test);
    for (int i = 0; i < 3; ++i) PostMessageW(main_window(), WM_COMMAND, 21402 + i, 0);
    busy_cancelled();
    EXPECT_EQ(selected_page(), Page::special_functions);
    busy_set_text("COM1");
    EXPECT_EQ(selected_page(), Page::user_curves);
    busy_cancelled();
    EXPECT_EQ(selected_page(), Page::status);
    busy_close();
}

TEST_F(BusyTest, AQuitTakenWhileBusyWaitsForTheWindowToClose) {
    start();
    busy_open(BusyKind::test);
    PostQuitMessage(3);
    for (int i = 0; i < 20; ++i) EXPECT_FALSE(busy_cancelled());  // the operation goes on
    MSG msg;
    // Not back in the queue yet, so the waits in between can sleep.
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
    busy_close();
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 3u);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}
