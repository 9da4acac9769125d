// The program settings file. Every access reads or writes the file itself,
// one value per call, as the program always did; nothing is cached, so an
// edit of the file between two calls is seen. The exception is a batch: the
// exit's stores work on one copy in memory and replace the file once.
#include "base/settings.h"

#include <optional>
#include <string>
#include <vector>

#include "base/cp1252.h"
#include "base/file_io.h"
#include "base/ini.h"
#include "base/profile.h"
#include "base/text.h"

namespace {

std::string g_directory;

struct Batch {
    bool open = false;
    bool readable = true;  // false: the file is there but could not be read, so it is not replaced
    IniDocument doc;
    std::vector<std::string> loaded;  // the lines as read, to see whether anything changed
};

Batch g_batch;

std::string read_stored(const char* section, const char* key) {
    if (!g_batch.open) return profile_get_string(settings_path(), section, key, "", std::string::npos);
    return ini_get(g_batch.doc, section, key).value_or(std::string());
}

void write_stored(const char* section, const char* key, const char* value) {
    if (g_batch.open)
        ini_write(g_batch.doc, section, key, value);
    else
        profile_write_string(settings_path(), section, key, value);
}

}  // namespace

void settings_set_directory(const std::string& dir) {
    g_batch = Batch{};  // a batch belongs to the file it was begun on
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
    if (g_batch.open) return static_cast<int32_t>(ini_get_int(g_batch.doc, section, key, def));
    return static_cast<int32_t>(profile_get_int(settings_path(), section, key, def));
}

bool settings_read_text(const char* section, const char* key, std::string& out, size_t size) {
    if (size == 0) {
        out.clear();
        return false;
    }
    // The whole stored value decides its encoding; the limit counts characters.
    out = cut_chars(stored_text_to_utf8(read_stored(section, key)), size - 1);
    return !out.empty();
}

void settings_write_int(const char* section, const char* key, int32_t value) {
    write_stored(section, key, std::to_string(value).c_str());
}

void settings_write_text(const char* section, const char* key, const char* text) {
    if (key == nullptr || text == nullptr) {
        write_stored(section, key, text);
        return;
    }
    write_stored(section, key, utf8_to_stored_text(text).c_str());
}

void settings_batch_begin() {
    if (g_batch.open) return;
    g_batch = Batch{};
    g_batch.open = true;
    const std::string path = settings_path();
    if (file_exists(path)) {
        const std::optional<std::string> text = read_file(path);
        if (text)
            g_batch.doc = ini_parse(*text);
        else
            g_batch.readable = false;
    }
    g_batch.loaded = g_batch.doc.lines;
}

bool settings_batch_commit() {
    if (!g_batch.open) return true;
    const Batch batch = std::move(g_batch);
    g_batch = Batch{};
    if (!batch.readable) return false;                 // writing now would lose what could not be read
    if (batch.doc.lines == batch.loaded) return true;  // nothing changed: the file stays as it is (or absent)
    return write_file_atomic(settings_path(), ini_serialize(batch.doc));
}
