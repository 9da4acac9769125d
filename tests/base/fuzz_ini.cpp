// Arbitrary bytes as an INI file: parsing and lookups must not crash, the
// document written out must read back line for line, and the one-pass read
// of a section's text must agree with the single lookups.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/ini.h"
#include "tests/base/fuzz_ini_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    std::string_view data(reinterpret_cast<const char*>(bytes), size);
    IniDocument doc = ini_parse(data);
    // Written out and read again, the document is the same line for line, so
    // every lookup on it gives what it gave before.
    fuzz_check(ini_parse(ini_serialize(doc)).lines == doc.lines);

    // Names to look up, each as a section and as a key: a fixed one, the
    // empty one, and two taken from the input so the fuzzer can match its own.
    const std::string names[] = {"s", "", fuzz_name_at(data, size / 3, 4), fuzz_name_at(data, 1, 1)};
    for (const std::string& section : names) {
        // The one-pass read of a section's text agrees with the lookups in
        // the parsed document: the first of equal keys is the one found.
        // (Without entries every lookup misses; one stands for them all.)
        const std::vector<IniEntry> entries = ini_section_entries(data, section);
        for (size_t n = 0; n < std::size(names) && (n == 0 || !entries.empty()); ++n) {
            const std::string& key = names[n];
            const std::string wanted = ini_key_for_lookup(key);  // trimmed, as the lookup takes it
            std::optional<std::string> first;
            for (const IniEntry& e : entries) {
                if (!ini_same_name(e.key, wanted)) continue;
                first = std::string(e.value);
                break;
            }
            const std::optional<std::string> one = ini_get(doc, section, key);
            fuzz_check(one == first);
            if (one) ini_get_int(doc, section, key, -7);  // the number read must not trip the sanitizers
        }
    }
    return 0;
}
