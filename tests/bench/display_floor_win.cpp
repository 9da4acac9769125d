// The least a Windows program can do to show the "Dimmerstatus" updates, as a
// yardstick for the program's own CPU on that page: a window with a status
// bar, the heartbeat progress bar in its first field, a level bar and three
// static fields on a page, the periodic thread timer of 1 ms, and ten times a
// second what a displayed reply of the virtual dimmer changes on the page: the
// heartbeat moves, a short readout, a percentage and the diagnostic text block
// get new texts, and every third time the level bar moves a pixel. No port, no
// poll, no parsing: what remains is the cost of the timer and of the repaints.
//
//   display_floor.exe SECONDS [TIMER_MS]
// TIMER_MS (default 1) shows what the timer's period alone costs: with 100,
// the same updates come without the ticks in between.
// Prints: wall seconds, CPU seconds, CPU percent of one core, updates a second.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>

#include "tests/bench/process_cpu_win.h"

namespace {

constexpr int UPDATE_MS = 100;
constexpr int READOUTS = 2;

HWND g_heartbeat = nullptr;
HWND g_level = nullptr;
HWND g_readout[READOUTS];
HWND g_diagnostics = nullptr;
DWORD g_last_update = 0;
UINT g_period = 1;  // ms
unsigned g_updates = 0;
unsigned g_heartbeat_counter = 1;

// One displayed reply: the texts change as the virtual dimmer's do.
void update() {
    ++g_updates;
    g_heartbeat_counter = (g_heartbeat_counter + 3) % 100000;
    SendMessageW(g_heartbeat, PBM_SETPOS, g_heartbeat_counter % 100, 0);
    const unsigned count = 2048 + (g_updates * 7) % 1800;
    wchar_t text[512];
    swprintf(text, 512, L"%u", count);
    SetWindowTextW(g_readout[0], text);
    swprintf(text, 512, L"%u %%", count * 100 / 4095);
    SetWindowTextW(g_readout[1], text);
    swprintf(text, 512,
             L"Mode: RS485, addr 1\r\nCnt-idle %u Cnt-tim %u\r\n"
             L"Dim1 CommStat 1 DimStat 1 Flags 1 Warnings 0 Master/slave 0 Ctrl/T 0/0 "
             L"CtrlMode/r-s/TMode 4/0/0\r\nCnt-Tx %u Cnt-Rx %u\r\n"
             L"Dim2 CommStat 1 DimStat 1 Flags 1 Warnings 0 Master/slave 0 Ctrl/T 0/0 "
             L"CtrlMode/r-s/TMode 4/0/0\r\nCnt-Tx %u Cnt-Rx %u\r\n",
             g_updates * 28, g_updates * 10, g_updates, g_updates, g_updates, g_updates);
    SetWindowTextW(g_diagnostics, text);
    // 28 counts are a pixel of the 150-pixel bar over 0..4095.
    if (g_updates % 3 == 0) SendMessageW(g_level, PBM_SETPOS, (g_updates / 3 * 28) % 4096, 0);
}

void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
    const DWORD now = GetTickCount();
    // A tick of the 100 ms timer may come a millisecond early: it updates anyway.
    if (g_period < UPDATE_MS && now - g_last_update < UPDATE_MS) return;
    g_last_update = now;
    update();
}

void CALLBACK stop_loop(HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(0); }

LRESULT CALLBACK main_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(window, message, wparam, lparam);
}

HWND child(const wchar_t* cls, DWORD ex_style, DWORD style, int x, int y, int w, int h, HWND parent,
           HFONT font) {
    HWND c = CreateWindowExW(ex_style, cls, L"", WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return c;
}

bool create_windows() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    WNDCLASSW wc{};
    wc.lpfnWndProc = main_proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"DisplayFloor";
    if (!RegisterClassW(&wc)) return false;
    HWND main = CreateWindowExW(0, wc.lpszClassName, L"Dimmerstatus", WS_OVERLAPPEDWINDOW, 200, 180, 900, 680,
                                nullptr, nullptr, wc.hInstance, nullptr);
    if (!main) return false;
    HFONT font = CreateFontW(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"MS Shell Dlg");
    HWND status = child(STATUSCLASSNAMEW, 0, SBARS_SIZEGRIP, 0, 0, 0, 0, main, font);
    int parts[3] = {120, 500, -1};
    SendMessageW(status, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(parts));
    RECT r{};
    SendMessageW(status, SB_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
    g_heartbeat =
        child(PROGRESS_CLASSW, 0, 0, r.left, r.top, r.right - r.left, r.bottom - r.top, status, font);
    SendMessageW(g_heartbeat, PBM_SETRANGE32, 0, 100);
    g_level = child(PROGRESS_CLASSW, 0, 0, 160, 120, 150, 14, main, font);
    SendMessageW(g_level, PBM_SETRANGE32, 0, 4095);
    for (int i = 0; i < READOUTS; ++i)
        g_readout[i] = child(L"STATIC", WS_EX_STATICEDGE, SS_LEFT, 40 + 330 * i, 90, 80, 14, main, font);
    g_diagnostics = child(L"STATIC", WS_EX_STATICEDGE, SS_LEFT, 30, 520, 820, 90, main, font);
    ShowWindow(main, SW_SHOWNORMAL);
    UpdateWindow(main);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: display_floor SECONDS [TIMER_MS]\n");
        return 2;
    }
    const DWORD ms = DWORD(std::atof(argv[1]) * 1000);
    if (argc > 2) g_period = UINT(std::atoi(argv[2]));
    if (!create_windows()) return 1;
    const UINT_PTR timer = SetTimer(nullptr, 0, g_period, tick);
    SetTimer(nullptr, 0, ms, stop_loop);
    const double cpu_start = process_cpu_seconds();
    const DWORD start = GetTickCount();
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    const double wall = (GetTickCount() - start) / 1000.0;
    const double cpu = process_cpu_seconds() - cpu_start;
    KillTimer(nullptr, timer);
    std::printf("floor  wall %.2f s  CPU %.3f s  %.1f %% of a core  %u updates displayed, %.1f per second\n",
                wall, cpu, 100.0 * cpu / wall, g_updates, g_updates / wall);
    return 0;
}
