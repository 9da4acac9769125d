#include "cli/export_curve_command.h"

#include "cli/cli_files.h"
#include "cli/usage.h"
#include "base/file_io.h"
#include "params/curve_text.h"
#include "params/file_messages.h"
#include "params/record.h"

#include <cstdio>

int cli_export_curve(const CliArgs& args) {
    if (args.operands.size() != 3 || (args.operands[1] != "1" && args.operands[1] != "2"))
        return cli_usage_error("export-curve");
    const std::string& text_path = args.operands[2];
    ParameterRecord record;
    if (!cli_open_parameter_file(args.operands[0], record)) return 1;
    const int curve = args.operands[1] == "1" ? 0 : 1;
    if (write_file_atomic(text_path, curve_export_text(record.user_curve[curve]))) return 0;
    report_file_not_saved(nullptr, text_path);
    return 1;
}
