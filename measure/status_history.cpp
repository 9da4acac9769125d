#include "measure/status_history.h"

#include <utility>
#include <vector>

#include "base/file_io.h"
#include "measure/status_csv.h"
#include "measure/status_events.h"
#include "params/file_messages.h"

namespace {

// Milliseconds from then to now, both ticks, then not after now.
uint32_t age(uint32_t then, uint32_t now) { return uint32_t(now - then); }

void forget_older_than_an_hour(StatusHistory& h, uint32_t now) {
    while (ring_size(h.statuses) > 0 && age(ring_at(h.statuses, 0).tick_ms, now) > HISTORY_SPAN_MS)
        ring_drop_oldest(h.statuses);
    while (ring_size(h.events) > 0 && age(ring_at(h.events, 0).tick_ms, now) > HISTORY_SPAN_MS)
        ring_drop_oldest(h.events);
}

void set_clock(StatusHistory& h, uint32_t tick, int64_t wall_ms) {
    h.clock_tick = tick;
    h.clock_wall_ms = wall_ms;
}

size_t add_events(StatusHistory& h, uint32_t tick, std::vector<std::string> texts) {
    for (std::string& text : texts) ring_push(h.events, StatusEvent{tick, std::move(text)});
    return texts.size();
}

// The tick the kept hour starts at: the older of the oldest status and event.
uint32_t history_start(const StatusHistory& h) {
    const bool statuses = ring_size(h.statuses) > 0, events = ring_size(h.events) > 0;
    if (!statuses) return events ? ring_at(h.events, 0).tick_ms : h.clock_tick;
    const uint32_t s = ring_at(h.statuses, 0).tick_ms;
    if (!events) return s;
    const uint32_t e = ring_at(h.events, 0).tick_ms;
    return age(e, h.clock_tick) > age(s, h.clock_tick) ? e : s;
}

}  // namespace

HistoryAdded history_add_status(StatusHistory& h, uint32_t tick, int64_t wall_ms,
                                const StatusRecord& status) {
    set_clock(h, tick, wall_ms);
    std::vector<std::string> texts;
    if (h.silent) texts.push_back(EVENT_ANSWERS_AGAIN);
    h.silent = false;
    std::vector<std::string> changes = ring_size(h.statuses) > 0
                                           ? status_changes(ring_newest(h.statuses).status, status)
                                           : first_status_events(status);
    texts.insert(texts.end(), changes.begin(), changes.end());
    ring_push(h.statuses, StatusSample{tick, status});
    const size_t events = add_events(h, tick, std::move(texts));
    forget_older_than_an_hour(h, tick);
    return {true, events};
}

HistoryAdded history_add_silence(StatusHistory& h, uint32_t tick, int64_t wall_ms) {
    set_clock(h, tick, wall_ms);
    if (h.silent) return {false, 0};
    h.silent = true;
    const size_t events = add_events(h, tick, {EVENT_SILENT});
    forget_older_than_an_hour(h, tick);
    return {false, events};
}

int64_t history_wall_ms(const StatusHistory& h, uint32_t tick) {
    return h.clock_wall_ms + int64_t(int32_t(tick - h.clock_tick));
}

std::string history_status_csv(const StatusHistory& h) {
    const uint32_t start = history_start(h);
    std::string text = status_csv_header();
    for (size_t i = 0; i < ring_size(h.statuses); ++i) {
        const StatusSample& s = ring_at(h.statuses, i);
        text +=
            status_csv_line(csv_time_text(history_wall_ms(h, s.tick_ms)), age(start, s.tick_ms), s.status);
    }
    return text;
}

std::string history_events_csv(const StatusHistory& h) {
    const uint32_t start = history_start(h);
    std::string text = status_events_csv_header();
    for (size_t i = 0; i < ring_size(h.events); ++i) {
        const StatusEvent& e = ring_at(h.events, i);
        text += status_event_csv_line(csv_time_text(history_wall_ms(h, e.tick_ms)), age(start, e.tick_ms),
                                      e.text);
    }
    return text;
}

bool history_save(const StatusHistory& h, const std::string& path, WindowRef owner) {
    if (!write_file_atomic(path, history_status_csv(h))) {
        report_file_not_saved(owner, path);
        return false;
    }
    const std::string events = events_csv_path(path);
    if (!write_file_atomic(events, history_events_csv(h))) {
        report_file_not_saved(owner, events);
        return false;
    }
    return true;
}
