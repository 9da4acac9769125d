#include "tests/soak/technician_win.h"

#include "win/app_win.h"
#include "win/commands_win.h"
#include "win/main_win.h"
#include "win/message_box_win.h"
#include "win/monitor_win.h"
#include "win/status_bar_win.h"
#include "win/tab_pages_win.h"
#include "win/timer_win.h"
#include "base/file_io.h"
#include "base/settings.h"
#include "base/ticks.h"
#include "measure/status_poll.h"
#include "params/file_commands.h"
#include "params/param_file.h"
#include "params/record.h"
#include "port/port.h"
#include "port/utf16_win.h"
#include "res/resource.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <cwchar>
#include <optional>

namespace {

constexpr int PARAMETER_FILES = 5;      // the files opened by turns
constexpr int MONITOR_REPLIES = 25;     // status replies listed in each monitor opening
constexpr int STATUS_CHUNK = 100;       // status replies between two calls of the leak
constexpr DWORD CAPTURE_MS = 10000;     // the longest a capture may take
constexpr DWORD MONITOR_TICK_MS = 250;  // the monitor's list takes the traffic every 200 ms
constexpr char READ_DONE[] = "Dimmerparameter wurden zum PC übertragen";
constexpr char WRITE_DONE[] = "PC-Parameter wurden im Dimmer abgespeichert";
constexpr wchar_t DIALOG_CLASS[] = L"#32770";
constexpr wchar_t CONNECTION_DIALOG[] = L"Hardwareanschluss";

// What the "user" keeps between the program's questions. Strings are assigned,
// never appended to, so a long day holds no more memory here than a short one.
struct Technician {
    std::string folder;
    Tally* tally = nullptr;
    std::optional<std::string> next_file;  // the file dialog's answer, once
    std::string last_message;
    int64_t heartbeats = 0;    // moves of the status page's heartbeat indicator
    int64_t files_opened = 0;  // the files are taken by turns across rounds
    int64_t dialogs = 0;
    bool dialog_seen = false;
};
Technician g_tech;

std::string parameter_file(int index) { return g_tech.folder + "Satz " + std::to_string(index + 1) + ".ini"; }

// ---- the program's questions

int answer_message(WindowRef, unsigned type, const std::string& text) {
    // "Änderungen speichern?": no, the next file or the dimmer's set replaces it.
    if (type == KV_MB_QUESTION_YNC) return KV_IDNO;
    if (type == KV_MB_ERROR && g_tech.tally) {
        if (g_tech.tally->errors++ == 0) g_tech.tally->first_error = text;
    }
    g_tech.last_message = text;
    return KV_IDOK;
}

std::optional<FileDialogResult> answer_file_dialog(WindowRef, const FileDialogRequest&) {
    if (!g_tech.next_file) return std::nullopt;
    FileDialogResult chosen{*g_tech.next_file, 1};
    g_tech.next_file.reset();
    return chosen;
}

// ---- the program's loop

void pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(int(msg.wParam));
            return;
        }
        shell_process_message(msg);
    }
}

