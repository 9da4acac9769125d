// The virtual dimmer's traffic log as the tests read it: one line per frame,
// "RX" or "TX" and the raw wire bytes in lower-case hex.
#pragma once

#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

inline std::string hex(const std::string& bytes) {
    std::string out;
    char buf[4];
    for (unsigned char c : bytes) {
        std::snprintf(buf, sizeof buf, " %02x", c);
        out += buf;
    }
    return out;
}

// One request frame as the sim logs it: 7f, address, command, payload,
// checksum, 7f, with 7e/7f stuffed.
inline std::string frame_line(uint8_t address, uint8_t command, const std::string& payload) {
    std::string body;
    body += char(address);
    body += char(command);
    body += payload;
    uint8_t sum = 0;
    for (unsigned char c : body) sum = uint8_t(sum + c);
    body += char(uint8_t(-sum));
    std::string wire = "\x7f";
    for (unsigned char c : body) {
        if (c == 0x7e || c == 0x7f) {
            wire += '\x7e';
            wire += char(c == 0x7e ? 0xfe : 0xff);
        } else {
            wire += char(c);
        }
    }
    wire += '\x7f';
    return "RX" + hex(wire);
}

// The log's lines with the prefix, from byte `from` on (what a test caused
// when it noted the log's size before).
inline std::vector<std::string> log_lines(const std::string& log, const char* prefix, size_t from = 0) {
    std::vector<std::string> lines;
    const std::string text = read_bytes(log);
    std::istringstream in(from < text.size() ? text.substr(from) : std::string());
    for (std::string line; std::getline(in, line);)
        if (line.rfind(prefix, 0) == 0) lines.push_back(line);
    return lines;
}
