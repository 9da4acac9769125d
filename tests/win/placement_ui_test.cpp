// The main window's placement: kept when the window is destroyed, used at the
// next start.
#include "tests/win/shell_fixture.h"

#include "win/placement.h"

namespace {

RECT window_rect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

}  // namespace

TEST_F(ShellTest, WithoutSettingsTheWindowFitsThePagesAndIsCentred) {
    start();
    RECT client{}, tab = window_rect(tab_control()), toolbar = window_rect(tool_bar()),
                   status = window_rect(status_bar());
    GetClientRect(main_window(), &client);
    EXPECT_EQ(client.bottom, (toolbar.bottom - toolbar.top) + (tab.bottom - tab.top) +
                                 (status.bottom - status.top) + GetSystemMetrics(SM_CYBORDER));
    EXPECT_EQ(client.right, tab.right - tab.left);
    RECT outer = window_rect(main_window()), desktop = window_rect(GetDesktopWindow());
    EXPECT_NEAR((outer.left + outer.right) / 2, (desktop.left + desktop.right) / 2, 1);
    EXPECT_NEAR((outer.top + outer.bottom) / 2, (desktop.top + desktop.bottom) / 2, 1);

    // Never moved: the next start centres it again.
    destroy_window();
    EXPECT_EQ(settings_int("SHOWCMD", "DEFAULT"), 0);
    EXPECT_EQ(settings_int("SHOWCMD", "LEFT"), 0);
    EXPECT_EQ(settings_int("SHOWCMD", "RIGHT"), 0);
    EXPECT_EQ(settings_int("SHOWCMD", "ZOOM"), 0);
    EXPECT_EQ(settings_int("SHOWCMD", "ICON"), 0);
}

TEST_F(ShellTest, MovedWindowIsStoredAndOpensThereNextTime) {
    start();
    SetWindowPos(main_window(), nullptr, 40, 50, 700, 480, SWP_NOZORDER);
    select_page(Page::status);
    destroy_window();
    EXPECT_EQ(settings_int("SHOWCMD", "DEFAULT"), 1);
    EXPECT_EQ(settings_int("SHOWCMD", "LEFT"), 40);
    EXPECT_EQ(settings_int("SHOWCMD", "TOP"), 50);
    EXPECT_EQ(settings_int("SHOWCMD", "RIGHT"), 740);
    EXPECT_EQ(settings_int("SHOWCMD", "BOTTOM"), 530);
    EXPECT_EQ(settings_int("SHOWCMD", "TAB"), 3);

    placement_reset();
    start();
    RECT r = window_rect(main_window());
    EXPECT_EQ(r.left, 40);
    EXPECT_EQ(r.top, 50);
    EXPECT_EQ(r.right, 740);
    EXPECT_EQ(r.bottom, 530);
    EXPECT_EQ(selected_page(), Page::status);
}

TEST_F(ShellTest, TheExitReplacesTheSettingsFileOnceAndKeepsWhatItDoesNotKnow) {
    const std::string technicians_file =
        "; Kv310r.ini\n[SHOWCMD]\nTAB=0\n\n; Service\n[Service]\nKunde=M\xFCller\n[PROP]\nPORT=COM4\n";
    write_settings(technicians_file);
    start();
    SetWindowPos(main_window(), nullptr, 40, 50, 700, 480, SWP_NOZORDER);
    select_page(Page::user_curves);
    DestroyWindow(main_window());
    pump();
    EXPECT_EQ(settings_text(), technicians_file) << "the placement waits for the other stores";
    shell_store_settings();
    const std::string text = settings_text();
    EXPECT_EQ(
        text.rfind("; Kv310r.ini\r\n[SHOWCMD]\r\nTAB=2\r\nZOOM=0\r\nICON=0\r\nDEFAULT=1\r\nLEFT=40\r\n"
                   "TOP=50\r\nRIGHT=740\r\nBOTTOM=530\r\n\r\n; Service\r\n[Service]\r\nKunde=M\xFCller\r\n"
                   "[PROP]\r\nPORT=COM4\r\nRS485ADR=0\r\n[KVDLG]\r\nFILE=",
                   0),
        0u)
        << text;
    for (const char* section : {"[CHARIMP]", "[SCOPE]"}) EXPECT_NE(text.find(section), std::string::npos);
}

TEST_F(ShellTest, MaximizedWindowKeepsItsRestoredRectangle) {
    write_settings("[SHOWCMD]\r\nDEFAULT=1\r\nLEFT=30\r\nTOP=20\r\nRIGHT=630\r\nBOTTOM=470\r\n");
    start();
    ShowWindow(main_window(), SW_MAXIMIZE);
    pump();
    ASSERT_TRUE(IsZoomed(main_window()));
    destroy_window();
    EXPECT_EQ(settings_int("SHOWCMD", "ZOOM"), 1);
    EXPECT_EQ(settings_int("SHOWCMD", "DEFAULT"), 1);
    EXPECT_EQ(settings_int("SHOWCMD", "LEFT"), 30);
    EXPECT_EQ(settings_int("SHOWCMD", "BOTTOM"), 470);

    placement_reset();
    start();
    EXPECT_TRUE(IsZoomed(main_window()));
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    GetWindowPlacement(main_window(), &wp);
    EXPECT_EQ(wp.rcNormalPosition.left, 30);
    EXPECT_EQ(wp.rcNormalPosition.right, 630);
}

TEST_F(ShellTest, RectangleOffTheDesktopIsIgnored) {
    write_settings("[SHOWCMD]\r\nDEFAULT=1\r\nLEFT=-500\r\nTOP=20\r\nRIGHT=100\r\nBOTTOM=470\r\n");
    start();
    EXPECT_FALSE(placement_get().use_stored);
    RECT r = window_rect(main_window());
    EXPECT_GE(r.left, 0);
}

TEST_F(ShellTest, WindowCannotBeMadeSmallerThan400By300) {
    start();
    MINMAXINFO info{};
    SendMessageW(main_window(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, 400);
    EXPECT_EQ(info.ptMinTrackSize.y, 300);
}
