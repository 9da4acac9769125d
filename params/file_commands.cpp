#include "params/file_commands.h"
#include "params/file_messages.h"

#include "base/file_io.h"
#include "params/recent.h"
#include "base/settings.h"
#include "base/text.h"
#include "params/param_file.h"

#include <cstring>

namespace {

// Paths are kept to what the 512-character dialog buffers hold.
constexpr size_t PATH_SIZE = 512;

struct FileCommandState {
    ParameterRecord live{};
    ParameterRecord load_buffer{};
    ParameterRecord saved_copy{};
    std::string current_path;
    std::string last_directory;
    bool set_open = false;
    bool has_name = false;
    int open_filter_index = 0;
    CustomFilter open_custom_filter;  // the open dialog's own
    FileNameHook file_name_hook = nullptr;
};

FileCommandState& state() {
    static FileCommandState s;
    return s;
}

// Common ending of New, Open and Close: the set now counts as unchanged.
bool finish_replace() {
    state().saved_copy = state().live;
    show_file_name();
    return true;
}

}  // namespace

ParameterRecord& live_record() { return state().live; }
const ParameterRecord& load_buffer() { return state().load_buffer; }
const ParameterRecord& saved_copy() { return state().saved_copy; }
const std::string& current_path() { return state().current_path; }
const std::string& last_directory() { return state().last_directory; }
bool set_open() { return state().set_open; }
bool has_name() { return state().has_name; }
int open_filter_index() { return state().open_filter_index; }

void reset_parameter_records() {
    FileCommandState& s = state();
    apply_defaults(s.live);
    s.load_buffer = s.live;
    s.saved_copy = s.live;
}

void reset_file_command_state() {
    const FileNameHook hook = state().file_name_hook;
    state() = FileCommandState{};
    state().file_name_hook = hook;
}

bool is_modified() {
    const FileCommandState& s = state();
    return s.set_open && std::memcmp(&s.live, &s.saved_copy, sizeof s.live) != 0;
}

std::string file_name_text() {
    const std::string name = file_name_part(state().current_path);
    if (is_modified() && !name.empty()) return "* " + cut_chars(name, 128);
    return cut_chars(name, 128);
}

void set_file_name_hook(FileNameHook hook) { state().file_name_hook = hook; }

void show_file_name() {
    if (state().file_name_hook) state().file_name_hook(file_name_text());
}

bool new_parameter_set() {
    FileCommandState& s = state();
    apply_defaults(s.live);
    s.set_open = true;
    s.has_name = false;
    s.current_path = NEW_SET_NAME;
    return finish_replace();
}

bool close_parameter_set() {
    FileCommandState& s = state();
    std::memset(&s.live, 0, sizeof s.live);
    validate_record(s.live);  // zeros with both markers
    s.set_open = false;
    s.has_name = false;
    s.current_path.clear();
    return finish_replace();
}

bool load_parameter_file(WindowRef owner, const std::string& path, ParameterRecord& record, bool report) {
    if (path.empty() || !file_exists(path)) {
        if (report) report_file_not_readable(owner, path);
        return false;
    }
    if (!read_parameter_file(record, path)) {
        if (report) report_file_incomplete(owner, path);
        return false;
    }
    return true;
}

bool open_parameter_path(WindowRef owner, const std::string& path, bool report) {
    FileCommandState& s = state();
    if (!load_parameter_file(owner, path, s.load_buffer, report)) return false;
    s.current_path = path;
    s.last_directory = directory_part(path);
    s.live = s.load_buffer;
    s.set_open = true;
    s.has_name = true;
    recent_add(s.current_path, RECENT_KIND_PARAMETER_FILE, 0);
    return finish_replace();
}

bool open_parameter_file(WindowRef owner) {
    FileCommandState& s = state();
    FileDialogRequest request;
    request.save = false;
    request.title = "KV-310-R-Parameterdatei öffnen";
    request.filters = {{"KV-310-R-Parameterdatei (*.ini)", "*.ini"}, {"Alle Dateien (*.*)", "*.*"}};
    request.filter_index = s.open_filter_index > 0 ? s.open_filter_index : 1;
    request.custom_filter = &s.open_custom_filter;
    request.initial_name = s.current_path;
    if (s.current_path.find('\\') == std::string::npos && !s.last_directory.empty())
        request.initial_dir = s.last_directory;
    const std::optional<FileDialogResult> chosen = ask_file_name(owner, request);
    if (!chosen) return false;
    s.open_filter_index = chosen->filter_index;
    return open_parameter_path(owner, chosen->path, true);
}

bool save_parameter_file(WindowRef owner, bool save_as) {
    FileCommandState& s = state();
    if (!save_as && s.has_name) {
        if (!write_parameter_file(s.live, s.current_path)) {
            report_file_not_saved(owner, s.current_path);
            return false;
        }
    } else {
        if (!s.has_name) s.current_path = format_text("%s.ini", SAVE_PROPOSAL_BASE);
        FileDialogRequest request;
        request.save = true;
        request.title = "Neue KV-310-R-Parameterdatei erzeugen";
        request.filters = {{"KV-310-R-Parameterdatei (*.ini)", "*.ini"}};
        request.filter_index = 1;
        request.initial_name = s.current_path;
        if (s.current_path.empty()) request.initial_dir = s.last_directory;
        request.default_ext = "ini";
        const std::optional<FileDialogResult> chosen = ask_file_name(owner, request);
        if (!chosen) return false;
        if (!write_parameter_file(s.live, chosen->path)) {
            report_file_not_saved(owner, chosen->path);
            return false;
        }
        s.current_path = chosen->path;
        s.last_directory = directory_part(chosen->path);
    }
    s.set_open = true;
    s.has_name = true;
    s.saved_copy = s.live;
    recent_add(s.current_path, RECENT_KIND_PARAMETER_FILE, 0);
    show_file_name();
    return true;
}

bool ask_save_changes(WindowRef owner) {
    if (!is_modified()) return true;
    switch (message_box(owner, KV_MB_QUESTION_YNC,
                        "KV-310-R-Parameterdatei wurde verändert, Änderungen abspeichern?")) {
        case KV_IDYES:
            return save_parameter_file(owner, false);
        case KV_IDNO:
            return true;
        default:
            return false;
    }
}

void restore_last_file() {
    std::string path;
    settings_read_text("KVDLG", "FILE", path, PATH_SIZE);
    if (open_parameter_path(nullptr, trim_blanks(path), false)) return;
    new_parameter_set();
    std::string dir;
    settings_read_text("KVDLG", "DIR", dir, PATH_SIZE);
    state().last_directory = trim_blanks(dir);
}

void store_last_file() {
    settings_write_text("KVDLG", "FILE", state().current_path.c_str());
    settings_write_text("KVDLG", "DIR", state().last_directory.c_str());
}
