// One cell of the fault campaign in the Windows program: its real main window
// with the parameter file DIR\set.ini open and the dimmer on the COM port
// named in KV_TEST_COM (a virtual dimmer with the fault under test), then
// "Dimmerparameter auslesen" or "Dimmerparameter schreiben" as the menu gives
// them, or the page "Dimmerstatus" shown, or a capture on the page
// "Oszilloskop" ("Messen"), with the program's timer and message loop running
// until the page has an outcome. Message boxes are answered with OK and
// recorded.
//
//   fault_cell.exe read|write|status|scope DIR
//
// Prints one line: the message shown last (or "-"; for the status page
// "shown" once a status fills it, else the text it shows instead; for a
// capture "complete", or "retrying" when it neither completed nor ended in a
// message within 20 s), the seconds until then, whether the record changed,
// whether any file in DIR changed.
#include "base/file_io.h"
#include "params/file_commands.h"
#include "win/commands_win.h"
#include "win/main_win.h"
#include "win/app_win.h"
#include "win/dialog_items_win.h"
#include "win/tab_pages_win.h"
#include "win/timer_win.h"
#include "res/resource.h"
#include "tests/bench/start_program_win.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
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

// Runs the program's timer and message loop, as the program does, until
// outcome() gives one or limit_s passed; then "retrying".
std::string run_until_outcome(const std::function<std::string()>& outcome, double limit_s) {
    timer_start();
    const double start = now_s();
    std::string result;
    while ((result = outcome()).empty() && now_s() - start < limit_s) {
        MsgWaitForMultipleObjectsEx(0, nullptr, 10, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    timer_stop();
    return result.empty() ? "retrying" : result;
}

// The status page: filled by a status, or empty with the reason it shows.
std::string status_page_outcome() {
    HWND page = page_window(Page::status);
    if (!dlg_get_text(page, IDC_STAT_VERSION_CONTROLLER, 63).empty()) return "shown";
    return dlg_get_text(page, IDC_STAT_DIAGNOSTICS, 2047);
}

// A capture: complete, or ended with a message.
std::string capture_outcome() {
    if (program_state().scope.state == ScopeState::complete) return "complete";
    return g_last_message == "-" ? "" : g_last_message;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string operation = argc >= 3 ? argv[1] : "";
    if (operation != "read" && operation != "write" && operation != "status" && operation != "scope") {
        std::fprintf(stderr, "usage: fault_cell read|write|status|scope DIR\n");
        return 2;
    }
    const std::string dir = std::string(argv[2]) + "\\";
    if (!start_program("[KVDLG]\r\nFILE=" + dir + "set.ini\r\n", record_and_answer_ok, dir)) return 1;
    if (current_path() != dir + "set.ini") {
        std::fprintf(stderr, "fault_cell: %sset.ini did not open\n", dir.c_str());
        return 1;
    }
    const ParameterRecord before = live_record();
    const std::map<std::string, std::string> files_before = files_in(dir);

    const double start = now_s();
    std::string outcome;
    if (operation == "status") {
        select_page(Page::status);
        outcome = run_until_outcome(status_page_outcome, 20);
    } else if (operation == "scope") {
        select_page(Page::scope);
        HWND page = page_window(Page::scope);
        SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_SCOPE_MEASURE, BN_CLICKED),
                     LPARAM(GetDlgItem(page, IDC_SCOPE_MEASURE)));
        outcome = run_until_outcome(capture_outcome, 20);
    } else {
        dispatch_command(operation == "read" ? CMD_READ_DEVICE : CMD_WRITE_DEVICE);
        outcome = g_last_message;
    }
    const double seconds = now_s() - start;

    const bool record_changed = std::memcmp(&before, &live_record(), sizeof before) != 0;
    const bool files_changed = files_in(dir) != files_before;
    std::printf("%s\t%.2f\t%s\t%s\n", outcome.c_str(), seconds,
                record_changed ? "changed" : "unchanged", files_changed ? "changed" : "unchanged");
    return 0;
}
