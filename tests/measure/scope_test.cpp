// The oscilloscope's acquisition state machine against a scripted dimmer on
// the fake port, stepped tick by tick on the fake clock; its settings in the
// settings file.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/settings.h"
#include "link/commands.h"
#include "link/link.h"
#include "measure/scope.h"
#include "link/scope_reply.h"
#include "tests/support/link_fakes.h"
#include "tests/support/temp_dir.h"

namespace {

using Bytes = std::vector<uint8_t>;

int g_page;  // stands in for the oscilloscope page's window

// What the program owns around the oscilloscope, constructed afresh for every case.
struct ScopeWorld {
    ScopeSession scope;
    StatusSlots slots;
    TestDrive drive;
};
ScopeWorld g_world;

// The dimmer's side: acknowledges a start, answers block requests from its
// recorded capture, answers status requests.
struct ScriptedScope {
    bool acknowledge = true;
    bool send_blocks = true;
    Bytes capture = Bytes(SCOPE_CAPTURE_SIZE);
    int wrong_index_for = -1;   // the first request for this block gets the next block's index
    int not_ready_replies = 0;  // answer this many block requests with a scope state first
    uint8_t scope_state = 1;    // byte 1 of those scope-state replies
    uint32_t delay = 10;
    // Instead of delay: each reply complete when the request and the reply
    // have passed the line at 38400 baud, after a 2 ms turnaround.
    bool line_paced = false;
    std::vector<uint32_t> block_arrivals;  // when each block reply is complete
};
ScriptedScope g_dimmer;

struct Seen {
    std::vector<uint32_t> progress;
    int completions = 0;
    int clears = 0;
    uint32_t completed_at = 0;
};
Seen g_seen;

// When the reply to request f with this many payload bytes is complete.
uint32_t reply_delay(const Frame& f, size_t reply_payload) {
    if (!g_dimmer.line_paced) return g_dimmer.delay;
    const size_t request = FRAME_MIN_LENGTH + f.length, reply = FRAME_MIN_LENGTH + reply_payload;
    return uint32_t((request + reply) * 11 * 1000 / 38400) + 1 + 2;
}

void respond(const Frame& f) {
    ScriptedScope& d = g_dimmer;
    if (f.code == OPCODE_STATUS) {
        fake_port_reply(OPCODE_STATUS, Bytes(STATUS_RECORD_SIZE, 0x11), reply_delay(f, STATUS_RECORD_SIZE));
    } else if (f.code == OPCODE_SCOPE && d.acknowledge) {
        const bool stop = Bytes(f.payload, f.payload + f.length) == Bytes(6, 0);
        if (!stop) fake_port_reply(OPCODE_SCOPE, {1, 2, 3, 4, 5, 6}, d.delay);
    } else if (f.code == OPCODE_SCOPE_REQUEST && f.length == 2) {
        if (d.not_ready_replies > 0) {
            --d.not_ready_replies;
            fake_port_reply(OPCODE_SCOPE_REQUEST, {0, d.scope_state}, reply_delay(f, 2));
            return;
        }
        if (!d.send_blocks) return;
        int index = f.payload[0];
        const size_t from = size_t(index) * SCOPE_BLOCK_SIZE;
        if (from >= d.capture.size()) return;
        const size_t to = std::min(from + SCOPE_BLOCK_SIZE, d.capture.size());
        if (index == d.wrong_index_for) {
            d.wrong_index_for = -1;
            ++index;
        }
        Bytes payload = {uint8_t(index)};
        payload.insert(payload.end(), d.capture.begin() + long(from), d.capture.begin() + long(to));
        const uint32_t delay = reply_delay(f, payload.size());
        d.block_arrivals.push_back(fake_port().now + delay);
        fake_port_reply(OPCODE_SCOPE_BLOCK, payload, delay);
    }
}

Bytes pattern_capture() {
    Bytes c(SCOPE_CAPTURE_SIZE);
    for (size_t i = 0; i < c.size(); ++i) c[i] = uint8_t(i * 13 + i / 256);
    return c;
}

void reset_scope_world() {
    reset_link_world(1000);
    g_dimmer = ScriptedScope{};
    g_dimmer.capture = pattern_capture();
    g_seen = Seen{};
    g_world = {};
    g_world.scope.page_active = true;
    g_world.scope.last_period_tick = fake_port().now;
    g_world.scope.edited = {0, SCOPE_KIND_SINGLE, SCOPE_SECTION_PERIOD, 6, 0};
    g_world.scope.hooks = {[](uint32_t v) { g_seen.progress.push_back(v); },
                           [] {
                               ++g_seen.completions;
                               g_seen.completed_at = fake_port().now;
                           },
                           [] { ++g_seen.clears; }};
    fake_port().responder = respond;
    ASSERT_EQ(link_open(), LINK_OK);
}

// A tick every millisecond for ms milliseconds of the fake clock (a step that
// waits for a reply moves the clock on itself).
void run_ms(int ms) {
    const uint32_t end = fake_port().now + uint32_t(ms);
    while (fake_port().now < end) {
        ++fake_port().now;
        scope_step(g_world.scope, g_world.slots, g_world.drive, &g_page, fake_port().now);
    }
}

std::vector<Request> requests_with(uint8_t code) {
    std::vector<Request> out;
    for (const Request& r : fake_port_requests())
        if (r.code == code) out.push_back(r);
    return out;
}

std::vector<int> requested_blocks() {
    std::vector<int> out;
    for (const Request& r : requests_with(OPCODE_SCOPE_REQUEST)) out.push_back(r.payload[0]);
    return out;
}

TEST(ScopeSettings, StartPayloadAndSection) {
    struct Case {
        ScopeSettings settings;
        uint32_t section;
        const char* payload;
    };
    const std::vector<Case> cases = {
        {{0, SCOPE_KIND_START_UP, 1, 1, 7}, 1, "01 03 07 00 01 01"},
        {{0, SCOPE_KIND_SINGLE, 2, 6, 7}, 2, "01 01 00 00 02 00"},
        {{1, SCOPE_KIND_LOAD_TEST, 0, 2, 7}, 3, "02 04 00 00 03 00"},
        {{0, SCOPE_KIND_FAULT, 2, 3, 7}, 1, "01 02 00 00 01 00"},
        {{1, SCOPE_KIND_CONTINUOUS, 1, 1, 300}, 1, "02 01 00 00 01 01"},
        {{0, SCOPE_KIND_START_UP, 0, 5, 500}, 0, "01 03 f4 01 00 00"},
    };
    for (const Case& c : cases) {
        reset_scope_world();
        EXPECT_EQ(scope_section(c.settings), c.section);
        g_world.scope.edited = c.settings;
        scope_start_measurement(g_world.scope);
        run_ms(100);
        const std::vector<Request> starts = requests_with(OPCODE_SCOPE);
        ASSERT_EQ(starts.size(), 1u);
        EXPECT_EQ(hex(starts[0].payload), c.payload);
        EXPECT_EQ(fake_port().open_count, 2);  // the start command opens the port afresh
    }
}

TEST(ScopeSettings, ValidatedWhenLoadedAndWrittenBack) {
    TempDir dir;
    settings_set_directory(dir.path.string() + "/");
    struct Case {
        const char* file;
        ScopeSettings loaded;
    };
    const std::vector<Case> cases = {
        {"[SCOPE]\r\nTYPE=9\r\nSPEC=5\r\nI=0\r\nDM=3\r\nHPER=700\r\n", {0, 0, 0, 6, 700}},
        {"[SCOPE]\r\nDM=1\r\nTYPE=4\r\nSPEC=2\r\nI=7\r\nHPER=12\r\n", {1, 4, 2, 6, 12}},
        {"[SCOPE]\r\nDM=-1\r\nTYPE=3\r\nSPEC=1\r\nI=1\r\n", {0, 3, 1, 1, 0}},
        {"", {0, 0, 0, 6, 0}},
    };
    for (const Case& c : cases) {
        reset_scope_world();
        write_bytes(settings_path(), c.file);
        g_world.scope.state = ScopeState::fetching;
        g_world.scope.received = 600;
        std::memset(&g_world.scope.shown_capture, 0x55, sizeof g_world.scope.shown_capture);
        scope_load_settings(g_world.scope);
        const ScopeSettings& e = g_world.scope.edited;
        EXPECT_EQ(e.dimmer, c.loaded.dimmer) << c.file;
        EXPECT_EQ(e.kind, c.loaded.kind) << c.file;
        EXPECT_EQ(e.section, c.loaded.section) << c.file;
        EXPECT_EQ(e.current_range, c.loaded.current_range) << c.file;
        EXPECT_EQ(e.half_period, c.loaded.half_period) << c.file;
        EXPECT_EQ(std::memcmp(&g_world.scope.active, &e, sizeof e), 0);
        EXPECT_EQ(std::memcmp(&g_world.scope.displayed, &e, sizeof e), 0);
        EXPECT_EQ(g_world.scope.state, ScopeState::idle);
        EXPECT_EQ(g_world.scope.countdown, 2u);
        EXPECT_EQ(g_world.scope.received, 0u);
        EXPECT_EQ(g_world.scope.shown_capture.bytes[100], 0);
        EXPECT_EQ(g_seen.clears, 1);
    }

    g_world.scope.edited = {1, 2, 1, 3, 250};
    scope_save_settings(g_world.scope);
    scope_load_settings(g_world.scope);
    EXPECT_EQ(g_world.scope.edited.dimmer, 1u);
    EXPECT_EQ(g_world.scope.edited.kind, 2u);
    EXPECT_EQ(g_world.scope.edited.section, 1u);
    EXPECT_EQ(g_world.scope.edited.current_range, 3u);
    EXPECT_EQ(g_world.scope.edited.half_period, 250u);
    settings_set_directory("");
}

TEST(ScopeAcquisition, StartAcknowledgeBlocksComplete) {
    reset_scope_world();
    g_world.scope.edited = {1, SCOPE_KIND_SINGLE, SCOPE_SECTION_SWITCHING, 2, 0};
    scope_start_measurement(g_world.scope);
    run_ms(1500);

    ASSERT_EQ(g_seen.completions, 1);
    EXPECT_EQ(g_world.scope.state, ScopeState::complete);
    EXPECT_EQ(g_world.scope.received, SCOPE_CAPTURE_SIZE);
    EXPECT_EQ(
        Bytes(g_world.scope.shown_capture.bytes, g_world.scope.shown_capture.bytes + SCOPE_CAPTURE_SIZE),
        g_dimmer.capture);
    EXPECT_EQ(g_world.scope.displayed.dimmer, 1u);
    EXPECT_EQ(g_world.scope.displayed.section, SCOPE_SECTION_SWITCHING);

    // One start, acknowledged; every block asked for once, in order; block 10
    // (12 bytes) completes the capture.
    EXPECT_EQ(requests_with(OPCODE_SCOPE).size(), 1u);
    EXPECT_EQ(requested_blocks(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    const std::vector<Request> blocks = requests_with(OPCODE_SCOPE_REQUEST);
    EXPECT_EQ(hex(blocks[0].payload), "00 00");
    EXPECT_EQ(blocks[0].time, 1200u);  // the acknowledgement is looked for once per period
    for (size_t i = 1; i < blocks.size(); ++i) EXPECT_LT(blocks[i].time - blocks[i - 1].time, 20u);

    // Progress: 0 while starting, 25..75 while fetching, 100 when complete.
    ASSERT_FALSE(g_seen.progress.empty());
    EXPECT_EQ(g_seen.progress.back(), 100u);
    for (size_t i = 0; i + 1 < g_seen.progress.size(); ++i) {
        const uint32_t p = g_seen.progress[i];
        EXPECT_TRUE(p == 0 || (p >= 25 && p <= 75)) << p;
    }

    // Afterwards the state machine keeps the status requests going and stays complete.
    const size_t before = requests_with(OPCODE_STATUS).size();
    run_ms(500);
    EXPECT_GE(requests_with(OPCODE_STATUS).size(), before + 4);
    EXPECT_EQ(requests_with(OPCODE_SCOPE).size(), 1u);
    EXPECT_EQ(g_world.scope.state, ScopeState::complete);
    EXPECT_EQ(g_seen.completions, 1);
}

TEST(ScopeAcquisition, MessenSendsTheStartWithTheNextTick) {
    reset_scope_world();
    run_ms(30);  // in the middle of a period
    scope_start_measurement_at(g_world.scope, fake_port().now);
    run_ms(1);
    const std::vector<Request> starts = requests_with(OPCODE_SCOPE);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].time, 1031u);
    // The periods go on from there: the acknowledgement is looked for 100 ms
    // later, and block 0 asked for.
    run_ms(100);
    ASSERT_FALSE(requested_blocks().empty());
    EXPECT_EQ(requested_blocks()[0], 0);
    EXPECT_EQ(requests_with(OPCODE_SCOPE_REQUEST)[0].time, 1131u);
}

TEST(ScopeAcquisition, BlockWithTheWrongIndexIsRequestedAgain) {
    reset_scope_world();
    g_dimmer.wrong_index_for = 3;
    scope_start_measurement(g_world.scope);
    run_ms(1500);
    ASSERT_EQ(g_seen.completions, 1);
    EXPECT_EQ(requested_blocks(), (std::vector<int>{0, 1, 2, 3, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(
        Bytes(g_world.scope.shown_capture.bytes, g_world.scope.shown_capture.bytes + SCOPE_CAPTURE_SIZE),
        g_dimmer.capture);
}

TEST(ScopeAcquisition, AppendingBlocks) {
    reset_scope_world();
    uint8_t block[SCOPE_BLOCK_DATA];
    for (int i = 0; i < SCOPE_BLOCK_DATA; ++i) block[i] = uint8_t(i);
    g_world.scope.received = 2000;
    block[0] = 9;
    EXPECT_FALSE(scope_append_block(g_world.scope, block));
    EXPECT_EQ(g_world.scope.received, 2000u);
    block[0] = 10;
    EXPECT_TRUE(scope_append_block(g_world.scope, block));
    EXPECT_EQ(g_world.scope.received, 2012u);
    EXPECT_EQ(g_world.scope.receiving.bytes[2000], 1);
    EXPECT_EQ(g_world.scope.receiving.bytes[2011], 12);
    EXPECT_FALSE(scope_append_block(g_world.scope, block));  // full
    EXPECT_EQ(g_world.scope.received, 2012u);

    // A short block reply counts as a whole block, its missing part zero.
    reset_scope_world();
    g_dimmer.capture = Bytes(SCOPE_CAPTURE_SIZE, 0xaa);
    fake_port().responder = [](const Frame& f) {
        if (f.code == OPCODE_SCOPE_REQUEST && f.payload[0] == 0)
            fake_port_reply(OPCODE_SCOPE_BLOCK, {0, 7, 8}, 5);
        else
            respond(f);
    };
    scope_start_measurement(g_world.scope);
    run_ms(1500);
    ASSERT_EQ(g_seen.completions, 1);
    EXPECT_EQ(g_world.scope.shown_capture.bytes[0], 7);
    EXPECT_EQ(g_world.scope.shown_capture.bytes[1], 8);
    EXPECT_EQ(g_world.scope.shown_capture.bytes[2], 0);
    EXPECT_EQ(g_world.scope.shown_capture.bytes[199], 0);
    EXPECT_EQ(g_world.scope.shown_capture.bytes[200], 0xaa);
}

TEST(ScopeAcquisition, RetriesWithoutLimit) {
    // No acknowledgement: the start command goes out again every 300 ms.
    reset_scope_world();
    g_dimmer.acknowledge = false;
    scope_start_measurement(g_world.scope);
    run_ms(1000);
    std::vector<uint32_t> times;
    for (const Request& r : requests_with(OPCODE_SCOPE)) times.push_back(r.time);
    EXPECT_EQ(times, (std::vector<uint32_t>{1100, 1400, 1700, 2000}));
    EXPECT_EQ(g_world.scope.state, ScopeState::waiting);

    // Acknowledged but no blocks: block 0 is asked for every 200 ms.
    reset_scope_world();
    g_dimmer.send_blocks = false;
    scope_start_measurement(g_world.scope);
    run_ms(1000);
    times.clear();
    for (const Request& r : requests_with(OPCODE_SCOPE_REQUEST)) {
        EXPECT_EQ(r.payload[0], 0);
        times.push_back(r.time);
    }
    EXPECT_EQ(times, (std::vector<uint32_t>{1200, 1400, 1600, 1800, 2000}));
    EXPECT_EQ(g_world.scope.state, ScopeState::fetching);
    EXPECT_EQ(g_world.scope.progress, 0u);  // no block arrived: the bar shows nothing
}

TEST(ScopeAcquisition, ScopeStateRepliesAndTheEnd) {
    // "Not ready" twice: each time a status request goes out and the block is
    // asked for again; the capture then completes.
    reset_scope_world();
    g_dimmer.not_ready_replies = 2;
    scope_start_measurement(g_world.scope);
    run_ms(1500);
    EXPECT_EQ(g_seen.completions, 1);
    EXPECT_EQ(requested_blocks(), (std::vector<int>{0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));

    // State 2 ends the acquisition; the capture on screen stays.
    reset_scope_world();
    std::memset(&g_world.scope.shown_capture, 0x5a, sizeof g_world.scope.shown_capture);
    g_dimmer.not_ready_replies = 1;
    g_dimmer.scope_state = 2;
    scope_start_measurement(g_world.scope);
    run_ms(1000);
    EXPECT_EQ(g_seen.completions, 0);
    EXPECT_EQ(g_world.scope.state, ScopeState::idle);
    EXPECT_EQ(requested_blocks(), (std::vector<int>{0}));
    EXPECT_EQ(g_world.scope.shown_capture.bytes[1234], 0x5a);
    EXPECT_GE(requests_with(OPCODE_STATUS).size(), 7u);  // idle: status requests every period
}

TEST(ScopeAcquisition, ContinuousRestartsWithTheSettingsAsEdited) {
    reset_scope_world();
    g_world.scope.edited = {0, SCOPE_KIND_CONTINUOUS, SCOPE_SECTION_ZERO, 6, 0};
    scope_start_measurement(g_world.scope);
    for (int ms = 0; ms < 1200 && g_seen.completions == 0; ++ms) run_ms(1);
    ASSERT_EQ(g_seen.completions, 1);
    const uint32_t first_done = g_seen.completed_at;
    g_world.scope.edited.dimmer = 1;
    run_ms(1200);
    ASSERT_GE(g_seen.completions, 2);
    const std::vector<Request> starts = requests_with(OPCODE_SCOPE);
    ASSERT_GE(starts.size(), 2u);
    EXPECT_EQ(hex(starts[0].payload), "01 01 00 00 01 00");
    EXPECT_EQ(hex(starts[1].payload), "02 01 00 00 01 00");
    EXPECT_GT(starts[1].time - first_done, 200u);
    EXPECT_LE(starts[1].time - first_done, 300u);
    EXPECT_EQ(g_world.scope.displayed.dimmer, 1u);
}

TEST(ScopeAcquisition, ResetSendsTheStopCommand) {
    reset_scope_world();
    g_dimmer.send_blocks = false;
    scope_start_measurement(g_world.scope);
    run_ms(350);
    ASSERT_EQ(g_world.scope.state, ScopeState::fetching);
    scope_reset(g_world.scope);
    run_ms(100);
    const std::vector<Request> scope = requests_with(OPCODE_SCOPE);
    ASSERT_EQ(scope.size(), 2u);
    EXPECT_EQ(hex(scope[1].payload), "00 00 00 00 00 00");
    EXPECT_EQ(g_world.scope.state, ScopeState::idle);
    EXPECT_EQ(fake_port().open_count, 3);  // initial, start, stop
    EXPECT_TRUE(link_port_is_open());
}

TEST(ScopeAcquisition, ResetAndMessenFromEveryState) {
    struct Case {
        const char* name;
        ScopeState state;
        bool start;  // "Messen" first
        bool acknowledge;
        bool send_blocks;
        int run;  // ms before "Reset"
    };
    const std::vector<Case> cases = {
        {"idle", ScopeState::idle, false, true, true, 0},
        {"start", ScopeState::start, true, true, true, 0},
        {"waiting", ScopeState::waiting, true, false, true, 150},
        {"fetching", ScopeState::fetching, true, true, false, 350},
        {"complete", ScopeState::complete, true, true, true, 1500},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        reset_scope_world();
        g_dimmer.acknowledge = c.acknowledge;
        g_dimmer.send_blocks = c.send_blocks;
        if (c.start) scope_start_measurement(g_world.scope);
        run_ms(c.run);
        ASSERT_EQ(g_world.scope.state, c.state);
        const size_t starts_before = requests_with(OPCODE_SCOPE).size();

        // "Reset": the stop command on the next period, then idle with the bar at 0.
        scope_reset(g_world.scope);
        EXPECT_EQ(g_world.scope.state, ScopeState::stop);
        run_ms(100);
        const std::vector<Request> scope = requests_with(OPCODE_SCOPE);
        ASSERT_EQ(scope.size(), starts_before + 1);
        EXPECT_EQ(hex(scope.back().payload), "00 00 00 00 00 00");
        EXPECT_EQ(g_world.scope.state, ScopeState::idle);
        EXPECT_EQ(g_world.scope.progress, 0u);

        // "Messen" after it starts afresh and completes.
        const int completions = g_seen.completions;
        g_dimmer.acknowledge = g_dimmer.send_blocks = true;
        scope_start_measurement(g_world.scope);
        EXPECT_EQ(g_world.scope.state, ScopeState::start);
        EXPECT_EQ(g_world.scope.received, 0u);
        run_ms(1500);
        EXPECT_EQ(g_seen.completions, completions + 1);
        EXPECT_EQ(g_world.scope.state, ScopeState::complete);
    }

    // "Messen" in the middle of a capture throws the blocks received away.
    reset_scope_world();
    scope_start_measurement(g_world.scope);
    run_ms(260);
    ASSERT_EQ(g_world.scope.state, ScopeState::fetching);
    ASSERT_GT(g_world.scope.received, 0u);
    scope_start_measurement(g_world.scope);
    EXPECT_EQ(g_world.scope.received, 0u);
    run_ms(1500);
    EXPECT_EQ(g_seen.completions, 1);
    EXPECT_EQ(requests_with(OPCODE_SCOPE).size(), 2u);
}

TEST(ScopeAcquisition, FailingStartShowsTheMessageAndGoesIdle) {
    reset_scope_world();
    fake_port().refuse_open = true;
    scope_start_measurement(g_world.scope);
    run_ms(300);
    EXPECT_EQ(g_world.scope.state, ScopeState::idle);
    ASSERT_EQ(fake_ui().messages.size(), 1u);
    EXPECT_EQ(fake_ui().messages[0].owner, &g_page);
    EXPECT_EQ(fake_ui().messages[0].text, "Kommunikationsport ist nicht geeignet");
    EXPECT_EQ(fake_port().writes.size(), 0u);
}

TEST(ScopeAcquisition, APulledAdapterEndsItWithOneMessage) {
    // Pulled while the start is awaited, while blocks come in, or between two
    // captures of a continuous measurement: one message, the acquisition
    // ends, the capture shown before stays, and the port is left alone from
    // then on (no retries, no reopening) however long the page stays shown.
    struct Case {
        const char* name;
        uint32_t kind;
        int pulled_after_ms;  // after the start of the second capture
        ScopeState pulled_in;
    };
    const Case cases[] = {
        {"awaiting the start", SCOPE_KIND_SINGLE, 150, ScopeState::waiting},
        {"fetching blocks", SCOPE_KIND_SINGLE, 230, ScopeState::fetching},
        {"before the next continuous capture", SCOPE_KIND_CONTINUOUS, 0, ScopeState::start},
    };
    for (const Case& c : cases) {
        reset_scope_world();
        g_world.scope.edited.kind = c.kind;
        scope_start_measurement(g_world.scope);
        run_ms(1500);
        ASSERT_GE(g_seen.completions, 1) << c.name;
        const ScopeCapture shown = g_world.scope.shown_capture;
        if (c.kind == SCOPE_KIND_SINGLE) scope_start_measurement(g_world.scope);
        run_ms(c.pulled_after_ms);
        EXPECT_EQ(int(g_world.scope.state), int(c.pulled_in)) << c.name;
        fake_port().gone_from = fake_port().now;
        const int opens = fake_port().open_count;
        const int completions = g_seen.completions;
        run_ms(5000);

        EXPECT_EQ(g_world.scope.state, ScopeState::idle) << c.name;
        ASSERT_EQ(fake_ui().messages.size(), 1u) << c.name;
        EXPECT_EQ(fake_ui().messages[0].owner, &g_page);
        EXPECT_EQ(fake_ui().messages[0].text, "Kommunikationsport ist nicht geeignet");
        EXPECT_EQ(g_seen.completions, completions) << c.name;
        EXPECT_EQ(std::memcmp(&g_world.scope.shown_capture, &shown, sizeof shown), 0) << c.name;
        EXPECT_EQ(g_seen.progress.back(), 0u) << c.name;
        EXPECT_LE(fake_port().calls_while_gone, 1) << c.name;
        EXPECT_LE(fake_port().open_count - opens, 1) << c.name;
        EXPECT_FALSE(link_port_is_open()) << c.name;

        // Plugged in again and the page shown anew: the port opens and
        // "Messen" captures again.
        fake_port().gone_from.reset();
        g_world.scope.page_active = false;
        link_close();
        g_world.scope.page_active = true;
        ASSERT_EQ(link_open(), LINK_OK);
        g_world.scope.edited.kind = SCOPE_KIND_SINGLE;
        scope_start_measurement(g_world.scope);
        run_ms(1500);
        EXPECT_EQ(g_seen.completions, completions + 1) << c.name;
        EXPECT_EQ(fake_ui().messages.size(), 1u) << c.name;
    }
}

TEST(ScopeAcquisition, TestDriveGoesOutWithTheStatusRequests) {
    // Waiting for the acknowledgement: a pending drive goes out on odd periods.
    reset_scope_world();
    g_dimmer.acknowledge = false;
    scope_start_measurement(g_world.scope);
    run_ms(150);
    g_world.drive = {{1, 0}, {32768, 0}};
    run_ms(200);
    std::vector<Request> status = requests_with(OPCODE_STATUS);
    ASSERT_EQ(status.size(), 1u);
    EXPECT_EQ(status[0].time, 1300u);  // period 3; period 2 at 1200 leaves it
    EXPECT_EQ(hex(status[0].payload), "01 00 00 80 00 00 00 00");
    EXPECT_EQ(g_world.drive.pending[0], 0u);

    // Idle: every period sends the drive, pending or not.
    reset_scope_world();
    g_world.drive = {{0, 1}, {0, 656}};
    run_ms(300);
    status = requests_with(OPCODE_STATUS);
    ASSERT_EQ(status.size(), 3u);
    EXPECT_EQ(hex(status[0].payload), "00 00 00 00 01 00 90 02");
    EXPECT_EQ(hex(status[1].payload), "00 00 00 00 00 00 90 02");

    // Fetching: a pending drive goes out between two blocks; its status reply
    // asks for the next block.
    reset_scope_world();
    scope_start_measurement(g_world.scope);
    run_ms(230);
    ASSERT_EQ(g_world.scope.state, ScopeState::fetching);
    g_world.drive = {{0, 1}, {0, 65535}};
    run_ms(1000);
    EXPECT_EQ(g_seen.completions, 1);
    status = requests_with(OPCODE_STATUS);
    ASSERT_FALSE(status.empty());
    EXPECT_EQ(hex(status[0].payload), "00 00 00 00 01 00 ff ff");
    EXPECT_LT(status[0].time, g_seen.completed_at);
    EXPECT_EQ(requested_blocks(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
}

// Timer ticks every period ms for ms milliseconds. A step that waits holds
// the thread as the program's would; the ticks due meanwhile come after it.
void run_ticks(uint32_t period, uint32_t ms) {
    const uint32_t end = fake_port().now + ms;
    uint32_t next = fake_port().now;
    while (fake_port().now < end) {
        next += period;
        if (fake_port().now < next) fake_port().now = next;
        scope_step(g_world.scope, g_world.slots, g_world.drive, &g_page, fake_port().now);
    }
}

// A wait that ends at once for a window message.
bool message_waiting(unsigned) {
    ++fake_port().now;
    return true;
}

TEST(ScopeAcquisition, EachReplyTakenWhenItHasArrived) {
    // A dimmer paced like the line, the program's timer at Wine's and at
    // Windows' tick: each block is taken when it is complete, and the next
    // one asked for then, not on the tick after. The step sleeps until a
    // block can have arrived rather than polling the port all the while.
    for (uint32_t period : {10u, 16u}) {
        SCOPED_TRACE(period);
        reset_scope_world();
        g_dimmer.line_paced = true;
        g_dimmer.not_ready_replies = 3;
        scope_start_measurement(g_world.scope);
        run_ticks(period, 100);
        const int waits_before = fake_port().waits;
        const uint32_t start = fake_port().now;
        run_ticks(period, 1500);
        ASSERT_EQ(g_seen.completions, 1);
        // Asked for as before: block 0 until it came, then each block once, in order.
        EXPECT_EQ(requested_blocks(), (std::vector<int>{0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
        const std::vector<Request> blocks = requests_with(OPCODE_SCOPE_REQUEST);
        const std::vector<uint32_t>& arrived = g_dimmer.block_arrivals;
        ASSERT_EQ(arrived.size(), 11u);
        for (size_t i = 0; i + 1 < arrived.size(); ++i)
            EXPECT_LE(blocks[4 + i].time - arrived[i], 1u) << "block " << i;
        EXPECT_LE(g_seen.completed_at - arrived.back(), 1u);
        // Polling would wait every millisecond.
        EXPECT_LT(uint32_t(fake_port().waits - waits_before), (g_seen.completed_at - start) / 5);
    }

    // A window message waiting goes first: the step does not wait, and the
    // blocks are taken on the ticks.
    reset_scope_world();
    g_dimmer.line_paced = true;
    link_set_idle_wait(message_waiting);
    scope_start_measurement(g_world.scope);
    run_ticks(15, 1600);
    ASSERT_EQ(g_seen.completions, 1);
    for (const Request& r : requests_with(OPCODE_SCOPE_REQUEST))
        EXPECT_EQ((r.time - 1000) % 15, 0u) << r.time;
    link_set_idle_wait(nullptr);
}

TEST(ScopeAcquisition, NothingHappensWhileThePageIsNotShown) {
    reset_scope_world();
    scope_start_measurement(g_world.scope);
    g_world.scope.page_active = false;
    run_ms(500);
    EXPECT_TRUE(fake_port().writes.empty());
    EXPECT_EQ(g_world.scope.state, ScopeState::start);
    // Shown again, the acquisition goes on where it was.
    g_world.scope.page_active = true;
    run_ms(1500);
    EXPECT_EQ(g_seen.completions, 1);
}

}  // namespace
