// Port handling, status codes, time-outs and the transaction patterns against
// the scripted port, the fake clock and the fake busy window.
#include <gtest/gtest.h>

#include "link/busy.h"
#include "link/commands.h"
#include "link/link.h"
#include "link/monitor_feed.h"
#include "link/transactions.h"
#include "tests/support/link_fakes.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::vector<std::pair<std::string, std::string>> g_monitor_texts;
void record_monitor_texts(const std::string& port, const std::string& mode) {
    g_monitor_texts.emplace_back(port, mode);
}

TEST(LinkPort, OpenAndClose) {
    reset_link_world();
    g_monitor_texts.clear();
    link_set_monitor_text_hook(record_monitor_texts);

    set_port_name(g_port_settings, "");
    EXPECT_EQ(link_open(), LINK_ERR_NO_PORT);
    EXPECT_EQ(fake_port().open_count, 0);  // the system is not asked

    set_port_name(g_port_settings, "COM3");
    fake_port().refuse_open = true;
    EXPECT_EQ(link_open(), LINK_ERR_PORT);
    EXPECT_FALSE(link_port_is_open());
    EXPECT_EQ(link_monitor_port_text(), "COM3");
    EXPECT_EQ(link_monitor_mode_text(), "");

    fake_port().refuse_open = false;
    EXPECT_EQ(link_open(), LINK_OK);
    EXPECT_EQ(fake_port().opened_name, "COM3");
    EXPECT_EQ(link_monitor_mode_text(), "38400,n,8,2");
    EXPECT_EQ(link_open(), LINK_OK);  // already open: nothing happens
    EXPECT_EQ(fake_port().open_count, 2);
    EXPECT_EQ(take_feed(), "\r\n{PORT COM3}\r\n");

    link_close();
    EXPECT_FALSE(link_port_is_open());
    EXPECT_FALSE(fake_port().is_open);
    EXPECT_EQ(link_monitor_mode_text(), "");
    link_close();  // closing a closed port is fine

    const std::vector<std::pair<std::string, std::string>> expected = {
        {"", ""}, {"COM3", ""}, {"COM3", ""}, {"COM3", "38400,n,8,2"}, {"COM3", ""}, {"COM3", ""}};
    EXPECT_EQ(g_monitor_texts, expected);

    // The port line carries at most 64 characters of the name.
    const std::string long_name = "\\\\.\\" + std::string(100, 'x');
    set_port_name(g_port_settings, long_name);
    ASSERT_EQ(link_open(), LINK_OK);
    EXPECT_EQ(take_feed(), "\r\n{PORT " + long_name.substr(0, 64) + "}\r\n");
}

TEST(LinkPort, PortLineOfTheTrafficLogIsInCodePage1252WhenItCanBe) {
    reset_link_world();
    const std::pair<std::string, std::string> cases[] = {
        {"/dev/ttyÜ1",
         "/dev/tty\xDC"
         "1"},
        {"/dev/ttyŁ1", "/dev/ttyŁ1"},
        {std::string(70, 'x') + "ä", std::string(64, 'x')},
        {std::string(63, 'x') + "äö", std::string(63, 'x') + "\xE4"},
    };
    for (const auto& [name, logged] : cases) {
        set_port_name(g_port_settings, name);
        ASSERT_EQ(link_open(), LINK_OK);
        EXPECT_EQ(take_feed(), "\r\n{PORT " + logged + "}\r\n");
        link_close();
    }
}

TEST(LinkPort, PortNameIsCutAt127Bytes) {
    PortSettings s;
    set_port_name(s, std::string(200, 'a'));
    EXPECT_EQ(std::string(s.name), std::string(127, 'a'));
    // A two-byte character straddling the limit is left out whole.
    set_port_name(s, std::string(126, 'a') + "\xC3\xA4");
    EXPECT_EQ(std::string(s.name), std::string(126, 'a'));
}

