// The dimmer's status record (payload of the 0x10 status reply), the status
// slots that hold copies of it, and the test drive shared by the status and
// oscilloscope pages. Their owners (the program, kv310r-cli, the tests) keep
// them as values and hand them to the functions that fill or send them. All multi-byte fields are little-endian byte arrays, so
// the record maps the 111 payload bytes exactly on any host.
#pragma once

#include <cstddef>
#include <cstdint>

struct DimmerControlState {  // 12 bytes
    uint8_t comm_state;      // CommStat
    uint8_t dim_state;       // DimStat
    uint8_t flags;
    uint8_t warnings;
    uint8_t master_slave;
    uint8_t control_value[2];  // u16, Ctrl
    uint8_t control_mode;      // CtrlMode
    uint8_t rs_state;          // r-s
    uint8_t on_time[2];        // u16, T
    uint8_t phase_mode;        // TMode: 0 trailing edge, 1 leading edge
};

struct DimmerMeasurement {       // 21 bytes
    uint8_t present;             // 0: this dimmer's fields stay empty
    uint8_t temperature[2];      // u16, 0.1 °C
    uint8_t input_voltage[2];    // u16, 0.1 V
    uint8_t peak_current[2];     // u16, mA
    uint8_t effective_power[2];  // u16, W
    uint8_t peak_power[2];       // u16, W
    uint8_t power_loss[2];       // u16, mW
    uint8_t peak_power_loss[4];  // u32, mW
    uint8_t mains_frequency[2];  // u16, 0.01 Hz
    uint8_t processor_clock[2];  // u16, kHz
};

struct StatusRecord {               // 111 bytes
    uint8_t controller_version[2];  // major, minor
    uint8_t dimmer_version[2][2];   // per dimmer major, minor; 0.0 shows empty
    uint8_t board_warnings;         // bit 0 temperature warning, 1 temperature error, 2 supply
    uint8_t master_slave;
    DimmerControlState control[2];
    uint8_t supply_voltage[2];     // u16, 12-bit ADC count
    uint8_t front_temperature[2];  // u16, 0.1 °C
    uint8_t control_input[2][2];   // u16 UE1, UE2, 12-bit ADC count
    uint8_t potentiometer[2][2];   // u16, 12-bit ADC count
    uint8_t unused_44[4];
    uint8_t dip[4];  // switch 1 bits 0-3, 4-7; switch 2 bits 0-3, 4-7
    uint8_t unused_52;
    DimmerMeasurement measurement[2];
    uint8_t idle_counter[2];      // u16
    uint8_t timer_counter[2];     // u16
    uint8_t rx_counter[2][2];     // u16 per dimmer
    uint8_t tx_counter[2][2];     // u16 per dimmer
    uint8_t control_level[2][2];  // u16 UE1, UE2 level 0..65535
};

constexpr size_t STATUS_RECORD_SIZE = 111;

static_assert(sizeof(DimmerControlState) == 12);
static_assert(sizeof(DimmerMeasurement) == 21);
static_assert(sizeof(StatusRecord) == STATUS_RECORD_SIZE);
static_assert(offsetof(StatusRecord, control) == 8);
static_assert(offsetof(StatusRecord, supply_voltage) == 32);
static_assert(offsetof(StatusRecord, dip) == 48);
static_assert(offsetof(StatusRecord, measurement) == 53);
static_assert(offsetof(StatusRecord, idle_counter) == 95);
static_assert(offsetof(StatusRecord, control_level) == 107);

// A copy of the status: valid is 1 when it holds a reply, 0 when cleared.
struct StatusSlot {
    uint32_t valid;
    StatusRecord status;
};

// The three slots: the shown one (the only one the display reads), the one the
// synchronous status fetch fills and the one the non-blocking reply poll fills.
struct StatusSlots {
    StatusSlot shown;
    StatusSlot fetched;
    StatusSlot polled;
};

// Per dimmer: pending is 1 when the user set a drive value that the next
// status request must carry (then cleared); value is 0..65535.
struct TestDrive {
    uint32_t pending[2];
    uint32_t value[2];
};
