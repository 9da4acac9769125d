#include "cli/device_commands.h"

#include "cli/cli_files.h"
#include "cli/cli_port.h"
#include "cli/each_address.h"
#include "cli/usage.h"
#include "base/ui.h"
#include "link/address_list.h"
#include "link/device_ops.h"
#include "link/link.h"
#include "params/record.h"

#include <cstdio>
#include <string>

namespace {

void show_progress(int done, int total) {
    const bool terminal = cli_is_terminal(stderr);
    std::fprintf(stderr, terminal ? "\rBlock %d von %d" : "Block %d von %d\n", done, total);
    if (terminal && done == total) std::fputc('\n', stderr);
    std::fflush(stderr);
}

// Reads one dimmer's parameter set and saves it as a parameter file.
bool read_into_file(const std::string& path) {
    ParameterRecord record;
    apply_defaults(record);
    if (!read_parameter_set(nullptr, record)) return false;
    finish_parameter_read(record);
    link_close();
    return cli_save_parameter_file(record, path);
}

}  // namespace

int cli_version(const CliArgs& args) {
    if (!args.operands.empty()) return cli_usage_error("version");
    std::vector<uint32_t> addresses;
    if (!cli_set_up_bus(args, addresses)) return 2;
    return cli_each_address(addresses, [](uint32_t) {
        firmware_version(nullptr);
        // The operation reports either way; only a successful query leaves the port open.
        return link_port_is_open();
    });
}

int cli_read(const CliArgs& args) {
    if (args.operands.size() != 1) return cli_usage_error("read");
    std::vector<uint32_t> addresses;
    if (!cli_set_up_bus(args, addresses)) return 2;
    set_transfer_progress_hook(show_progress);
    const std::string& path = args.operands[0];
    const bool several = addresses.size() > 1;
    return cli_each_address(addresses, [&](uint32_t address) {
        const std::string file = several ? file_for_address(path, address) : path;
        const bool ok = read_into_file(file);
        if (ok && several) message_box(nullptr, KV_MB_INFO, "gespeichert als " + file);
        return ok;
    });
}

int cli_write(const CliArgs& args) {
    if (args.operands.size() != 1) return cli_usage_error("write");
    ParameterRecord record;
    if (!cli_open_parameter_file(args.operands[0], record)) return 1;
    std::vector<uint32_t> addresses;
    if (!cli_set_up_bus(args, addresses)) return 2;
    set_transfer_progress_hook(show_progress);
    return cli_each_address(addresses, [&](uint32_t) { return write_parameter_set(nullptr, record); });
}

int cli_drive(const CliArgs& args) {
    unsigned long dimmer = 0, value = 0;
    if (args.operands.size() != 2 || !cli_parse_number(args.operands[0], 2, dimmer) || dimmer < 1 ||
        !cli_parse_number(args.operands[1], 65535, value))
        return cli_usage_error("drive");
    std::vector<uint32_t> addresses;
    if (!cli_set_up_bus(args, addresses)) return 2;
    const bool first = dimmer == 1;
    return cli_each_address(addresses, [&](uint32_t) {
        StatusSlots slots = {};
        return status_fetch_drive(nullptr, slots, first ? 1 : 0, first ? uint16_t(value) : 0, first ? 0 : 1,
                                  first ? 0 : uint16_t(value));
    });
}
