#include "link/commands.h"

#include <cstring>

#include "link/link.h"
#include "link/transactions.h"
#include "link/status_record.h"
#include "params/record.h"

namespace {

constexpr ReplyMatch VERSION_REPLY = {OPCODE_VERSION, 2, {}, 0};
constexpr ReplyMatch STATUS_REPLY = {OPCODE_STATUS, STATUS_RECORD_SIZE, {}, 0};
constexpr ReplyMatch RESET_REPLY = {OPCODE_RESET, 1, {}, 0};

void fill_slot(StatusSlot& slot, const Frame& reply) {
    slot.valid = 1;
    std::memcpy(&slot.status, reply.payload, STATUS_RECORD_SIZE);
}

void clear_slot(StatusSlot& slot) { std::memset(&slot, 0, sizeof slot); }

}  // namespace

void store_polled_status(StatusSlots& slots, const Frame& reply) {
    clear_slot(slots.fetched);
    fill_slot(slots.polled, reply);
}

void build_status_request(uint8_t flag1, uint16_t value1, uint8_t flag2, uint16_t value2,
                          uint8_t payload[8]) {
    payload[0] = flag1;
    payload[1] = 0;
    put_u16le(payload + 2, value1);
    payload[4] = flag2;
    payload[5] = 0;
    put_u16le(payload + 6, value2);
}

std::string dimmer_version_text(const VersionData& version, int dimmer) {
    if (version.dimmer_major[dimmer] == 0) return {};
    return std::to_string(version.dimmer_major[dimmer]) + '.' + std::to_string(version.dimmer_minor[dimmer]);
}

LinkStatus connection_test(VersionData& version) {
    version = {};
    Frame reply;
    const LinkStatus code =
        waiting_transaction(true, OPCODE_VERSION, nullptr, 0, VERSION_REPLY, VERSION_WAIT_MS, &reply);
    if (code != LINK_OK) return code;
    version.controller_major = reply.payload[0];
    version.controller_minor = reply.payload[1];
    if (reply.length >= 6) {
        version.dimmer_major[0] = reply.payload[2];
        version.dimmer_minor[0] = reply.payload[3];
        version.dimmer_major[1] = reply.payload[4];
        version.dimmer_minor[1] = reply.payload[5];
    }
    return LINK_OK;
}

LinkStatus status_transaction(StatusSlots& slots, uint8_t flag1, uint16_t value1, uint8_t flag2,
                              uint16_t value2) {
    clear_slot(slots.fetched);
    uint8_t payload[8];
    build_status_request(flag1, value1, flag2, value2, payload);
    Frame reply;
    const LinkStatus code = waiting_transaction(false, OPCODE_STATUS, payload, sizeof payload, STATUS_REPLY,
                                                STATUS_WAIT_MS, &reply);
    if (code == LINK_OK) fill_slot(slots.fetched, reply);
    return code;
}

LinkStatus reset_transaction() {
    Frame reply;
    return waiting_transaction(false, OPCODE_RESET, nullptr, 0, RESET_REPLY, PARAMETER_WAIT_MS, &reply);
}

LinkStatus write_block(int index, const uint8_t* block) {
    uint8_t payload[1 + PARAMETER_BLOCK_SIZE];
    payload[0] = uint8_t(index);
    std::memcpy(payload + 1, block, PARAMETER_BLOCK_SIZE);
    const ReplyMatch echo = {OPCODE_WRITE_BLOCK, 2, {1, uint8_t(index)}, 2};
    Frame reply;
    return waiting_transaction(false, OPCODE_WRITE_BLOCK, payload, sizeof payload, echo, PARAMETER_WAIT_MS,
                               &reply);
}

LinkStatus read_block(int index, uint8_t* block) {
    const uint8_t payload[1] = {uint8_t(index)};
    // The block follows the status byte and the index. A reply too short to
    // carry all of it is not taken; the wait goes on as for any other frame.
    const ReplyMatch answer = {OPCODE_READ_BLOCK, 2 + PARAMETER_BLOCK_SIZE, {1, uint8_t(index)}, 2};
    Frame reply;
    const LinkStatus code = waiting_transaction(false, OPCODE_READ_BLOCK, payload, sizeof payload, answer,
                                                PARAMETER_WAIT_MS, &reply);
    if (code == LINK_OK) std::memcpy(block, reply.payload + 2, PARAMETER_BLOCK_SIZE);
    return code;
}

LinkStatus send_status_request(uint8_t flag1, uint16_t value1, uint8_t flag2, uint16_t value2) {
    uint8_t payload[8];
    build_status_request(flag1, value1, flag2, value2, payload);
    return send_only_transaction(OPCODE_STATUS, payload, sizeof payload);
}

LinkStatus poll_status_reply(StatusSlots& slots) {
    clear_slot(slots.polled);
    Frame reply;
    if (poll_reply(&reply) != LINK_OK || !reply_matches(reply, STATUS_REPLY)) return LINK_ERR_COMM;
    store_polled_status(slots, reply);
    return LINK_OK;
}

LinkStatus poll_newest_status_reply(StatusSlots& slots) {
    // A step takes at most 128 bytes or ends with a frame.
    constexpr int MAX_STEPS = 32;
    clear_slot(slots.polled);
    LinkStatus found = LINK_ERR_COMM;
    bool idle = false;
    for (int i = 0; i < MAX_STEPS && !idle; ++i) {
        Frame reply;
        if (poll_reply(&reply, &idle) != LINK_OK || !reply_matches(reply, STATUS_REPLY)) continue;
        store_polled_status(slots, reply);  // supersedes an older one taken before
        found = LINK_OK;
    }
    return found;
}
