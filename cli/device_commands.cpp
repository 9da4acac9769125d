#include "cli/device_commands.h"

#include "cli/cli_files.h"
#include "app/profile.h"
#include "app/text.h"
#include "app/ui.h"
#include "link/device_ops.h"
#include "link/link.h"
#include "params/record.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

int usage_error(const char* text)
{
    std::fprintf(stderr, "%s\n", text);
    return 2;
}

// The folder of this executable, where the program keeps "Kv310r.ini".
std::string tool_directory()
{
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return std::string();
    return program_directory_of(std::string(path, size_t(n)));
}

bool parse_number(const std::string& text, unsigned long max, unsigned long& value)
{
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return false;
    errno = 0;
    value = std::strtoul(text.c_str(), nullptr, 10);
    return errno == 0 && value <= max;
}

// --port and --address, else the port settings of a Kv310r.ini beside the tool
// (an address above 255 is taken as 0, as the program does). A missing port
// name ends in the link's own message when the port is opened.
bool set_up_port(const CliArgs& args)
{
    const std::string ini = tool_directory() + "Kv310r.ini";
    std::string name = profile_get_string(ini, "PROP", "PORT", "", 128);
    uint32_t address = profile_get_int(ini, "PROP", "RS485ADR", 0);
    if (address > 255) address = 0;
    if (auto port = cli_option(args, "--port")) name = *port;
    if (auto a = cli_option(args, "--address")) {
        unsigned long v = 0;
        if (!parse_number(*a, 255, v)) {
            std::fprintf(stderr, "Ungültige RS485-Adresse: %s\n", a->c_str());
            return false;
        }
        address = uint32_t(v);
    }
    Link_Init();
    set_port_name(g_port_settings, name);
    g_port_settings.address = address;
    cli_install_interrupt_handler();
    return true;
}

// What the operation ended in: 0 success, 1 a link error (its message already
// shown) or "Abbruch".
int finish(bool ok)
{
    Link_Close();
    if (cli_interrupted()) {
        std::fprintf(stderr, "Abbruch\n");
        return 1;
    }
    return ok ? 0 : 1;
}

// On a terminal the count is rewritten in place; into a file or pipe it goes
// line by line.
void show_progress(int done, int total)
{
    const bool terminal = isatty(STDERR_FILENO) != 0;
    std::fprintf(stderr, terminal ? "\rBlock %d von %d" : "Block %d von %d\n", done, total);
    if (terminal && done == total) std::fputc('\n', stderr);
    std::fflush(stderr);
}

} // namespace

int cli_version(const CliArgs& args)
{
    if (!args.operands.empty()) return usage_error("Aufruf: kv310r-cli version [--port NAME] [--address N]");
    if (!set_up_port(args)) return 2;
    firmware_version(nullptr);
    // The operation reports either way; only a successful query leaves the port open.
    return finish(link_port_is_open());
}

int cli_read(const CliArgs& args)
{
    if (args.operands.size() != 1) return usage_error("Aufruf: kv310r-cli read DATEI [--port NAME] [--address N]");
    if (!set_up_port(args)) return 2;
    ParameterRecord record;
    apply_defaults(record);
    set_transfer_progress_hook(show_progress);
    if (!read_parameter_set(nullptr, record)) return finish(false);
    // An image without both markers was zeroed: the dimmer holds no valid set.
    if (marker_head(record) != MARKER_HEAD || marker_tail(record) != MARKER_TAIL) apply_defaults(record);
    validate_record(record);
    Link_Close();
    return cli_save_parameter_file(record, args.operands[0]) ? 0 : 1;
}

int cli_write(const CliArgs& args)
{
    if (args.operands.size() != 1) return usage_error("Aufruf: kv310r-cli write DATEI [--port NAME] [--address N]");
    ParameterRecord record;
    if (!cli_open_parameter_file(args.operands[0], record)) return 1;
    if (!set_up_port(args)) return 2;
    set_transfer_progress_hook(show_progress);
    return finish(write_parameter_set(nullptr, record));
}

int cli_drive(const CliArgs& args)
{
    unsigned long dimmer = 0, value = 0;
    if (args.operands.size() != 2 || !parse_number(args.operands[0], 2, dimmer) || dimmer < 1 ||
        !parse_number(args.operands[1], 65535, value))
        return usage_error("Aufruf: kv310r-cli drive 1|2 WERT (0..65535) [--port NAME] [--address N]");
    if (!set_up_port(args)) return 2;
    const bool first = dimmer == 1;
    const bool ok = status_fetch_drive(nullptr, first ? 1 : 0, first ? uint16_t(value) : 0, first ? 0 : 1,
                                       first ? 0 : uint16_t(value));
    return finish(ok);
}
