// The status as CSV lines: the header and a line per status, numbers in SI
// units taken exactly from the dimmer's fixed units.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/bytes.h"
#include "measure/status_csv.h"

namespace {

std::vector<std::string> cells(const std::string& line) {
    std::vector<std::string> out(1);
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"') {
            if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
                out.back() += '"';
                ++i;
            } else {
                quoted = !quoted;
            }
        } else if (c == ';' && !quoted) {
            out.emplace_back();
        } else if (c != '\n') {
            out.back() += c;
        }
    }
    return out;
}

// The value of a named column.
std::string column(const std::string& line, const std::string& name) {
    const std::vector<std::string> names = cells(status_csv_header());
    const std::vector<std::string> values = cells(line);
    EXPECT_EQ(values.size(), names.size());
    for (size_t i = 0; i < names.size() && i < values.size(); ++i)
        if (names[i] == name) return values[i];
    ADD_FAILURE() << "no column " << name;
    return {};
}

StatusRecord sample() {
    StatusRecord s = {};
    s.controller_version[0] = 2;
    s.controller_version[1] = 1;
    s.dimmer_version[0][0] = 1;
    s.dimmer_version[0][1] = 4;
    put_u16le(s.supply_voltage, 2048);
    put_u16le(s.front_temperature, 253);
    put_u16le(s.control_input[0], 1000);
    put_u16le(s.control_level[0], 32768);
    put_u16le(s.potentiometer[1], 2047);
    s.dip[0] = 0x04;
    s.dip[3] = 0x08;
    s.board_warnings = 0x06;
    put_u16le(s.idle_counter, 40000);
    DimmerMeasurement& m = s.measurement[0];
    m.present = 1;
    put_u16le(m.temperature, 5);
    put_u16le(m.input_voltage, 2301);
    put_u16le(m.peak_current, 1234);
    put_u16le(m.effective_power, 4);
    put_u16le(m.peak_power, 29);
    put_u16le(m.power_loss, 499);
    put_u32le(m.peak_power_loss, 70001);
    put_u16le(m.mains_frequency, 4998);
    put_u16le(m.processor_clock, 16000);
    put_u16le(s.control[0].on_time, 3000);
    s.control[0].phase_mode = 1;
    put_u16le(s.control[0].control_value, 65535);
    put_u16le(s.tx_counter[1], 7);
    return s;
}

TEST(StatusCsv, OneLinePerStatusWithTheHeadersColumns) {
    const std::string header = status_csv_header();
    EXPECT_EQ(header.substr(0, 24), "time;elapsed_s;controlle");
    EXPECT_EQ(header.back(), '\n');
    EXPECT_EQ(header.find('\r'), std::string::npos);

    const std::string line = status_csv_line("2024-05-01 12:00:00.250", 61250, sample());
    EXPECT_EQ(line.back(), '\n');
    struct Case {
        const char *name, *value;
    };
    const std::vector<Case> cases = {
        {"time", "2024-05-01 12:00:00.250"},
        {"elapsed_s", "61.250"},
        {"controller_version", "2.1"},
        {"dimmer1_version", "1.4"},
        {"dimmer2_version", ""},  // 0.0: no firmware reported
        {"supply_V", "3.301"},    // the page rounds it to 3.30 V
        {"front_temperature_C", "25.3"},
        {"ue1_count", "1000"},
        {"ue1_percent", "50"},
        {"pot2_count", "2047"},
        {"pot2_percent", "49"},
        {"dip1_bits0_3", "04"},
        {"dip2_bits4_7", "08"},
        {"mode", "RS485, addr 1"},
        {"warnings", "Board temperature error, U warning"},
        {"idle_count", "80000"},
        // Exact from the fixed units, no display thresholds.
        {"dimmer1_temperature_C", "0.5"},
        {"dimmer1_input_voltage_V", "230.1"},
        {"dimmer1_peak_current_A", "1.234"},
        {"dimmer1_power_W", "4"},
        {"dimmer1_peak_power_W", "29"},
        {"dimmer1_power_loss_W", "0.499"},
        {"dimmer1_peak_power_loss_W", "70.001"},
        {"dimmer1_mains_frequency_Hz", "49.98"},
        {"dimmer1_clock_Hz", "16000000"},
        {"dimmer1_on_time", "3000"},
        {"dimmer1_phase_mode", "ANschnitt"},
        {"dimmer1_control_value", "65535"},
        // Dimmer 2 has no measurement: its measured cells stay empty, its
        // control state and counters are still the dimmer's.
        {"dimmer2_temperature_C", ""},
        {"dimmer2_phase_mode", ""},
        {"dimmer2_comm_state", "0"},
        {"dimmer2_tx_count", "7"},
    };
    for (const Case& c : cases) EXPECT_EQ(column(line, c.name), c.value) << c.name;
}

TEST(StatusCsv, TextCellsWithTheSeparatorAreQuoted) {
    StatusRecord s = sample();
    s.master_slave = 1;
    const std::string line = status_csv_line("a;\"b\"", 0, s);
    EXPECT_EQ(line.substr(0, 10), "\"a;\"\"b\"\"\";");
    EXPECT_EQ(column(line, "time"), "a;\"b\"");
    EXPECT_EQ(column(line, "mode"), "RS485, addr 1 Master/slave");
    EXPECT_EQ(column(line, "elapsed_s"), "0.000");
}

}  // namespace