TEST(LinkPort, BytesGoToTheMonitorAsHex) {
    reset_link_world();
    const Bytes bytes = {0x7F, 0x0A, 0xFF};
    EXPECT_EQ(link_write_bytes(bytes.data(), bytes.size()), LINK_ERR_PORT);  // closed
    EXPECT_EQ(link_read_byte(), std::nullopt);
    EXPECT_EQ(take_feed(), "");

    ASSERT_EQ(link_open(), LINK_OK);
    take_feed();
    EXPECT_EQ(link_write_bytes(bytes.data(), bytes.size()), LINK_OK);
    fake_port().short_write = 2;
    EXPECT_EQ(link_write_bytes(bytes.data(), bytes.size()), LINK_ERR_PORT);
    fake_port_queue({0xAB});
    EXPECT_EQ(link_read_byte(), 0xAB);
    EXPECT_EQ(link_read_byte(), std::nullopt);
    EXPECT_EQ(take_feed(), " 7f 0a ff 7f 0a ff ab");

    // With the monitor closed nothing is collected.
    monitor_feed_set_active(false);
    EXPECT_EQ(link_write_bytes(bytes.data(), bytes.size()), LINK_ERR_PORT);
    EXPECT_EQ(monitor_feed_unread(), 0u);
}

TEST(LinkSendFrame, OneWriteOfTheWholeFrameOrWhyNot) {
    reset_link_world();
    ASSERT_EQ(link_open(), LINK_OK);
    EXPECT_EQ(link_send_frame(1, 0, 0x48, 1, Bytes{0x03}.data()), LINK_OK);
    ASSERT_EQ(fake_port().writes.size(), 1u);
    EXPECT_EQ(hex(fake_port().writes[0].bytes), "7f 01 48 03 b4 7f");

    // A payload over 256 bytes is not sent at all.
    const Bytes too_long(257, 0);
    EXPECT_EQ(link_send_frame(1, 0, 0x10, too_long.size(), too_long.data()), LINK_ERR_COMM);
    EXPECT_EQ(fake_port().writes.size(), 1u);

    // A failed write or a closed port is the port's error.
    fake_port().short_write = 3;
    EXPECT_EQ(link_send_frame(1, 0, 0x08, 0, nullptr), LINK_ERR_PORT);
    fake_port().short_write = -1;
    link_close();
    EXPECT_EQ(link_send_frame(1, 0, 0x08, 0, nullptr), LINK_ERR_PORT);
}

TEST(LinkReceiveStep, StepsOverThePort) {
    reset_link_world();
    Frame f{};
    EXPECT_EQ(link_receive_step(&f), ReceiveStep::nothing_waiting);  // port closed

    ASSERT_EQ(link_open(), LINK_OK);
    // 200 bytes of noise: one step takes 128 and reports no frame, the next
    // takes the rest and finds the port empty. The monitor sees each byte as
    // the receiver takes it.
    fake_port_queue(Bytes(200, 0x55));
    (void)take_feed();
    EXPECT_EQ(link_receive_step(&f), ReceiveStep::budget_used);
    EXPECT_EQ(take_feed().size(), 128u * 3);
    EXPECT_EQ(link_receive_step(&f), ReceiveStep::nothing_waiting);
    EXPECT_EQ(take_feed().size(), 72u * 3);

    // A frame split over two steps; the step returns as soon as it completes,
    // leaving the following bytes for later.
    fake_port_queue({0x7F, 0x01, 0x08});
    EXPECT_EQ(link_receive_step(&f), ReceiveStep::nothing_waiting);
    fake_port_queue({0xF7, 0x7F, 0x01, 0x10, 0xEF, 0x7F});
    ASSERT_EQ(link_receive_step(&f), ReceiveStep::frame_complete);
    EXPECT_EQ(f.code, 0x08);
    EXPECT_EQ(f.length, 0u);
    EXPECT_EQ(take_feed(), " 7f 01 08 f7 7f");                      // the second frame's bytes not yet taken
    ASSERT_EQ(link_receive_step(&f), ReceiveStep::frame_complete);  // opened by the shared flag
    EXPECT_EQ(f.code, 0x10);
    EXPECT_EQ(link_receive_step(&f), ReceiveStep::nothing_waiting);

    // Opening the port afresh forgets a partial frame.
    fake_port_queue({0x7F, 0x01});
    EXPECT_EQ(link_receive_step(&f), ReceiveStep::nothing_waiting);
    link_close();
    ASSERT_EQ(link_open(), LINK_OK);
    fake_port_queue({0x08, 0xF7, 0x7F});
    EXPECT_EQ(link_receive_step(&f), ReceiveStep::nothing_waiting);
}

