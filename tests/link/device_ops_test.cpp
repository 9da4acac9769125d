// Device operations and the status and oscilloscope commands against a
// scripted dimmer: the exact requests, their order, the checks on the replies
// and what the user is shown.
#include <gtest/gtest.h>

#include <cstring>

#include "link/busy.h"
#include "link/commands.h"
#include "link/device_ops.h"
#include "link/link.h"
#include "link/monitor_feed.h"
#include "link/scope_commands.h"
#include "link/scope_reply.h"
#include "link/status_record.h"
#include "tests/support/link_fakes.h"

namespace {

using Bytes = std::vector<uint8_t>;

int g_owner;  // the window an operation reports to

ParameterRecord sample_record() {
    ParameterRecord r;
    uint8_t* bytes = reinterpret_cast<uint8_t*>(&r);
    for (size_t i = 0; i < sizeof r; ++i) bytes[i] = uint8_t(i * 7 + 3);
    put_u32le(r.marker_head, MARKER_HEAD);
    put_u32le(r.marker_tail, MARKER_TAIL);
    return r;
}

Bytes image_block(const Bytes& image, int index) {
    return Bytes(image.begin() + index * 128, image.begin() + index * 128 + 128);
}

// A dimmer that answers the parameter commands from its 1024-byte image.
struct ParameterDimmer {
    Bytes image = Bytes(1024, 0);
    int silent_from_block = 99;  // no answer to this block and later ones
};
ParameterDimmer g_dimmer;

void parameter_responder(const Frame& request) {
    const int index = request.length > 0 ? request.payload[0] : -1;
    if (index >= g_dimmer.silent_from_block) return;
    if (request.code == OPCODE_RESET) fake_port_reply(OPCODE_RESET, {1}, 20);
    if (request.code == OPCODE_WRITE_BLOCK) fake_port_reply(OPCODE_WRITE_BLOCK, {1, uint8_t(index)}, 20);
    if (request.code == OPCODE_READ_BLOCK) {
        Bytes payload = {1, uint8_t(index)};
        const Bytes block = image_block(g_dimmer.image, index);
        payload.insert(payload.end(), block.begin(), block.end());
        fake_port_reply(OPCODE_READ_BLOCK, payload, 20);
    }
}

void expect_busy_used(BusyKind kind, const char* text) {
    EXPECT_EQ(fake_busy().opens, 1);
    EXPECT_EQ(fake_busy().kind, kind);
    EXPECT_EQ(fake_busy().text, text);
    EXPECT_EQ(busy_window(), nullptr);
}

void expect_one_message(unsigned type, const std::string& text) {
    ASSERT_EQ(fake_ui().messages.size(), 1u);
    EXPECT_EQ(fake_ui().messages[0].owner, &g_owner);
    EXPECT_EQ(fake_ui().messages[0].type, type);
    EXPECT_EQ(fake_ui().messages[0].text, text);
}

TEST(FirmwareVersion, ShowsTheVersions) {
    struct Case {
        Bytes reply;
        const char* message;
    };
    const std::vector<Case> cases = {
        {{2, 3, 1, 4, 1, 5}, "KV-310-R-Firmware-Version V2.3\r\nDimmer 1 1.4\r\nDimmer 2 1.5"},
        {{2, 3}, "KV-310-R-Firmware-Version V2.3\r\nDimmer 1 \r\nDimmer 2 "},
        {{2, 3, 1, 4, 1}, "KV-310-R-Firmware-Version V2.3\r\nDimmer 1 \r\nDimmer 2 "},
        {{2, 3, 1, 4, 0, 7, 9}, "KV-310-R-Firmware-Version V2.3\r\nDimmer 1 1.4\r\nDimmer 2 "},
        {{0, 0, 0, 1, 10, 0}, "KV-310-R-Firmware-Version V0.0\r\nDimmer 1 \r\nDimmer 2 10.0"},
    };
    for (const Case& c : cases) {
        reset_link_world();
        ASSERT_EQ(link_open(), LINK_OK);  // the test reopens the port
        fake_port_reply(OPCODE_VERSION, c.reply, 30);
        EXPECT_TRUE(firmware_version(&g_owner));
        expect_busy_used(BusyKind::test, "Hardware-Test..");
        expect_one_message(KV_MB_INFO, c.message);
        EXPECT_EQ(hex(fake_port_written()), "7f 01 08 f7 7f");
        EXPECT_EQ(fake_port().writes[0].time, 0u);  // no drain before the query
        EXPECT_EQ(fake_port().open_count, 2);
        EXPECT_TRUE(link_port_is_open());
    }
}

TEST(FirmwareVersion, ReportsLinkErrors) {
    struct Case {
        const char* port;
        bool refuse;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"", false, "Kommunikationsport muss ausgewählt werden"},
        {"COM9", true, "Kommunikationsport ist nicht geeignet"},
        {"COM9", false, "Kommunikation mit KV-310-R ist fehlerhaft"},  // no reply
    };
    for (const Case& c : cases) {
        reset_link_world();
        set_port_name(g_port_settings, c.port);
        fake_port().refuse_open = c.refuse;
        EXPECT_TRUE(firmware_version(&g_owner));  // handled either way
        expect_one_message(KV_MB_ERROR, c.message);
        EXPECT_EQ(busy_window(), nullptr);
        EXPECT_FALSE(link_port_is_open());
    }

