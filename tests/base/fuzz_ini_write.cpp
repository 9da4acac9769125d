// Writes into arbitrary bytes as an INI file: they must not crash, what was
// written must read back (names compared without regard to case) and go again
// when deleted, and no line may come to hold a line break. (Many values
// written in one pass: fuzz_ini_write_section.)
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/ini.h"
#include "tests/base/fuzz_ini_input.h"

namespace {

// What a read gives for a written value: the text up to a line break, blanks
// at both ends removed, then one pair of matching outer quotes.
std::string read_back_of(const char* written) {
    std::string_view v(written);
    v = v.substr(0, v.find_first_of("\r\n"));
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; };
    while (!v.empty() && blank(v.front())) v.remove_prefix(1);
    while (!v.empty() && blank(v.back())) v.remove_suffix(1);
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return std::string(v);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    std::string_view data(reinterpret_cast<const char*>(bytes), size);
    IniDocument doc = ini_parse(data);

    // Writes of well-formed names read back what was written (blanks at the
    // ends and one pair of outer quotes aside, as on reading).
    std::string value = fuzz_name_at(data, size / 5, 12);
    ini_write(doc, "Fuzz", "Key", value.c_str());
    fuzz_check(ini_get(doc, "fuzz", "key") == read_back_of(value.c_str()));
    fuzz_check_single_lines(doc);
    ini_write(doc, "Fuzz", "Key", nullptr);
    fuzz_check(!ini_get(doc, "fuzz", "key").has_value());
    return 0;
}
