// "Aufzeichnen…": from its start every status the page shows goes to a CSV
// file (the lines of kv310r-cli status --watch --csv) and every event to the
// ".events.csv" file beside it. Each line is flushed as it is written, so
// both files are complete up to the last status however the program or the
// dimmer stops.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "base/ui.h"
#include "measure/status_history.h"
#include "measure/status_poll.h"

struct StatusRecording {
    std::string path;  // the status file; the events file is events_csv_path(path)
    std::FILE* statuses = nullptr;
    std::FILE* events = nullptr;
    uint32_t started_tick = 0;  // the seconds columns count from here
};

bool recording_active(const StatusRecording& recording);

// Creates both files (replacing any there) with their header lines and
// starts counting at tick. False, reported to the user, when one of them
// cannot be created; then neither is left open. A recording that runs is
// stopped first.
bool recording_start(StatusRecording& recording, const std::string& path, uint32_t tick, WindowRef owner);

// Writes what the history's last addition brought: its newest status when
// one was kept, and its newest `added.events` events. A failed write is
// reported and ends the recording (false); the lines written stay.
bool recording_follow(StatusRecording& recording, const StatusHistory& history, HistoryAdded added,
                      WindowRef owner);

// Closes both files; false, reported, when their last bytes could not be
// written.
bool recording_stop(StatusRecording& recording, WindowRef owner);

// One poll step's outcome kept (tick and wall_ms its moment): a status shown
// goes into the history, the dimmer falling silent becomes its event, and
// what either brought is written to the recording while one runs.
HistoryAdded keep_status_poll(StatusHistory& history, StatusRecording& recording,
                              const StatusPollResult& result, const StatusPoll& poll, uint32_t tick,
                              int64_t wall_ms, WindowRef owner);
