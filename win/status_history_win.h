// The status of the last hour in kv310r.exe: what the status page's poll
// shows is kept (measure/status_history.h) and, while a recording runs,
// written to its files; the commands "Aufzeichnen…" and "Speichern…".
#pragma once

#include <windows.h>

#include "measure/status_poll.h"

// Each poll step's outcome, from the status page's timer step: kept, recorded,
// and handed to the "Verlauf" window when it is open.
void status_history_follow(const StatusPollResult& result);

// CMD_TREND_RECORD: asks for the file and starts the recording; while one
// runs, ends it instead.
void status_recording_command(HWND owner);
// CMD_TREND_SAVE: asks for the file and writes the kept hour.
void status_history_save_command(HWND owner);
// The program ends: a recording that runs is closed.
void status_recording_end();
