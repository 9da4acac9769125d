#include "tests/win/shell_fixture.h"

#include "win/message_box_win.h"
#include "win/placement.h"
#include "win/program_state_win.h"
#include "params/recent.h"
#include "base/settings.h"
#include "port/utf16_win.h"
#include "params/file_commands.h"
#include "params/param_file.h"

#include <commctrl.h>

ShellTest* ShellTest::current = nullptr;

namespace {

HHOOK g_hook = nullptr;

// Sees every message sent to a window of this thread before the window does.
LRESULT CALLBACK watch_sent_messages(int code, WPARAM wparam, LPARAM lparam) {
    ShellTest* t = ShellTest::current;
    if (code == HC_ACTION && t) {
        const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lparam);
        if (sent->message == WM_NOTIFY) {
            const auto* header = reinterpret_cast<const NMHDR*>(sent->lParam);
            int page = t->page_index(sent->hwnd);
            if (page >= 0 && header && !header->hwndFrom && header->idFrom == 0)
                t->notes.push_back({page, header->code});
        } else if (sent->message == WM_COMMAND && HIWORD(sent->wParam) == BN_CLICKED) {
            int page = t->page_index(sent->hwnd);
            if (page >= 0) t->notes.push_back({page, WM_COMMAND, LOWORD(sent->wParam)});
        } else if (sent->message == WM_KILLFOCUS && sent->hwnd == t->watched_control && sent->hwnd) {
            t->notes.push_back({-1, WM_KILLFOCUS});
        }
    }
    return CallNextHookEx(g_hook, code, wparam, lparam);
}

}  // namespace

void write_default_parameter_file(const std::string& path) {
    ParameterRecord record{};
    apply_defaults(record);
    ASSERT_TRUE(write_parameter_file(record, path));
}

int ShellTest::page_index(HWND page) const {
    for (int i = 0; i < 5; ++i)
        if (page && pages[i] == page) return i;
    // Pages still being created at start-up.
    for (int i = 0; i < 5; ++i)
        if (page && page_window(i) == page) return i;
    return -1;
}

void ShellTest::SetUp() {
    static bool platform_ready = false;
    if (!platform_ready) {
        shell_init_platform();
        platform_ready = true;
    }
    current = this;
    settings_set_directory(dir.path.string() + "\\");
    recent_reset();
    placement_reset();
    reset_file_command_state();
    program_state() = ProgramState{};  // a fresh run's measurement state
    fake_ui_reset();
    set_message_box_hook(fake_message_box);
    set_file_dialog_hook(fake_file_dialog);
    g_hook = SetWindowsHookExW(WH_CALLWNDPROC, watch_sent_messages, nullptr, GetCurrentThreadId());
    ASSERT_NE(g_hook, nullptr);
}

void ShellTest::stop_watching() {
    if (g_hook) UnhookWindowsHookEx(g_hook);
    g_hook = nullptr;
}

void ShellTest::TearDown() {
    destroy_window();
    stop_watching();
    set_message_box_hook(nullptr);
    set_file_dialog_hook(nullptr);
    settings_set_directory("");
    current = nullptr;
}

void ShellTest::write_settings(std::string_view text) { write_bytes(settings_path(), text); }

std::string ShellTest::settings_text() { return read_bytes(settings_path()); }

int ShellTest::settings_int(const char* section, const char* key) {
    return settings_read_int(section, key, -12345);
}

void ShellTest::start() {
    ASSERT_TRUE(shell_create_main_window(GetModuleHandleW(nullptr), SW_SHOWNORMAL));
    for (int i = 0; i < 5; ++i) pages[i] = page_window(i);
    SetForegroundWindow(main_window());
    pump();
}

void ShellTest::destroy_window() {
    if (HWND window = main_window()) DestroyWindow(window);
    // Handle what is left, the quit message of the destroyed window included.
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message != WM_QUIT) DispatchMessageW(&msg);
    }
    // The placement stored on the way goes to the file, as at the program's exit.
    settings_batch_commit();
}

void ShellTest::pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));  // leave it for the test to see
            return;
        }
        shell_process_message(msg);
    }
}

void ShellTest::press(UINT vk, bool ctrl, bool shift, HWND target) {
    BYTE keys[256] = {};
    keys[VK_CONTROL] = keys[VK_LCONTROL] = ctrl ? 0x80 : 0;
    keys[VK_SHIFT] = keys[VK_LSHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(keys);
    MSG msg{};
    msg.hwnd = target ? target : (GetFocus() ? GetFocus() : main_window());
    msg.message = WM_KEYDOWN;
    msg.wParam = vk;
    msg.lParam = 1;
    shell_process_message(msg);
    BYTE none[256] = {};
    SetKeyboardState(none);
    pump();
}

std::string ShellTest::status_field(int field) {
    wchar_t text[512] = {};
    SendMessageW(status_bar(), SB_GETTEXTW, field, reinterpret_cast<LPARAM>(text));
    return narrow(text);
}

std::string ShellTest::menu_item_text(HMENU menu, int position) {
    wchar_t text[512] = {};
    GetMenuStringW(menu, position, text, 512, MF_BYPOSITION);
    return narrow(text);
}

std::string window_text(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return narrow(text);
}

std::string item_text(HWND dialog, int item) { return window_text(GetDlgItem(dialog, item)); }
