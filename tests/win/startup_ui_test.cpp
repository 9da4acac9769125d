// Start-up and shut-down of the program: one instance only, GDI+ bound by
// name when the system has it, and the stores at exit in their order.
#include "tests/win/shell_fixture.h"

#include "win/dialog_items_win.h"
#include "win/gdiplus_win.h"
#include "params/recent.h"

#include <cstring>

namespace {

// Every entry point the plots use, in binding order.
std::vector<const void*> entry_points() {
    const GdiplusApi& g = g_gdiplus;
    return {
        reinterpret_cast<const void*>(g.Startup),        reinterpret_cast<const void*>(g.Shutdown),
        reinterpret_cast<const void*>(g.CreateFromHDC),  reinterpret_cast<const void*>(g.DrawLine),
        reinterpret_cast<const void*>(g.DrawLineI),      reinterpret_cast<const void*>(g.DrawLines),
        reinterpret_cast<const void*>(g.DrawLinesI),     reinterpret_cast<const void*>(g.DrawBezierI),
        reinterpret_cast<const void*>(g.DrawBeziersI),   reinterpret_cast<const void*>(g.SetSmoothingMode),
        reinterpret_cast<const void*>(g.CreatePen1),     reinterpret_cast<const void*>(g.DeletePen),
        reinterpret_cast<const void*>(g.SetPenStartCap), reinterpret_cast<const void*>(g.SetPenEndCap),
        reinterpret_cast<const void*>(g.SetPenLineJoin), reinterpret_cast<const void*>(g.DeleteGraphics)};
}

// Stands in for the help viewer. Wine's WinHelp finds the viewer by its
// window class and sends it each request as WM_COPYDATA, the calling window
// in wParam; the data starts with the command (a WORD at offset 2) and the
// offset of the file name (a WORD at offset 12).
struct HelpRequest {
    HWND caller;
    bool caller_alive;
    unsigned command;
    std::string file;
    std::string settings;  // the settings file at that moment
};
std::vector<HelpRequest> g_help_requests;

LRESULT CALLBACK help_viewer_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    constexpr ULONG_PTR WINE_WINHELP_MAGIC = 0xA1DE505;
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lparam);
    if (message != WM_COPYDATA || data->dwData != WINE_WINHELP_MAGIC)
        return DefWindowProcW(window, message, wparam, lparam);
    const auto* bytes = static_cast<const char*>(data->lpData);
    WORD command = 0, file_offset = 0;
    std::memcpy(&command, bytes + 2, sizeof command);
    std::memcpy(&file_offset, bytes + 12, sizeof file_offset);
    HWND caller = reinterpret_cast<HWND>(wparam);
    g_help_requests.push_back({caller, IsWindow(caller) != FALSE, command,
                               file_offset ? std::string(bytes + file_offset) : std::string(),
                               ShellTest::current->settings_text()});
    return TRUE;
}

struct FakeHelpViewer {
    HWND window = nullptr;
    FakeHelpViewer() {
        g_help_requests.clear();
        WNDCLASSW wc{};
        wc.lpfnWndProc = help_viewer_proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"MS_WINHELP";
        RegisterClassW(&wc);
        window =
            CreateWindowW(L"MS_WINHELP", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance, nullptr);
    }
    ~FakeHelpViewer() { DestroyWindow(window); }
};

// The section names of a settings file, in file order.
std::vector<std::string> sections(const std::string& text) {
    std::vector<std::string> names;
    for (size_t at = text.find('['); at != std::string::npos; at = text.find('[', at + 1))
        if (at == 0 || text[at - 1] == '\n')
            names.push_back(text.substr(at + 1, text.find(']', at) - at - 1));
    return names;
}

}  // namespace

TEST_F(ShellTest, AtExitTheHelpViewerIsToldWhileTheWindowExistsAndTheStoresKeepTheirOrder) {
    FakeHelpViewer viewer;
    ASSERT_NE(viewer.window, nullptr);
    write_settings("");
    start();
    const std::string opened = dir.file("zuletzt.ini");
    write_default_parameter_file(opened);
    ASSERT_TRUE(recent_add(opened, RECENT_KIND_PARAMETER_FILE, 0));  // so the list is stored too
    HWND window = main_window();
    SendMessageW(window, WM_CLOSE, 0, 0);  // nothing changed: no question
    ASSERT_EQ(main_window(), nullptr);
    ASSERT_EQ(g_help_requests.size(), 1u);
    const HelpRequest& quit = g_help_requests[0];
    EXPECT_EQ(quit.command, unsigned(HELP_QUIT));
    EXPECT_EQ(quit.caller, window);
    EXPECT_TRUE(quit.caller_alive);
    EXPECT_EQ(quit.file, program_directory() + "Kv310r.hlp");
    // The placement is stored, but with the other exit stores in one
    // replacement of the file after the message loop.
    EXPECT_TRUE(sections(quit.settings).empty());

    shell_store_settings();
    EXPECT_EQ(g_help_requests.size(), 1u);
    // The file was empty, so each store appended its section: the order of the
    // sections is the order of the stores.
    const std::vector<std::string> order = {"SHOWCMD", "KVDLG", "CHARIMP", "FOP", "PROP", "SCOPE"};
    EXPECT_EQ(sections(settings_text()), order);
}

TEST_F(ShellTest, ASecondInstanceIsRefusedWithoutAWindow) {
    // The first instance holds the named mutex for its whole life.
    HANDLE first = CreateMutexW(nullptr, FALSE, L"Kv310rXPUniqueClassMutex");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(kv310r_main(GetModuleHandleW(nullptr), nullptr, SW_SHOWNORMAL), 0);
    CloseHandle(first);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].type, KV_MB_ERROR);
    EXPECT_EQ(ui.messages[0].text, "Programm ist bereits gestartet!");
    EXPECT_EQ(main_window(), nullptr);

    // A previous-instance handle from the system is refused the same way.
    ui.messages.clear();
    EXPECT_EQ(kv310r_main(GetModuleHandleW(nullptr), GetModuleHandleW(nullptr), SW_SHOWNORMAL), 0);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Programm ist bereits gestartet!");
    EXPECT_EQ(main_window(), nullptr);
}

TEST_F(ShellTest, GdiPlusIsBoundByNameWithAllEntryPoints) {
    gdiplus_unload();
    for (const void* p : entry_points()) EXPECT_EQ(p, nullptr);
    EXPECT_EQ(g_gdiplus_available, 0);

    ASSERT_EQ(gdiplus_load(), 1);
    for (const void* p : entry_points()) EXPECT_NE(p, nullptr);
    EXPECT_EQ(g_gdiplus_available, 1);
    EXPECT_EQ(gdiplus_load(), 1);  // already loaded: nothing happens
    EXPECT_EQ(g_gdiplus_available, 1);
}