TEST(LinkStatus, ClassificationAndMessages) {
    // Every code the link has.
    struct Case {
        LinkStatus status;
        bool error, cancel;
        const char* message;
    };
    const std::vector<Case> cases = {
        {LINK_OK, false, false, ""},
        {LINK_ERR_NO_PORT, true, false, "Kommunikationsport muss ausgewählt werden"},
        {LINK_ERR_PORT, true, false, "Kommunikationsport ist nicht geeignet"},
        {LINK_ERR_COMM, true, false, "Kommunikation mit KV-310-R ist fehlerhaft"},
        {LINK_CANCELLED, false, true, ""},
    };
    for (const Case& c : cases) {
        reset_link_world();
        EXPECT_EQ(link_is_error(c.status), c.error) << int(c.status);
        EXPECT_EQ(link_is_cancel(c.status), c.cancel) << int(c.status);
        EXPECT_EQ(link_status_message(c.status), c.message) << int(c.status);
        int owner = 0;
        link_report_error(&owner, c.status);
        if (c.error) {
            ASSERT_EQ(fake_ui().messages.size(), 1u) << int(c.status);
            EXPECT_EQ(fake_ui().messages[0].owner, &owner);
            EXPECT_EQ(fake_ui().messages[0].type, KV_MB_ERROR);
            EXPECT_EQ(fake_ui().messages[0].text, c.message);
        } else {
            EXPECT_TRUE(fake_ui().messages.empty()) << int(c.status);
        }
    }
}

TEST(LinkTimedOut, SignedDifferenceSurvivesTheWrap) {
    struct Case {
        uint32_t start, now, limit;
        bool timed_out;
    };
    const std::vector<Case> cases = {
        {1000, 2000, 1000, false},
        {1000, 2001, 1000, true},
        {0xFFFFFF00u, 0x000002E8u, 1000, false},  // 1000 ms across the wrap
        {0xFFFFFF00u, 0x000002E9u, 1000, true},
        {5000, 3999, 1000, true},  // clock behind the start: absolute value
        {5000, 4000, 1000, false},
        {0, 0x80000000u, 0xFFFFFFFFu, false},  // largest difference, never above the limit
    };
    for (const Case& c : cases) {
        reset_link_world(c.now);
        EXPECT_EQ(link_timed_out(c.limit, c.start), c.timed_out) << c.start << " " << c.now;
        EXPECT_EQ(take_feed(), c.timed_out ? "\r\n{TIMEOUT " + std::to_string(c.limit) + "}\r\n" : "");
    }
}

constexpr ReplyMatch VERSION = {OPCODE_VERSION, 2, {}, 0};

TEST(WaitingTransaction, TimesOutWithTheMonitorLine) {
    reset_link_world();
    busy_open(BusyKind::connection);
    Frame reply;
    EXPECT_EQ(waiting_transaction(false, OPCODE_VERSION, nullptr, 0, VERSION, 1000, &reply), LINK_ERR_COMM);
    EXPECT_EQ(fake_port().now, 1001u);  // the first pass that finds more than 1000 ms
    EXPECT_EQ(take_feed(), "\r\n{PORT COM7}\r\n\r\nTx 7f 01 08 f7 7f\r\nRx\r\n{TIMEOUT 1000}\r\n");
    EXPECT_TRUE(link_port_is_open());  // the caller closes it
}

