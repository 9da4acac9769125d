#include "cli/bus_commands.h"

#include "cli/cli_files.h"
#include "cli/cli_port.h"
#include "cli/cli_ui.h"
#include "cli/usage.h"
#include "base/file_io.h"
#include "base/profile.h"
#include "base/ui.h"
#include "link/address_list.h"
#include "link/bus_run.h"
#include "link/bus_scan.h"
#include "link/busy.h"
#include "link/link.h"
#include "measure/bus_protocol.h"
#include "measure/bus_text.h"
#include "params/file_messages.h"
#include "params/record.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>

namespace {

// "2024-05-01 12:34:56", as the protocol keeps its times.
std::string now_text() {
    const std::tm local =
        cli_local_time(std::chrono::system_clock::to_time_t(std::chrono::system_clock::now()));
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

// The wait per address: --timeout, else the settings file's, else the default.
bool scan_timeout(const CliArgs& args, uint32_t& timeout_ms) {
    int32_t setting = int32_t(
        profile_get_int(cli_tool_directory() + "Kv310r.ini", SCAN_SETTINGS_SECTION, SCAN_TIMEOUT_KEY, 0));
    if (auto text = cli_option(args, "--timeout")) {
        unsigned long ms = 0;
        if (!cli_parse_number(*text, VERSION_WAIT_MS, ms)) {
            std::fprintf(stderr, "Ungültige Wartezeit: %s (0..%u ms)\n", text->c_str(),
                         unsigned(VERSION_WAIT_MS));
            return false;
        }
        setting = int32_t(ms);
    }
    timeout_ms = scan_version_timeout_ms(setting);
    return true;
}

// A link error of a whole run: its message on stderr; "Abbruch" for Ctrl+C.
int finish_run(LinkStatus status) {
    link_close();
    if (link_is_cancel(status) || cli_interrupted()) {
        std::fprintf(stderr, "Abbruch\n");
        return 1;
    }
    if (link_is_error(status)) {
        link_report_error(nullptr, status);
        return 1;
    }
    return 0;
}

bool answered(const BusDimmer& d) { return d.answer != BusAnswer::garbled; }

}  // namespace

int cli_scan(const CliArgs& args) {
    if (!args.operands.empty()) return cli_usage_error("scan");
    std::vector<uint32_t> addresses;
    if (!cli_set_up_bus(args, addresses)) return 2;
    if (!cli_option(args, "--address")) {
        addresses.clear();
        for (uint32_t a = 1; a <= RS485_ADDRESS_MAX; ++a) addresses.push_back(a);
    }
    uint32_t timeout_ms = 0;
    if (!scan_timeout(args, timeout_ms)) return 2;

    const bool terminal = cli_is_terminal(stderr);
    BusScanHooks hooks;
    hooks.asking = [&](size_t asked, size_t total, uint32_t address) {
        if (!terminal) return;
        std::fprintf(stderr, "\rAdresse %u (%zu von %zu)   ", unsigned(address), asked + 1, total);
        std::fflush(stderr);
    };
    hooks.found = [&](const BusDimmer& d) {
        if (terminal) std::fputs("\r                              \r", stderr);
        std::printf("%s\n", bus_dimmer_line(d).c_str());
        std::fflush(stdout);
    };
    busy_open(BusyKind::test);
    const BusScanResult result = bus_scan(addresses, timeout_ms, hooks);
    busy_close();
    if (terminal) std::fputs("\r                              \r", stderr);
    if (const int failed = finish_run(result.status); failed != 0) return failed;
    const size_t found = size_t(std::count_if(result.dimmers.begin(), result.dimmers.end(), answered));
    std::printf("Ergebnis: %zu Dimmer an %zu Adressen gefunden\n", found, addresses.size());
    return found > 0 ? 0 : 1;
}

int cli_verify(const CliArgs& args) {
    if (args.operands.size() != 1 || !cli_option(args, "--address")) return cli_usage_error("verify");
    const std::string file = args.operands[0];
    ParameterRecord record;
    if (!cli_open_parameter_file(file, record)) return 1;
    std::vector<uint32_t> addresses;
    if (!cli_set_up_bus(args, addresses)) return 2;

    // Each listed dimmer, with its firmware when it answers the scan's query;
    // one that does not is compared all the same and fails there.
    BusProtocol protocol;
    protocol.port = g_port_settings.name;
    protocol.parameter_file = file;
    busy_open(BusyKind::config);
    const BusScanResult scanned = bus_scan(addresses, scan_version_timeout_ms(0), {});
    LinkStatus status = scanned.status;
    for (uint32_t address : addresses) {
        BusDimmer dimmer;
        dimmer.address = address;
        for (const BusDimmer& d : scanned.dimmers)
            if (d.address == address) dimmer = d;
        bus_entry_found(protocol.entries, dimmer, now_text());
    }
    if (status == LINK_OK) {
        std::vector<size_t> all(protocol.entries.size());
        for (size_t i = 0; i < all.size(); ++i) all[i] = i;
        BusRunHooks hooks;
        hooks.now = now_text;
        hooks.finished = [&](size_t index) {
            const BusEntry& e = protocol.entries[index];
            std::printf("Adresse %u: %s\n", unsigned(e.dimmer.address), e.compare.text.c_str());
            for (const std::string& d : e.differences) std::printf("  %s\n", d.c_str());
            std::fflush(stdout);
        };
        status = bus_run(BusAction::compare, protocol.entries, all, {&record, ""}, hooks).status;
    }
    busy_close();
    const int failed = finish_run(status);

    const auto matching = std::count_if(protocol.entries.begin(), protocol.entries.end(),
                                        [](const BusEntry& e) { return e.compare.matches; });
    if (failed == 0)
        std::printf("Ergebnis: %zu von %zu Adressen gleich\n", size_t(matching), protocol.entries.size());
    if (auto csv = cli_option(args, "--protocol")) {
        protocol.created = now_text();
        if (!write_file_atomic(*csv, bus_protocol_csv(protocol))) {
            report_file_not_saved(nullptr, *csv);
            return 1;
        }
    }
    if (failed != 0) return failed;
    return bus_all_match(protocol.entries) ? 0 : 1;
}
