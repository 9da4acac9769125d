// Many values written into one section of arbitrary bytes, read as an INI
// file, in one pass: the document must end exactly as with the writes one by
// one, keys, values and the section's name taken from the input.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/ini.h"
#include "tests/base/fuzz_ini_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    std::string_view data(reinterpret_cast<const char*>(bytes), size);
    IniDocument doc = ini_parse(data);
    const std::string section = fuzz_name_at(data, size / 3, 4);
    // Inputs of odd length first lose the first section of that name: the
    // batch then meets a later one or none and appends a new section; the
    // others meet the section as it stands.
    if (size % 2) ini_write(doc, section.c_str(), nullptr, nullptr);

    std::vector<std::pair<std::string, std::string>> values;
    for (size_t i = 0; i < 3; ++i)
        values.emplace_back(fuzz_name_at(data, size / 4 * i, 1 + i), fuzz_name_at(data, i, 4));
    IniDocument one_by_one = doc;
    for (const auto& [key, v] : values) ini_write(one_by_one, section, key.c_str(), v.c_str());
    ini_write_section(doc, section, values);
    fuzz_check(doc.lines == one_by_one.lines);
    fuzz_check_single_lines(doc);
    return 0;
}
