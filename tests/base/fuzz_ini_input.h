// The input of the INI fuzz targets: names taken from the bytes themselves,
// so the fuzzer can make lookups and writes hit what it put in the file.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "base/ini.h"

// `len` bytes of the input from `pos` on (wrapping), or "s" for no input.
inline std::string fuzz_name_at(std::string_view data, size_t pos, size_t len) {
    if (data.empty()) return "s";
    pos %= data.size();
    return std::string(data.substr(pos, len));
}

inline void fuzz_check(bool ok) {
    if (!ok) __builtin_trap();
}

// No line of the document holds a line break: written out, the file would
// split it into two (a document read from a file round-trips: fuzz_ini).
inline void fuzz_check_single_lines(const IniDocument& doc) {
    for (const std::string& line : doc.lines)
        fuzz_check(line.find('\r') == std::string::npos && line.find('\n') == std::string::npos);
}