TEST(WaitingTransaction, ReplyCompletedInTheLastPassCounts) {
    reset_link_world();
    busy_open(BusyKind::connection);
    fake_port_reply(OPCODE_VERSION, {2, 3}, 1001);
    Frame reply;
    EXPECT_EQ(waiting_transaction(false, OPCODE_VERSION, nullptr, 0, VERSION, 1000, &reply), LINK_OK);
    EXPECT_EQ(fake_port().now, 1001u);
    EXPECT_EQ(Bytes(reply.payload, reply.payload + reply.length), (Bytes{2, 3}));
    EXPECT_EQ(take_feed(), "\r\n{PORT COM7}\r\n\r\nTx 7f 01 08 f7 7f\r\nRx 7f 01 08 02 03 f2 7f\r\n");
}

TEST(WaitingTransaction, OnlyTheExpectedReplyIsTaken) {
    reset_link_world();
    busy_open(BusyKind::connection);
    fake_port_reply(OPCODE_VERSION, {9, 9}, 10, 1);                   // sub-address 1
    fake_port_reply(OPCODE_STATUS, {9, 9}, 20);                       // other command
    fake_port_reply(OPCODE_VERSION, {9}, 30);                         // too short
    fake_port_queue({0x7F, 0x05, 0x08, 0x01, 0x02, 0x00, 0x7F}, 40);  // bad checksum
    fake_port_reply(OPCODE_VERSION, {1, 2}, 50);
    Frame reply;
    EXPECT_EQ(waiting_transaction(false, OPCODE_VERSION, nullptr, 0, VERSION, 1000, &reply), LINK_OK);
    EXPECT_EQ(fake_port().now, 50u);
    EXPECT_EQ(Bytes(reply.payload, reply.payload + reply.length), (Bytes{1, 2}));

    // With only the wrong sub-address on the line the wait runs into the time-out.
    reset_link_world();
    busy_open(BusyKind::connection);
    fake_port_reply(OPCODE_VERSION, {1, 2}, 10, 1);
    EXPECT_EQ(waiting_transaction(false, OPCODE_VERSION, nullptr, 0, VERSION, 1000, &reply), LINK_ERR_COMM);
}

TEST(WaitingTransaction, AcrossTheTickWrap) {
    reset_link_world(0xFFFFFE00u);
    busy_open(BusyKind::connection);
    Frame reply;
    EXPECT_EQ(waiting_transaction(false, OPCODE_VERSION, nullptr, 0, VERSION, 1000, &reply), LINK_ERR_COMM);
    EXPECT_EQ(fake_port().now, 0xFFFFFE00u + 1001u);
}

TEST(WaitingTransaction, CancelAndMissingBusyWindow) {
    // Without a busy window the wait ends at once as cancelled, before any
    // byte is read.
    reset_link_world();
    fake_port_reply(OPCODE_VERSION, {1, 2});
    Frame reply;
    EXPECT_EQ(waiting_transaction(false, OPCODE_VERSION, nullptr, 0, VERSION, 1000, &reply), LINK_CANCELLED);
    EXPECT_EQ(fake_port().incoming.size(), 7u);
    EXPECT_EQ(fake_port().writes.size(), 1u);  // the request did go out

    // "Abbruch" during the wait.
    reset_link_world();
    busy_open(BusyKind::connection);
    fake_busy().cancel_after = 300;
    EXPECT_EQ(waiting_transaction(false, OPCODE_VERSION, nullptr, 0, VERSION, 1000, &reply), LINK_CANCELLED);
    EXPECT_EQ(fake_port().now, 299u);
}

TEST(WaitingTransaction, ReopenClosesThePortFirst) {
    reset_link_world();
    busy_open(BusyKind::connection);
    ASSERT_EQ(link_open(), LINK_OK);
    fake_port_reply(OPCODE_VERSION, {1, 2}, 5);
    Frame reply;
    EXPECT_EQ(waiting_transaction(false, OPCODE_VERSION, nullptr, 0, VERSION, 1000, &reply), LINK_OK);
    EXPECT_EQ(fake_port().open_count, 1);
    fake_port_reply(OPCODE_VERSION, {1, 2}, 5);
    EXPECT_EQ(waiting_transaction(true, OPCODE_VERSION, nullptr, 0, VERSION, 1000, &reply), LINK_OK);
    EXPECT_EQ(fake_port().open_count, 2);

    set_port_name(g_port_settings, "");
    EXPECT_EQ(waiting_transaction(true, OPCODE_VERSION, nullptr, 0, VERSION, 1000, &reply), LINK_ERR_NO_PORT);
}

