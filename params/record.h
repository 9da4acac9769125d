// The parameter set: one 600-byte record whose bytes 4..599 are exactly the
// device parameter image that crosses the serial link. Every field is a byte
// array, so the struct has no padding and the multi-byte values are read and
// written little-endian through the accessors below, whatever the host.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/bytes.h"

constexpr uint32_t MARKER_HEAD = 0x5A7EE7A5u;
constexpr uint32_t MARKER_TAIL = 0xA57EE75Au;
constexpr int CURVE_POINTS = 256;
constexpr int CD_COUNT = 4;  // CD configurations a..d
constexpr int DIMMER_COUNT = 2;

struct DimmerBlock {                        // 36 bytes
    uint8_t fade_time[2];                   // u16 LE, 0.01 s
    uint8_t minimum[CD_COUNT];              // percent
    uint8_t zero_control_output[CD_COUNT];  // 0 = "0%", 1 = "Minimum"
    uint8_t maximum[CD_COUNT];              // percent
    uint8_t characteristic[CD_COUNT];       // 0..4
    uint8_t nondim_threshold;
    uint8_t nondim_hysteresis;
    uint8_t preheat_time;
    uint8_t off_with_fade;
    uint8_t bus_failure_action;      // 0..7
    uint8_t pot_activity;            // 0..2
    uint8_t voltage_input_activity;  // 0..2
    uint8_t one_button_start;
    uint8_t one_button_dim_fade;
    uint8_t fade_time_mode;  // 0..2
    uint8_t default_mode;
    uint8_t auto_mode_switch;
    uint8_t voltage_input_range;
    uint8_t one_button_onoff_fade;
    uint8_t reserved[4];
};

struct ParameterRecord {      // 600 bytes
    uint8_t file_version[4];  // u32 LE, only the file reader uses it
    uint8_t marker_head[4];   // u32 LE, device image starts here
    uint8_t user_curve[2][CURVE_POINTS];
    uint8_t bus_failure_delay;
    uint8_t master_slave_pc_test;
    uint8_t reserved[2];
    DimmerBlock dimmer[DIMMER_COUNT];
    uint8_t marker_tail[4];  // u32 LE
};

constexpr size_t RECORD_SIZE = 600;
constexpr size_t DEVICE_IMAGE_OFFSET = 4;
constexpr size_t DEVICE_IMAGE_SIZE = 596;

static_assert(sizeof(DimmerBlock) == 36);
static_assert(sizeof(ParameterRecord) == RECORD_SIZE);
static_assert(offsetof(ParameterRecord, marker_head) == 4);
static_assert(offsetof(ParameterRecord, user_curve) == 8);
static_assert(offsetof(ParameterRecord, user_curve) + CURVE_POINTS == 264);
static_assert(offsetof(ParameterRecord, bus_failure_delay) == 520);
static_assert(offsetof(ParameterRecord, master_slave_pc_test) == 521);
static_assert(offsetof(ParameterRecord, reserved) == 522);
static_assert(offsetof(ParameterRecord, dimmer) == 524);
static_assert(offsetof(ParameterRecord, dimmer) + sizeof(DimmerBlock) == 560);
static_assert(offsetof(ParameterRecord, marker_tail) == 596);
static_assert(offsetof(DimmerBlock, minimum) == 2);
static_assert(offsetof(DimmerBlock, zero_control_output) == 6);
static_assert(offsetof(DimmerBlock, maximum) == 10);
static_assert(offsetof(DimmerBlock, characteristic) == 14);
static_assert(offsetof(DimmerBlock, nondim_threshold) == 18);
static_assert(offsetof(DimmerBlock, nondim_hysteresis) == 19);
static_assert(offsetof(DimmerBlock, preheat_time) == 20);
static_assert(offsetof(DimmerBlock, off_with_fade) == 21);
static_assert(offsetof(DimmerBlock, bus_failure_action) == 22);
static_assert(offsetof(DimmerBlock, pot_activity) == 23);
static_assert(offsetof(DimmerBlock, voltage_input_activity) == 24);
static_assert(offsetof(DimmerBlock, one_button_start) == 25);
static_assert(offsetof(DimmerBlock, one_button_dim_fade) == 26);
static_assert(offsetof(DimmerBlock, fade_time_mode) == 27);
static_assert(offsetof(DimmerBlock, default_mode) == 28);
static_assert(offsetof(DimmerBlock, auto_mode_switch) == 29);
static_assert(offsetof(DimmerBlock, voltage_input_range) == 30);
static_assert(offsetof(DimmerBlock, one_button_onoff_fade) == 31);
static_assert(offsetof(DimmerBlock, reserved) == 32);

inline uint16_t fade_time(const DimmerBlock& d) { return get_u16le(d.fade_time); }
inline void set_fade_time(DimmerBlock& d, uint16_t v) { put_u16le(d.fade_time, v); }
inline uint32_t file_version(const ParameterRecord& r) { return get_u32le(r.file_version); }
inline void set_file_version(ParameterRecord& r, uint32_t v) { put_u32le(r.file_version, v); }
inline uint32_t marker_head(const ParameterRecord& r) { return get_u32le(r.marker_head); }
inline uint32_t marker_tail(const ParameterRecord& r) { return get_u32le(r.marker_tail); }

// The 596-byte device parameter image (record bytes 4..599).
inline uint8_t* device_image(ParameterRecord& r) {
    return reinterpret_cast<uint8_t*>(&r) + DEVICE_IMAGE_OFFSET;
}
inline const uint8_t* device_image(const ParameterRecord& r) {
    return reinterpret_cast<const uint8_t*>(&r) + DEVICE_IMAGE_OFFSET;
}

// Overwrites all 600 bytes with the default set, then validates.
void apply_defaults(ParameterRecord& r);
// Corrects every field to its limits and sets both markers. Never fails.
void validate_record(ParameterRecord& r);
// The two default user curves (power-linear and rms-voltage-linear).
const uint8_t* default_user_curve(int curve /* 0 or 1 */);
