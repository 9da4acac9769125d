// The dimmer-status page's poll step against a scripted dimmer on the fake
// port, stepped on the fake clock.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "link/commands.h"
#include "link/link.h"
#include "measure/status_poll.h"
#include "measure/status_text.h"
#include "tests/support/link_fakes.h"

namespace {

std::vector<uint8_t> status_payload(uint8_t marker) {
    std::vector<uint8_t> p(STATUS_RECORD_SIZE, 0);
    p[0] = marker;
    return p;
}

// The poll and the test drive as the program owns them, fresh for every case.
struct PollWorld {
    StatusPoll poll;
    TestDrive drive;
};
PollWorld g_world;

void reset_poll_world() {
    reset_link_world(5000);
    g_world = {};
    ASSERT_EQ(link_open(), LINK_OK);
}

StatusPollResult step(bool scope_page_active = false) {
    return status_poll_step(g_world.poll, g_world.drive, scope_page_active, fake_port().now);
}

TEST(StatusPollStep, RequestsEveryHundredMillisecondsAndShowsEachReply) {
    reset_poll_world();
    status_page_activate(g_world.poll, g_world.drive);
    EXPECT_EQ(g_world.poll.heartbeat, 1u);
    g_world.poll.last_request_tick = fake_port().now;
    g_world.drive = {{0, 1}, {1234, 70000}};
    int replies = 0;
    fake_port().responder = [&](const Frame& f) {
        if (f.code == OPCODE_STATUS) fake_port_reply(OPCODE_STATUS, status_payload(uint8_t(++replies)), 30);
    };

    std::vector<uint32_t> positions, shown_at;
    for (int ms = 1; ms <= 350; ++ms) {
        ++fake_port().now;
        const StatusPollResult r = step();
        if (!r.shown) continue;
        positions.push_back(r.heartbeat_position);
        shown_at.push_back(fake_port().now);
    }
    const std::vector<Request> requests = fake_port_requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].time, 5100u);
    EXPECT_EQ(requests[1].time, 5200u);
    EXPECT_EQ(requests[2].time, 5300u);
    // The first request carries the pending drive of dimmer 2, clamped; the
    // flags are cleared after it, the values stay.
    EXPECT_EQ(hex(requests[0].payload), "00 00 d2 04 01 00 ff ff");
    EXPECT_EQ(hex(requests[1].payload), "00 00 d2 04 00 00 ff ff");
    EXPECT_EQ(positions, (std::vector<uint32_t>{4, 7, 10}));
    // Each reply, waiting since 30 ms after its request, is taken with the
    // first read, when request and reply could have crossed the line.
    EXPECT_EQ(shown_at, (std::vector<uint32_t>{5136, 5236, 5336}));
    EXPECT_EQ(g_world.poll.slots.shown.valid, 1u);
    EXPECT_EQ(g_world.poll.slots.shown.status.controller_version[0], 3);

    // The port is read only while a reply can be on its way: not between a
    // reply and the next request, nor while the request and the reply are
    // still on the line.
    fake_port_queue({0x55});
    (void)take_feed();
    for (int ms = 351; ms < 400; ++ms) {
        ++fake_port().now;
        EXPECT_FALSE(step().shown);
    }
    EXPECT_EQ(take_feed(), "");  // nothing read, nothing sent
    for (int ms = 400; ms < 400 + int(STATUS_REPLY_MIN_MS); ++ms) {
        ++fake_port().now;
        step();  // the request of 5400 goes out
    }
    EXPECT_EQ(take_feed().find("55"), std::string::npos);
    ++fake_port().now;
    step();
    EXPECT_EQ(take_feed().substr(0, 9), " 55 7f 01");  // then the reply itself
}

// A status reply frame to address 1 as it arrives on the line.
std::vector<uint8_t> status_frame(uint8_t marker, uint8_t sub_address = 0) {
    const std::vector<uint8_t> payload = status_payload(marker);
    uint8_t frame[FRAME_MAX_STUFFED];
    const size_t n = frame_encode(1, sub_address, OPCODE_STATUS, payload.data(), payload.size(), frame);
    return std::vector<uint8_t>(frame, frame + n);
}

