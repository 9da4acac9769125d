// Arbitrary bytes as an INI file: parsing, lookups and writes must not crash,
// and writing the document back out must not change what any lookup finds.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/ini.h"

namespace {

// Names to look up: a few fixed ones and a few taken from the input itself.
std::string name_at(std::string_view data, size_t pos, size_t len) {
    if (data.empty()) return "s";
    pos %= data.size();
    return std::string(data.substr(pos, len));
}

void check(bool ok) {
    if (!ok) __builtin_trap();
}

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
    IniDocument again = ini_parse(ini_serialize(doc));
    check(again.lines == doc.lines);

    std::string names[] = {
        "s", "k", "", name_at(data, size / 3, 4), name_at(data, size / 2, 3), name_at(data, 1, 1)};
    for (const std::string& section : names) {
        // The one-pass read of a section agrees with the key-by-key lookup.
        for (const auto& [key, value] : ini_get_section(doc, section))
            check(ini_get(doc, section, key) == value);
        const auto all = ini_get_section(doc, section);
        for (const std::string& key : names) {
            const auto it = all.find(ini_key_for_lookup(key));
            const std::optional<std::string> one = ini_get(doc, section, key);
            check(it == all.end() ? !one.has_value() : one == it->second);
            check(ini_get(doc, section, key) == ini_get(again, section, key));
            check(ini_get_int(doc, section, key, -7) == ini_get_int(again, section, key, -7));
        }
    }

    // Writes of well-formed names read back what was written (blanks at the
    // ends and one pair of outer quotes aside, as on reading).
    std::string value = name_at(data, size / 5, 12);
    ini_write(doc, "Fuzz", "Key", value.c_str());
    check(ini_get(doc, "fuzz", "key") == read_back_of(value.c_str()));
    ini_write(doc, "Fuzz", "Key", nullptr);
    check(!ini_get(doc, "fuzz", "key").has_value());
    ini_write(doc, "s", "k", "1");
    check(ini_get(doc, "S", "K") == "1" && ini_get_int(doc, "s", "k", 0) == 1);
    ini_write(doc, names[3].c_str(), nullptr, nullptr);
    check(ini_parse(ini_serialize(doc)).lines == doc.lines);
    return 0;
}
