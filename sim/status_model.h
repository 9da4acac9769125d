// The 111-byte status record the dimmer sends for command 0x10: firmware
// versions, supply, temperatures, control inputs, potentiometers, DIP switches
// and per-output control state and measurements. Slow values drift gently with
// the clock so a status page visibly lives; the outputs follow the test drive.
#pragma once

#include <cstdint>

#include "sim/device_model.h"

// Mains voltage (rms) and frequency at a given time: near 230 V and 50 Hz.
double mains_rms_at(uint32_t now_ms);
double mains_hz_at(uint32_t now_ms);

// Control mode selected by the DIP switches: 0 DMX, 1 voltage, 2 button, 3 bus, 4 RS485.
int dip_control_mode(const uint8_t dip[4]);

void build_status(const SimDevice& dev, uint32_t now_ms, uint8_t out[STATUS_RECORD_SIZE]);
