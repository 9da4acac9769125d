// The benchmark programs start the real main window in their own process, as
// kv310r.exe starts it, against the dimmer on the COM port named in
// KV_TEST_COM.
#pragma once

#include <windows.h>

#include <cstdlib>
#include <string>

#include "base/file_io.h"
#include "base/settings.h"
#include "win/message_box_win.h"
#include "win/main_win.h"

// Writes the settings file into `dir` (ending with a backslash; the temporary
// folder when empty): the port from KV_TEST_COM, RS485 address 1, then `more`
// (further sections). Then the main window as at start-up, its message boxes
// answered by `answer`. False when the main window could not be made.
inline bool start_program(const std::string& more, MessageBoxHook answer, std::string dir = "") {
    if (dir.empty()) {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        dir = temp;
    }
    const char* port = std::getenv("KV_TEST_COM");
    settings_set_directory(dir);
    (void)write_file_atomic(settings_path(),
                            "[PROP]\r\nPORT=" + std::string(port ? port : "") + "\r\nRS485ADR=1\r\n" + more);
    shell_init_platform();
    if (!shell_create_main_window(GetModuleHandleW(nullptr), SW_SHOWNORMAL)) return false;
    set_message_box_hook(answer);
    return true;
}
