// The program settings file. Every access reads or writes the file itself,
// one value per call, as the program always did; nothing is cached, so an
// edit of the file between two calls is seen.
#include "base/settings.h"

#include <string>

#include "base/cp1252.h"
#include "base/profile.h"
#include "base/text.h"

namespace {

std::string g_directory;

}  // namespace

void settings_set_directory(const std::string& dir) {
    g_directory = dir;
    if (!g_directory.empty() && g_directory.back() != '\\' && g_directory.back() != '/') {
#if defined(_WIN32)
        g_directory += '\\';
#else
        g_directory += '/';
#endif
    }
}

std::string settings_path() { return g_directory + "Kv310r.ini"; }

int32_t settings_read_int(const char* section, const char* key, int32_t def) {
    return static_cast<int32_t>(profile_get_int(settings_path(), section, key, def));
}

bool settings_read_text(const char* section, const char* key, std::string& out, size_t size) {
    if (size == 0) {
        out.clear();
        return false;
    }
    // The whole stored value decides its encoding; the limit counts characters.
    const std::string stored = profile_get_string(settings_path(), section, key, "", std::string::npos);
    out = cut_chars(stored_text_to_utf8(stored), size - 1);
    return !out.empty();
}

void settings_write_int(const char* section, const char* key, int32_t value) {
    std::string text = std::to_string(value);
    profile_write_string(settings_path(), section, key, text.c_str());
}

void settings_write_text(const char* section, const char* key, const char* text) {
    if (key == nullptr || text == nullptr) {
        profile_write_string(settings_path(), section, key, text);
        return;
    }
    const std::string stored = utf8_to_stored_text(text);
    profile_write_string(settings_path(), section, key, stored.c_str());
}
