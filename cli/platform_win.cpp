#include <windows.h>

#include <shellapi.h>

#include <cctype>
#include <cstdlib>
#include <fcntl.h>
#include <io.h>

#include "cli/platform.h"
#include "port/utf16_win.h"

namespace {

volatile LONG g_interrupted = 0;

UINT g_saved_code_page = 0;  // 0: the console's code page was not changed
HANDLE g_console = nullptr;  // the console output whose mode was changed
DWORD g_saved_mode = 0;

// Runs on a thread of its own that the system starts for the event.
BOOL WINAPI on_console_event(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
    InterlockedExchange(&g_interrupted, 1);
    return TRUE;
}

// The console belongs to the user's shell: it gets its settings back.
void restore_console() {
    std::fflush(stdout);
    std::fflush(stderr);
    if (g_saved_code_page) SetConsoleOutputCP(g_saved_code_page);
    if (g_console) SetConsoleMode(g_console, g_saved_mode);
}

}  // namespace

std::vector<std::string> cli_start(int, char**) {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);

    // With a console, the messages' UTF-8 shows as it is meant; without one
    // (output to a file or pipe) the bytes go out unchanged.
    const UINT code_page = GetConsoleOutputCP();
    if (code_page != 0 && code_page != CP_UTF8 && SetConsoleOutputCP(CP_UTF8)) g_saved_code_page = code_page;
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (GetConsoleMode(out, &mode) &&
        SetConsoleMode(out, mode | ENABLE_PROCESSED_OUTPUT | ENABLE_VIRTUAL_TERMINAL_PROCESSING)) {
        g_console = out;
        g_saved_mode = mode;
    }
    std::atexit(restore_console);

    // The ANSI argv cannot hold every file name; the wide command line can.
    std::vector<std::string> args;
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide) return args;
    for (int i = 1; i < count; ++i) args.push_back(narrow(wide[i]));
    LocalFree(wide);
    return args;
}

void cli_install_interrupt_handler() { SetConsoleCtrlHandler(on_console_event, TRUE); }

bool cli_interrupted() { return g_interrupted != 0; }

bool cli_is_terminal(std::FILE* stream) {
    DWORD mode = 0;
    return GetConsoleMode(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream))), &mode) != 0;
}

void cli_nap() { Sleep(1); }

std::string cli_port_path(const std::string& name) {
    // "COM" (any case) and two or three digits.
    if (name.size() < 5 || name.size() > 6) return name;
    for (size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        if (i < 3 ? std::toupper(static_cast<unsigned char>(c)) != "COM"[i] : (c < '0' || c > '9'))
            return name;
    }
    return "\\\\.\\" + name;
}
