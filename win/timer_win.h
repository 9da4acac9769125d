// The periodic timer of kv310r.exe. Each tick steps the status page's polling
// and the oscilloscope (each step decides from its page's state whether it
// has work), unless a busy window is open, and keeps the file name in the
// status bar current. Steps never nest.
#pragma once

#include <windows.h>

using TimerStep = void (*)();

// The two steps a tick runs, set where the main window is created. Null runs
// nothing.
void set_timer_steps(TimerStep status_step, TimerStep scope_step);

// Starts the thread timer and stops it again (start-up and exit).
void timer_start();
void timer_stop();

// The timer's callback; the UI tests call it for a tick.
void CALLBACK timer_tick(HWND, UINT, UINT_PTR, DWORD);

// Runs a step of the timer's work now, unless a tick or another such step is
// already running further up the stack. Every call of a step outside the
// timer goes through here.
void run_timer_step(TimerStep step);
