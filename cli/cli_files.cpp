#include "cli/cli_files.h"

#include "base/file_io.h"
#include "base/text.h"
#include "base/ui.h"
#include "params/param_file.h"

namespace {

void report_file_error(const char* fmt, const std::string& path) {
    message_box(nullptr, KV_MB_ERROR, format_text(fmt, cut_chars(path, 128).c_str()));
}

}  // namespace

bool cli_open_parameter_file(const std::string& path, ParameterRecord& record) {
    if (path.empty() || !file_exists(path)) {
        report_file_error("Fehler: Datei \"%s\" ist nicht lesbar", path);
        return false;
    }
    if (!read_parameter_file(record, path)) {
        report_file_error("Fehler: Datei \"%s\" ist nicht vollständig", path);
        return false;
    }
    return true;
}

bool cli_save_parameter_file(const ParameterRecord& record, const std::string& path) {
    if (write_parameter_file(record, path)) return true;
    report_file_error("Fehler: Datei \"%s\" konnte nicht abgespeichert werden", path);
    return false;
}
