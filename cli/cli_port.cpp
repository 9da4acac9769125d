#include "cli/cli_port.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "base/cp1252.h"
#include "base/profile.h"
#include "base/text.h"
#include "link/address_list.h"
#include "link/link.h"
#include "port/program_path.h"

std::string cli_tool_directory() { return program_directory_of(executable_path()); }

bool cli_parse_number(const std::string& text, unsigned long max, unsigned long& value) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return false;
    errno = 0;
    value = std::strtoul(text.c_str(), nullptr, 10);
    return errno == 0 && value <= max;
}

bool cli_set_up_bus(const CliArgs& args, std::vector<uint32_t>& addresses) {
    const std::string ini = cli_tool_directory() + "Kv310r.ini";
    std::string name = cut_chars(stored_text_to_utf8(profile_get_string(ini, "PROP", "PORT", "", 1024)), 127);
    uint32_t address = profile_get_int(ini, "PROP", "RS485ADR", 0);
    addresses = {address > RS485_ADDRESS_MAX ? 0 : address};
    if (auto port = cli_option(args, "--port")) name = *port;
    if (auto a = cli_option(args, "--address")) {
        std::string bad;
        const auto list = parse_address_list(*a, bad);
        if (!list) {
            std::fprintf(stderr, "%s\n", bad_address_text(*a, bad).c_str());
            return false;
        }
        addresses = *list;
    }
    link_init();
    set_port_name(g_port_settings, cli_port_path(name));
    g_port_settings.address = addresses.front();
    cli_install_interrupt_handler();
    return true;
}

bool cli_set_up_port(const CliArgs& args) {
    std::vector<uint32_t> addresses;
    if (!cli_set_up_bus(args, addresses)) return false;
    if (addresses.size() == 1) return true;
    std::fprintf(stderr, "Nur eine RS485-Adresse möglich: %s\n", cli_option(args, "--address")->c_str());
    return false;
}

int cli_finish(bool ok) {
    link_close();
    if (cli_interrupted()) {
        std::fprintf(stderr, "Abbruch\n");
        return 1;
    }
    return ok ? 0 : 1;
}
