// The scripted serial port and the fake clock behind link/port.h.
#include "tests/support/link_fakes.h"

#include "port/port.h"

namespace {

FakePort g_port;
constexpr PortHandle FAKE_HANDLE = 42;

std::vector<Request> decode_requests(const std::vector<uint8_t>& bytes, uint32_t time) {
    std::vector<Request> out;
    FrameParser parser;
    frame_parser_reset(parser);
    for (uint8_t b : bytes) {
        if (!frame_parser_push(parser, b)) continue;
        Frame f;
        frame_decode(parser, &f);
        out.push_back({f.address, uint8_t(f.code | f.sub_address),
                       std::vector<uint8_t>(f.payload, f.payload + f.length), time});
    }
    return out;
}

bool device_gone() { return g_port.gone_from && int32_t(g_port.now - *g_port.gone_from) >= 0; }

}  // namespace

FakePort& fake_port() { return g_port; }

void fake_port_queue(const std::vector<uint8_t>& bytes, uint32_t delay_ms) {
    for (uint8_t b : bytes) g_port.incoming.push_back({g_port.now + delay_ms, b});
}

namespace {

void queue_reply(uint8_t address, uint8_t sub_address, uint8_t code, const std::vector<uint8_t>& payload,
                 uint32_t delay_ms) {
    uint8_t frame[FRAME_MAX_STUFFED];
    const size_t n = frame_encode(address, sub_address, code, payload.data(), payload.size(), frame);
    fake_port_queue(std::vector<uint8_t>(frame, frame + n), delay_ms);
}

}  // namespace

void fake_port_reply(uint8_t code, const std::vector<uint8_t>& payload, uint32_t delay_ms,
                     uint8_t sub_address) {
    queue_reply(1, sub_address, code, payload, delay_ms);
}

void fake_port_reply_from(uint8_t address, uint8_t code, const std::vector<uint8_t>& payload,
                          uint32_t delay_ms) {
    queue_reply(address, 0, code, payload, delay_ms);
}

std::vector<uint8_t> fake_port_written() {
    std::vector<uint8_t> all;
    for (const WrittenFrame& w : g_port.writes) all.insert(all.end(), w.bytes.begin(), w.bytes.end());
    return all;
}

std::vector<Request> fake_port_requests() {
    std::vector<Request> all;
    for (const WrittenFrame& w : g_port.writes) {
        std::vector<Request> some = decode_requests(w.bytes, w.time);
        all.insert(all.end(), some.begin(), some.end());
    }
    return all;
}

PortHandle port_open(const char* name) {
    ++g_port.open_count;
    g_port.tried_names.push_back(name);
    if (g_port.refuse_open || device_gone() || (g_port.opens && !g_port.opens(name))) return PORT_INVALID;
    g_port.is_open = true;
    g_port.opened_name = name;
    return FAKE_HANDLE;
}

void port_close(PortHandle port) {
    if (port == FAKE_HANDLE) g_port.is_open = false;
}

int port_read(PortHandle port, uint8_t* buffer, size_t max) {
    if (port != FAKE_HANDLE || !g_port.is_open) return -1;
    if (device_gone()) {
        ++g_port.calls_while_gone;
        return -1;
    }
    size_t n = 0;
    while (n < max && !g_port.incoming.empty() && g_port.incoming.front().available_at <= g_port.now) {
        buffer[n++] = g_port.incoming.front().value;
        g_port.incoming.pop_front();
    }
    return int(n);
}

int port_write(PortHandle port, const uint8_t* bytes, size_t count) {
    if (port != FAKE_HANDLE || !g_port.is_open) return -1;
    if (device_gone()) {
        ++g_port.calls_while_gone;
        return -1;
    }
    g_port.writes.push_back({g_port.now, std::vector<uint8_t>(bytes, bytes + count)});
    if (g_port.responder)
        for (const Request& r : decode_requests(g_port.writes.back().bytes, g_port.now)) {
            Frame f = {r.address, uint8_t(r.code & 7), uint8_t(r.code & 0xF8), r.payload.data(),
                       r.payload.size()};
            g_port.responder(f);
        }
    return g_port.short_write >= 0 ? g_port.short_write : int(count);
}

void port_wait_readable(PortHandle, unsigned max_ms) {
    ++g_port.waits;
    g_port.now += max_ms;
}

uint32_t tick_count_ms() { return g_port.now; }
