// What the dimmer-status page shows, as text: every field from a status slot,
// the control source selected by the DIP switches, the diagnostic text block
// and the test-drive arithmetic of the trackbars. The Win32 page puts these
// texts into its controls; kv310r-cli prints them.
#pragma once

#include <cstdint>
#include <string>

#include "link/link.h"
#include "link/status_record.h"

// ---- fields

// The fields of one dimmer. All empty when its measurement is not present.
struct DimmerStatusTexts {
    std::string temperature;      // "%3.1f °C"
    std::string input_voltage;    // "%3.1f V" (the page has a field for dimmer 1 only)
    std::string peak_current;     // "%3.2f A"
    std::string effective_power;  // "0 W", "<5 W", "%u W"
    std::string peak_power;       // "0 W", "<30 W", "%u W"
    std::string power_loss;       // "<0.5 W", "%3.1f W"
    std::string peak_power_loss;  // as power_loss
    std::string mains_frequency;  // "%3.2f Hz"
    std::string processor_clock;  // "%3.3f MHz"
    std::string on_time;          // "Aktuelle Einschaltdauer", "%u"
    std::string phase_mode;       // "Aktuelle Betriebsart": "ABschnitt", "ANschnitt" or empty
};

// Everything the page shows. From an invalid slot every text is empty and
// every bar position 0.
struct StatusTexts {
    std::string controller_version;        // "V%u.%u"
    std::string dimmer_version[2];         // "V%u.%u", empty for 0.0
    std::string supply_voltage;            // "%3.2f V"
    std::string front_temperature;         // "%3.1f °C"
    std::string control_input[2];          // UE1, UE2 raw count "%u"
    std::string control_input_percent[2];  // "%u %"
    uint32_t control_input_bar[2];         // progress bar position, raw count
    std::string potentiometer[2];          // raw count "%u"
    std::string potentiometer_percent[2];  // scaled, "%u %"
    uint32_t potentiometer_bar[2];         // raw count
    std::string dip[4];                    // "%02x"
    DimmerStatusTexts dimmer[2];
    std::string diagnostics;  // the text block, lines ending in "\r\n"
};

StatusTexts status_texts(const StatusSlot& slot);

// The supply of the communication processor from its ADC count, in volts.
float supply_voltage_volts(uint32_t count);
// A level 0..65535 as a whole percentage (rounded down).
uint32_t level_percent(uint32_t level);

// A potentiometer's raw 12-bit count as a level 0..65535: the ends of the
// travel (20 counts at each side) are cut off.
uint32_t potentiometer_level(uint32_t count);

// ---- control source

constexpr uint32_t CONTROL_DMX = 0;
constexpr uint32_t CONTROL_VOLTAGE = 1;
constexpr uint32_t CONTROL_BUTTON = 2;
constexpr uint32_t CONTROL_TARVIX = 3;
constexpr uint32_t CONTROL_RS485 = 4;

struct ControlSource {
    uint32_t mode;  // CONTROL_*
    bool dmx_16bit;
    uint32_t dmx_address;    // 9 bits
    bool external[2];        // control input 1, 2 set for an external 1-10 V source
    uint32_t rs485_address;  // 8 bits
};

// From the four DIP bytes (switch 1 bits 0-3, 4-7, switch 2 bits 0-3, 4-7).
ControlSource decode_control_source(const uint8_t dip[4]);

// The mode line's text after "Mode: ": the control source, e.g. "DMX, 8bit,
// addr 511" or "RS485, addr 1", then " Master/slave" when the status says so.
std::string control_mode_text(const StatusRecord& status);
// The board warnings (bits 0..2), each text with its trailing blank, joined by
// ", "; empty without warnings.
std::string board_warnings_text(uint8_t warnings);
// The same as a list without the blanks: "Board temperature error, U warning".
std::string board_warnings_list(uint8_t warnings);

// The diagnostic text block (at most 2047 characters, lines end in "\r\n").
std::string status_diagnostics(const StatusRecord& status);

// What the diagnostic block says instead while the dimmer leaves the status
// requests unanswered: "Keine Antwort von Adresse 1 an COM5", with the RS485
// address and port name of the settings; without a port name, the link's
// message for that.
std::string no_answer_text(const PortSettings& settings);

// ---- test drive

// Trackbar position 0..100 to a drive value: the smallest value not below
// position × 65535 / 100, so 1 % already drives the output.
uint32_t drive_value_from_position(uint32_t position);
// Drive value (clamped to 65535) to a trackbar position 0..100.
uint32_t drive_position_from_value(uint32_t value);
// Both drive values clamped to 65535, as every refresh of a drive control does.
void clamp_test_drive(TestDrive& drive);
// Dimmer 0 or 1's trackbar moved to position 0..100: its drive value, marked
// for the next status request.
void drive_from_trackbar(TestDrive& drive, int dimmer, uint32_t position);
// A number typed into a dimmer's drive edit (read as the pages read numbers,
// so a negative entry arrives as the largest integer): kept, clamped to
// 65535, but not marked; the button beside the edit or the trackbar sends it.
void drive_from_typed(TestDrive& drive, int dimmer, uint32_t typed);
