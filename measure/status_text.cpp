#include "measure/status_text.h"

#include "base/text.h"
#include "params/record.h"

namespace {

constexpr size_t DIAGNOSTICS_LIMIT = 2047;  // a 2048-character buffer with its terminator

// The page sets these from code page 1250 text with character 176, the degree sign.
std::string celsius(float value) { return format_text("%3.1f \u00b0C", double(value)); }

std::string version_text(uint8_t major, uint8_t minor) { return format_text("V%u.%u", major, minor); }

std::string percent_text(uint32_t level) { return format_text("%u %%", level_percent(level)); }

// The power loss fields: below half a watt the reading is not meaningful.
std::string loss_text(uint32_t milliwatts) {
    const float watts = float(milliwatts) * 0.001f;
    return watts < 0.5f ? "<0.5 W" : format_text("%3.1f W", double(watts));
}

DimmerStatusTexts dimmer_texts(const DimmerMeasurement& m, const DimmerControlState& c) {
    DimmerStatusTexts t;
    if (m.present == 0) return t;
    t.temperature = celsius(float(get_u16le(m.temperature)) * 0.1f);
    t.input_voltage = format_text("%3.1f V", double(float(get_u16le(m.input_voltage)) * 0.1f));
    t.peak_current = format_text("%3.2f A", double(float(get_u16le(m.peak_current)) * 0.001f));
    const unsigned effective = get_u16le(m.effective_power);
    t.effective_power = effective == 0 ? "0 W" : effective < 5 ? "<5 W" : format_text("%u W", effective);
    const unsigned peak = get_u16le(m.peak_power);
    t.peak_power = peak == 0 ? "0 W" : peak < 30 ? "<30 W" : format_text("%u W", peak);
    t.power_loss = loss_text(get_u16le(m.power_loss));
    t.peak_power_loss = loss_text(get_u32le(m.peak_power_loss));
    t.mains_frequency = format_text("%3.2f Hz", double(float(get_u16le(m.mains_frequency)) * 0.01f));
    t.processor_clock = format_text("%3.3f MHz", double(float(get_u16le(m.processor_clock)) * 0.001f));
    t.on_time = format_text("%u", unsigned(get_u16le(c.on_time)));
    t.phase_mode = c.phase_mode == 0 ? "ABschnitt" : c.phase_mode == 1 ? "ANschnitt" : "";
    return t;
}

bool bit(uint8_t byte, int n) { return (byte >> n) & 1; }

// Switch 2 bits 0-3 and 4-7 carry the low eight address bits with the switch
// order reversed against the bit order: S2 bit 0 is address bit 7.
uint32_t low_address_bits(const uint8_t dip[4]) {
    uint32_t address = 0;
    for (int n = 0; n < 4; ++n) {
        if (bit(dip[2], n)) address |= 0x80u >> n;
        if (bit(dip[3], n)) address |= 0x08u >> n;
    }
    return address;
}

}  // namespace

// 12-bit count of a 3.3 V converter behind a 1:2 divider.
float supply_voltage_volts(uint32_t count) { return float(count) * 3.3f / 4095.0f * 2.0f; }

uint32_t level_percent(uint32_t level) { return level * 100 / 65535; }

uint32_t potentiometer_level(uint32_t count) {
    if (count < 20) count = 20;
    if (count > 4075) count = 4075;
    const uint32_t level = (count - 20) * 65535 / 4055;
    return level > 65535 ? 65535 : level;
}

ControlSource decode_control_source(const uint8_t dip[4]) {
    ControlSource s = {};
    if (bit(dip[0], 0)) {
        s.mode = CONTROL_DMX;
        s.dmx_16bit = bit(dip[0], 1);
        s.dmx_address = (bit(dip[1], 3) ? 256u : 0u) + low_address_bits(dip);
    } else if (bit(dip[0], 1)) {
        if (bit(dip[2], 1)) {
            s.mode = CONTROL_BUTTON;
            s.external[0] = s.external[1] = true;
        } else {
            s.mode = CONTROL_VOLTAGE;
            s.external[0] = bit(dip[0], 2);
            s.external[1] = bit(dip[2], 2);
        }
    } else if (bit(dip[0], 2)) {
        s.mode = CONTROL_RS485;
        s.rs485_address = low_address_bits(dip);
    } else {
        s.mode = CONTROL_TARVIX;
    }
    return s;
}

std::string control_mode_text(const StatusRecord& status) {
    const ControlSource source = decode_control_source(status.dip);
    std::string text;
    switch (source.mode) {
        case CONTROL_DMX:
            text = "DMX";
            text += source.dmx_16bit ? ", 16bit" : ", 8bit";
            text += format_text(", addr %u", source.dmx_address);
            break;
        case CONTROL_VOLTAGE:
            text = "U-Ctrl";
            for (bool external : source.external) text += external ? ", ext 1-10V" : ", 0-10V";
            break;
        case CONTROL_BUTTON:
            text = "Btn-Ctrl";
            break;
        case CONTROL_TARVIX:
            text = "TARVIX";
            break;
        default:
            text = "RS485";
            text += format_text(", addr %u", source.rs485_address);
            break;
    }
    if (status.master_slave != 0) text += " Master/slave";
    return text;
}

