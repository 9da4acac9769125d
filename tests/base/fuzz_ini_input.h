// The input of the INI fuzz targets: names taken from the bytes themselves,
// so the fuzzer can make lookups and writes hit what it put in the file.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// `len` bytes of the input from `pos` on (wrapping), or "s" for no input.
inline std::string fuzz_name_at(std::string_view data, size_t pos, size_t len) {
    if (data.empty()) return "s";
    pos %= data.size();
    return std::string(data.substr(pos, len));
}

inline void fuzz_check(bool ok) {
    if (!ok) __builtin_trap();
}
