#include "params/file_messages.h"

#include "base/text.h"

namespace {

constexpr const char* NOT_SAVED = "Fehler: Datei \"%s\" konnte nicht abgespeichert werden";

// format holds one "%s" for the path.
std::string file_message(const char* format, const std::string& path) {
    return format_text(format, cut_chars(path, MESSAGE_PATH_CHARS).c_str());
}

void report_file_error(WindowRef owner, const char* format, const std::string& path) {
    message_box(owner, KV_MB_ERROR, file_message(format, path));
}

}  // namespace

void report_file_not_readable(WindowRef owner, const std::string& path) {
    report_file_error(owner, "Fehler: Datei \"%s\" ist nicht lesbar", path);
}

void report_file_incomplete(WindowRef owner, const std::string& path) {
    report_file_error(owner, "Fehler: Datei \"%s\" ist nicht vollständig", path);
}

void report_file_not_saved(WindowRef owner, const std::string& path) {
    report_file_error(owner, NOT_SAVED, path);
}

std::string file_not_saved_message(const std::string& path) { return file_message(NOT_SAVED, path); }

void report_curve_import_error(WindowRef owner, const CurveImport& result, const std::string& path) {
    const std::string text = curve_import_message(result, path);
    if (!text.empty()) message_box(owner, KV_MB_ERROR, text);
}