// The program's loop with its timer, until done says so or ms have passed.
template <typename Done>
bool run_until(Done done, DWORD ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        timer_tick(nullptr, 0, 0, 0);
        pump();
        if (done()) return true;
        if (GetTickCount() - start >= ms) return false;
        MsgWaitForMultipleObjectsEx(0, nullptr, 1, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

void run_for(DWORD ms) {
    run_until([] { return false; }, ms);
}

// ---- "Dimmerstatus"

// The heartbeat indicator in the status bar moves once for every reply the
// page displays. It is made anew each time the page is shown.
LRESULT CALLBACK count_heartbeat(HWND bar, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR) {
    if (message == PBM_SETPOS)
        ++g_tech.heartbeats;
    else if (message == WM_NCDESTROY)
        RemoveWindowSubclass(bar, count_heartbeat, 0);
    return DefSubclassProc(bar, message, wparam, lparam);
}

void watch_heartbeat() {
    if (HWND bar = FindWindowExW(status_bar(), nullptr, PROGRESS_CLASSW, nullptr))
        SetWindowSubclass(bar, count_heartbeat, 0, 0);
}

// The poll asks every 100 ms, which would make a day's 50,000 replies last
// 83 minutes. The day is compressed by moving the poll's last request back:
// the next request goes out as soon as a reply is shown, and a reply is read
// as soon as it can be complete. A reply that never comes is asked for again
// after the poll's own period.
void hurry_status_poll() {
    StatusPoll& poll = program_state().status;
    const uint32_t now = tick_count_ms();
    if (!poll.awaiting_reply)
        poll.last_request_tick = now - STATUS_POLL_PERIOD_MS;
    else if (ticks_elapsed(poll.last_request_tick, now) < STATUS_REPLY_MIN_MS)
        poll.last_request_tick = now - STATUS_REPLY_MIN_MS;
}

void watch_status(int replies, Tally& tally) {
    watch_heartbeat();
    const int64_t start = g_tech.heartbeats;
    const DWORD began = GetTickCount();
    // The limit is for a dimmer that stopped answering, not for a machine
    // that is slow now and then.
    const DWORD limit = DWORD(replies) * 200 + 5000;
    while (g_tech.heartbeats - start < replies && GetTickCount() - began < limit) {
        hurry_status_poll();
        timer_tick(nullptr, 0, 0, 0);
        pump();
        MsgWaitForMultipleObjectsEx(0, nullptr, 1, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
    tally.status_replies += g_tech.heartbeats - start;
}

// ---- the monitor, over the status page

void open_monitor(Tally& tally) {
    dispatch_command(CMD_MONITOR);
    pump();
    HWND monitor = monitor_window();
    if (!monitor || !IsWindowVisible(monitor)) return;
    watch_status(MONITOR_REPLIES, tally);
    run_for(MONITOR_TICK_MS);  // the list takes what came
    const bool listed = SendMessageW(GetDlgItem(monitor, IDC_MONITOR_LIST), LB_GETCOUNT, 0, 0) > 0;
    SendMessageW(GetDlgItem(monitor, IDCANCEL), BM_CLICK, 0, 0);  // "Abbruch"
    pump();
    if (listed && !monitor_window() && !IsWindow(monitor)) ++tally.monitor_openings;
}

// ---- "Oszilloskop"

HWND scope_item(int id) { return GetDlgItem(page_window(Page::scope), id); }

bool file_written(const std::string& path) {
    const std::optional<std::string> bytes = read_file(path);
    return bytes && !bytes->empty();
}

// The plot's context menu, worked with the keyboard as its modal loop reads
// it: down to the entry (the separator is skipped), then Enter. The entry's
// command comes back to the page.
void choose_from_plot_menu(int entry) {
    HWND page = page_window(Page::scope);
    HWND plot = scope_item(IDC_SCOPE_PLOT);
    for (int i = 0; i < entry; ++i) PostMessageW(page, WM_KEYDOWN, VK_DOWN, 1);
    PostMessageW(page, WM_KEYDOWN, VK_RETURN, 1);
    RECT r{};
    GetWindowRect(plot, &r);
    SendMessageW(page, WM_CONTEXTMENU, WPARAM(plot),
                 MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2));
    pump();
}

void export_capture(Tally& tally) {
    const std::string csv = g_tech.folder + "Messung.csv", png = g_tech.folder + "Bild.png";
    for (const std::string& path : {csv, png}) DeleteFileW(widen(path).c_str());
    g_tech.next_file = csv;
    choose_from_plot_menu(1);  // "Messung als CSV speichern…"
    if (file_written(csv)) ++tally.csv_files;
    g_tech.next_file = png;
    choose_from_plot_menu(2);  // "Bild als PNG speichern…"
    if (file_written(png)) ++tally.png_files;
    g_tech.next_file.reset();
    const DWORD clipboard = GetClipboardSequenceNumber();
    choose_from_plot_menu(3);  // "Kopieren"
    if (GetClipboardSequenceNumber() != clipboard && IsClipboardFormatAvailable(CF_BITMAP))
        ++tally.clipboard_copies;
}

void take_capture(Tally& tally) {
    HWND measure = scope_item(IDC_SCOPE_MEASURE);
    SendMessageW(page_window(Page::scope), WM_COMMAND, MAKEWPARAM(IDC_SCOPE_MEASURE, BN_CLICKED),
                 LPARAM(measure));
    const ScopePlot& plot = program_state().scope_plot;
    if (!run_until([&] { return plot.shown; }, CAPTURE_MS)) return;
    HWND window = scope_item(IDC_SCOPE_PLOT);
    UpdateWindow(window);  // painted now, if it was not yet
    RECT dirty{};
    if (!GetUpdateRect(window, &dirty, FALSE)) ++tally.captures;
    export_capture(tally);
}

// ---- parameter files

// Opens the file through "Öffnen", types a new minimum into the first column of
// "Grundeinstellung" and saves with "Speichern", which takes the value typed.
void edit_parameter_file(Tally& tally) {
    const std::string path = parameter_file(int(g_tech.files_opened++ % PARAMETER_FILES));
    const std::string before = read_file(path).value_or("");
    g_tech.next_file = path;
    dispatch_command(CMD_OPEN);
    pump();
    g_tech.next_file.reset();
    if (current_path() != path) return;
    select_page(Page::base_settings);
    pump();
    HWND edit = GetDlgItem(page_window(Page::base_settings), IDC_MINIMUM);
    SetFocus(edit);
    // Whatever the file holds, the other of two values: each save changes it.
    wchar_t shown[16] = {};
    GetWindowTextW(edit, shown, 16);
    SetWindowTextW(edit, std::wcscmp(shown, L"10") == 0 ? L"20" : L"10");
    dispatch_command(CMD_SAVE);
    pump();
    const std::string after = read_file(path).value_or("");
    if (!after.empty() && after != before && !is_modified()) ++tally.files_saved;
}

// ---- "Hardwareanschluss"

// Plays the user at the modal dialog: once it is up and waits, presses "OK"
// (the port is tested) or "Abbruch", by turns.
void CALLBACK answer_connection_dialog(HWND, UINT, UINT_PTR, DWORD) {
    HWND dialog = FindWindowW(DIALOG_CLASS, CONNECTION_DIALOG);
    if (g_tech.dialog_seen || !dialog || !IsWindowVisible(dialog) || !IsWindowEnabled(dialog)) return;
    g_tech.dialog_seen = true;
    const int button = g_tech.dialogs % 2 ? IDCANCEL : IDOK;
    SendMessageW(GetDlgItem(dialog, button), BM_CLICK, 0, 0);
}

void open_connection_dialog(Tally& tally) {
    g_tech.dialog_seen = false;
    const UINT_PTR robot = SetTimer(nullptr, 0, 10, answer_connection_dialog);
    dispatch_command(CMD_HARDWARE);
    KillTimer(nullptr, robot);
    pump();
    ++g_tech.dialogs;
    if (g_tech.dialog_seen && !FindWindowW(DIALOG_CLASS, CONNECTION_DIALOG)) ++tally.dialog_openings;
}

// ---- the dimmer's parameter set

void read_and_write(Tally& tally) {
    g_tech.last_message.clear();
    dispatch_command(CMD_READ_DEVICE);
    pump();
    if (g_tech.last_message == READ_DONE) ++tally.reads;
    g_tech.last_message.clear();
    dispatch_command(CMD_WRITE_DEVICE);
    pump();
    if (g_tech.last_message == WRITE_DONE) ++tally.writes;
}

void switch_page(Tally& tally) {
    const std::optional<Page> before = selected_page();
    dispatch_command(CMD_TAB_NEXT_WRAP);  // Ctrl+Tab
    pump();
    if (selected_page() != before && current_page() && IsWindowVisible(current_page())) ++tally.page_switches;
}

void show(Page page) {
    select_page(page);
    pump();
}

}  // namespace

bool technician_start(const std::string& folder) {
    g_tech.folder = folder;
    settings_set_directory(folder);
    const char* port = std::getenv("KV_TEST_COM");
    if (!port ||
        !write_file_atomic(settings_path(), "[PROP]\r\nPORT=" + std::string(port) + "\r\nRS485ADR=1\r\n"))
        return false;
    ParameterRecord record{};
    apply_defaults(record);
    for (int i = 0; i < PARAMETER_FILES; ++i)
        if (!write_parameter_file(record, parameter_file(i))) return false;
    monitor_set_log_folder(folder);
    set_message_box_hook(answer_message);
    set_file_dialog_hook(answer_file_dialog);
    shell_init_platform();
    if (!shell_create_main_window(GetModuleHandleW(nullptr), SW_SHOWNORMAL)) return false;
    SetForegroundWindow(main_window());
    timer_start();
    pump();
    return true;
}

void technician_stop() {
    close_main_window();
    pump();
    timer_stop();
    shell_store_settings();
    set_message_box_hook(nullptr);
    set_file_dialog_hook(nullptr);
}

void play_round(const RoundPlan& plan, Tally& tally, void (*leak)()) {
    g_tech.tally = &tally;
    const auto each = [leak] {
        if (leak) leak();
    };
    for (int i = 0; i < plan.page_switches; ++i, each()) switch_page(tally);

    show(Page::status);
    for (int i = 0; i < plan.monitor_openings; ++i, each()) open_monitor(tally);
    for (int left = plan.status_replies - plan.monitor_openings * MONITOR_REPLIES; left > 0;
         left -= STATUS_CHUNK, each())
        watch_status(left < STATUS_CHUNK ? left : STATUS_CHUNK, tally);

    show(Page::scope);
    for (int i = 0; i < plan.captures; ++i, each()) take_capture(tally);

    show(Page::base_settings);
    for (int i = 0; i < plan.dialog_openings; ++i, each()) open_connection_dialog(tally);
    for (int i = 0; i < plan.parameter_files; ++i, each()) edit_parameter_file(tally);
    for (int i = 0; i < plan.read_write_cycles; ++i, each()) read_and_write(tally);
    show(Page::base_settings);
}

std::string tally_shortfall(const Tally& t, const RoundPlan& plan, int rounds) {
    struct Row {
        const char* what;
        int64_t done;
        int64_t planned;
    };
    const Row rows[] = {
        {"page switches", t.page_switches, plan.page_switches},
        {"status replies displayed", t.status_replies, plan.status_replies},
        {"captures drawn", t.captures, plan.captures},
        {"CSV files saved", t.csv_files, plan.captures},
        {"PNG files saved", t.png_files, plan.captures},
        {"copies to the clipboard", t.clipboard_copies, plan.captures},
        {"parameter files edited and saved", t.files_saved, plan.parameter_files},
        {"monitor openings", t.monitor_openings, plan.monitor_openings},
        {"connection dialog openings", t.dialog_openings, plan.dialog_openings},
        {"parameter sets read", t.reads, plan.read_write_cycles},
        {"parameter sets written", t.writes, plan.read_write_cycles},
    };
    std::string text;
    for (const Row& row : rows)
        if (row.done < row.planned * rounds)
            text += std::string(row.what) + ": " + std::to_string(row.done) + " of " +
                    std::to_string(row.planned * rounds) + "\n";
    if (t.errors) text += std::to_string(t.errors) + " error messages, the first: " + t.first_error + "\n";
    return text;
}

std::string tally_text(const Tally& t) {
    return std::to_string(t.page_switches) + " page switches, " + std::to_string(t.status_replies) +
           " status replies displayed, " + std::to_string(t.captures) + " captures drawn (" +
           std::to_string(t.csv_files) + " CSV, " + std::to_string(t.png_files) + " PNG, " +
           std::to_string(t.clipboard_copies) + " clipboard), " + std::to_string(t.files_saved) +
           " parameter files saved, " + std::to_string(t.monitor_openings) + " monitor and " +
           std::to_string(t.dialog_openings) + " dialog openings, " + std::to_string(t.reads) + " reads, " +
           std::to_string(t.writes) + " writes";
}
