// The events of the dimmer's status over time: what changed from one status
// to the next (a warning, a flag, the control mode, a dimmer's phase-control
// mode, a dimmer appearing or disappearing) and the status going silent and
// returning, each as one line of the "Ereignisse" list and of the recording's
// ".events.csv" file. Texts name the device's fields as the page's diagnostic
// block does ("Flags", "Warnings", "Mode").
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "link/status_record.h"

// The dimmer leaves the status requests unanswered, and answers again.
constexpr const char* EVENT_SILENT = "Keine Antwort mehr";
constexpr const char* EVENT_ANSWERS_AGAIN = "Antwort wieder da";

// What changed from before to after, one text per change, in the order: the
// control mode, the board warnings (bit 0 to 2), then for dimmer 1 and 2 its
// appearing or disappearing, its phase-control mode, its flags, its warnings
// and its master/slave byte. Nothing when nothing of that changed.
std::vector<std::string> status_changes(const StatusRecord& before, const StatusRecord& after);

// The first status of a watch: its control mode, and each warning that is
// already on, as if it had just come.
std::vector<std::string> first_status_events(const StatusRecord& status);

// The ".events.csv" file: a header, then one line per event with the time as
// the status CSV spells it, the seconds since the start and the text.
std::string status_events_csv_header();
std::string status_event_csv_line(const std::string& time, uint32_t elapsed_ms, const std::string& text);

// The events file beside a status CSV file: "x.csv" gives "x.events.csv",
// any other name gets ".events.csv" appended.
std::string events_csv_path(const std::string& status_csv_path);
