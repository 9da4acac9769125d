#include <windows.h>

#include <vector>

#include "port/program_path.h"
#include "port/utf16_win.h"

std::string executable_path() {
    // The module path can be longer than MAX_PATH: grow until it fits.
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) return narrow(std::wstring_view(path.data(), n));
        if (path.size() >= 32768) return {};
        path.resize(path.size() * 2);
    }
}