int g_idle_waits = 0;
bool counting_idle_wait(unsigned max_ms) {
    ++g_idle_waits;
    fake_port().now += max_ms;
    return false;
}

TEST(WaitingTransaction, WaitsInTheOsBetweenEmptyPasses) {
    // Every pass that finds nothing waits once, a millisecond at most; passes
    // that find bytes go straight on.
    reset_link_world();
    busy_open(BusyKind::connection);
    Frame reply;
    EXPECT_EQ(waiting_transaction(false, OPCODE_VERSION, nullptr, 0, VERSION, 1000, &reply), LINK_ERR_COMM);
    EXPECT_EQ(fake_port().waits, 1001);    // at 0..1000 ms
    EXPECT_EQ(fake_busy().queries, 1002);  // the pass at 1001 ms ends the wait

    // The shell's replacement is used instead of the port wait.
    reset_link_world();
    g_idle_waits = 0;
    link_set_idle_wait(counting_idle_wait);
    busy_open(BusyKind::connection);
    fake_port_queue(Bytes(300, 0x55), 10);
    fake_port_reply(OPCODE_VERSION, {1, 2}, 10);
    EXPECT_EQ(waiting_transaction(false, OPCODE_VERSION, nullptr, 0, VERSION, 1000, &reply), LINK_OK);
    EXPECT_EQ(g_idle_waits, 10);
    EXPECT_EQ(fake_port().waits, 0);
    // Ten empty passes, two steps of 128 noise bytes, one with the rest and the reply.
    EXPECT_EQ(fake_busy().queries, 10 + 3);
}

TEST(LinkDrain, DiscardsInputUntilTheTimeIsUp) {
    reset_link_world();
    busy_open(BusyKind::connection);
    ASSERT_EQ(link_open(), LINK_OK);
    fake_port_reply(OPCODE_VERSION, {1, 2}, 100);  // a late reply to an earlier request
    take_feed();
    EXPECT_EQ(link_drain(500), LINK_OK);
    EXPECT_EQ(fake_port().now, 501u);
    EXPECT_TRUE(fake_port().incoming.empty());
    EXPECT_EQ(take_feed(), " 7f 01 08 01 02 f4 7f\r\n{TIMEOUT 500}\r\n");

    // Draining a closed port only lets the time pass.
    link_close();
    EXPECT_EQ(link_drain(500), LINK_OK);
    EXPECT_EQ(fake_port().now, 1002u);
}

TEST(LinkDrain, CancelEndsTheOperationAtTheNextWait) {
    reset_link_world();
    busy_open(BusyKind::connection);
    fake_busy().cancel_after = 100;
    EXPECT_EQ(link_drain(500), LINK_CANCELLED);
    EXPECT_EQ(fake_port().now, 99u);
    // The flag stays set: the next wait stops at its first pass.
    Frame reply;
    EXPECT_EQ(waiting_transaction(false, OPCODE_VERSION, nullptr, 0, VERSION, 1000, &reply), LINK_CANCELLED);
    EXPECT_EQ(fake_port().now, 99u);
}

TEST(SendOnlyAndPoll, NeitherWaits) {
    reset_link_world();
    const Bytes payload = {1, 0};
    EXPECT_EQ(send_only_transaction(OPCODE_SCOPE_REQUEST, payload.data(), payload.size()), LINK_ERR_PORT);
    EXPECT_TRUE(fake_port().writes.empty());
    Frame reply;
    EXPECT_EQ(poll_reply(&reply), LINK_ERR_COMM);

    ASSERT_EQ(link_open(), LINK_OK);
    take_feed();
    EXPECT_EQ(send_only_transaction(OPCODE_SCOPE_REQUEST, payload.data(), payload.size()), LINK_OK);
    EXPECT_EQ(poll_reply(&reply), LINK_ERR_COMM);
    fake_port_reply(OPCODE_SCOPE_REQUEST, {0, 2});
    EXPECT_EQ(poll_reply(&reply), LINK_OK);
    EXPECT_EQ(reply.code, OPCODE_SCOPE_REQUEST);
    EXPECT_EQ(take_feed(), "\r\nTx 7f 01 90 01 00 6e 7f\r\nRx 7f 01 90 00 02 6d 7f\r\n");
    EXPECT_EQ(fake_port().now, 0u);
    EXPECT_EQ(fake_busy().queries, 0);
}

