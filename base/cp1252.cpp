#include "base/cp1252.h"

#include <cstdint>

namespace {

// Characters of the bytes 0x80..0x9F; 0xA0..0xFF are U+00A0..U+00FF.
constexpr char32_t HIGH_BLOCK[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80..87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88..8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90..97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98..9F
};

char32_t char_of(unsigned char b) { return b >= 0x80 && b <= 0x9F ? HIGH_BLOCK[b - 0x80] : b; }

std::optional<unsigned char> byte_of(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<unsigned char>(c);
    for (unsigned i = 0; i < 32; ++i)
        if (HIGH_BLOCK[i] == c) return static_cast<unsigned char>(0x80 + i);
    return std::nullopt;
}

void append_utf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The character starting at s[i] and its length in bytes; nothing when the
// bytes there are not a well-formed UTF-8 sequence.
struct Decoded {
    char32_t c;
    size_t length;
};

std::optional<Decoded> decode_at(std::string_view s, size_t i) {
    const unsigned char b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) return Decoded{b, 1};
    size_t length = 0;
    char32_t c = 0;
    char32_t min = 0;
    if (b >= 0xC2 && b <= 0xDF) {
        length = 2, c = b & 0x1F, min = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3, c = b & 0x0F, min = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4, c = b & 0x07, min = 0x10000;
    } else {
        return std::nullopt;  // a continuation byte, or a lead byte no valid text has
    }
    if (s.size() - i < length) return std::nullopt;
    for (size_t k = 1; k < length; ++k) {
        const unsigned char t = static_cast<unsigned char>(s[i + k]);
        if ((t & 0xC0) != 0x80) return std::nullopt;
        c = (c << 6) | (t & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return std::nullopt;
    return Decoded{c, length};
}

bool is_ascii(std::string_view s) {
    for (char ch : s)
        if (static_cast<unsigned char>(ch) >= 0x80) return false;
    return true;
}

}  // namespace

bool is_valid_utf8(std::string_view bytes) {
    for (size_t i = 0; i < bytes.size();) {
        const std::optional<Decoded> d = decode_at(bytes, i);
        if (!d) return false;
        i += d->length;
    }
    return true;
}

std::string cp1252_to_utf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (char ch : bytes) append_utf8(out, char_of(static_cast<unsigned char>(ch)));
    return out;
}

std::optional<std::string> utf8_to_cp1252(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const std::optional<Decoded> d = decode_at(utf8, i);
        if (!d) return std::nullopt;
        const std::optional<unsigned char> b = byte_of(d->c);
        if (!b) return std::nullopt;
        out += static_cast<char>(*b);
        i += d->length;
    }
    return out;
}

std::string stored_text_to_utf8(std::string_view stored) {
    if (is_valid_utf8(stored)) return std::string(stored);
    return cp1252_to_utf8(stored);
}

std::string utf8_to_stored_text(std::string_view text) {
    std::optional<std::string> ansi = utf8_to_cp1252(text);
    if (!ansi || (!is_ascii(*ansi) && is_valid_utf8(*ansi))) return std::string(text);
    return *ansi;
}
