#include "params/file_messages.h"

#include "base/text.h"

namespace {

constexpr size_t MESSAGE_PATH_CHARS = 128;

}  // namespace

void show_file_error(WindowRef owner, const char* format, const std::string& path) {
    message_box(owner, KV_MB_ERROR, format_text(format, cut_chars(path, MESSAGE_PATH_CHARS).c_str()));
}

void show_file_not_saved(WindowRef owner, const std::string& path) {
    show_file_error(owner, "Fehler: Datei \"%s\" konnte nicht abgespeichert werden", path);
}
