// What every window of kv310r.exe may use: the program's instance, its main
// window and its measurement state. Start-up sets the instance; the main
// window enters itself when it is created and leaves when it is destroyed.
#pragma once

#include <windows.h>

#include "link/status_record.h"
#include "measure/plot_math.h"
#include "measure/scope.h"
#include "measure/status_history.h"
#include "measure/status_poll.h"
#include "measure/status_recording.h"

// The measurement state of kv310r.exe: the status poll with its slots, the
// status of the last hour and its recording, the test drive both measurement
// pages share, the oscilloscope session and the plot of its shown capture. One instance lives for the whole run; the timer's
// steps and the pages work on it.
struct ProgramState {
    StatusPoll status;
    StatusHistory history;
    StatusRecording recording;
    TestDrive drive;
    ScopeSession scope;
    ScopePlot scope_plot;  // the shown capture in plot units
};

HINSTANCE app_instance();
// The main window while it exists, else null.
HWND main_window();
ProgramState& program_state();

void app_set_instance(HINSTANCE instance);
void app_set_main_window(HWND window);
