#include "cli/cli_files.h"

#include "params/file_commands.h"
#include "params/file_messages.h"
#include "params/param_file.h"

bool cli_open_parameter_file(const std::string& path, ParameterRecord& record) {
    return load_parameter_file(nullptr, path, record, true);
}

bool cli_save_parameter_file(const ParameterRecord& record, const std::string& path) {
    if (write_parameter_file(record, path)) return true;
    report_file_not_saved(nullptr, path);
    return false;
}
