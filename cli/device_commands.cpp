#include "cli/device_commands.h"

#include "cli/cli_files.h"
#include "cli/cli_port.h"
#include "base/ui.h"
#include "link/device_ops.h"
#include "link/link.h"
#include "params/record.h"

#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

int usage_error(const char* text) {
    std::fprintf(stderr, "%s\n", text);
    return 2;
}

void show_progress(int done, int total) {
    const bool terminal = isatty(STDERR_FILENO) != 0;
    std::fprintf(stderr, terminal ? "\rBlock %d von %d" : "Block %d von %d\n", done, total);
    if (terminal && done == total) std::fputc('\n', stderr);
    std::fflush(stderr);
}

}  // namespace

int cli_version(const CliArgs& args) {
    if (!args.operands.empty()) return usage_error("Aufruf: kv310r-cli version [--port NAME] [--address N]");
    if (!cli_set_up_port(args)) return 2;
    firmware_version(nullptr);
    // The operation reports either way; only a successful query leaves the port open.
    return cli_finish(link_port_is_open());
}

int cli_read(const CliArgs& args) {
    if (args.operands.size() != 1)
        return usage_error("Aufruf: kv310r-cli read DATEI [--port NAME] [--address N]");
    if (!cli_set_up_port(args)) return 2;
    ParameterRecord record;
    apply_defaults(record);
    set_transfer_progress_hook(show_progress);
    if (!read_parameter_set(nullptr, record)) return cli_finish(false);
    finish_parameter_read(record);
    Link_Close();
    return cli_save_parameter_file(record, args.operands[0]) ? 0 : 1;
}

int cli_write(const CliArgs& args) {
    if (args.operands.size() != 1)
        return usage_error("Aufruf: kv310r-cli write DATEI [--port NAME] [--address N]");
    ParameterRecord record;
    if (!cli_open_parameter_file(args.operands[0], record)) return 1;
    if (!cli_set_up_port(args)) return 2;
    set_transfer_progress_hook(show_progress);
    return cli_finish(write_parameter_set(nullptr, record));
}

int cli_drive(const CliArgs& args) {
    unsigned long dimmer = 0, value = 0;
    if (args.operands.size() != 2 || !cli_parse_number(args.operands[0], 2, dimmer) || dimmer < 1 ||
        !cli_parse_number(args.operands[1], 65535, value))
        return usage_error("Aufruf: kv310r-cli drive 1|2 WERT (0..65535) [--port NAME] [--address N]");
    if (!cli_set_up_port(args)) return 2;
    const bool first = dimmer == 1;
    StatusSlots slots = {};
    const bool ok = status_fetch_drive(nullptr, slots, first ? 1 : 0, first ? uint16_t(value) : 0,
                                       first ? 0 : 1, first ? 0 : uint16_t(value));
    return cli_finish(ok);
}