    // The connection test clears the version data first: a failed test leaves none.
    reset_link_world();
    busy_open(BusyKind::connection);
    VersionData version = {1, 1, {1, 1}, {1, 1}};
    EXPECT_EQ(connection_test(version), LINK_ERR_COMM);
    EXPECT_EQ(version.controller_major, 0);
    EXPECT_EQ(version.dimmer_minor[1], 0);
    busy_close();

    reset_link_world();
    fake_busy().cancel_after = 50;
    EXPECT_TRUE(firmware_version(&g_owner));
    EXPECT_TRUE(fake_ui().messages.empty());
    EXPECT_FALSE(link_port_is_open());
    EXPECT_EQ(busy_window(), nullptr);
}

TEST(WriteParameterSet, ResetThenEightBlocks) {
    reset_link_world();
    g_dimmer = ParameterDimmer{};
    fake_port().responder = parameter_responder;
    const ParameterRecord record = sample_record();
    EXPECT_TRUE(write_parameter_set(&g_owner, record));

    expect_busy_used(BusyKind::config, "Kommunikation mit KV-310-R");
    expect_one_message(KV_MB_INFO, "PC-Parameter wurden im Dimmer abgespeichert");
    EXPECT_TRUE(link_port_is_open());

    Bytes image(1024, 0);
    std::memcpy(image.data(), device_image(record), DEVICE_IMAGE_SIZE);
    const std::vector<Request> requests = fake_port_requests();
    ASSERT_EQ(requests.size(), 9u);
    EXPECT_EQ(requests[0].code, OPCODE_RESET);
    EXPECT_TRUE(requests[0].payload.empty());
    EXPECT_GE(requests[0].time, 500u);  // after the drain
    for (int i = 0; i < 8; ++i) {
        Bytes expected = {uint8_t(i)};
        const Bytes block = image_block(image, i);
        expected.insert(expected.end(), block.begin(), block.end());
        EXPECT_EQ(requests[1 + i].code, OPCODE_WRITE_BLOCK);
        EXPECT_EQ(requests[1 + i].payload, expected) << "block " << i;
        EXPECT_EQ(requests[1 + i].address, 1);
    }
    EXPECT_EQ(image_block(image, 7), Bytes(128, 0));
}

TEST(WriteParameterSet, StopsAtTheFirstMissingEcho) {
    reset_link_world();
    g_dimmer = ParameterDimmer{};
    g_dimmer.silent_from_block = 3;
    fake_port().responder = parameter_responder;
    EXPECT_FALSE(write_parameter_set(&g_owner, sample_record()));
    expect_one_message(KV_MB_ERROR, "Kommunikation mit KV-310-R ist fehlerhaft");
    EXPECT_FALSE(link_port_is_open());
    EXPECT_EQ(busy_window(), nullptr);
    const std::vector<Request> requests = fake_port_requests();
    ASSERT_EQ(requests.size(), 5u);  // reset, blocks 0..3
    EXPECT_EQ(requests.back().payload[0], 3);
    EXPECT_EQ(fake_port().now - requests.back().time, 5001u);
}

