// The dimmer's status over the last hour, kept in memory while the status
// page polls: every status shown, and the events found between consecutive
// statuses (measure/status_events.h). Both are rings of fixed size, so the
// kept hour never grows past them; a status keeps its 111 bytes as received
// (every column of the status CSV comes from them) and the tick it came at.
// Times are the 32-bit tick counter's; one pair of tick and wall-clock time,
// renewed with everything the history hears, turns them into clock times.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/ui.h"
#include "link/status_record.h"
#include "measure/ring.h"

constexpr uint32_t HISTORY_SPAN_MS = 60 * 60 * 1000;
// An hour at one status per 100 ms, the page's polling period.
constexpr size_t HISTORY_STATUSES = 36000;
// A warning that comes and goes every few tenths of a second for the whole
// hour still fits.
constexpr size_t HISTORY_EVENTS = 10000;

struct StatusSample {
    uint32_t tick_ms;
    StatusRecord status;
};

struct StatusEvent {
    uint32_t tick_ms;
    std::string text;
};

struct StatusHistory {
    Ring<StatusSample, HISTORY_STATUSES> statuses;
    Ring<StatusEvent, HISTORY_EVENTS> events;
    bool silent = false;        // the newest news was the dimmer falling silent
    uint32_t clock_tick = 0;    // the newest moment the history heard of, on the tick counter
    int64_t clock_wall_ms = 0;  // the same moment in milliseconds since 1970 (UTC)
};

// What one addition brought: whether a status was kept, and how many events
// (the newest ones of the events ring).
struct HistoryAdded {
    bool status;
    size_t events;
};

// A status shown at tick (wall_ms on the wall clock): kept, with the events
// since the status before it (the first status gives its mode and the
// warnings already on; after a silence the return comes first). What is an
// hour older than tick is dropped.
HistoryAdded history_add_status(StatusHistory& history, uint32_t tick, int64_t wall_ms,
                                const StatusRecord& status);
// The dimmer fell silent at tick: one event, unless it is already silent.
HistoryAdded history_add_silence(StatusHistory& history, uint32_t tick, int64_t wall_ms);

// The wall-clock time of a tick within an hour of the newest moment heard of.
int64_t history_wall_ms(const StatusHistory& history, uint32_t tick);

// The kept hour as the two CSV files' texts: every status and every event,
// the seconds counted from the oldest of them.
std::string history_status_csv(const StatusHistory& history);
std::string history_events_csv(const StatusHistory& history);

// "Speichern…": the kept hour into path and its events file beside it
// (events_csv_path), each replaced at once or not at all. False, reported
// to the user, when a file could not be written.
bool history_save(const StatusHistory& history, const std::string& path, WindowRef owner);
