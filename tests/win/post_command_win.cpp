// Sends a command to a running kv310r.exe the way its menu would, for scripts
// that drive the program from outside (benchmarks, screenshots):
//   kv_post_command main ID       WM_COMMAND ID to the main window
//   kv_post_command monitor ID    WM_COMMAND ID to the communication monitor
//   kv_post_command drive D P     moves the "Dimmerstatus" page's trackbar of
//                                 dimmer D (1, 2) to P (0..100), as a drag does
// Waits up to 10 s for the window to appear. Exit code 0 once posted.
#include <windows.h>

#include <commctrl.h>

#include <cstdlib>
#include <cstring>

namespace {

constexpr int DRIVE_BAR_1 = 22246;  // the status page's trackbar of dimmer 1; dimmer 2's follows

struct Search {
    int id;
    HWND found;
};

BOOL CALLBACK find_control(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    if (GetDlgCtrlID(window) == search->id) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

bool post_drive(HWND main, int dimmer, int position) {
    Search search{DRIVE_BAR_1 + dimmer - 1, nullptr};
    EnumChildWindows(main, find_control, reinterpret_cast<LPARAM>(&search));
    if (!search.found) return false;
    SendMessageW(search.found, TBM_SETPOS, TRUE, position);
    return PostMessageW(GetParent(search.found), WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0),
                        reinterpret_cast<LPARAM>(search.found)) != 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    const bool monitor = std::strcmp(argv[1], "monitor") == 0;
    const bool drive = std::strcmp(argv[1], "drive") == 0;
    if (drive && argc != 4) return 2;
    for (int tries = 0; tries < 200; ++tries) {
        HWND window = monitor ? FindWindowW(L"#32770", L"Kommunikationsmonitor")
                              : FindWindowW(L"Kv310rXPAppClass", nullptr);
        if (window && drive && post_drive(window, std::atoi(argv[2]), std::atoi(argv[3]))) return 0;
        if (window && !drive && PostMessageW(window, WM_COMMAND, static_cast<WPARAM>(std::atoi(argv[2])), 0))
            return 0;
        Sleep(50);
    }
    return 1;
}
