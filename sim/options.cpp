#include "sim/options.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "link/address_list.h"

namespace {

bool parse_uint(const std::string& s, unsigned long long max, unsigned long long& out) {
    if (s.empty() || s[0] == '-' || s[0] == '+') return false;
    errno = 0;
    char* end = nullptr;
    unsigned long long v = std::strtoull(s.c_str(), &end, 0);
    if (errno != 0 || *end != '\0' || v > max) return false;
    out = v;
    return true;
}

bool parse_real(const std::string& s, double lo, double hi, double& out) {
    if (s.empty()) return false;
    char* end = nullptr;
    double v = std::strtod(s.c_str(), &end);
    if (*end != '\0' || !(v >= lo && v <= hi)) return false;
    out = v;
    return true;
}

// "2.1" -> 2, 1
bool parse_version_pair(const std::string& s, uint8_t* out) {
    size_t dot = s.find('.');
    unsigned long long major = 0, minor = 0;
    if (dot == std::string::npos || !parse_uint(s.substr(0, dot), 255, major) ||
        !parse_uint(s.substr(dot + 1), 255, minor)) {
        return false;
    }
    out[0] = uint8_t(major);
    out[1] = uint8_t(minor);
    return true;
}

std::vector<std::string> split(const std::string& s, char sep) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t at = s.find(sep, start);
        parts.push_back(s.substr(start, at - start));
        if (at == std::string::npos) return parts;
        start = at + 1;
    }
}

bool parse_versions(const std::string& s, uint8_t versions[6]) {
    std::vector<std::string> parts = split(s, ',');
    if (parts.size() != 1 && parts.size() != 3) return false;
    uint8_t v[6] = {};
    for (size_t i = 0; i < parts.size(); ++i) {
        if (!parse_version_pair(parts[i], v + 2 * i)) return false;
    }
    std::memcpy(versions, v, 6);
    return true;
}

bool parse_dip(const std::string& s, uint8_t dip[4]) {
    if (s.size() != 4) return false;
    for (int i = 0; i < 4; ++i) {
        char c = s[size_t(i)];
        if (c >= '0' && c <= '9')
            dip[i] = uint8_t(c - '0');
        else if (c >= 'a' && c <= 'f')
            dip[i] = uint8_t(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            dip[i] = uint8_t(c - 'A' + 10);
        else
            return false;
    }
    return true;
}

bool parse_watts(const std::string& s, double watts[2]) {
    std::vector<std::string> parts = split(s, ',');
    if (parts.size() != 2) return false;
    double w[2];
    for (int i = 0; i < 2; ++i) {
        if (!parse_real(parts[size_t(i)], 0, 3000, w[i])) return false;
    }
    watts[0] = w[0];
    watts[1] = w[1];
    return true;
}

}  // namespace

bool apply_dimmer_setting(SimConfig& cfg, const std::string& setting) {
    const size_t eq = setting.find('=');
    const std::string name = setting.substr(0, eq);
    const std::string value = eq == std::string::npos ? std::string() : setting.substr(eq + 1);
    unsigned long long n = 0;
    if (setting == "silent")
        cfg.silent = true;
    else if (setting == "corrupt")
        cfg.corrupt_rate = 1;
    else if (name == "late" && eq != std::string::npos && parse_uint(value, 60000, n))
        cfg.reply_delay_ms = uint32_t(n);
    else if (name == "version" && eq != std::string::npos)
        return parse_versions(value, cfg.versions);
    else
        return false;
    return true;
}

void dip_for_rs485_address(uint8_t address, uint8_t dip[4]) {
    dip[0] = 0x4;
    dip[1] = 0x0;
    dip[2] = 0;
    dip[3] = 0;
    for (int bit = 0; bit < 4; ++bit) {
        if (address & (0x80 >> bit)) dip[2] |= uint8_t(1 << bit);
        if (address & (0x08 >> bit)) dip[3] |= uint8_t(1 << bit);
    }
}

