#include "sim/device_model.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "params/record.h"
#include "sim/status_model.h"

namespace {

uint32_t store_u32(const uint8_t* store, size_t offset) { return get_u32le(store + offset); }

bool store_has_markers(const uint8_t* store) {
    return store_u32(store, 0) == MARKER_HEAD && store_u32(store, DEVICE_IMAGE_SIZE - 4) == MARKER_TAIL;
}

// Position of a dimmer's default phase-control mode within the device image.
size_t default_mode_offset(int dimmer) {
    return offsetof(ParameterRecord, dimmer) - DEVICE_IMAGE_OFFSET + size_t(dimmer) * sizeof(DimmerBlock) +
           offsetof(DimmerBlock, default_mode);
}

// The shortest payload the program accepts for each reply code.
size_t minimum_reply_length(uint8_t code) {
    switch (code) {
        case OPCODE_VERSION:
            return 2;
        case OPCODE_STATUS:
            return STATUS_RECORD_SIZE;
        case OPCODE_RESET:
            return 1;
        case OPCODE_SCOPE:
            return 6;
        default:
            return 2;  // block read and write, scope block and scope state
    }
}

SimReply reply(uint8_t code, std::vector<uint8_t> payload) {
    SimReply r;
    r.send = true;
    r.code = code;
    r.payload = std::move(payload);
    return r;
}

SimReply on_status(SimDevice& dev, const uint8_t* p, size_t length, uint32_t now_ms) {
    // Per output: set-drive flag, 0, u16 drive value. Without the flag the
    // output keeps the drive it has.
    if (length >= 8) {
        for (int d = 0; d < 2; ++d) {
            if (p[4 * d] != 0) dev.drive[d] = get_u16le(p + 4 * d + 2);
        }
    }
    for (int d = 0; d < 2; ++d) {
        ++dev.dimmer_rx[d];
        ++dev.dimmer_tx[d];
        OutputMeasurement m = measure_output(sim_output_state(dev, d), mains_rms_at(now_ms));
        dev.peak_loss_mw[d] = std::max(dev.peak_loss_mw[d], uint32_t(m.loss_w * 1000));
    }
    if (dev.scripted_status.size() == STATUS_RECORD_SIZE) return reply(OPCODE_STATUS, dev.scripted_status);
    std::vector<uint8_t> out(STATUS_RECORD_SIZE);
    build_status(dev, now_ms, out.data());
    return reply(OPCODE_STATUS, std::move(out));
}

SimReply on_read_block(SimDevice& dev, const uint8_t* p, size_t length) {
    if (length < 1 || p[0] >= PARAMETER_BLOCKS) return {};
    uint8_t index = p[0];
    std::vector<uint8_t> out(2 + PARAMETER_BLOCK_SIZE);
    out[0] = 1;
    out[1] = index;
    std::memcpy(out.data() + 2, dev.store + index * PARAMETER_BLOCK_SIZE, PARAMETER_BLOCK_SIZE);
    if (dev.cfg.bad_markers) {
        // Spoil both markers where they fall: head in block 0, tail in block 4.
        const size_t head = 0, tail = DEVICE_IMAGE_SIZE - 4;
        for (size_t at : {head, tail}) {
            if (at / PARAMETER_BLOCK_SIZE == index)
                std::memset(out.data() + 2 + at % PARAMETER_BLOCK_SIZE, 0, 4);
        }
    }
    return reply(OPCODE_READ_BLOCK, std::move(out));
}

SimReply on_write_block(SimDevice& dev, const uint8_t* p, size_t length) {
    if (length < 1 + PARAMETER_BLOCK_SIZE || p[0] >= PARAMETER_BLOCKS) return {};
    std::memcpy(dev.store + p[0] * PARAMETER_BLOCK_SIZE, p + 1, PARAMETER_BLOCK_SIZE);
    return reply(OPCODE_WRITE_BLOCK, {1, p[0]});
}

SimReply on_scope_start(SimDevice& dev, const uint8_t* p, size_t length, uint32_t now_ms) {
    if (length < 6) return {};
    ScopeRequest request = parse_scope_request(p);
    SimScopeRecorder& s = dev.scope;
    if (is_stop_request(request)) {
        s.phase = ScopePhase::idle;
        return reply(OPCODE_SCOPE, {0, 0, 0, 0, 0, 0});
    }
    if (request.dimmer < 1 || request.dimmer > 2) return {};
    // The burst is taken now and can be fetched once the recording time has
    // passed. Acknowledge: u32 capture size in bytes, u16 samples per channel.
    s.phase = ScopePhase::recording;
    s.started_ms = now_ms;
    s.request = request;
    make_capture(request, sim_output_state(dev, request.dimmer - 1), mains_rms_at(now_ms),
                 now_ms * 1000u + 7321u, dev.rng, s.capture);
    std::vector<uint8_t> ack(6);
    put_u32le(ack.data(), uint32_t(SCOPE_CAPTURE_SIZE));
    put_u16le(ack.data() + 4, uint16_t(SCOPE_SAMPLES));
    return reply(OPCODE_SCOPE, std::move(ack));
}

SimReply on_scope_request(SimDevice& dev, const uint8_t* p, size_t length, uint32_t now_ms) {
    if (length < 1) return {};
    uint8_t index = p[0];
    SimScopeRecorder& s = dev.scope;
    if (s.phase == ScopePhase::recording && now_ms - s.started_ms >= dev.cfg.scope_record_ms) {
        s.phase = ScopePhase::ready;
    }
    if (s.phase == ScopePhase::recording) return reply(OPCODE_SCOPE_REQUEST, {index, SCOPE_STATE_RECORDING});
    if (s.phase == ScopePhase::idle || index >= SCOPE_CAPTURE_BLOCKS) {
        return reply(OPCODE_SCOPE_REQUEST, {index, SCOPE_STATE_NONE});
    }
    size_t from = size_t(index) * SCOPE_BLOCK_SIZE;
    size_t count = std::min(size_t(SCOPE_BLOCK_SIZE), SCOPE_CAPTURE_SIZE - from);
    std::vector<uint8_t> out(1 + count);
    out[0] = index;
    std::memcpy(out.data() + 1, s.capture + from, count);
    return reply(OPCODE_SCOPE_BLOCK, std::move(out));
}

// Puts a reply on the wire, with whatever faults are configured.
void send_reply(SimDevice& dev, const SimReply& r, SimOutput& out) {
    const SimConfig& cfg = dev.cfg;
    const bool faulty = dev.faults_active;
    size_t length = r.payload.size();
    if (faulty && cfg.short_payload) length = std::min(length, minimum_reply_length(r.code) - 1);
    uint8_t frame[FRAME_MAX_STUFFED];
    size_t n = frame_encode(cfg.address, faulty && cfg.wrong_subaddress ? 1 : 0, r.code, r.payload.data(),
                            length, frame);
    std::vector<uint8_t> sent;
    // Noise on the line between the request and the reply: any bytes, a
    // frame flag among them included.
    if (faulty)
        for (uint32_t i = 0; i < cfg.noise_between; ++i) sent.push_back(uint8_t(rng_next(dev.rng)));
    for (size_t i = 0; i < n; ++i) {
        if (faulty && rng_chance(dev.rng, cfg.drop_rate)) continue;
        uint8_t b = frame[i];
        if (faulty && rng_chance(dev.rng, cfg.corrupt_rate)) b ^= uint8_t(1 + rng_next(dev.rng) % 255);
        sent.push_back(b);
        if (faulty && rng_chance(dev.rng, cfg.noise_rate)) sent.push_back(uint8_t(rng_next(dev.rng)));
    }
    if (sent.empty()) return;
    out.log.push_back(hex_line("TX", sent.data(), sent.size()));
    out.wire.insert(out.wire.end(), sent.begin(), sent.end());
    out.delay_ms = std::max(out.delay_ms, cfg.reply_delay_ms);
}

void on_frame(SimDevice& dev, uint32_t now_ms, SimOutput& out) {
    Frame f;
    if (!frame_decode(dev.parser, &f)) return;
    if (f.address != dev.cfg.address || f.sub_address != 0) return;
    ++dev.frames_for_us;
    if (dev.vanished) return;
    if (dev.cfg.vanish_after >= 0 && dev.frames_for_us > dev.cfg.vanish_after) {
        dev.vanished = true;
        out.log.push_back("VANISHED");
        return;
    }
    if (dev.cfg.silent && dev.faults_active) return;
    if (dev.cfg.stop_after >= 0 && dev.frames_for_us > dev.cfg.stop_after) return;
    SimReply r = sim_handle_request(dev, f.code, f.payload, f.length, now_ms);
    if (r.send) send_reply(dev, r, out);
}

}  // namespace

