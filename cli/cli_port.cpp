#include "cli/cli_port.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include "base/cp1252.h"
#include "base/profile.h"
#include "base/text.h"
#include "link/link.h"

std::string cli_tool_directory() {
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return std::string();
    return program_directory_of(std::string(path, size_t(n)));
}

bool cli_parse_number(const std::string& text, unsigned long max, unsigned long& value) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return false;
    errno = 0;
    value = std::strtoul(text.c_str(), nullptr, 10);
    return errno == 0 && value <= max;
}

bool cli_set_up_port(const CliArgs& args) {
    const std::string ini = cli_tool_directory() + "Kv310r.ini";
    std::string name = cut_chars(stored_text_to_utf8(profile_get_string(ini, "PROP", "PORT", "", 1024)), 127);
    uint32_t address = profile_get_int(ini, "PROP", "RS485ADR", 0);
    if (address > 255) address = 0;
    if (auto port = cli_option(args, "--port")) name = *port;
    if (auto a = cli_option(args, "--address")) {
        unsigned long v = 0;
        if (!cli_parse_number(*a, 255, v)) {
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

int cli_finish(bool ok) {
    Link_Close();
    if (cli_interrupted()) {
        std::fprintf(stderr, "Abbruch\n");
        return 1;
    }
    return ok ? 0 : 1;
}