bool parse_sim_args(const std::vector<std::string>& args, SimArgs& out, std::string& error) {
    SimArgs a;
    a.addresses = {a.device.address};
    for (size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::string value;
        bool has_value = false;
        if (size_t eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
            has_value = true;
        }
        bool* flag = name == "--help" || name == "-h" ? &a.help
                     : name == "--pace"               ? &a.pace
                     : name == "--short-version"      ? &a.device.short_version
                     : name == "--wrong-subaddress"   ? &a.device.wrong_subaddress
                     : name == "--short-payload"      ? &a.device.short_payload
                     : name == "--silent"             ? &a.device.silent
                     : name == "--bad-markers"        ? &a.device.bad_markers
                                                      : nullptr;
        if (flag) {
            if (has_value) {
                error = name + " takes no value";
                return false;
            }
            *flag = true;
            continue;
        }
        if (name.rfind("--", 0) != 0) {
            error = "unknown argument: " + name;
            return false;
        }
        if (!has_value) {
            if (i + 1 >= args.size()) {
                error = "missing value for " + name;
                return false;
            }
            value = args[++i];
        }
        unsigned long long n = 0;
        bool ok = true;
        if (name == "--address") {
            std::string bad;
            const auto list = parse_address_list(value, bad);
            ok = list.has_value();
            if (ok) {
                a.addresses.assign(list->begin(), list->end());
                a.device.address = a.addresses.front();
            }
        } else if (name == "--at") {
            const size_t colon = value.find(':');
            SimConfig scratch;
            ok = colon != std::string::npos && parse_uint(value.substr(0, colon), RS485_ADDRESS_MAX, n) &&
                 apply_dimmer_setting(scratch, value.substr(colon + 1));
            if (ok) a.settings_at.emplace_back(uint8_t(n), value.substr(colon + 1));
        } else if (name == "--version") {
            ok = parse_versions(value, a.device.versions);
        } else if (name == "--dip") {
            ok = a.dip_given = parse_dip(value, a.device.dip);
        } else if (name == "--load-watts") {
            ok = parse_watts(value, a.device.load_watts);
        } else if (name == "--scope-delay") {
            ok = parse_uint(value, 600000, n);
            a.device.scope_record_ms = uint32_t(n);
        } else if (name == "--drop-rate") {
            ok = parse_real(value, 0, 1, a.device.drop_rate);
        } else if (name == "--corrupt-rate") {
            ok = parse_real(value, 0, 1, a.device.corrupt_rate);
        } else if (name == "--noise-rate") {
            ok = parse_real(value, 0, 1, a.device.noise_rate);
        } else if (name == "--seed") {
            ok = parse_uint(value, ~0ull, n);
            a.device.seed = n;
        } else if (name == "--stop-after") {
            ok = parse_uint(value, 1ull << 62, n);
            a.device.stop_after = int64_t(n);
        } else if (name == "--vanish-after") {
            ok = parse_uint(value, 1ull << 62, n);
            a.device.vanish_after = int64_t(n);
        } else if (name == "--replug-after") {
            ok = parse_uint(value, 600000, n);
            a.replug_after_ms = int(n);
        } else if (name == "--noise-between") {
            ok = parse_uint(value, 4096, n);
            a.device.noise_between = uint32_t(n);
        } else if (name == "--turnaround") {
            ok = parse_uint(value, 10000, n);
            a.turnaround_ms = int(n);
        } else if (name == "--exit-after") {
            ok = parse_real(value, 0, 1e7, a.exit_after_s);
        } else if (std::string* path = name == "--link"           ? &a.link_path
                                       : name == "--log"          ? &a.log_path
                                       : name == "--load"         ? &a.load_path
                                       : name == "--save"         ? &a.save_path
                                       : name == "--status-file"  ? &a.status_path
                                       : name == "--faults-while" ? &a.fault_switch_path
                                       : name == "--unplug-while" ? &a.unplug_switch_path
                                                                  : nullptr) {
            ok = !value.empty();
            *path = value;
        } else {
            error = "unknown option: " + name;
            return false;
        }
        if (!ok) {
            error = "bad value for " + name + ": \"" + value + "\"";
            return false;
        }
    }
    if (a.addresses.size() > 1 && !a.save_path.empty()) {
        error = "--save works with one address only";
        return false;
    }
    for (const auto& [address, setting] : a.settings_at) {
        if (std::find(a.addresses.begin(), a.addresses.end(), address) == a.addresses.end()) {
            error = "--at " + std::to_string(address) + ": no dimmer at that address";
            return false;
        }
    }
    if (!a.dip_given) dip_for_rs485_address(a.device.address, a.device.dip);
    out = a;
    return true;
}

