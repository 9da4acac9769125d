// kv310r-cli: the KV-310-R core on the command line, for scripting on Linux
// and Windows. Messages are the program's own German texts; errors go to
// stderr with exit status 1, usage errors exit with status 2.
#include "cli/bus_commands.h"
#include "cli/cli_args.h"
#include "cli/device_commands.h"
#include "cli/diff_command.h"
#include "cli/export_curve_command.h"
#include "cli/measure_commands.h"
#include "cli/param_commands.h"
#include "cli/platform.h"
#include "cli/usage.h"

#include <cstdio>
#include <string>

namespace {

struct Command {
    const char* name;
    int (*run)(const CliArgs&);
};

const Command COMMANDS[] = {
    {"new", cli_new},
    {"show", cli_show},
    {"import-curve", cli_import_curve},
    {"export-curve", cli_export_curve},
    {"diff", cli_diff},
    {"version", cli_version},
    {"read", cli_read},
    {"write", cli_write},
    {"drive", cli_drive},
    {"status", cli_status},
    {"scope", cli_scope},
    {"scan", cli_scan},
    {"verify", cli_verify},
};

// The first option the command does not take, or empty.
std::string unknown_option(const CliArgs& args, const CommandUsage& usage) {
    for (const auto& [name, value] : args.options) {
        bool known = false;
        for (const std::string& o : usage.options) known = known || name == o;
        if (!known) return name;
    }
    return std::string();
}

}  // namespace

int main(int argc, char** argv) {
    std::string error;
    auto args = parse_cli_args(cli_start(argc, argv), error);
    if (!args) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    if (args->version) {
        print_version(stdout);
        return 0;
    }
    if (args->command.empty()) {
        print_usage(args->help ? stdout : stderr);
        return args->help ? 0 : 2;
    }
    const CommandUsage* usage = find_command_usage(args->command);
    for (const Command& c : COMMANDS) {
        if (!usage || args->command != c.name) continue;
        if (args->help) {
            print_command_help(*usage, stdout);
            return 0;
        }
        if (const std::string bad = unknown_option(*args, *usage); !bad.empty()) {
            std::fprintf(stderr, "Unbekannte Option: %s\n", bad.c_str());
            return cli_usage_error(c.name);
        }
        return c.run(*args);
    }
    std::fprintf(stderr, "Unbekannter Befehl: %s\n\n", args->command.c_str());
    print_usage(stderr);
    return 2;
}