void sim_init(SimDevice& dev, const SimConfig& cfg) {
    dev = SimDevice{};
    dev.cfg = cfg;
    frame_parser_reset(dev.parser);
    std::memcpy(dev.store, cfg.factory_store.data(), TRANSFER_IMAGE_SIZE);
    dev.rng.state = cfg.seed;
}

void sim_receive(SimDevice& dev, const uint8_t* bytes, size_t count, uint32_t now_ms, SimOutput& out) {
    for (size_t i = 0; i < count; ++i) {
        uint8_t b = bytes[i];
        bool complete = frame_parser_push(dev.parser, b);
        // Keep the raw bytes from the last flag on, so the log shows each frame
        // exactly as it came over the line, stuffing included.
        if (!dev.rx_wire.empty() && dev.rx_wire.size() < 2 * FRAME_MAX_STUFFED) dev.rx_wire.push_back(b);
        if (b != FRAME_FLAG) continue;
        if (complete) {
            if (dev.logs_requests) out.log.push_back(hex_line("RX", dev.rx_wire.data(), dev.rx_wire.size()));
            on_frame(dev, now_ms, out);
        }
        dev.rx_wire.assign(1, FRAME_FLAG);
    }
}

SimReply sim_handle_request(SimDevice& dev, uint8_t code, const uint8_t* payload, size_t length,
                            uint32_t now_ms) {
    switch (code) {
        case OPCODE_VERSION:
            return reply(
                OPCODE_VERSION,
                std::vector<uint8_t>(dev.cfg.versions, dev.cfg.versions + (dev.cfg.short_version ? 2 : 6)));
        case OPCODE_STATUS:
            return on_status(dev, payload, length, now_ms);
        case OPCODE_RESET:
            std::memcpy(dev.store, dev.cfg.factory_store.data(), TRANSFER_IMAGE_SIZE);
            return reply(OPCODE_RESET, {1});
        case OPCODE_READ_BLOCK:
            return on_read_block(dev, payload, length);
        case OPCODE_WRITE_BLOCK:
            return on_write_block(dev, payload, length);
        case OPCODE_SCOPE:
            return on_scope_start(dev, payload, length, now_ms);
        case OPCODE_SCOPE_REQUEST:
            return on_scope_request(dev, payload, length, now_ms);
        default:
            return {};  // unknown commands go unanswered
    }
}

OutputState sim_output_state(const SimDevice& dev, int dimmer) {
    OutputState o;
    o.drive = dev.drive[dimmer];
    o.load_watts = dev.cfg.load_watts[dimmer];
    // The phase-control mode comes from the stored parameter set, when there is one.
    o.leading_edge = store_has_markers(dev.store) && dev.store[default_mode_offset(dimmer)] == 1 ? 1 : 0;
    return o;
}

std::string hex_line(const char* prefix, const uint8_t* bytes, size_t count) {
    static const char digits[] = "0123456789abcdef";
    std::string s = prefix;
    for (size_t i = 0; i < count; ++i) {
        s += ' ';
        s += digits[bytes[i] >> 4];
        s += digits[bytes[i] & 0xF];
    }
    return s;
}
