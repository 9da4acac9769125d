#include "cli/diff_command.h"

#include "cli/cli_files.h"
#include "cli/cli_port.h"
#include "cli/cli_ui.h"
#include "cli/usage.h"
#include "link/device_ops.h"
#include "params/record.h"
#include "params/set_diff.h"

#include <cstdio>
#include <string>

namespace {

constexpr int SAME = 0, DIFFERENT = 1, TROUBLE = 2;

// The dimmer's set as "Dimmerparameter auslesen" takes it: without both
// markers the dimmer holds no valid set, and the default set stands for it.
bool read_device_set(const CliArgs& args, ParameterRecord& record) {
    if (!cli_set_up_port(args)) return false;
    apply_defaults(record);
    const bool read = read_parameter_set(nullptr, record);
    if (cli_finish(read) != 0) return false;
    finish_parameter_read(record);
    return true;
}

}  // namespace

int cli_diff(const CliArgs& args) {
    const bool device = cli_option(args, "--device").has_value();
    if (args.operands.size() != (device ? 1u : 2u)) return cli_usage_error("diff");
    cli_info_to_stderr();  // stdout holds the differences only
    ParameterRecord a, b;
    if (!cli_open_parameter_file(args.operands[0], a)) return TROUBLE;
    if (device ? !read_device_set(args, b) : !cli_open_parameter_file(args.operands[1], b)) return TROUBLE;
    const std::vector<std::string> lines = parameter_set_differences(a, b);
    for (const std::string& line : lines) std::printf("%s\n", line.c_str());
    return lines.empty() ? SAME : DIFFERENT;
}
