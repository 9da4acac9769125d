// Sends a command to a running kv310r.exe the way its menu would, for scripts
// that drive the program from outside (benchmarks):
//   kv_post_command main ID       WM_COMMAND ID to the main window
//   kv_post_command monitor ID    WM_COMMAND ID to the communication monitor
// Waits up to 10 s for the window to appear. Exit code 0 once posted.
#include <windows.h>

#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    const bool monitor = std::strcmp(argv[1], "monitor") == 0;
    const WPARAM command = static_cast<WPARAM>(std::atoi(argv[2]));
    for (int tries = 0; tries < 200; ++tries) {
        HWND window = monitor ? FindWindowW(L"#32770", L"Kommunikationsmonitor")
                              : FindWindowW(L"Kv310rXPAppClass", nullptr);
        if (window && PostMessageW(window, WM_COMMAND, command, 0)) return 0;
        Sleep(50);
    }
    return 1;
}