TEST(ParameterTransfer, APulledAdapterEndsItAtOnceWithThePortMessage) {
    // The adapter goes while block 3's reply is awaited: the transfer ends
    // with one port message at that moment, not after the 5 s time-out; the
    // record stays as it was and the busy window goes.
    for (const bool reading : {true, false}) {
        reset_link_world();
        g_dimmer = ParameterDimmer{};
        g_dimmer.silent_from_block = 3;
        fake_port().responder = [](const Frame& request) {
            parameter_responder(request);
            if (request.length > 0 && request.payload[0] == 3) fake_port().gone_from = fake_port().now + 10;
        };
        const ParameterRecord before = sample_record();
        ParameterRecord record = before;
        EXPECT_FALSE(reading ? read_parameter_set(&g_owner, record) : write_parameter_set(&g_owner, record));
        expect_one_message(KV_MB_ERROR, "Kommunikationsport ist nicht geeignet");
        EXPECT_EQ(std::memcmp(&record, &before, sizeof record), 0);
        EXPECT_EQ(fake_port().now - fake_port_requests().back().time, 10u) << reading;
        EXPECT_EQ(fake_port().calls_while_gone, 1) << reading;
        EXPECT_FALSE(link_port_is_open());
        EXPECT_EQ(busy_window(), nullptr);
    }
}

TEST(WriteParameterSet, EchoMustCarryStatusOneAndTheIndex) {
    reset_link_world();
    fake_port().responder = [](const Frame& request) {
        if (request.code == OPCODE_RESET) fake_port_reply(OPCODE_RESET, {0});
        if (request.code != OPCODE_WRITE_BLOCK) return;
        const uint8_t index = request.payload[0];
        fake_port_reply(OPCODE_WRITE_BLOCK, {0, index}, 10);               // status byte not 1
        fake_port_reply(OPCODE_WRITE_BLOCK, {1, uint8_t(index + 1)}, 20);  // other block
        fake_port_reply(OPCODE_WRITE_BLOCK, {1, index}, 30);
    };
    EXPECT_TRUE(write_parameter_set(&g_owner, sample_record()));
    const std::vector<Request> requests = fake_port_requests();
    ASSERT_EQ(requests.size(), 9u);
    for (int i = 2; i < 9; ++i) EXPECT_EQ(requests[i].time - requests[i - 1].time, 30u);
}

TEST(WriteParameterSet, CancelDuringTheDrain) {
    reset_link_world();
    g_dimmer = ParameterDimmer{};
    fake_port().responder = parameter_responder;
    fake_busy().cancel_after = 200;
    EXPECT_FALSE(write_parameter_set(&g_owner, sample_record()));
    EXPECT_TRUE(fake_ui().messages.empty());
    EXPECT_FALSE(link_port_is_open());
    EXPECT_EQ(busy_window(), nullptr);
    // The reset request still goes out; its wait then stops at once.
    const std::vector<Request> requests = fake_port_requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].code, OPCODE_RESET);
}

