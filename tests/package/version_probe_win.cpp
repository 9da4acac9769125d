// What Windows knows about an executable of the package, as a technician sees
// it: the version resource that Explorer's file properties show, and with
// --start whether the program comes up with its main window.
//
//   version_probe EXE [--start]
//
// Prints "ProductName=...", "ProductVersion=...", "FileVersion=...",
// "FileDescription=...", "OriginalFilename=..." and "Numbers=a.b.c.d"; with
// --start it also starts EXE, waits for its first visible top-level window,
// prints "Window=<title>", closes the window and waits for the program to
// end. Exit status 0, or 1 with the reason on stderr.
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "port/utf16_win.h"

namespace {

struct Found {
    DWORD process;
    HWND window;
};

BOOL CALLBACK take_window(HWND window, LPARAM param) {
    Found& found = *reinterpret_cast<Found*>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != found.process || !IsWindowVisible(window) || GetWindow(window, GW_OWNER)) return TRUE;
    found.window = window;
    return FALSE;
}

int fail(const char* what) {
    std::fprintf(stderr, "version_probe: %s\n", what);
    return 1;
}

int start_and_close(const std::wstring& exe) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::wstring command = L"\"" + exe + L"\"";
    if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return fail("cannot start the program");
    Found found = {process.dwProcessId, nullptr};
    for (int i = 0; i < 600 && !found.window; ++i) {
        if (WaitForSingleObject(process.hProcess, 50) == WAIT_OBJECT_0)
            return fail("the program ended at once");
        EnumWindows(take_window, reinterpret_cast<LPARAM>(&found));
    }
    if (!found.window) {
        TerminateProcess(process.hProcess, 1);
        return fail("no main window within 30 s");
    }
    wchar_t title[256] = {};
    GetWindowTextW(found.window, title, 256);
    std::printf("Window=%s\n", narrow(title).c_str());
    PostMessageW(found.window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
        return fail("the program did not end after its window was closed");
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 0;
}

}  // namespace

int main() {
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!argv || count < 2) return fail("usage: version_probe EXE [--start]");
    const std::wstring exe = argv[1];
    const bool start = count > 2 && std::wstring(argv[2]) == L"--start";

    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(exe.c_str(), &ignored);
    if (size == 0) return fail("no version resource");
    std::vector<char> info(size);
    if (!GetFileVersionInfoW(exe.c_str(), 0, size, info.data())) return fail("version resource unreadable");
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || !fixed)
        return fail("no fixed version numbers");
    for (const wchar_t* key :
         {L"ProductName", L"ProductVersion", L"FileVersion", L"FileDescription", L"OriginalFilename"}) {
        wchar_t* value = nullptr;
        const std::wstring path = std::wstring(L"\\StringFileInfo\\040704B0\\") + key;
        if (!VerQueryValueW(info.data(), path.c_str(), reinterpret_cast<void**>(&value), &length) || !value)
            return fail("a version text is missing");
        std::printf("%s=%s\n", narrow(key).c_str(), narrow(value).c_str());
    }
    std::printf("Numbers=%u.%u.%u.%u\n", unsigned(HIWORD(fixed->dwFileVersionMS)),
                unsigned(LOWORD(fixed->dwFileVersionMS)), unsigned(HIWORD(fixed->dwFileVersionLS)),
                unsigned(LOWORD(fixed->dwFileVersionLS)));
    std::fflush(stdout);
    return start ? start_and_close(exe) : 0;
}