TEST(PortFailure, APulledAdapterEndsTheWaitAtOnceAndClosesThePort) {
    // The adapter goes before the request is written, or while the reply is
    // awaited. Either way the first failing call ends the transaction with the
    // port error, long before the time-out, and closes the port: nothing
    // touches the dead handle again.
    struct Case {
        const char* name;
        uint32_t gone_from;
    };
    for (const Case c : {Case{"before the request", 0}, Case{"during the wait", 300}}) {
        reset_link_world();
        busy_open(BusyKind::connection);
        ASSERT_EQ(link_open(), LINK_OK) << c.name;
        fake_port().gone_from = c.gone_from;
        Frame reply;
        EXPECT_EQ(waiting_transaction(false, OPCODE_VERSION, nullptr, 0, VERSION, 1000, &reply), LINK_ERR_PORT)
            << c.name;
        EXPECT_EQ(fake_port().now, c.gone_from) << c.name;
        EXPECT_EQ(fake_port().calls_while_gone, 1) << c.name;
        EXPECT_FALSE(link_port_is_open()) << c.name;
        EXPECT_TRUE(link_port_failed()) << c.name;
        EXPECT_EQ(link_monitor_mode_text(), "") << c.name;

        // Later sends and reads find the port closed: no call on the handle.
        EXPECT_EQ(send_only_transaction(OPCODE_STATUS, nullptr, 0), LINK_ERR_PORT) << c.name;
        EXPECT_EQ(poll_reply(&reply), LINK_ERR_COMM) << c.name;
        EXPECT_EQ(fake_port().calls_while_gone, 1) << c.name;

        // The name is gone with the adapter; plugged in again, the next
        // transaction opens it afresh and works.
        EXPECT_EQ(waiting_transaction(false, OPCODE_VERSION, nullptr, 0, VERSION, 1000, &reply), LINK_ERR_PORT)
            << c.name;
        EXPECT_TRUE(link_port_failed()) << c.name;
        fake_port().gone_from.reset();
        fake_port_reply(OPCODE_VERSION, {1, 2}, 5);
        EXPECT_EQ(waiting_transaction(false, OPCODE_VERSION, nullptr, 0, VERSION, 1000, &reply), LINK_OK)
            << c.name;
        EXPECT_FALSE(link_port_failed()) << c.name;
        EXPECT_EQ(fake_port().open_count, 3) << c.name;
    }
}

TEST(OperationFailed, ErrorsAndCancellation) {
    int owner = 0;
    reset_link_world();
    busy_open(BusyKind::connection);
    ASSERT_EQ(link_open(), LINK_OK);
    EXPECT_TRUE(operation_failed(LINK_ERR_COMM, &owner));
    EXPECT_FALSE(link_port_is_open());
    EXPECT_EQ(busy_window(), nullptr);
    ASSERT_EQ(fake_ui().messages.size(), 1u);
    EXPECT_EQ(fake_ui().messages[0].owner, &owner);

    reset_link_world();
    busy_open(BusyKind::connection);
    ASSERT_EQ(link_open(), LINK_OK);
    EXPECT_TRUE(operation_failed(LINK_CANCELLED, &owner));
    EXPECT_FALSE(link_port_is_open());
    EXPECT_EQ(busy_window(), nullptr);
    EXPECT_TRUE(fake_ui().messages.empty());

    reset_link_world();
    busy_open(BusyKind::connection);
    ASSERT_EQ(link_open(), LINK_OK);
    EXPECT_FALSE(operation_failed(LINK_OK, &owner));
    EXPECT_TRUE(link_port_is_open());
    EXPECT_NE(busy_window(), nullptr);
}

}  // namespace
