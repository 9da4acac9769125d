#include "measure/status_recording.h"

#include "base/file_io.h"
#include "measure/status_csv.h"
#include "measure/status_events.h"
#include "params/file_messages.h"

namespace {

bool close_file(std::FILE*& file) {
    if (!file) return true;
    const bool ok = std::fclose(file) == 0;
    file = nullptr;
    return ok;
}

// One line, out at once: the file is complete whenever the recording stops.
bool write_line(std::FILE* file, const std::string& line) {
    return std::fputs(line.c_str(), file) >= 0 && std::fflush(file) == 0;
}

// Ends the recording after a failed write of the file at path.
bool fail(StatusRecording& r, const std::string& path, WindowRef owner) {
    close_file(r.statuses);
    close_file(r.events);
    report_file_not_saved(owner, path);
    return false;
}

}  // namespace

bool recording_active(const StatusRecording& r) { return r.statuses != nullptr; }

bool recording_start(StatusRecording& r, const std::string& path, uint32_t tick, WindowRef owner) {
    recording_stop(r, owner);
    r.path = path;
    r.started_tick = tick;
    const std::string events = events_csv_path(path);
    r.statuses = create_file_for_writing(path);
    if (!r.statuses) return fail(r, path, owner);
    r.events = create_file_for_writing(events);
    if (!r.events) return fail(r, events, owner);
    if (!write_line(r.statuses, status_csv_header())) return fail(r, path, owner);
    if (!write_line(r.events, status_events_csv_header())) return fail(r, events, owner);
    return true;
}

bool recording_follow(StatusRecording& r, const StatusHistory& h, HistoryAdded added, WindowRef owner) {
    if (!recording_active(r)) return true;
    const size_t events = ring_size(h.events);
    for (size_t i = added.events <= events ? events - added.events : 0; i < events; ++i) {
        const StatusEvent& e = ring_at(h.events, i);
        const std::string time = csv_time_text(history_wall_ms(h, e.tick_ms));
        if (!write_line(r.events, status_event_csv_line(time, e.tick_ms - r.started_tick, e.text)))
            return fail(r, events_csv_path(r.path), owner);
    }
    if (added.status && ring_size(h.statuses) > 0) {
        const StatusSample& s = ring_newest(h.statuses);
        const std::string time = csv_time_text(history_wall_ms(h, s.tick_ms));
        if (!write_line(r.statuses, status_csv_line(time, s.tick_ms - r.started_tick, s.status)))
            return fail(r, r.path, owner);
    }
    return true;
}

bool recording_stop(StatusRecording& r, WindowRef owner) {
    if (!recording_active(r)) return true;
    const bool statuses = close_file(r.statuses);
    const bool events = close_file(r.events);
    if (!statuses) report_file_not_saved(owner, r.path);
    if (statuses && !events) report_file_not_saved(owner, events_csv_path(r.path));
    return statuses && events;
}

HistoryAdded keep_status_poll(StatusHistory& h, StatusRecording& r, const StatusPollResult& result,
                              const StatusPoll& poll, uint32_t tick, int64_t wall_ms, WindowRef owner) {
    HistoryAdded added = {false, 0};
    if (result.shown)
        added = history_add_status(h, tick, wall_ms, poll.slots.shown.status);
    else if (result.fell_silent)
        added = history_add_silence(h, tick, wall_ms);
    if (added.status || added.events > 0) recording_follow(r, h, added, owner);
    return added;
}
