// kv310r-cli.exe started from a Windows test under Wine: CreateProcess with
// stdout and stderr going to files, as a script on Windows would run it.
#include <windows.h>

#include "tests/cli/cli_run.h"
#include "tests/support/temp_dir.h"

#include <string>

namespace {

// One argument as the C runtime splits command lines: quoted when it holds
// blanks or quotes, backslashes doubled only in front of a quote.
std::wstring quoted(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
    std::wstring q = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        q.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        q += c;
    }
    q.append(2 * backslashes, L'\\');
    return q + L"\"";
}

std::wstring wide(const std::string& utf8) { return std::filesystem::path(TempDir::as_u8(utf8)).wstring(); }

// The build passes the exe's path as Linux spells it; Wine's Z: drive is the root.
std::wstring windows_path(std::string path) {
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    for (char& c : path)
        if (c == '/') c = '\\';
    return wide(path);
}

HANDLE inheritable_file(const std::string& path, bool write) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    return CreateFileW(wide(path).c_str(), write ? GENERIC_WRITE : GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, write ? CREATE_ALWAYS : OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

CliResult run_cli(const std::vector<std::string>& args) {
    TempDir dir;
    const std::wstring exe = windows_path(KV_CLI_PATH);
    std::wstring command = quoted(exe);
    for (const std::string& a : args) command += L" " + quoted(wide(a));

    HANDLE out = inheritable_file(dir.file("out"), true);
    HANDLE err = inheritable_file(dir.file("err"), true);
    HANDLE in = inheritable_file("NUL", false);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process = {};
    CliResult r;
    if (CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                       nullptr, &startup, &process)) {
        DWORD code = DWORD(-1);
        if (WaitForSingleObject(process.hProcess, 120000) == WAIT_OBJECT_0)
            GetExitCodeProcess(process.hProcess, &code);
        r.status = int(code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(in);
    CloseHandle(out);
    CloseHandle(err);
    r.out = read_bytes(dir.file("out"));
    r.err = read_bytes(dir.file("err"));
    return r;
}