TEST(ReadParameterSet, TakesAnImageWithBothMarkers) {
    reset_link_world();
    g_dimmer = ParameterDimmer{};
    const ParameterRecord source = sample_record();
    std::memcpy(g_dimmer.image.data(), device_image(source), DEVICE_IMAGE_SIZE);
    g_dimmer.image[700] = 0x55;  // beyond the image: ignored
    fake_port().responder = parameter_responder;

    ParameterRecord record = {};
    set_file_version(record, 0x1234);
    EXPECT_TRUE(read_parameter_set(&g_owner, record));
    expect_busy_used(BusyKind::config, "Kommunikation mit KV-310-R");
    expect_one_message(KV_MB_INFO, "Dimmerparameter wurden zum PC übertragen");
    EXPECT_EQ(std::memcmp(device_image(record), device_image(source), DEVICE_IMAGE_SIZE), 0);
    EXPECT_EQ(file_version(record), 0x1234u);  // only the device image is replaced
    EXPECT_TRUE(link_port_is_open());

    const std::vector<Request> requests = fake_port_requests();
    ASSERT_EQ(requests.size(), 8u);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(requests[i].code, OPCODE_READ_BLOCK);
        EXPECT_EQ(requests[i].payload, Bytes{uint8_t(i)});
    }
    EXPECT_GE(requests[0].time, 500u);
    EXPECT_EQ(hex(fake_port().writes[3].bytes), "7f 01 48 03 b4 7f");
}

TEST(ReadParameterSet, MissingMarkerZeroesTheImage) {
    for (size_t marker_at : {size_t(0), size_t(592)}) {
        reset_link_world();
        g_dimmer = ParameterDimmer{};
        const ParameterRecord source = sample_record();
        std::memcpy(g_dimmer.image.data(), device_image(source), DEVICE_IMAGE_SIZE);
        g_dimmer.image[marker_at] ^= 1;
        fake_port().responder = parameter_responder;

        ParameterRecord record = sample_record();
        EXPECT_TRUE(read_parameter_set(&g_owner, record));
        expect_one_message(KV_MB_ERROR, "Parametersatz in Standardvoreinstellung");
        EXPECT_EQ(fake_port_requests().size(), 8u);  // all blocks read first
        EXPECT_EQ(Bytes(device_image(record), device_image(record) + DEVICE_IMAGE_SIZE),
                  Bytes(DEVICE_IMAGE_SIZE, 0));
    }
}

TEST(ReadParameterSet, FinishingGivesTheDefaultsOrKeepsToTheLimits) {
    // Markers missing (the read zeroed the image): the default set.
    ParameterRecord defaults;
    apply_defaults(defaults);
    ParameterRecord record = {};
    finish_parameter_read(record);
    EXPECT_EQ(std::memcmp(&record, &defaults, sizeof record), 0);

    // A valid set keeps its values, corrected to their limits.
    record = sample_record();
    record.dimmer[1].characteristic[2] = 9;
    ParameterRecord expected = record;
    validate_record(expected);
    finish_parameter_read(record);
    EXPECT_EQ(record.dimmer[1].characteristic[2], 0);
    EXPECT_EQ(std::memcmp(&record, &expected, sizeof record), 0);
    EXPECT_EQ(std::memcmp(record.user_curve, sample_record().user_curve, sizeof record.user_curve), 0);
}

TEST(ReadParameterSet, FailureLeavesTheRecordAlone) {
    reset_link_world();
    g_dimmer = ParameterDimmer{};
    g_dimmer.silent_from_block = 5;
    fake_port().responder = parameter_responder;
    const ParameterRecord before = sample_record();
    ParameterRecord record = before;
    EXPECT_FALSE(read_parameter_set(&g_owner, record));
    expect_one_message(KV_MB_ERROR, "Kommunikation mit KV-310-R ist fehlerhaft");
    EXPECT_EQ(std::memcmp(&record, &before, sizeof record), 0);
    EXPECT_EQ(fake_port_requests().size(), 6u);
    EXPECT_FALSE(link_port_is_open());
}