std::vector<SimConfig> sim_bus_configs(const SimArgs& args) {
    std::vector<SimConfig> configs;
    for (uint8_t address : args.addresses) {
        SimConfig cfg = args.device;
        cfg.address = address;
        if (!args.dip_given) dip_for_rs485_address(address, cfg.dip);
        for (const auto& [at, setting] : args.settings_at)
            if (at == address) apply_dimmer_setting(cfg, setting);
        configs.push_back(cfg);
    }
    return configs;
}

const char* sim_usage() {
    return "Usage: kv310r-sim [options]\n"
           "A virtual KV-310-R dimmer on a pseudo-terminal. Prints the terminal's path\n"
           "as the first line of output, then answers until killed.\n"
           "\n"
           "Device:\n"
           "  --address LIST      RS485 address to answer (default 1); a list or ranges\n"
           "                      (1,2,5-8) put one dimmer per address on the line, all\n"
           "                      alike but for their address and DIP switches\n"
           "  --version C.c[,D1.d,D2.d]\n"
           "                      firmware versions: controller, dimmer 1, dimmer 2\n"
           "                      (default 2.1,1.4,1.4; given alone, the dimmers read 0.0)\n"
           "  --short-version     version reply with the controller version only (2 bytes)\n"
           "  --dip HEX4          DIP switches, one hex digit per switch group in status\n"
           "                      order: switch 1 bits 0-3, 1 bits 4-7, 2 bits 0-3, 2 bits 4-7\n"
           "                      (default: RS485 control at --address, e.g. 4008 for 1)\n"
           "  --load-watts W1,W2  lamp load of output 1 and 2 (default 500,300)\n"
           "  --scope-delay MS    oscilloscope recording time before data are ready (default 400)\n"
           "  --load FILE         fill the parameter store from a parameter file\n"
           "                      (every dimmer's, with several addresses)\n"
           "  --save FILE         write the parameter store to a parameter file at exit\n"
           "                      (one address only)\n"
           "  --status-file FILE  answer status requests with the 111 bytes FILE holds, read\n"
           "                      anew for each request (modelled values while it is missing\n"
           "                      or of another size), so a test can script the status\n"
           "                      (every dimmer's, with several addresses)\n"
           "  --at ADDR:SETTING   one dimmer of the line unlike the others (repeatable):\n"
           "                      silent, corrupt (every reply byte altered), late=MS (each\n"
           "                      reply MS later), version=C.c[,D1.d,D2.d]\n"
           "\n"
           "The parameter store starts in factory state: the default parameter set with\n"
           "both markers, zeros after it. The reset command restores that state.\n"
           "\n"
           "Line:\n"
           "  --link PATH         make PATH a symlink to the terminal (replaces an existing link)\n"
           "  --log FILE          traffic log: one line per frame, \"RX ..\" / \"TX ..\" in hex\n"
           "  --pace              send at 38400 baud, 11 bits a byte (about 286 us a byte)\n"
           "  --turnaround MS     pause between a request and its reply\n"
           "                      (default 0, with --pace 2)\n"
           "  --exit-after SEC    exit after this many seconds\n"
           "\n"
           "Faults:\n"
           "  --drop-rate R       lose each reply byte with probability R (0..1)\n"
           "  --corrupt-rate R    alter each reply byte with probability R\n"
           "  --noise-rate R      add a random byte after each reply byte with probability R\n"
           "  --seed N            seed for the random faults (default 1)\n"
           "  --wrong-subaddress  replies carry sub-address 1\n"
           "  --short-payload     replies are one byte shorter than the program accepts\n"
           "  --silent            never answer\n"
           "  --stop-after N      answer only the first N frames addressed to this dimmer\n"
           "  --vanish-after N    answer N frames addressed to this dimmer; at the next one\n"
           "                      it vanishes: the terminal closes and the simulator exits\n"
           "  --replug-after MS   a vanished dimmer comes back after MS milliseconds on a new\n"
           "                      terminal under the same --link name, and answers again\n"
           "  --unplug-while FILE the line is unplugged while FILE exists, as when a USB\n"
           "                      adapter is pulled: the terminal closes and the --link\n"
           "                      name goes; once FILE is gone a new terminal comes under\n"
           "                      that name (checked at least every 200 ms)\n"
           "  --noise-between N   N random bytes on the line before each reply\n"
           "  --faults-while FILE the faults above apply only while FILE exists (a test\n"
           "                      turns the line bad and clean again by making and\n"
           "                      removing it)\n"
           "  --bad-markers       block reads carry no valid parameter markers\n"
           "\n"
           "  --help              this text\n";
}
