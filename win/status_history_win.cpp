// The kept hour and the recording live in the program state (app_win.h);
// this file feeds them from the poll and puts the user's commands and the
// status bar's recording note around the core's functions.
#include "win/status_history_win.h"

#include <chrono>

#include "base/ui.h"
#include "measure/status_recording.h"
#include "port/port.h"
#include "win/app_win.h"
#include "win/status_bar_win.h"
#include "win/trend_window_win.h"

namespace {

int64_t wall_clock_ms() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
}

FileDialogRequest csv_request(const char* title) {
    FileDialogRequest request;
    request.save = true;
    request.title = title;
    request.filters = {{"CSV-Dateien (*.csv)", "*.csv"}, {"Alle Dateien (*.*)", "*.*"}};
    request.default_ext = "csv";
    return request;
}

void show_recording() {
    show_recording_in_status_bar(recording_active(program_state().recording));
    trend_window_recording_changed();
}

}  // namespace

void status_history_follow(const StatusPollResult& result) {
    if (!result.shown && !result.fell_silent) return;
    ProgramState& state = program_state();
    const bool recording = recording_active(state.recording);
    const HistoryAdded added = keep_status_poll(state.history, state.recording, result, state.status,
                                                tick_count_ms(), wall_clock_ms(), main_window());
    if (recording != recording_active(state.recording)) show_recording();  // a write failed
    trend_window_follow(added);
}

void status_recording_command(HWND owner) {
    ProgramState& state = program_state();
    if (recording_active(state.recording)) {
        recording_stop(state.recording, owner);
    } else {
        const auto chosen = ask_file_name(owner, csv_request("Aufzeichnen"));
        if (!chosen) return;
        recording_start(state.recording, chosen->path, tick_count_ms(), owner);
    }
    show_recording();
}

void status_history_save_command(HWND owner) {
    const auto chosen = ask_file_name(owner, csv_request("Verlauf speichern"));
    if (chosen) history_save(program_state().history, chosen->path, owner);
}

void status_recording_end() {
    recording_stop(program_state().recording, nullptr);
    show_recording_in_status_bar(false);
}