TEST(ReadBlock, OnlyACompleteMatchingReplyCounts) {
    // Replies with the wrong status byte, the wrong index or too few bytes for
    // a whole block are passed over; the full reply that follows is taken.
    reset_link_world();
    busy_open(BusyKind::connection);
    Bytes full = {1, 2};
    for (int i = 0; i < 128; ++i) full.push_back(uint8_t(i));
    Bytes short_reply(full.begin(), full.begin() + 129);
    fake_port_reply(OPCODE_READ_BLOCK, {0, 2, 9, 9}, 10);
    fake_port_reply(OPCODE_READ_BLOCK, {1, 3, 9, 9}, 20);
    fake_port_reply(OPCODE_READ_BLOCK, short_reply, 30);
    fake_port_reply(OPCODE_READ_BLOCK, full, 2000);
    uint8_t block[128] = {};
    EXPECT_EQ(read_block(2, block), LINK_OK);
    EXPECT_EQ(fake_port().now, 2000u);
    EXPECT_EQ(Bytes(block, block + 128), Bytes(full.begin() + 2, full.end()));

    // Only short replies: the wait runs into the time-out, nothing is taken.
    reset_link_world();
    busy_open(BusyKind::connection);
    fake_port_reply(OPCODE_READ_BLOCK, {1, 2}, 10);
    fake_port_reply(OPCODE_READ_BLOCK, short_reply, 20);
    uint8_t untouched[128];
    std::memset(untouched, 0xAA, sizeof untouched);
    EXPECT_EQ(read_block(2, untouched), LINK_ERR_COMM);
    EXPECT_EQ(fake_port().now, 5001u);
    EXPECT_EQ(Bytes(untouched, untouched + 128), Bytes(128, 0xAA));
}

Bytes status_payload(uint8_t seed, size_t length = STATUS_RECORD_SIZE) {
    Bytes p(length);
    for (size_t i = 0; i < length; ++i) p[i] = uint8_t(seed + i);
    return p;
}

Bytes slot_bytes(const StatusSlot& slot) {
    const uint8_t* p = reinterpret_cast<const uint8_t*>(&slot.status);
    return Bytes(p, p + STATUS_RECORD_SIZE);
}

TEST(StatusFetch, FillsTheFetchedSlotAndClosesThePort) {
    reset_link_world();
    fake_port().responder = [](const Frame& request) {
        if (request.code == OPCODE_STATUS) fake_port_reply(OPCODE_STATUS, status_payload(7, 120), 40);
    };
    StatusSlots slots = {};
    EXPECT_TRUE(status_fetch(&g_owner, slots));
    expect_busy_used(BusyKind::status, "Status..");
    EXPECT_TRUE(fake_ui().messages.empty());
    EXPECT_FALSE(link_port_is_open());
    EXPECT_EQ(slots.fetched.valid, 1u);
    EXPECT_EQ(slot_bytes(slots.fetched), status_payload(7));
    EXPECT_EQ(slots.polled.valid, 0u);
    EXPECT_EQ(slots.shown.valid, 0u);  // the caller decides what to show
    const std::vector<Request> requests = fake_port_requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].payload, Bytes(8, 0));
    EXPECT_GE(requests[0].time, 500u);

    reset_link_world();
    fake_port().responder = [](const Frame&) { fake_port_reply(OPCODE_STATUS, status_payload(7), 40); };
    EXPECT_TRUE(status_fetch_drive(&g_owner, slots, 1, 0x1234, 0, 0xFFFF));
    EXPECT_EQ(hex(fake_port_requests()[0].payload), "01 00 34 12 00 00 ff ff");

    // A status of 110 bytes does not count.
    reset_link_world();
    slots.fetched.valid = 1;
    fake_port().responder = [](const Frame&) { fake_port_reply(OPCODE_STATUS, status_payload(7, 110), 40); };
    EXPECT_FALSE(status_fetch(&g_owner, slots));
    expect_one_message(KV_MB_ERROR, "Kommunikation mit KV-310-R ist fehlerhaft");
    EXPECT_EQ(slots.fetched.valid, 0u);
    EXPECT_FALSE(link_port_is_open());
}

