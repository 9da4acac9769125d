#include "tests/win/shell_fixture.h"

#include "win/message_box_win.h"
#include "win/placement.h"
#include "win/app_win.h"
#include "params/recent.h"
#include "base/settings.h"
#include "port/utf16_win.h"
#include "params/file_commands.h"
#include "params/param_file.h"

#include <commctrl.h>

ShellTest* ShellTest::current = nullptr;

namespace {

HHOOK g_hook = nullptr;
HHOOK g_button_hook = nullptr;

// Windows and Wine differ here, and the program depends on it: on Windows an
// unticked radio button (BS_RADIOBUTTON, BS_AUTORADIOBUTTON) that gets the
// focus other than by a mouse press on it (the press captures the mouse
// first) reports BN_CLICKED to its parent; that is how the arrow keys select
// within a group. Wine's button leaves it out. Every button of the thread
// behaves as on Windows here, so a test sees the click a user would.
LRESULT CALLBACK windows_radio_button(HWND button, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                      DWORD_PTR) {
    const LRESULT result = DefSubclassProc(button, message, wparam, lparam);
    if (message == WM_SETFOCUS) {
        const LONG type = GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK;
        if ((type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON) && GetCapture() != button &&
            SendMessageW(button, BM_GETCHECK, 0, 0) != BST_CHECKED)
            SendMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                         reinterpret_cast<LPARAM>(button));
    } else if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(button, windows_radio_button, 0);
    }
    return result;
}

// A real message box runs a message loop of its own until the user answers,
// and the program's timer keeps ticking in it. The tests run no timer, so the
// stand-in starts one for as long as the "user" reads the box, a little longer
// than the oscilloscope's period, and handles what arrives meanwhile.
constexpr DWORD MESSAGE_BOX_READ_MS = 150;

int modal_message_box(WindowRef owner, unsigned type, const std::string& text) {
    const int answer = fake_message_box(owner, type, text);
    const UINT_PTR timer = SetTimer(nullptr, 0, 1, timer_tick);
    const DWORD shown = GetTickCount();
    bool quit = false;
    while (!quit && GetTickCount() - shown < MESSAGE_BOX_READ_MS) {
        MSG msg;
        while (!quit && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));  // ends the box; the caller sees it too
                quit = true;
            } else {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
        if (!quit) MsgWaitForMultipleObjectsEx(0, nullptr, 1, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
    KillTimer(nullptr, timer);
    return answer;
}

LRESULT CALLBACK give_buttons_windows_behaviour(int code, WPARAM wparam, LPARAM lparam) {
    if (code == HCBT_CREATEWND) {
        HWND window = reinterpret_cast<HWND>(wparam);
        wchar_t name[16] = {};
        if (GetClassNameW(window, name, 16) && lstrcmpiW(name, L"Button") == 0)
            SetWindowSubclass(window, windows_radio_button, 0, 0);
    }
    return CallNextHookEx(g_button_hook, code, wparam, lparam);
}

// Sees every message sent to a window of this thread before the window does.
LRESULT CALLBACK watch_sent_messages(int code, WPARAM wparam, LPARAM lparam) {
    ShellTest* t = ShellTest::current;
    if (code == HC_ACTION && t) {
        const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lparam);
        if (sent->message == WM_NOTIFY) {
            const auto* header = reinterpret_cast<const NMHDR*>(sent->lParam);
            const std::optional<Page> page = t->page_of(sent->hwnd);
            if (page && header && !header->hwndFrom && header->idFrom == 0)
                t->notes.push_back({page, header->code});
        } else if (sent->message == WM_COMMAND && HIWORD(sent->wParam) == BN_CLICKED) {
            const std::optional<Page> page = t->page_of(sent->hwnd);
            if (page) t->notes.push_back({page, WM_COMMAND, LOWORD(sent->wParam)});
        } else if (sent->message == WM_KILLFOCUS && sent->hwnd == t->watched_control && sent->hwnd) {
            t->notes.push_back({std::nullopt, WM_KILLFOCUS});
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

std::optional<Page> ShellTest::page_of(HWND window) const {
    for (int i = 0; i < PAGE_COUNT; ++i)
        if (window && pages[i] == window) return page_at(i);
    // Pages still being created at start-up.
    for (int i = 0; i < PAGE_COUNT; ++i)
        if (window && page_window(page_at(i)) == window) return page_at(i);
    return std::nullopt;
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
    set_message_box_hook(modal_message_box);
    set_file_dialog_hook(fake_file_dialog);
    g_button_hook = SetWindowsHookExW(WH_CBT, give_buttons_windows_behaviour, nullptr, GetCurrentThreadId());
    ASSERT_NE(g_button_hook, nullptr);
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
    if (g_button_hook) UnhookWindowsHookEx(g_button_hook);
    g_button_hook = nullptr;
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
    for (int i = 0; i < PAGE_COUNT; ++i) pages[i] = page_window(page_at(i));
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
