#include "measure/status_csv.h"

#include <ctime>
#include <initializer_list>

#include "base/bytes.h"
#include "base/text.h"
#include "measure/status_text.h"

namespace {

// value / 10^decimals, exactly: the dimmer sends integers in fixed units.
std::string fixed(uint32_t value, int decimals) {
    uint32_t scale = 1;
    for (int i = 0; i < decimals; ++i) scale *= 10;
    if (decimals == 0) return format_text("%u", value);
    return format_text("%u.%0*u", value / scale, decimals, value % scale);
}

std::string version(const uint8_t v[2]) { return format_text("%u.%u", v[0], v[1]); }

std::string hex2(uint8_t value) { return format_text("%02x", value); }

void add(std::string& line, const std::string& value) {
    if (!line.empty()) line += ';';
    line += value;
}

// The columns of one dimmer, in header order.
void add_dimmer(std::string& line, const StatusRecord& s, int d) {
    const DimmerMeasurement& m = s.measurement[d];
    const DimmerControlState& c = s.control[d];
    const bool present = m.present != 0;
    auto measured = [&](const std::string& value) { add(line, present ? value : std::string()); };
    measured(fixed(get_u16le(m.temperature), 1));
    if (d == 0) measured(fixed(get_u16le(m.input_voltage), 1));  // the page shows dimmer 1's only
    measured(fixed(get_u16le(m.peak_current), 3));
    measured(fixed(get_u16le(m.effective_power), 0));
    measured(fixed(get_u16le(m.peak_power), 0));
    measured(fixed(get_u16le(m.power_loss), 3));
    measured(fixed(get_u32le(m.peak_power_loss), 3));
    measured(fixed(get_u16le(m.mains_frequency), 2));
    measured(format_text("%u000", unsigned(get_u16le(m.processor_clock))));  // kHz
    measured(format_text("%u", unsigned(get_u16le(c.on_time))));
    measured(c.phase_mode == 0 ? "ABschnitt" : c.phase_mode == 1 ? "ANschnitt" : "");
    for (unsigned v : {unsigned(c.comm_state), unsigned(c.dim_state), unsigned(c.flags), unsigned(c.warnings),
                       unsigned(c.master_slave)})
        add(line, format_text("%u", v));
    add(line, format_text("%u", unsigned(get_u16le(c.control_value))));
    add(line, format_text("%u", unsigned(c.control_mode)));
    add(line, format_text("%u", unsigned(c.rs_state)));
    add(line, format_text("%u", unsigned(get_u16le(s.tx_counter[d]))));
    add(line, format_text("%u", unsigned(get_u16le(s.rx_counter[d]))));
}

}  // namespace

std::string csv_cell(const std::string& text) {
    if (text.find_first_of(";\"") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string csv_seconds(uint32_t ms) { return fixed(ms, 3); }

std::string csv_time_text(int64_t epoch_ms) {
    const int64_t seconds = epoch_ms >= 0 ? epoch_ms / 1000 : (epoch_ms - 999) / 1000;
    const auto ms = int(epoch_ms - seconds * 1000);
    std::time_t moment = std::time_t(seconds);
    // The program reads the clock on one thread only, so the shared result of
    // localtime is safe here (localtime_r and localtime_s are each one
    // system's alone).
    const std::tm* local = std::localtime(&moment);
    if (!local) {
        // Windows converts no moment before 1970 (a clock never set): such a
        // time is written as the start of 1970, so the column stays a date.
        moment = 0;
        local = std::localtime(&moment);
    }
    if (!local) return format_text("%lld.%03d", static_cast<long long>(seconds), ms);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", local);
    return format_text("%s.%03d", text, ms);
}

std::string status_csv_header() {
    std::string line =
        "time;elapsed_s;controller_version;dimmer1_version;dimmer2_version;supply_V;front_temperature_C;"
        "ue1_count;ue1_percent;ue2_count;ue2_percent;pot1_count;pot1_percent;pot2_count;pot2_percent;"
        "dip1_bits0_3;dip1_bits4_7;dip2_bits0_3;dip2_bits4_7;mode;warnings;idle_count;timer_count";
    for (int d = 1; d <= 2; ++d) {
        const std::string p = format_text(";dimmer%d_", d);
        line += p + "temperature_C";
        if (d == 1) line += p + "input_voltage_V";
        for (const char* name : {"peak_current_A", "power_W", "peak_power_W", "power_loss_W",
                                 "peak_power_loss_W", "mains_frequency_Hz", "clock_Hz", "on_time",
                                 "phase_mode", "comm_state", "dim_state", "flags", "warnings", "master_slave",
                                 "control_value", "control_mode", "rs_state", "tx_count", "rx_count"})
            line += p + name;
    }
    return line + "\n";
}

std::string status_csv_line(const std::string& time, uint32_t elapsed_ms, const StatusRecord& s) {
    std::string line;
    add(line, csv_cell(time));
    add(line, fixed(elapsed_ms, 3));
    add(line, version(s.controller_version));
    for (const auto& v : s.dimmer_version)
        add(line, v[0] != 0 || v[1] != 0 ? version(v) : std::string());  // 0.0: no dimmer firmware
    add(line, format_text("%.3f", double(supply_voltage_volts(get_u16le(s.supply_voltage)))));
    add(line, fixed(get_u16le(s.front_temperature), 1));
    for (int i = 0; i < 2; ++i) {
        add(line, format_text("%u", unsigned(get_u16le(s.control_input[i]))));
        add(line, format_text("%u", level_percent(get_u16le(s.control_level[i]))));
    }
    for (int i = 0; i < 2; ++i) {
        const uint32_t pot = get_u16le(s.potentiometer[i]);
        add(line, format_text("%u", pot));
        add(line, format_text("%u", level_percent(potentiometer_level(pot))));
    }
    for (uint8_t dip : s.dip) add(line, hex2(dip));
    add(line, csv_cell(control_mode_text(s)));
    add(line, csv_cell(board_warnings_list(s.board_warnings)));
    add(line, format_text("%u", unsigned(get_u16le(s.idle_counter)) * 2));  // doubled, as the page shows it
    add(line, format_text("%u", unsigned(get_u16le(s.timer_counter))));
    for (int d = 0; d < 2; ++d) add_dimmer(line, s, d);
    return line + "\n";
}
