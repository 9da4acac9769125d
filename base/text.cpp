#include "base/text.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <limits>
#include <vector>

namespace {

// Codes 1 to 32: blanks and control characters. Bytes above 127 are text.
bool is_blank_or_control(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return u >= 1 && u <= 32;
}

std::string_view trim_front(std::string_view s) {
    while (!s.empty() && is_blank_or_control(s.front())) s.remove_prefix(1);
    return s;
}

std::string_view trim_back(std::string_view s) {
    while (!s.empty() && is_blank_or_control(s.back())) s.remove_suffix(1);
    return s;
}

// Message texts are limited to what the old 512-byte buffers held.
constexpr size_t MAX_FORMATTED_CHARS = 511;

}  // namespace

std::string format_text(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    va_list copy;
    va_copy(copy, args);
    int needed = std::vsnprintf(nullptr, 0, fmt, copy);
    va_end(copy);
    std::string out;
    if (needed > 0) {
        std::vector<char> buffer(static_cast<size_t>(needed) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), fmt, args);
        out.assign(buffer.data(), static_cast<size_t>(needed));
    }
    va_end(args);
    return cut_chars(out, MAX_FORMATTED_CHARS);
}

std::string cut_chars(std::string_view text, size_t n) {
    // Count the bytes that start a character (everything but UTF-8
    // continuation bytes); cut before the (n+1)-th.
    size_t chars = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
        if (chars == n) return std::string(text.substr(0, i));
        ++chars;
    }
    return std::string(text);
}

uint32_t parse_dlg_int(std::string_view text, bool* valid) {
    auto result = [valid](uint32_t value, bool ok) {
        if (valid) *valid = ok;
        return value;
    };
    std::string_view s = trim_front(text);
    if (s.empty()) return result(0, true);

    size_t i = 0;
    bool negative = false;
    if (s[i] == '+' || s[i] == '-') {
        negative = s[i] == '-';
        ++i;
    }
    if (i >= s.size() || s[i] < '0' || s[i] > '9') return result(0, false);
    // Saturate like a 32-bit strtol; the caller clamps to the field's limits.
    constexpr int64_t limit = std::numeric_limits<int32_t>::max();
    int64_t n = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i)
        n = std::min<int64_t>(n * 10 + (s[i] - '0'), limit + 1);
    if (negative && n != 0) return result(0x7FFFFFFFu, false);
    return result(static_cast<uint32_t>(std::min(n, limit)), true);
}

std::string take_word(std::string_view text, bool keep_inner_blanks, size_t size) {
    if (size == 0) return {};
    std::string field = cut_chars(text, size - 1);
    std::string_view s = trim_front(field);
    if (keep_inner_blanks) {
        s = trim_back(s);
    } else {
        size_t end = 0;
        while (end < s.size() && !is_blank_or_control(s[end])) ++end;
        s = s.substr(0, end);
    }
    return std::string(s);
}

std::string trim_blanks(std::string_view text) { return std::string(trim_back(trim_front(text))); }

std::string program_directory_of(std::string_view module_path) {
    size_t last = module_path.find_last_of("\\/");
    if (last == std::string_view::npos) return {};
    return std::string(module_path.substr(0, last + 1));
}

std::string file_name_part(std::string_view path) {
    size_t last = path.find_last_of("\\/");
    return std::string(last == std::string_view::npos ? path : path.substr(last + 1));
}

std::string directory_part(std::string_view path) {
    size_t last = path.find_last_of("\\/");
    if (last == std::string_view::npos) return {};
    return trim_blanks(path.substr(0, last));
}

std::string csv_cell(std::string_view text) {
    if (text.find_first_of(";\"\r\n") == std::string_view::npos) return std::string(text);
    std::string quoted = "\"";
    for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}
