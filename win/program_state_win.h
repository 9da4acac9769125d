// The measurement state of kv310r.exe: the status poll with its slots, the
// test drive both measurement pages share, and the oscilloscope session. One
// instance lives for the whole run; the timer tick and the pages reach it here.
#pragma once

#include "link/status_record.h"
#include "measure/scope.h"
#include "measure/status_poll.h"

struct ProgramState {
    StatusPoll status;
    TestDrive drive;
    ScopeSession scope;
};

ProgramState& program_state();
