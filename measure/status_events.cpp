#include "measure/status_events.h"

#include "base/text.h"
#include "measure/status_csv.h"
#include "measure/status_text.h"

namespace {

const char* const BOARD_WARNINGS[] = {"Board temperature warning", "Board temperature error", "U warning"};

std::string phase_mode_text(uint8_t mode) {
    if (mode == 0) return "ABschnitt";
    if (mode == 1) return "ANschnitt";
    return format_text("%u", unsigned(mode));
}

void board_warning_changes(std::vector<std::string>& out, uint8_t before, uint8_t after) {
    for (int n = 0; n < 3; ++n) {
        const bool was = (before >> n) & 1, is = (after >> n) & 1;
        if (was != is) out.push_back(std::string(is ? "Warnung ein: " : "Warnung aus: ") + BOARD_WARNINGS[n]);
    }
}

// A byte of a dimmer's control state, in hex as the diagnostic block shows it.
void byte_change(std::vector<std::string>& out, int d, const char* name, uint8_t before, uint8_t after) {
    if (before != after)
        out.push_back(format_text("Dimmer %d: %s %x -> %x", d + 1, name, unsigned(before), unsigned(after)));
}

}  // namespace

std::vector<std::string> status_changes(const StatusRecord& before, const StatusRecord& after) {
    std::vector<std::string> out;
    const std::string mode_before = control_mode_text(before), mode_after = control_mode_text(after);
    if (mode_before != mode_after) out.push_back("Mode: " + mode_before + " -> " + mode_after);
    board_warning_changes(out, before.board_warnings, after.board_warnings);
    for (int d = 0; d < 2; ++d) {
        const bool was = before.measurement[d].present != 0, is = after.measurement[d].present != 0;
        if (was != is) out.push_back(format_text("Dimmer %d %s", d + 1, is ? "erscheint" : "verschwindet"));
        const DimmerControlState &b = before.control[d], &a = after.control[d];
        // The phase-control mode means something only while the dimmer measures.
        if (was && is && b.phase_mode != a.phase_mode)
            out.push_back(format_text("Dimmer %d: Betriebsart %s -> %s", d + 1,
                                      phase_mode_text(b.phase_mode).c_str(),
                                      phase_mode_text(a.phase_mode).c_str()));
        byte_change(out, d, "Flags", b.flags, a.flags);
        byte_change(out, d, "Warnings", b.warnings, a.warnings);
        byte_change(out, d, "Master/slave", b.master_slave, a.master_slave);
    }
    return out;
}

std::vector<std::string> first_status_events(const StatusRecord& status) {
    std::vector<std::string> out = {"Mode: " + control_mode_text(status)};
    board_warning_changes(out, 0, status.board_warnings);
    for (int d = 0; d < 2; ++d) byte_change(out, d, "Warnings", 0, status.control[d].warnings);
    return out;
}

std::string status_events_csv_header() { return "time;elapsed_s;event\n"; }

std::string status_event_csv_line(const std::string& time, uint32_t elapsed_ms, const std::string& text) {
    return csv_cell(time) + ";" + csv_seconds(elapsed_ms) + ";" + csv_cell(text) + "\n";
}

std::string events_csv_path(const std::string& status_csv_path) {
    const std::string& p = status_csv_path;
    const size_t n = p.size();
    if (n >= 4 && p[n - 4] == '.' && (p[n - 3] | 0x20) == 'c' && (p[n - 2] | 0x20) == 's' &&
        (p[n - 1] | 0x20) == 'v')
        return p.substr(0, n - 4) + ".events.csv";
    return p + ".events.csv";
}
