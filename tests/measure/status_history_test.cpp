// The status over the last hour: the ring that bounds it, the events found
// between consecutive statuses, the CSV texts of the kept hour and of the
// events, and the recording's files, complete after every line.
#include <gtest/gtest.h>

#include <functional>
#include <regex>
#include <string>
#include <vector>

#include "base/bytes.h"
#include "base/file_io.h"
#include "measure/ring.h"
#include "measure/status_csv.h"
#include "measure/status_events.h"
#include "measure/status_history.h"
#include "measure/status_recording.h"
#include "tests/support/fake_ui.h"
#include "tests/support/temp_dir.h"

namespace {

template <size_t N>
std::vector<int> contents(const Ring<int, N>& ring) {
    std::vector<int> out;
    for (size_t i = 0; i < ring_size(ring); ++i) out.push_back(ring_at(ring, i));
    return out;
}

TEST(Ring, KeepsTheNewestEntriesInOrderWithinItsCapacity) {
    Ring<int, 3> ring;
    EXPECT_EQ(ring_size(ring), 0u);
    for (int i = 1; i <= 2; ++i) ring_push(ring, i);
    EXPECT_EQ(contents(ring), (std::vector<int>{1, 2}));
    for (int i = 3; i <= 7; ++i) ring_push(ring, i);  // wraps twice over
    EXPECT_EQ(contents(ring), (std::vector<int>{5, 6, 7}));
    EXPECT_EQ(ring_newest(ring), 7);
    EXPECT_EQ(ring.storage.capacity(), 3u);  // taken once, never grown

    ring_drop_oldest(ring);
    EXPECT_EQ(contents(ring), (std::vector<int>{6, 7}));
    ring_push(ring, 8);
    ring_push(ring, 9);
    EXPECT_EQ(contents(ring), (std::vector<int>{7, 8, 9}));

    ring_clear(ring);
    EXPECT_EQ(ring_size(ring), 0u);
    ring_drop_oldest(ring);  // nothing to drop
    ring_push(ring, 10);
    ring_push(ring, 11);
    EXPECT_EQ(contents(ring), (std::vector<int>{10, 11}));

    // Dropping before the ring is full, then filling it: the order holds.
    Ring<int, 4> partly;
    for (int i = 1; i <= 3; ++i) ring_push(partly, i);
    ring_drop_oldest(partly);
    for (int i = 4; i <= 6; ++i) ring_push(partly, i);
    EXPECT_EQ(contents(partly), (std::vector<int>{3, 4, 5, 6}));

    // Cleared before it was ever full.
    Ring<int, 4> fresh;
    ring_push(fresh, 1);
    ring_push(fresh, 2);
    ring_clear(fresh);
    ring_push(fresh, 3);
    EXPECT_EQ(contents(fresh), (std::vector<int>{3}));
}

StatusRecord present_status() {
    StatusRecord s = {};
    s.dip[0] = 0x01;  // DMX, 8 bit
    s.dip[3] = 0x08;  // address 1
    for (int d = 0; d < 2; ++d) {
        s.measurement[d].present = 1;
        put_u16le(s.measurement[d].temperature, 250);
    }
    return s;
}

TEST(StatusEvents, EachChangeBetweenTwoStatusesIsOneLine) {
    using Change = std::function<void(StatusRecord&)>;
    struct Case {
        const char* what;
        Change after;
        std::vector<std::string> texts;
    };
    const std::vector<Case> cases = {
        {"nothing that counts", [](StatusRecord& s) { put_u16le(s.measurement[0].temperature, 900); }, {}},
        {"counters and control value",
         [](StatusRecord& s) {
             put_u16le(s.timer_counter, 7);
             put_u16le(s.control[1].control_value, 1000);
             s.control[0].comm_state = 3;
         },
         {}},
        {"board warning comes",
         [](StatusRecord& s) { s.board_warnings = 0x01; },
         {"Warnung ein: Board temperature warning"}},
        {"two board warnings at once",
         [](StatusRecord& s) { s.board_warnings = 0x06; },
         {"Warnung ein: Board temperature error", "Warnung ein: U warning"}},
        {"control mode", [](StatusRecord& s) { s.dip[0] = 0x00; }, {"Mode: DMX, 8bit, addr 1 -> TARVIX"}},
        {"master/slave of the device",
         [](StatusRecord& s) { s.master_slave = 1; },
         {"Mode: DMX, 8bit, addr 1 -> DMX, 8bit, addr 1 Master/slave"}},
        {"dimmer 2 vanishes",
         [](StatusRecord& s) { s.measurement[1].present = 0; },
         {"Dimmer 2 verschwindet"}},
        {"phase-control mode",
         [](StatusRecord& s) { s.control[0].phase_mode = 1; },
         {"Dimmer 1: Betriebsart ABschnitt -> ANschnitt"}},
        {"flags and warnings of a dimmer",
         [](StatusRecord& s) {
             s.control[1].flags = 0x1a;
             s.control[1].warnings = 0x02;
             s.control[0].master_slave = 1;
         },
         {"Dimmer 1: Master/slave 0 -> 1", "Dimmer 2: Flags 0 -> 1a", "Dimmer 2: Warnings 0 -> 2"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const StatusRecord before = present_status();
        StatusRecord after = before;
        c.after(after);
        EXPECT_EQ(status_changes(before, after), c.texts);
    }

    // The way back: a warning going, a dimmer appearing. A phase-control
    // mode that changes while the dimmer appears is the appearing only.
    StatusRecord before = present_status();
    before.board_warnings = 0x04;
    before.measurement[0].present = 0;
    StatusRecord after = present_status();
    after.control[0].phase_mode = 1;
    EXPECT_EQ(status_changes(before, after),
              (std::vector<std::string>{"Warnung aus: U warning", "Dimmer 1 erscheint"}));

    StatusRecord first = present_status();
    first.board_warnings = 0x02;
    first.control[1].warnings = 0x10;
    EXPECT_EQ(first_status_events(first),
              (std::vector<std::string>{"Mode: DMX, 8bit, addr 1", "Warnung ein: Board temperature error",
                                        "Dimmer 2: Warnings 0 -> 10"}));
}

std::vector<std::string> event_texts(const StatusHistory& h) {
    std::vector<std::string> out;
    for (size_t i = 0; i < ring_size(h.events); ++i) out.push_back(ring_at(h.events, i).text);
    return out;
}

constexpr int64_t WALL = 1'700'000'000'000;  // some moment, ms since 1970

TEST(StatusHistory, EventsFollowTheStatusesThroughASilence) {
    StatusHistory h;
    StatusRecord s = present_status();
    HistoryAdded added = history_add_status(h, 1000, WALL, s);
    EXPECT_TRUE(added.status);
    EXPECT_EQ(added.events, 1u);  // the mode
    EXPECT_EQ(history_add_status(h, 1100, WALL + 100, s).events, 0u);

    EXPECT_EQ(history_add_silence(h, 2100, WALL + 1100).events, 1u);
    EXPECT_EQ(history_add_silence(h, 2200, WALL + 1200).events, 0u);  // still the same silence
    s.measurement[1].present = 0;                                     // it comes back without dimmer 2
    added = history_add_status(h, 3000, WALL + 2000, s);
    EXPECT_EQ(added.events, 2u);
    EXPECT_EQ(event_texts(h), (std::vector<std::string>{"Mode: DMX, 8bit, addr 1", EVENT_SILENT,
                                                        EVENT_ANSWERS_AGAIN, "Dimmer 2 verschwindet"}));
    EXPECT_EQ(ring_size(h.statuses), 3u);
    EXPECT_EQ(ring_at(h.events, 1).tick_ms, 2100u);
    EXPECT_EQ(history_wall_ms(h, 2100), WALL + 1100);
}

TEST(StatusHistory, KeepsOneHourAndNoMore) {
    // Two hours at 10 Hz with the tick counter wrapping on the way: the ring
    // holds the newest hour, in its storage of the first status.
    StatusHistory h;
    StatusRecord s = present_status();
    const uint32_t start = 0xFFFFFFFFu - 1'000'000;
    history_add_status(h, start, WALL, s);
    const void* storage = h.statuses.storage.data();
    uint32_t tick = start;
    for (int i = 1; i < 72000; ++i) {
        tick += 100;
        s.board_warnings = uint8_t((i / 30000) & 1);  // an event now and then
        history_add_status(h, tick, WALL + int64_t(i) * 100, s);
    }
    EXPECT_EQ(ring_size(h.statuses), HISTORY_STATUSES);
    EXPECT_EQ(h.statuses.storage.data(), storage);
    EXPECT_EQ(h.statuses.storage.capacity(), HISTORY_STATUSES);
    EXPECT_EQ(ring_at(h.statuses, 0).tick_ms, tick - 35999 * 100);
    // The events of the first hour are gone with it.
    EXPECT_EQ(event_texts(h), (std::vector<std::string>{"Warnung aus: Board temperature warning"}));

    // Statuses 10 minutes apart: the hour, not the ring's size, bounds them.
    StatusHistory sparse;
    for (uint32_t i = 0; i <= 12; ++i) history_add_status(sparse, i * 600'000, WALL, s);
    EXPECT_EQ(ring_size(sparse.statuses), 7u);  // 60 minutes back: 7 of them
    EXPECT_EQ(ring_at(sparse.statuses, 0).tick_ms, 6u * 600'000);
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t at; (at = text.find('\n', start)) != std::string::npos; start = at + 1)
        out.push_back(text.substr(start, at - start));
    EXPECT_EQ(start, text.size()) << "the text ends in a line break";
    return out;
}

TEST(StatusCsvTexts, TimesAreLocalWithMillisecondsAndCellsQuotedWhereNeeded) {
    const std::regex local(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.(\d{3}))");
    std::smatch m;
    for (auto [ms, fraction] : std::vector<std::pair<int64_t, std::string>>{
             {WALL + 7, "007"}, {WALL + 999, "999"}, {WALL + 1000, "000"}, {0, "000"}, {-1, "999"}}) {
        const std::string text = csv_time_text(ms);
        ASSERT_TRUE(std::regex_match(text, m, local)) << text;
        EXPECT_EQ(m[1], fraction);
    }
    // One millisecond apart across a second's change: the seconds differ.
    EXPECT_NE(csv_time_text(WALL + 999).substr(0, 19), csv_time_text(WALL + 1000).substr(0, 19));
    EXPECT_EQ(csv_time_text(WALL + 1000).substr(0, 19), csv_time_text(WALL + 1999).substr(0, 19));

    EXPECT_EQ(status_events_csv_header(), "time;elapsed_s;event\n");
    EXPECT_EQ(status_event_csv_line("2024-05-01 12:00:00.250", 61250, "Dimmer 2 verschwindet"),
              "2024-05-01 12:00:00.250;61.250;Dimmer 2 verschwindet\n");
    EXPECT_EQ(status_event_csv_line("t", 5, "a;b \"c\""), "t;0.005;\"a;b \"\"c\"\"\"\n");

    struct PathCase {
        const char *status, *events;
    };
    for (const PathCase& c :
         std::vector<PathCase>{{"verlauf.csv", "verlauf.events.csv"},
                               {"C:\\Messung\\NACHT.CSV", "C:\\Messung\\NACHT.events.csv"},
                               {"verlauf", "verlauf.events.csv"},
                               {"verlauf.txt", "verlauf.txt.events.csv"},
                               {"a.csv/b", "a.csv/b.events.csv"},
                               {".csv", ".events.csv"}})
        EXPECT_EQ(events_csv_path(c.status), c.events) << c.status;
}

TEST(StatusHistory, TheKeptHourAsCsvCountsFromItsOldestLine) {
    StatusHistory h;
    StatusRecord s = present_status();
    history_add_status(h, 5000, WALL, s);
    s.board_warnings = 0x04;
    history_add_status(h, 5100, WALL + 100, s);
    history_add_silence(h, 6350, WALL + 1350);

    const std::vector<std::string> statuses = lines_of(history_status_csv(h));
    ASSERT_EQ(statuses.size(), 3u);
    EXPECT_EQ(statuses[0] + "\n", status_csv_header());
    EXPECT_EQ(statuses[1] + "\n", status_csv_line(csv_time_text(WALL), 0, present_status()));
    EXPECT_EQ(statuses[2] + "\n", status_csv_line(csv_time_text(WALL + 100), 100, s));

    EXPECT_EQ(lines_of(history_events_csv(h)),
              (std::vector<std::string>{
                  "time;elapsed_s;event",
                  csv_time_text(WALL) + ";0.000;Mode: DMX, 8bit, addr 1",
                  csv_time_text(WALL + 100) + ";0.100;Warnung ein: U warning",
                  csv_time_text(WALL + 1350) + ";1.350;Keine Antwort mehr",
              }));

    TempDir dir;
    const std::string path = dir.file("stunde.csv");
    fake_ui_reset();
    ASSERT_TRUE(history_save(h, path, nullptr));
    EXPECT_EQ(read_file(path), history_status_csv(h));
    EXPECT_EQ(read_file(dir.file("stunde.events.csv")), history_events_csv(h));
    EXPECT_TRUE(fake_ui().messages.empty());

    // A folder that is not there: reported, nothing claimed.
    EXPECT_FALSE(history_save(h, dir.file("fehlt/stunde.csv"), nullptr));
    ASSERT_EQ(fake_ui().messages.size(), 1u);
    EXPECT_NE(fake_ui().messages[0].text.find("konnte nicht abgespeichert werden"), std::string::npos);
}

std::string last_line(const std::string& path) {
    const std::vector<std::string> lines = lines_of(read_file(path).value_or(""));
    return lines.empty() ? std::string() : lines.back();
}

TEST(StatusRecording, BothFilesHoldEveryLineAsSoonAsItCame) {
    TempDir dir;
    const std::string path = dir.file("aufzeichnung.csv");
    const std::string events = dir.file("aufzeichnung.events.csv");
    StatusHistory h;
    StatusRecording r;
    fake_ui_reset();
    StatusRecord s = present_status();
    history_add_status(h, 900, WALL - 100, s);  // before the recording: not in it
    ASSERT_TRUE(recording_start(r, path, 1000, nullptr));
    EXPECT_TRUE(recording_active(r));
    EXPECT_EQ(read_file(path), status_csv_header());
    EXPECT_EQ(read_file(events), status_events_csv_header());

    s.board_warnings = 0x01;
    ASSERT_TRUE(recording_follow(r, h, history_add_status(h, 1100, WALL + 100, s), nullptr));
    // Read while the files are still open: the lines are out already.
    EXPECT_EQ(last_line(path) + "\n", status_csv_line(csv_time_text(WALL + 100), 100, s));
    EXPECT_EQ(last_line(events), csv_time_text(WALL + 100) + ";0.100;Warnung ein: Board temperature warning");

    ASSERT_TRUE(recording_follow(r, h, history_add_silence(h, 2200, WALL + 1200), nullptr));
    ASSERT_TRUE(recording_follow(r, h, history_add_status(h, 2300, WALL + 1300, s), nullptr));
    EXPECT_EQ(lines_of(*read_file(path)).size(), 3u);
    const std::vector<std::string> event_lines = lines_of(*read_file(events));
    ASSERT_EQ(event_lines.size(), 4u);
    EXPECT_EQ(event_lines[2], csv_time_text(WALL + 1200) + ";1.200;Keine Antwort mehr");
    EXPECT_EQ(event_lines[3], csv_time_text(WALL + 1300) + ";1.300;Antwort wieder da");

    EXPECT_TRUE(recording_stop(r, nullptr));
    EXPECT_FALSE(recording_active(r));
    // After the stop nothing more is written.
    EXPECT_TRUE(recording_follow(r, h, history_add_status(h, 2400, WALL + 1400, s), nullptr));
    EXPECT_EQ(lines_of(*read_file(path)).size(), 3u);
    EXPECT_TRUE(fake_ui().messages.empty());

    // A file that cannot be created: reported, no recording runs.
    EXPECT_FALSE(recording_start(r, dir.file("fehlt/a.csv"), 0, nullptr));
    EXPECT_FALSE(recording_active(r));
    EXPECT_EQ(fake_ui().messages.size(), 1u);
}

}  // namespace
