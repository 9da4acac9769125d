#include "link/scope_commands.h"

#include <cstring>

#include "link/busy.h"
#include "link/commands.h"
#include "link/link.h"
#include "link/transactions.h"
#include "link/scope_reply.h"
#include "params/record.h"

namespace {

constexpr uint32_t KIND_FAULT = 1;
constexpr uint32_t KIND_START_UP = 2;
constexpr uint32_t KIND_LOAD_TEST = 3;
constexpr uint32_t KIND_CONTINUOUS = 4;

LinkStatus reopen_and_send(const uint8_t payload[6]) {
    link_close();
    const LinkStatus opened = link_open();
    if (opened != LINK_OK) return opened;
    return send_only_transaction(OPCODE_SCOPE, payload, 6);
}

}  // namespace

void build_scope_start(const ScopeStartSettings& s, uint8_t payload[6]) {
    // The dimmer counts kinds from 1 and runs a continuous capture as a
    // series of single ones.
    const uint8_t device_kind = s.kind == KIND_CONTINUOUS ? 1 : uint8_t(s.kind + 1);
    payload[0] = uint8_t(s.dimmer + 1);
    payload[1] = device_kind;
    put_u16le(payload + 2, s.kind == KIND_START_UP ? uint16_t(s.half_period) : 0);
    // The load test and the fault capture have a section of their own.
    payload[4] = s.kind == KIND_LOAD_TEST ? 3 : s.kind == KIND_FAULT ? 1 : uint8_t(s.section);
    payload[5] = s.current_range < 2 ? 1 : 0;
}

LinkStatus scope_start(const ScopeStartSettings& settings) {
    uint8_t payload[6];
    build_scope_start(settings, payload);
    return reopen_and_send(payload);
}

LinkStatus scope_stop() {
    const uint8_t payload[6] = {};
    return reopen_and_send(payload);
}

LinkStatus scope_data_request(uint8_t index) {
    const uint8_t payload[2] = {index, 0};
    return send_only_transaction(OPCODE_SCOPE_REQUEST, payload, sizeof payload);
}

LinkStatus scope_poll(ScopeReply& r, StatusSlots& slots, bool* line_idle) {
    std::memset(&r, 0, sizeof r);
    Frame reply;
    if (poll_reply(&reply, line_idle) != LINK_OK || reply.sub_address != 0) return LINK_ERR_COMM;
    const uint8_t* p = reply.payload;
    switch (reply.code) {
        case OPCODE_STATUS:
            if (reply.length < STATUS_RECORD_SIZE) break;
            store_polled_status(slots, reply);
            r.status = slots.polled;
            return LINK_OK;
        case OPCODE_SCOPE:
            if (reply.length < 6) break;
            r.start_ack = 1;
            r.start_value = get_u32le(p);
            r.start_word = get_u16le(p + 4);
            return LINK_OK;
        case OPCODE_SCOPE_BLOCK:
            if (reply.length < 2) break;
            // A short block leaves the rest zero; the capture counts it as full.
            std::memcpy(r.data, p, reply.length < SCOPE_BLOCK_DATA ? reply.length : SCOPE_BLOCK_DATA);
            r.data_length = SCOPE_BLOCK_DATA;
            return LINK_OK;
        case OPCODE_SCOPE_REQUEST:
            if (reply.length < 2) break;
            r.state_word = get_u16le(p);
            r.state_count = 2;
            return LINK_OK;
        default:
            break;
    }
    return LINK_ERR_COMM;
}

bool scope_send_start(WindowRef page, const ScopeStartSettings& settings) {
    const LinkStatus status = scope_start(settings);
    if (link_is_error(status)) {
        link_close();
        if (busy_window()) busy_close();
        link_report_error(page, status);
        return false;
    }
    if (link_is_cancel(status)) {
        link_close();
        busy_close();
        return false;
    }
    return true;
}
