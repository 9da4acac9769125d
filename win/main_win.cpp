// Start-up, the message loop, the periodic timer and shut-down. Settings are
// loaded and stored in a fixed order; one thread does everything.
#include "win/shell_win.h"

#include "win/dialog_items_win.h"
#include "win/gdiplus_win.h"
#include "win/message_box_win.h"
#include "win/page_scope_win.h"
#include "win/pages_win.h"
#include "win/placement.h"
#include "link/port_settings.h"
#include "win/program_state_win.h"
#include "params/recent.h"
#include "base/settings.h"
#include "win/status_fields.h"
#include "link/busy.h"
#include "link/link.h"
#include "win/monitor_win.h"
#include "params/file_commands.h"
#include "res/resource.h"

#include <commctrl.h>
#include <ole2.h>

namespace {

HINSTANCE g_instance = nullptr;
HACCEL g_accelerators = nullptr;
UINT_PTR g_timer = 0;
int g_timer_nesting = 0;  // > 1 while a tick runs inside another step's message pump
HANDLE g_instance_lock = nullptr;
TimerStep g_status_step = status_timer_step;
TimerStep g_scope_step = scope_timer_step;

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

bool register_main_class(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = main_window_proc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_PROGRAM));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszMenuName = MAKEINTRESOURCEW(IDR_MAIN_MENU);
    wc.lpszClassName = MAIN_CLASS_NAME;
    if (RegisterClassExW(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS) return true;
    WNDCLASSW plain{};
    plain.style = wc.style;
    plain.lpfnWndProc = wc.lpfnWndProc;
    plain.hInstance = instance;
    plain.hIcon = wc.hIcon;
    plain.hCursor = wc.hCursor;
    plain.hbrBackground = wc.hbrBackground;
    plain.lpszMenuName = wc.lpszMenuName;
    plain.lpszClassName = wc.lpszClassName;
    return RegisterClassW(&plain) != 0;
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

HINSTANCE app_instance() { return g_instance; }

void wait_for_messages(unsigned max_ms) {
    MsgWaitForMultipleObjectsEx(0, nullptr, max_ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

ProgramState& program_state() {
    static ProgramState state;
    return state;
}

void set_timer_steps(TimerStep status, TimerStep scope) {
    g_status_step = status ? status : status_timer_step;
    g_scope_step = scope ? scope : scope_timer_step;
}

// A step pumps messages while it works (a port wait, a message box), and the
// timer keeps ticking in there; a nested step would start over what the outer
// one is in the middle of, such as sending a failed start command again and
// showing its message a second time. Only the outermost one works.
void run_timer_step(TimerStep step) {
    ++g_timer_nesting;
    if (g_timer_nesting == 1) step();
    --g_timer_nesting;
}

void CALLBACK timer_tick(HWND, UINT, UINT_PTR, DWORD) {
    run_timer_step([] {
        if (!busy_window()) {
            g_status_step();
            g_scope_step();
        }
        update_file_name_display();  // page edits change the record behind our back
    });
}

void shell_process_message(MSG& msg) {
    if (g_accelerators && main_window() && TranslateAcceleratorW(main_window(), g_accelerators, &msg)) return;
    // The monitor is modeless: Tab, Esc and Enter reach it only this way.
    if (HWND monitor = monitor_window(); monitor && IsDialogMessageW(monitor, &msg)) return;
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
    g_instance = instance;
    if (!register_main_class(instance)) return false;
    placement_load(show_command, desktop_rect());
    port_settings_load();
    scope_page_attach(program_state().scope);
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
    g_accelerators = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_ACCELERATORS));
    status_text(STATUS_FIELD_PORT, 0, port_settings_status_text(g_port_settings));
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
    g_instance = instance;
    settings_set_directory(program_directory());
    if (previous) {
        message_box_id(KV_MB_ERROR, IDS_ALREADY_RUNNING);
        return 0;
    }
    // Held, never closed, for the life of the process: one instance only.
    g_instance_lock = CreateMutexW(nullptr, FALSE, INSTANCE_MUTEX);
    if (g_instance_lock && GetLastError() == ERROR_ALREADY_EXISTS) {
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
    // The system raises the 1 ms period to its shortest one.
    g_timer = SetTimer(nullptr, 0, 1, timer_tick);
    const int exit_code = run_message_loop();
    KillTimer(nullptr, g_timer);
    shell_store_settings();
    gdiplus_unload();
    OleUninitialize();
    return exit_code;
}