TEST(StatusPolling, SendAndPollWithoutWaiting) {
    reset_link_world();
    EXPECT_EQ(send_status_request(1, 100, 1, 200), LINK_ERR_PORT);
    EXPECT_TRUE(fake_port().writes.empty());

    ASSERT_EQ(link_open(), LINK_OK);
    EXPECT_EQ(send_status_request(1, 100, 1, 200), LINK_OK);
    EXPECT_EQ(hex(fake_port_requests()[0].payload), "01 00 64 00 01 00 c8 00");

    StatusSlots slots = {};
    slots.polled.valid = 1;
    slots.fetched.valid = 1;
    EXPECT_EQ(poll_status_reply(slots), LINK_ERR_COMM);  // nothing there
    EXPECT_EQ(slots.polled.valid, 0u);
    EXPECT_EQ(slots.fetched.valid, 1u);

    fake_port_reply(OPCODE_STATUS, status_payload(3), 0, 1);  // sub-address 1
    EXPECT_EQ(poll_status_reply(slots), LINK_ERR_COMM);
    fake_port_reply(OPCODE_STATUS, status_payload(3));
    EXPECT_EQ(poll_status_reply(slots), LINK_OK);
    EXPECT_EQ(slots.polled.valid, 1u);
    EXPECT_EQ(slot_bytes(slots.polled), status_payload(3));
    EXPECT_EQ(slots.fetched.valid, 0u);
    EXPECT_EQ(slots.shown.valid, 0u);
    EXPECT_EQ(fake_port().now, 0u);
}

TEST(ScopeCommands, StartPayload) {
    struct Case {
        ScopeStartSettings settings;
        const char* payload;
    };
    const std::vector<Case> cases = {
        {{0, 0, 2, 3, 7}, "01 01 00 00 02 00"},  // single: no half-period
        {{0, 2, 1, 1, 7}, "01 03 07 00 01 01"},  // at start: half-period, low range
        {{1, 2, 0, 2, 500}, "02 03 f4 01 00 00"},
        {{0, 3, 0, 6, 7}, "01 04 00 00 03 00"},  // load test: section 3
        {{0, 1, 2, 6, 7}, "01 02 00 00 01 00"},  // fault: section 1
        {{1, 4, 2, 1, 7}, "02 01 00 00 02 01"},  // continuous runs as single
    };
    for (const Case& c : cases) {
        uint8_t payload[6];
        build_scope_start(c.settings, payload);
        EXPECT_EQ(hex(Bytes(payload, payload + 6)), c.payload);
    }
}

TEST(ScopeCommands, StartStopAndRequestsReopenOrNeedThePort) {
    reset_link_world();
    EXPECT_EQ(scope_data_request(3), LINK_ERR_PORT);
    EXPECT_EQ(scope_start({0, 0, 0, 6, 0}), LINK_OK);
    EXPECT_EQ(fake_port().open_count, 1);
    EXPECT_EQ(scope_stop(), LINK_OK);
    EXPECT_EQ(fake_port().open_count, 2);
    EXPECT_EQ(scope_data_request(3), LINK_OK);
    const std::vector<Request> r = fake_port_requests();
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0].code, OPCODE_SCOPE);
    EXPECT_EQ(hex(r[0].payload), "01 01 00 00 00 00");
    EXPECT_EQ(hex(r[1].payload), "00 00 00 00 00 00");
    EXPECT_EQ(r[2].code, OPCODE_SCOPE_REQUEST);
    EXPECT_EQ(hex(r[2].payload), "03 00");

    // The page's wrapper reports a failing start itself.
    reset_link_world();
    set_port_name(g_port_settings, "");
    busy_open(BusyKind::connection);
    EXPECT_FALSE(scope_send_start(&g_owner, {0, 0, 0, 6, 0}));
    expect_one_message(KV_MB_ERROR, "Kommunikationsport muss ausgewählt werden");
    EXPECT_EQ(busy_window(), nullptr);
    EXPECT_FALSE(link_port_is_open());

    reset_link_world();
    EXPECT_TRUE(scope_send_start(&g_owner, {0, 0, 0, 6, 0}));
    EXPECT_TRUE(link_port_is_open());
}

// A poll takes at most 128 bytes; the scope step polls again on its next tick.
LinkStatus poll_scope_until_done(ScopeReply& reply, StatusSlots& slots) {
    LinkStatus code = LINK_ERR_COMM;
    for (int i = 0; i < 5 && code != LINK_OK && !fake_port().incoming.empty(); ++i)
        code = scope_poll(reply, slots);
    return code;
}

