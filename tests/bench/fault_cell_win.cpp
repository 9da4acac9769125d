// One cell of the fault campaign in the Windows program: its real main window
// with the parameter file DIR\set.ini open and the dimmer on the COM port
// named in KV_TEST_COM (a virtual dimmer with the fault under test), then
// "Dimmerparameter auslesen" or "Dimmerparameter schreiben" as the menu gives
// them. Message boxes are answered with OK and recorded.
//
//   fault_cell.exe read|write DIR
//
// Prints one line: the message shown last (or "-"), the seconds the command
// took, whether the record changed, whether any file in DIR changed.
#include "base/file_io.h"
#include "params/file_commands.h"
#include "win/commands_win.h"
#include "win/main_win.h"
#include "res/resource.h"
#include "tests/bench/start_program_win.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>

namespace {

std::string g_last_message = "-";

int record_and_answer_ok(WindowRef, unsigned, const std::string& text) {
    g_last_message = text;
    return IDOK;
}

double now_s() {
    LARGE_INTEGER frequency, count;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&count);
    return double(count.QuadPart) / double(frequency.QuadPart);
}

// Every file in the folder with its bytes.
std::map<std::string, std::string> files_in(const std::string& dir) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        const std::string path = entry.path().string();
        files[path] = read_file(path).value_or("<unreadable>");
    }
    return files;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || (std::strcmp(argv[1], "read") != 0 && std::strcmp(argv[1], "write") != 0)) {
        std::fprintf(stderr, "usage: fault_cell read|write DIR\n");
        return 2;
    }
    const bool read = std::strcmp(argv[1], "read") == 0;
    const std::string dir = std::string(argv[2]) + "\\";
    if (!start_program("[KVDLG]\r\nFILE=" + dir + "set.ini\r\n", record_and_answer_ok, dir)) return 1;
    if (current_path() != dir + "set.ini") {
        std::fprintf(stderr, "fault_cell: %sset.ini did not open\n", dir.c_str());
        return 1;
    }
    const ParameterRecord before = live_record();
    const std::map<std::string, std::string> files_before = files_in(dir);

    const double start = now_s();
    dispatch_command(read ? CMD_READ_DEVICE : CMD_WRITE_DEVICE);
    const double seconds = now_s() - start;

    const bool record_changed = std::memcmp(&before, &live_record(), sizeof before) != 0;
    const bool files_changed = files_in(dir) != files_before;
    std::printf("%s\t%.2f\t%s\t%s\n", g_last_message.c_str(), seconds,
                record_changed ? "changed" : "unchanged", files_changed ? "changed" : "unchanged");
    return 0;
}
