// Sends a command to a running kv310r.exe the way its menu or a click would,
// for scripts that drive the program from outside (benchmarks, screenshots):
//   kv_post_command main ID         WM_COMMAND ID to the main window
//   kv_post_command monitor ID      WM_COMMAND ID to the communication monitor
//   kv_post_command bus ID          a click on button ID of "Bus durchsuchen"
//   kv_post_command page ID         a click on button ID of the page shown
//   kv_post_command page ID POS     trackbar ID of the page shown moved to POS
// Waits up to 10 s for the window to appear. Exit code 0 once posted.
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <cstring>

namespace {

// The page shown: the visible dialog inside the main window's tab control.
HWND shown_page() {
    HWND main = FindWindowW(L"Kv310rXPAppClass", nullptr);
    HWND tab = main ? FindWindowExW(main, nullptr, L"SysTabControl32", nullptr) : nullptr;
    for (HWND page = tab ? GetWindow(tab, GW_CHILD) : nullptr; page; page = GetWindow(page, GW_HWNDNEXT))
        if (IsWindowVisible(page)) return page;
    return nullptr;
}

bool post_to_page(int id, const char* position) {
    HWND page = shown_page();
    HWND control = page ? GetDlgItem(page, id) : nullptr;
    if (!control) return false;
    if (!position) return PostMessageW(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(control));
    SendMessageW(control, TBM_SETPOS, TRUE, std::atoi(position));
    return PostMessageW(page, WM_HSCROLL, TB_ENDTRACK, LPARAM(control));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) return 2;
    const int command = std::atoi(argv[2]);
    for (int tries = 0; tries < 200; ++tries) {
        bool posted = false;
        if (std::strcmp(argv[1], "page") == 0) {
            posted = post_to_page(command, argc == 4 ? argv[3] : nullptr);
        } else {
            const bool bus = std::strcmp(argv[1], "bus") == 0;
            HWND window = std::strcmp(argv[1], "monitor") == 0
                              ? FindWindowW(L"#32770", L"Kommunikationsmonitor")
                          : bus ? FindWindowW(L"#32770", L"Bus durchsuchen")
                                : FindWindowW(L"Kv310rXPAppClass", nullptr);
            // A dialog's button only while the dialog takes input (not during a run).
            if (bus && window && !IsWindowEnabled(window)) window = nullptr;
            const WPARAM click = bus ? MAKEWPARAM(command, BN_CLICKED) : WPARAM(command);
            posted = window && PostMessageW(window, WM_COMMAND, click, 0);
        }
        if (posted) return 0;
        Sleep(50);
    }
    return 1;
}