std::vector<uint8_t> joined(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

// A reply that comes late is still waiting when the next one has arrived
// behind it: the page shows the newest complete status, not the older one,
// or it would stay a period behind for as long as the dimmer keeps answering.
TEST(StatusPollStep, ShowsTheNewestCompleteStatusWaiting) {
    const std::vector<uint8_t> second = status_frame(2);
    const size_t half = second.size() / 2;
    const std::vector<uint8_t> first_half(second.begin(), second.begin() + half);
    const std::vector<uint8_t> second_half(second.begin() + half, second.end());
    const std::vector<uint8_t> garbage = {0x55, 0x7f, 0x01, 0x12, 0x7e, 0x7f, 0x00};
    struct Case {
        const char* name;
        std::vector<uint8_t> waiting;  // on the line when the port is read
        uint8_t shown;                 // the status marker shown then
        std::vector<uint8_t> later;    // arriving before the next request's read
        uint8_t shown_later;           // 0: nothing new shown then
    };
    const std::vector<Case> cases = {
        {"one frame", status_frame(1), 1, {}, 0},
        {"two frames", joined({status_frame(1), second}), 2, {}, 0},
        {"three frames", joined({status_frame(1), second, status_frame(3)}), 3, {}, 0},
        {"complete then partial", joined({status_frame(1), first_half}), 1, second_half, 2},
        {"garbage between", joined({status_frame(1), garbage, second}), 2, {}, 0},
        {"garbage after", joined({status_frame(1), second, garbage}), 2, {}, 0},
        {"newer frame not a status reply", joined({status_frame(1), status_frame(2, 1)}), 1, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        reset_poll_world();
        status_page_activate(g_world.poll, g_world.drive);
        g_world.poll.last_request_tick = fake_port().now;
        fake_port().now += STATUS_POLL_PERIOD_MS;
        EXPECT_FALSE(step().shown);  // the request goes out
        fake_port_queue(c.waiting);
        fake_port().now += STATUS_REPLY_MIN_MS;
        const StatusPollResult r = step();
        ASSERT_TRUE(r.shown);
        EXPECT_EQ(g_world.poll.slots.shown.status.controller_version[0], c.shown);
        EXPECT_TRUE(fake_port().incoming.empty());

        fake_port_queue(c.later);
        bool shown_later = false;
        for (uint32_t ms = 0; ms < STATUS_POLL_PERIOD_MS + STATUS_REPLY_MIN_MS; ++ms) {
            ++fake_port().now;
            shown_later |= step().shown;
        }
        EXPECT_EQ(shown_later, c.shown_later != 0);
        if (c.shown_later) {
            EXPECT_EQ(g_world.poll.slots.shown.status.controller_version[0], c.shown_later);
        }
        // Only the periodic requests went out, as before.
        EXPECT_EQ(fake_port_requests().size(), 2u);
    }
}

TEST(StatusPollStep, OtherPagesOnlyDrainOrLeaveTheLineToTheOscilloscope) {
    reset_poll_world();
    // No measurement page shown: a waiting reply is taken off the line, nothing is sent or shown.
    fake_port_reply(OPCODE_STATUS, status_payload(9));
    fake_port().now += 200;
    EXPECT_FALSE(step().shown);
    EXPECT_TRUE(fake_port().incoming.empty());
    EXPECT_EQ(g_world.poll.slots.polled.valid, 1u);
    EXPECT_EQ(g_world.poll.slots.shown.valid, 0u);

    // The oscilloscope page shown: the status page leaves the line alone.
    fake_port_reply(OPCODE_STATUS, status_payload(9));
    fake_port().now += 200;
    EXPECT_FALSE(step(true).shown);
    EXPECT_FALSE(fake_port().incoming.empty());
    EXPECT_TRUE(fake_port().writes.empty());

    // A reply that does not count (sub-address 1, short payload) shows nothing.
    fake_port().incoming.clear();
    status_page_activate(g_world.poll, g_world.drive);
    fake_port_reply(OPCODE_STATUS, status_payload(1), 0, 1);
    fake_port_reply(OPCODE_STATUS, std::vector<uint8_t>(110, 0));
    for (int i = 0; i < 5; ++i) EXPECT_FALSE(step().shown);
    EXPECT_EQ(g_world.poll.slots.shown.valid, 0u);

    status_page_deactivate(g_world.poll);
    EXPECT_FALSE(link_port_is_open());
}

// What the page would have to display over ms milliseconds of timer ticks.
struct Seen {
    int shown = 0, fell_silent = 0;
};
Seen run_ms(int ms) {
    Seen seen;
    for (int i = 0; i < ms; ++i) {
        ++fake_port().now;
        const StatusPollResult r = step();
        seen.shown += r.shown;
        seen.fell_silent += r.fell_silent;
    }
    return seen;
}

std::string page_diagnostics() { return status_page_texts(g_world.poll, g_port_settings).diagnostics; }

TEST(StatusPollStep, ASilentDimmerBlanksThePageAndSaysSoUntilItAnswersAgain) {
    reset_poll_world();
    g_port_settings.address = 3;
    status_page_activate(g_world.poll, g_world.drive);
    bool answering = false;
    int replies = 0;
    fake_port().responder = [&](const Frame& f) {
        if (answering && f.code == OPCODE_STATUS)
            fake_port_reply(OPCODE_STATUS, status_payload(uint8_t(++replies)), 20);
    };
    const std::string no_answer = "Keine Antwort von Adresse 3 an COM7";

    // Silent from the start: after ten unanswered requests the page says so.
    Seen seen = run_ms(1000);
    EXPECT_EQ(seen.fell_silent, 0);
    EXPECT_EQ(page_diagnostics(), "");
    seen = run_ms(200);
    EXPECT_EQ(seen.fell_silent, 1);
    EXPECT_EQ(page_diagnostics(), no_answer);

    // Answering: the status replaces the text.
    answering = true;
    seen = run_ms(1000);
    EXPECT_EQ(seen.shown, 10);
    EXPECT_EQ(g_world.poll.slots.shown.valid, 1u);
    EXPECT_EQ(page_diagnostics(), status_diagnostics(g_world.poll.slots.shown.status));

    // Silent again: the last status stays for ten unanswered requests (a
    // second), then the page is cleared once and says why; the requests go on.
    answering = false;
    const size_t requests_before = fake_port_requests().size();
    seen = run_ms(1000);
    EXPECT_EQ(seen.shown, 0);
    EXPECT_EQ(seen.fell_silent, 0);
    EXPECT_EQ(g_world.poll.slots.shown.valid, 1u);
    seen = run_ms(2000);
    EXPECT_EQ(seen.fell_silent, 1);
    EXPECT_EQ(g_world.poll.slots.shown.valid, 0u);
    const StatusTexts silent = status_page_texts(g_world.poll, g_port_settings);
    EXPECT_EQ(silent.diagnostics, no_answer);
    EXPECT_EQ(silent.controller_version, "");
    EXPECT_EQ(silent.dimmer[0].temperature, "");
    EXPECT_EQ(fake_port_requests().size() - requests_before, 30u);

    // Back: the next reply fills the page again, the heartbeat goes on.
    answering = true;
    seen = run_ms(300);
    EXPECT_EQ(seen.shown, 3);
    EXPECT_EQ(seen.fell_silent, 0);
    EXPECT_EQ(g_world.poll.slots.shown.valid, 1u);
    EXPECT_EQ(g_world.poll.slots.shown.status.controller_version[0], replies);
    EXPECT_EQ(page_diagnostics(), status_diagnostics(g_world.poll.slots.shown.status));
}

TEST(StatusPollStep, APulledAdapterBlanksThePageOnceAndItResumesWhenShownAgain) {
    reset_poll_world();
    status_page_activate(g_world.poll, g_world.drive);
    int replies = 0;
    fake_port().responder = [&](const Frame& f) {
        if (f.code == OPCODE_STATUS) fake_port_reply(OPCODE_STATUS, status_payload(uint8_t(++replies)), 20);
    };
    EXPECT_EQ(run_ms(500).shown, 5);

    // Pulled: the first failing call blanks the page at once, and it says
    // the port is not usable; then nothing touches the port, however long
    // the page stays shown.
    fake_port().gone_from = fake_port().now;
    Seen seen = run_ms(150);
    EXPECT_EQ(seen.fell_silent, 1);
    EXPECT_EQ(seen.shown, 0);
    EXPECT_EQ(g_world.poll.slots.shown.valid, 0u);
    EXPECT_EQ(page_diagnostics(), "Kommunikationsport ist nicht geeignet");
    seen = run_ms(3000);
    EXPECT_EQ(seen.fell_silent + seen.shown, 0);
    EXPECT_EQ(fake_port().calls_while_gone, 1);
    EXPECT_FALSE(link_port_is_open());
    EXPECT_TRUE(fake_ui().messages.empty());

    // Shown again while the adapter is still out: the port does not open,
    // and the page says so at once.
    status_page_deactivate(g_world.poll);
    status_page_activate(g_world.poll, g_world.drive);
    EXPECT_EQ(run_ms(100).fell_silent, 1);
    EXPECT_EQ(page_diagnostics(), "Kommunikationsport ist nicht geeignet");

    // Plugged in again: the next activation opens the port afresh and the
    // page fills.
    fake_port().gone_from.reset();
    status_page_deactivate(g_world.poll);
    status_page_activate(g_world.poll, g_world.drive);
    EXPECT_TRUE(link_port_is_open());
    EXPECT_EQ(run_ms(500).shown, 5);
    EXPECT_EQ(g_world.poll.slots.shown.valid, 1u);
    EXPECT_EQ(page_diagnostics(), status_diagnostics(g_world.poll.slots.shown.status));
    EXPECT_EQ(fake_port().calls_while_gone, 1);

    // Without a port name the page says at once that one must be chosen.
    status_page_deactivate(g_world.poll);
    set_port_name(g_port_settings, "");
    status_page_activate(g_world.poll, g_world.drive);
    EXPECT_EQ(run_ms(100).fell_silent, 1);
    EXPECT_EQ(page_diagnostics(), "Kommunikationsport muss ausgewählt werden");
}

// The dialog "Hardwareanschluss" changed the port settings while the page is
// shown, and closed the port when it ended.
TEST(StatusPollStep, FollowsNewPortSettingsAtOnce) {
    reset_poll_world();
    status_page_activate(g_world.poll, g_world.drive);
    int replies = 0;
    fake_port().responder = [&](const Frame& f) {
        if (f.code == OPCODE_STATUS) fake_port_reply(OPCODE_STATUS, status_payload(uint8_t(++replies)), 20);
    };
    EXPECT_EQ(run_ms(300).shown, 3);

    // Other settings: the old status goes, the new port is polled at once.
    const PortSettings before = g_port_settings;
    set_port_name(g_port_settings, "COM9");
    g_port_settings.address = 4;
    link_close();
    status_poll_follow_port(g_world.poll, before);
    EXPECT_TRUE(link_port_is_open());
    EXPECT_EQ(fake_port().opened_name, "COM9");
    EXPECT_EQ(g_world.poll.slots.shown.valid, 0u);
    const size_t requests_before = fake_port_requests().size();
    EXPECT_EQ(run_ms(300).shown, 3);
    const std::vector<Request> requests = fake_port_requests();
    ASSERT_EQ(requests.size() - requests_before, 3u);
    EXPECT_EQ(requests.back().address, 4);
    EXPECT_EQ(requests.back().payload, std::vector<uint8_t>(8, 0));  // the same request as before

    // The same settings ("OK" without a change closes the port too): the
    // status shown stays, the port opens again.
    link_close();
    const int opens = fake_port().open_count;
    status_poll_follow_port(g_world.poll, g_port_settings);
    EXPECT_TRUE(link_port_is_open());
    EXPECT_EQ(fake_port().open_count, opens + 1);
    EXPECT_EQ(g_world.poll.slots.shown.valid, 1u);

    // Another page shown: the port stays closed.
    status_page_deactivate(g_world.poll);
    status_poll_follow_port(g_world.poll, before);
    EXPECT_FALSE(link_port_is_open());
}

// The page's buttons: "Aktualisieren" at the top and beside each drive edit.
TEST(StatusPageFetch, TopButtonShowsTheStatusOrBlanksThePage) {
    reset_poll_world();
    status_page_activate(g_world.poll, g_world.drive);
    fake_port().responder = [](const Frame& f) {
        if (f.code == OPCODE_STATUS) fake_port_reply(OPCODE_STATUS, status_payload(42), 30);
    };
    int owner = 0;
    EXPECT_TRUE(status_page_fetch(g_world.poll, &owner));
    EXPECT_EQ(g_world.poll.slots.shown.valid, 1u);
    EXPECT_EQ(g_world.poll.slots.shown.status.controller_version[0], 42);
    EXPECT_TRUE(link_port_is_open());  // polling goes on
    EXPECT_EQ(hex(fake_port_requests().back().payload), "00 00 00 00 00 00 00 00");

    // No reply: the error is shown, the page blanks, the port stays closed and
    // the poll sends nothing until the page is shown again.
    fake_port().responder = nullptr;
    EXPECT_FALSE(status_page_fetch(g_world.poll, &owner));
    ASSERT_EQ(fake_ui().messages.size(), 1u);
    EXPECT_EQ(fake_ui().messages[0].owner, static_cast<WindowRef>(&owner));
    EXPECT_EQ(fake_ui().messages[0].text, "Kommunikation mit KV-310-R ist fehlerhaft");
    EXPECT_EQ(g_world.poll.slots.shown.valid, 0u);
    EXPECT_FALSE(link_port_is_open());
    const size_t writes = fake_port().writes.size();
    for (int i = 0; i < 300; ++i) {
        ++fake_port().now;
        EXPECT_FALSE(step().shown);
    }
    EXPECT_EQ(fake_port().writes.size(), writes);
    status_page_activate(g_world.poll, g_world.drive);
    EXPECT_TRUE(link_port_is_open());
}

TEST(StatusPageFetch, DriveButtonSendsThatDimmersValueAtOnce) {
    struct Case {
        int dimmer;
        uint32_t pending_other;  // the other dimmer's trackbar moved just before
        const char* payload;
    };
    const std::vector<Case> cases = {
        {0, 0, "01 00 e8 03 00 00 ff ff"},
        {1, 0, "00 00 e8 03 01 00 ff ff"},
        {0, 1, "01 00 e8 03 01 00 ff ff"},
    };
    for (const Case& c : cases) {
        reset_poll_world();
        status_page_activate(g_world.poll, g_world.drive);
        g_world.drive.value[0] = 1000;
        g_world.drive.value[1] = 70000;  // typed, clamped on the way out
        g_world.drive.pending[1 - c.dimmer] = c.pending_other;
        fake_port().responder = [](const Frame& f) {
            if (f.code == OPCODE_STATUS) fake_port_reply(OPCODE_STATUS, status_payload(5), 30);
        };
        int owner = 0;
        status_page_fetch_drive(g_world.poll, g_world.drive, c.dimmer, &owner);
        EXPECT_EQ(hex(fake_port_requests().back().payload), c.payload) << c.dimmer;
        EXPECT_EQ(g_world.drive.pending[0] + g_world.drive.pending[1], 0u);
        EXPECT_EQ(g_world.poll.slots.fetched.valid, 1u);
        EXPECT_EQ(g_world.poll.slots.shown.valid, 0u);  // the next poll shows it
        EXPECT_TRUE(link_port_is_open());
    }
    // A failed drive fetch reports and still reopens the port for the poll.
    reset_poll_world();
    status_page_activate(g_world.poll, g_world.drive);
    int owner = 0;
    status_page_fetch_drive(g_world.poll, g_world.drive, 1, &owner);
    EXPECT_EQ(fake_ui().messages.size(), 1u);
    EXPECT_EQ(g_world.drive.pending[1], 0u);
    EXPECT_TRUE(link_port_is_open());
}

}  // namespace