std::string board_warnings_text(uint8_t warnings) {
    static const char* const texts[] = {"Board temperature warning ", "Board temperature error ",
                                        "U warning "};
    std::string text;
    for (int n = 0; n < 3; ++n) {
        if (!bit(warnings, n)) continue;
        if (!text.empty()) text += ", ";
        text += texts[n];
    }
    return text;
}

std::string board_warnings_list(uint8_t warnings) {
    std::string text = board_warnings_text(warnings);
    for (size_t at; (at = text.find(" , ")) != std::string::npos;) text.erase(at, 1);
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

std::string status_diagnostics(const StatusRecord& status) {
    std::string text = "Mode: " + control_mode_text(status) + "\r\n";
    const std::string warnings = board_warnings_text(status.board_warnings);
    if (!warnings.empty()) text += warnings + "\r\n";
    text += format_text("Cnt-idle %u Cnt-tim %u\r\n", unsigned(get_u16le(status.idle_counter)) * 2,
                        unsigned(get_u16le(status.timer_counter)));
    for (int d = 0; d < 2; ++d) {
        const DimmerControlState& c = status.control[d];
        text += format_text("Dim%u CommStat %u DimStat %u Flags %x Warnings %x Master/slave %x", d + 1,
                            c.comm_state, c.dim_state, c.flags, c.warnings, c.master_slave);
        text +=
            format_text(" Ctrl/T %u/%u CtrlMode/r-s/TMode %u/%u/%u\r\n", unsigned(get_u16le(c.control_value)),
                        unsigned(get_u16le(c.on_time)), c.control_mode, c.rs_state, c.phase_mode);
        text += format_text("Cnt-Tx %u Cnt-Rx %u\r\n", unsigned(get_u16le(status.tx_counter[d])),
                            unsigned(get_u16le(status.rx_counter[d])));
    }
    if (text.size() > DIAGNOSTICS_LIMIT) text.resize(DIAGNOSTICS_LIMIT);
    return text;
}

std::string no_answer_text(const PortSettings& settings) {
    if (settings.name[0] == '\0') return link_status_message(LINK_ERR_NO_PORT);
    return format_text("Keine Antwort von Adresse %u an %s", unsigned(settings.address), settings.name);
}

StatusTexts status_texts(const StatusSlot& slot) {
    StatusTexts t = {};
    if (slot.valid == 0) return t;
    const StatusRecord& s = slot.status;
    t.controller_version = version_text(s.controller_version[0], s.controller_version[1]);
    for (int d = 0; d < 2; ++d)
        if (s.dimmer_version[d][0] != 0 || s.dimmer_version[d][1] != 0)
            t.dimmer_version[d] = version_text(s.dimmer_version[d][0], s.dimmer_version[d][1]);
    t.supply_voltage = format_text("%3.2f V", double(supply_voltage_volts(get_u16le(s.supply_voltage))));
    t.front_temperature = celsius(float(get_u16le(s.front_temperature)) * 0.1f);
    for (int i = 0; i < 2; ++i) {
        const uint32_t input = get_u16le(s.control_input[i]);
        t.control_input[i] = format_text("%u", input);
        t.control_input_percent[i] = percent_text(get_u16le(s.control_level[i]));
        t.control_input_bar[i] = input;
        const uint32_t pot = get_u16le(s.potentiometer[i]);
        t.potentiometer[i] = format_text("%u", pot);
        t.potentiometer_percent[i] = percent_text(potentiometer_level(pot));
        t.potentiometer_bar[i] = pot;
    }
    for (int i = 0; i < 4; ++i) t.dip[i] = format_text("%02x", s.dip[i]);
    for (int d = 0; d < 2; ++d) t.dimmer[d] = dimmer_texts(s.measurement[d], s.control[d]);
    t.diagnostics = status_diagnostics(s);
    return t;
}

uint32_t drive_value_from_position(uint32_t position) {
    if (position > 100) position = 100;
    return (position * 65535 + 99) / 100;
}

uint32_t drive_position_from_value(uint32_t value) {
    if (value > 65535) value = 65535;
    return value * 100 / 65535;
}

void clamp_test_drive(TestDrive& drive) {
    for (uint32_t& v : drive.value)
        if (v > 65535) v = 65535;
}

void drive_from_trackbar(TestDrive& drive, int dimmer, uint32_t position) {
    drive.value[dimmer] = drive_value_from_position(position);
    drive.pending[dimmer] = 1;
}

void drive_from_typed(TestDrive& drive, int dimmer, uint32_t typed) {
    drive.value[dimmer] = typed > 65535 ? 65535 : typed;
}
