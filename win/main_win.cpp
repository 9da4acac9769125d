// Start-up, the message loop and shut-down. Settings are loaded and stored in
// a fixed order; one thread does everything.
#include "win/main_win.h"

#include "win/app_win.h"
#include "win/dialog_items_win.h"
#include "win/gdiplus_win.h"
#include "win/main_window_win.h"
#include "win/message_box_win.h"
#include "win/monitor_win.h"
#include "win/trend_window_win.h"
#include "win/page_curves_win.h"
#include "win/page_scope_win.h"
#include "win/page_status_win.h"
#include "win/placement.h"
#include "win/status_bar_win.h"
#include "win/tab_pages_win.h"
#include "win/timer_win.h"
#include "base/settings.h"
#include "link/link.h"
#include "link/port_settings.h"
#include "params/file_commands.h"
#include "params/recent.h"
#include "res/resource.h"

#include <commctrl.h>
#include <ole2.h>

namespace {

// What start-up keeps for the run.
struct Shell {
    HACCEL accelerators = nullptr;
    HANDLE instance_lock = nullptr;  // held, never closed, for the life of the process: one instance only
};
Shell g_shell;

constexpr wchar_t INSTANCE_MUTEX[] = L"Kv310rXPUniqueClassMutex";
constexpr wchar_t MAIN_TITLE[] = L"KV-310-R PC-Testprogramm";
constexpr LCID LOCALE_GERMAN_GERMANY = 0x0407;

bool system_supported() {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    const BOOL ok = GetVersionExW(&version);
#pragma GCC diagnostic pop
    return ok && version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion > 4;
}

Rect desktop_rect() {
    RECT r{};
    GetWindowRect(GetDesktopWindow(), &r);
    return Rect{r.left, r.top, r.right, r.bottom};
}

int run_message_loop() {
    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) shell_process_message(msg);
    return static_cast<int>(msg.wParam);
}

}  // namespace

bool wait_for_messages(unsigned max_ms) {
    return MsgWaitForMultipleObjectsEx(0, nullptr, max_ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE) == WAIT_OBJECT_0;
}

void shell_process_message(MSG& msg) {
    if (g_shell.accelerators && main_window() &&
        TranslateAcceleratorW(main_window(), g_shell.accelerators, &msg))
        return;
    // The monitor is modeless: Tab, Esc and Enter reach it only this way.
    if (HWND monitor = monitor_window(); monitor && IsDialogMessageW(monitor, &msg)) return;
    if (HWND trend = trend_window(); trend && IsDialogMessageW(trend, &msg)) return;
    if (HWND page = current_page(); page && IsDialogMessageW(page, &msg)) return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

void shell_init_platform() {
    SetThreadLocale(LOCALE_GERMAN_GERMANY);
    INITCOMMONCONTROLSEX controls{sizeof controls,
                                  ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    gdiplus_load();  // optional: the plots fall back to plain GDI
}

bool shell_create_main_window(HINSTANCE instance, int show_command) {
    app_set_instance(instance);
    if (!main_window_register_class(instance)) return false;
    placement_load(show_command, desktop_rect());
    port_settings_load();
    scope_page_attach(program_state().scope);
    set_timer_steps(status_timer_step, scope_timer_step);
    scope_load_settings(program_state().scope);
    recent_load();
    link_init();
    link_set_idle_wait(wait_for_messages);
    reset_parameter_records();
    set_file_name_hook(show_file_name_in_status_bar);

    const WindowPlacement& p = placement_get();
    HWND window = CreateWindowExW(0, MAIN_CLASS_NAME, MAIN_TITLE, WS_OVERLAPPEDWINDOW, p.rect.left,
                                  p.rect.top, p.width, p.height, nullptr, nullptr, instance, nullptr);
    if (!window) return false;
    ShowWindow(window, p.show_command);
    UpdateWindow(window);
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    GetWindowPlacement(window, &wp);
    const RECT& n = wp.rcNormalPosition;
    placement_set_snapshot(Rect{n.left, n.top, n.right, n.bottom});
    g_shell.accelerators = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_ACCELERATORS));
    show_port_in_status_bar(port_settings_status_text(g_port_settings));
    restore_last_file();
    import_file_load();
    refresh_current_page();
    return true;
}

void shell_store_settings() {
    settings_batch_begin();  // usually begun with the placement when the window went
    store_last_file();
    import_file_store();
    link_close();
    recent_save();
    port_settings_store();
    scope_save_settings(program_state().scope);
    settings_batch_commit();
}

int kv310r_main(HINSTANCE instance, HINSTANCE previous, int show_command) {
    app_set_instance(instance);
    settings_set_directory(program_directory());
    if (previous) {
        message_box_id(KV_MB_ERROR, IDS_ALREADY_RUNNING);
        return 0;
    }
    g_shell.instance_lock = CreateMutexW(nullptr, FALSE, INSTANCE_MUTEX);
    if (g_shell.instance_lock && GetLastError() == ERROR_ALREADY_EXISTS) {
        message_box_id(KV_MB_ERROR, IDS_ALREADY_RUNNING);
        return 0;
    }
    if (FAILED(OleInitialize(nullptr))) {
        message_box_id(KV_MB_ERROR, IDS_OLE_FAILED);
        return 0;
    }
    shell_init_platform();
    if (!system_supported()) {
        message_box_id(KV_MB_ERROR, IDS_WRONG_SYSTEM);
        return 0;
    }
    if (!shell_create_main_window(instance, show_command)) return 0;
    timer_start();
    const int exit_code = run_message_loop();
    timer_stop();
    shell_store_settings();
    gdiplus_unload();
    OleUninitialize();
    return exit_code;
}
