#include "base/profile.h"

#include <optional>

#include "base/file_io.h"
#include "base/ini.h"

namespace {

// A missing or unreadable file reads like an empty one.
IniDocument load(const std::string& path) {
    std::optional<std::string> text = read_file(path);
    return text ? ini_parse(*text) : IniDocument{};
}

// At most max bytes, without splitting a UTF-8 sequence at the cut.
std::string cut_bytes(std::string s, size_t max) {
    if (s.size() <= max) return s;
    size_t n = max;
    size_t lead = n;
    while (lead > 0 && (static_cast<unsigned char>(s[lead]) & 0xC0) == 0x80) --lead;
    if (lead < n && (static_cast<unsigned char>(s[lead]) & 0xC0) == 0xC0) n = lead;
    s.resize(n);
    return s;
}

}  // namespace

std::string profile_get_string(const std::string& path, std::string_view section, std::string_view key,
                               std::string_view def, size_t size) {
    if (size == 0) return {};
    std::optional<std::string> value = ini_get(load(path), section, key);
    if (!value) {
        // Windows drops trailing blanks of the default.
        while (!def.empty() && def.back() == ' ') def.remove_suffix(1);
        value = std::string(def);
    }
    return cut_bytes(std::move(*value), size - 1);
}

uint32_t profile_get_int(const std::string& path, std::string_view section, std::string_view key,
                         int32_t def) {
    return ini_get_int(load(path), section, key, def);
}

bool profile_write_string(const std::string& path, std::string_view section, const char* key,
                          const char* value) {
    IniDocument doc;
    if (file_exists(path)) {
        std::optional<std::string> text = read_file(path);
        if (!text) return false;  // writing now would lose what we could not read
        doc = ini_parse(*text);
    }
    IniDocument before = doc;
    ini_write(doc, section, key, value);
    if (doc.lines == before.lines) return true;  // nothing changes: the file stays as it is (or absent)
    return write_file_atomic(path, ini_serialize(doc));
}
