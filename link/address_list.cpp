#include "link/address_list.h"

#include <algorithm>

namespace {

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// A decimal number 0..255 and nothing else.
std::optional<uint32_t> parse_address(std::string_view s) {
    s = trimmed(s);
    if (s.empty() || s.size() > 3) return std::nullopt;
    uint32_t value = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + uint32_t(c - '0');
    }
    if (value > RS485_ADDRESS_MAX) return std::nullopt;
    return value;
}

}  // namespace

std::optional<std::vector<uint32_t>> parse_address_list(std::string_view text, std::string& bad) {
    std::vector<uint32_t> addresses;
    auto add = [&addresses](uint32_t a) {
        if (std::find(addresses.begin(), addresses.end(), a) == addresses.end()) addresses.push_back(a);
    };
    for (;;) {
        const size_t comma = text.find(',');
        const std::string_view part = text.substr(0, comma);
        const size_t dash = part.find('-');
        const auto first = parse_address(part.substr(0, dash));
        const auto last = dash == std::string_view::npos ? first : parse_address(part.substr(dash + 1));
        if (!first || !last || *last < *first) {
            bad = std::string(trimmed(part));
            return std::nullopt;
        }
        for (uint32_t a = *first; a <= *last; ++a) add(a);
        if (comma == std::string_view::npos) return addresses;
        text.remove_prefix(comma + 1);
    }
}

std::string bad_address_text(std::string_view text, std::string_view bad) {
    return "Ungültige RS485-Adresse: " + std::string(bad.empty() ? text : bad);
}

std::string address_list_text(const std::vector<uint32_t>& addresses) {
    std::string out;
    for (size_t i = 0; i < addresses.size();) {
        size_t end = i + 1;  // the run addresses[i..end) counts up by one
        while (end < addresses.size() && addresses[end] == addresses[end - 1] + 1) ++end;
        if (!out.empty()) out += ',';
        if (end - i >= 3) {
            out += std::to_string(addresses[i]) + '-' + std::to_string(addresses[end - 1]);
            i = end;
        } else {
            out += std::to_string(addresses[i]);
            ++i;
        }
    }
    return out;
}

std::string file_for_address(const std::string& path, uint32_t address) {
    const size_t separator = path.find_last_of("/\\");
    const size_t name_start = separator == std::string::npos ? 0 : separator + 1;
    const size_t dot = path.find_last_of('.');
    const std::string suffix = '-' + std::to_string(address);
    if (dot == std::string::npos || dot <= name_start) return path + suffix + ".ini";
    return path.substr(0, dot) + suffix + path.substr(dot);
}
