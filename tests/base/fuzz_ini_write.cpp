// Writes into arbitrary bytes as an INI file: they must not crash, what was
// written must read back, the document must still read back line for line,
// and many values written into a section in one pass must leave it exactly
// as the writes one by one do.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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
    const std::string section = fuzz_name_at(data, size / 3, 4);

    // Writes of well-formed names read back what was written (blanks at the
    // ends and one pair of outer quotes aside, as on reading).
    std::string value = fuzz_name_at(data, size / 5, 12);
    ini_write(doc, "Fuzz", "Key", value.c_str());
    fuzz_check(ini_get(doc, "fuzz", "key") == read_back_of(value.c_str()));
    ini_write(doc, "Fuzz", "Key", nullptr);
    fuzz_check(!ini_get(doc, "fuzz", "key").has_value());
    ini_write(doc, "s", "k", "1");
    fuzz_check(ini_get(doc, "S", "K") == "1" && ini_get_int(doc, "s", "k", 0) == 1);
    ini_write(doc, section.c_str(), nullptr, nullptr);

    // Many values into one section in one pass end as the writes one by one.
    std::vector<std::pair<std::string, std::string>> values;
    for (size_t i = 0; i < 3; ++i)
        values.emplace_back(fuzz_name_at(data, size / 4 * i, 1 + i), fuzz_name_at(data, i, 4));
    IniDocument one_by_one = doc;
    for (const auto& [key, v] : values) ini_write(one_by_one, section, key.c_str(), v.c_str());
    ini_write_section(doc, section, values);
    fuzz_check(doc.lines == one_by_one.lines);
    // No write makes a line the file would split or join.
    fuzz_check(ini_parse(ini_serialize(doc)).lines == doc.lines);
    return 0;
}
