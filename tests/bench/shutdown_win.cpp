// How long the Windows program takes to shut down: from closing the main
// window (its placement is stored then) through the stores after the message
// loop (last file, import file, recent files, port and oscilloscope
// settings), against a settings file as a technician's program folder holds
// it: comments, a section of another tool, ten recent files.
//
//   shutdown_time.exe RUNS
//
// Each run starts the real main window in this process, opens a parameter
// file (so the recent list changes, as in a working session), and times the
// exit. Prints the median, mean, minimum and maximum in milliseconds.
#include "win/message_box_win.h"
#include "base/file_io.h"
#include "base/settings.h"
#include "params/file_commands.h"
#include "params/param_file.h"
#include "params/recent.h"
#include "win/app_win.h"
#include "win/main_win.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <string>
#include <vector>

namespace {

int answer_ok(WindowRef, unsigned, const std::string&) { return IDOK; }

double now_ms() {
    LARGE_INTEGER frequency, count;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&count);
    return 1000.0 * double(count.QuadPart) / double(frequency.QuadPart);
}

void handle_waiting_messages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        if (msg.message != WM_QUIT) shell_process_message(msg);
}

std::string settings_file(const std::string& dir) {
    std::string text =
        "; Einstellungen KV-310-R PC-Testprogramm\r\n"
        "[SHOWCMD]\r\nZOOM=0\r\nICON=0\r\nDEFAULT=1\r\nLEFT=40\r\nTOP=30\r\nRIGHT=760\r\nBOTTOM=560\r\nTAB="
        "1\r\n"
        "\r\n; von der Serviceabteilung\r\n[Service]\r\nKunde=M\xFCller GmbH\r\nAnlage=Halle 3\r\n\r\n"
        "[FOP]\r\n";
    for (int i = 1; i <= 10; ++i) {
        const std::string n = std::to_string(i);
        text +=
            "FOP" + n + "=" + dir + "Anlage " + n + ".ini\r\nTOP" + n + "=1\r\nCOP" + n + "=" + n + "\r\n";
    }
    text += "[KVDLG]\r\nFILE=" + dir + "Anlage 1.ini\r\nDIR=" + dir.substr(0, dir.size() - 1) + "\r\n";
    text += "[CHARIMP]\r\nFILE=" + dir + "kurve.txt\r\n";
    text += "[PROP]\r\nPORT=COM1\r\nRS485ADR=1\r\n";
    text += "[SCOPE]\r\nDM=0\r\nTYPE=0\r\nSPEC=0\r\nI=6\r\nHPER=2\r\n";
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string dir = std::string(temp) + "kv310r-shutdown-bench\\";
    CreateDirectoryA(dir.c_str(), nullptr);
    settings_set_directory(dir);
    (void)write_file_atomic(settings_path(), settings_file(dir));
    ParameterRecord record{};
    apply_defaults(record);
    for (int i = 0; i <= runs; ++i)
        write_parameter_file(record, dir + "Sitzung " + std::to_string(i) + ".ini");

    shell_init_platform();
    set_message_box_hook(answer_ok);
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        if (!shell_create_main_window(GetModuleHandleW(nullptr), SW_SHOWNORMAL)) return 1;
        handle_waiting_messages();
        open_parameter_path(nullptr, dir + "Sitzung " + std::to_string(i) + ".ini", true);

        const double start = now_ms();
        DestroyWindow(main_window());
        handle_waiting_messages();
        shell_store_settings();
        times.push_back(now_ms() - start);
        reset_file_command_state();
        recent_reset();
    }
    std::sort(times.begin(), times.end());
    const double mean = std::accumulate(times.begin(), times.end(), 0.0) / double(times.size());
    std::printf("shutdown over %d runs: median %.2f ms  mean %.2f ms  min %.2f ms  max %.2f ms\n", runs,
                times[times.size() / 2], mean, times.front(), times.back());
    return 0;
}