TEST(ScopeCommands, PollSortsTheReply) {
    reset_link_world();
    ASSERT_EQ(link_open(), LINK_OK);
    ScopeReply reply;
    StatusSlots slots = {};

    // Every poll clears the whole record, also when nothing arrives.
    std::memset(&reply, 0xFF, sizeof reply);
    EXPECT_EQ(scope_poll(reply, slots), LINK_ERR_COMM);
    ScopeReply zero;
    std::memset(&zero, 0, sizeof zero);
    EXPECT_EQ(std::memcmp(&reply, &zero, sizeof zero), 0);

    fake_port_reply(OPCODE_SCOPE, {0x78, 0x56, 0x34, 0x12, 0xCD, 0xAB});
    EXPECT_EQ(scope_poll(reply, slots), LINK_OK);
    EXPECT_EQ(reply.start_ack, 1u);
    EXPECT_EQ(reply.start_value, 0x12345678u);
    EXPECT_EQ(reply.start_word, 0xABCD);

    Bytes long_block(250);
    for (size_t i = 0; i < long_block.size(); ++i) long_block[i] = uint8_t(i + 1);
    fake_port_reply(OPCODE_SCOPE_BLOCK, long_block);
    EXPECT_EQ(scope_poll(reply, slots), LINK_ERR_COMM);  // 128 bytes in, frame not complete
    EXPECT_EQ(poll_scope_until_done(reply, slots), LINK_OK);
    EXPECT_EQ(reply.start_ack, 0u);
    EXPECT_EQ(reply.data_length, 201u);
    EXPECT_EQ(Bytes(reply.data, reply.data + 201), Bytes(long_block.begin(), long_block.begin() + 201));

    fake_port_reply(OPCODE_SCOPE_BLOCK, {10, 0x11, 0x22});
    EXPECT_EQ(scope_poll(reply, slots), LINK_OK);
    EXPECT_EQ(reply.data_length, 201u);  // a short block counts as whole, zero-filled
    EXPECT_EQ(reply.data[2], 0x22);
    EXPECT_EQ(reply.data[3], 0);

    fake_port_reply(OPCODE_SCOPE_REQUEST, {0x00, 0x02});
    EXPECT_EQ(scope_poll(reply, slots), LINK_OK);
    EXPECT_EQ(reply.state_count, 2u);
    EXPECT_EQ(reply.state_word, 0x0200);

    slots.fetched.valid = 1;
    fake_port_reply(OPCODE_STATUS, status_payload(5, 111));
    EXPECT_EQ(poll_scope_until_done(reply, slots), LINK_OK);
    EXPECT_EQ(reply.status.valid, 1u);
    EXPECT_EQ(slot_bytes(reply.status), status_payload(5));
    EXPECT_EQ(slots.polled.valid, 1u);
    EXPECT_EQ(slot_bytes(slots.polled), status_payload(5));
    EXPECT_EQ(slots.fetched.valid, 0u);

    // Replies that do not count.
    const std::vector<std::pair<uint8_t, Bytes>> ignored = {
        {OPCODE_SCOPE, {1, 2, 3, 4, 5}},         {OPCODE_SCOPE_BLOCK, {1}}, {OPCODE_SCOPE_REQUEST, {2}},
        {OPCODE_STATUS, status_payload(5, 110)}, {OPCODE_VERSION, {1, 2}},
    };
    for (const auto& [code, payload] : ignored) {
        fake_port_reply(code, payload);
        EXPECT_EQ(poll_scope_until_done(reply, slots), LINK_ERR_COMM) << int(code);
        EXPECT_TRUE(fake_port().incoming.empty());
        EXPECT_EQ(std::memcmp(&reply, &zero, sizeof zero), 0);
    }
    fake_port_reply(OPCODE_SCOPE, {1, 2, 3, 4, 5, 6}, 0, 1);
    EXPECT_EQ(scope_poll(reply, slots), LINK_ERR_COMM);
}

}  // namespace
