// The measurement state of kv310r.exe: the status poll with its slots, the
// test drive both measurement pages share, the oscilloscope session and the
// plot of its shown capture. One instance lives for the whole run; the timer
// tick and the pages reach it here.
#pragma once

#include "link/status_record.h"
#include "measure/plot_math.h"
#include "measure/scope.h"
#include "measure/status_poll.h"

struct ProgramState {
    StatusPoll status;
    TestDrive drive;
    ScopeSession scope;
    ScopePlot scope_plot;  // the shown capture in plot units
};

ProgramState& program_state();
