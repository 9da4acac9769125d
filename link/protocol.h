// The dimmer's protocol as both ends of the line know it: the opcodes,
// the sizes of the parameter transfer and the layout of an oscilloscope
// capture. The program's link and the virtual dimmer take them from here.
#pragma once

#include <cstddef>
#include <cstdint>

// Opcodes: the command byte of a frame with sub-address 0 (OPCODE_, apart
// from the CMD_ commands of the program's menus). A reply carries the opcode
// of its request, but for the scope blocks: 0x90 is answered with a 0x88
// block or a 0x90 state.
constexpr uint8_t OPCODE_VERSION = 0x08;        // -> controller major, minor [, dimmer 1 and 2 major, minor]
constexpr uint8_t OPCODE_STATUS = 0x10;         // 8 bytes drive request -> 111-byte status record
constexpr uint8_t OPCODE_RESET = 0x40;          // reset the dimmer's parameter set -> 1 byte
constexpr uint8_t OPCODE_READ_BLOCK = 0x48;     // block index -> 1, index, 128 bytes
constexpr uint8_t OPCODE_WRITE_BLOCK = 0x50;    // index, 128 bytes -> 1, index
constexpr uint8_t OPCODE_SCOPE = 0x80;          // start / stop -> u32, u16
constexpr uint8_t OPCODE_SCOPE_BLOCK = 0x88;    // reply to 0x90: index, up to 200 sample bytes
constexpr uint8_t OPCODE_SCOPE_REQUEST = 0x90;  // block index, 0 -> 0x88 block or 0x90 state

// The parameter set travels as a transfer image of 8 blocks of 128 bytes
// (32 u32 values each).
constexpr int PARAMETER_BLOCKS = 8;
constexpr size_t PARAMETER_BLOCK_SIZE = 128;
constexpr size_t TRANSFER_IMAGE_SIZE = PARAMETER_BLOCKS * PARAMETER_BLOCK_SIZE;  // 1024

// The state byte (byte 1) of a 0x90 state reply.
constexpr uint8_t SCOPE_STATE_RECORDING = 1;  // started, data not ready yet
constexpr uint8_t SCOPE_STATE_NONE = 2;       // nothing started: the program gives up

// One capture as the dimmer records it, little-endian: 4 bytes the program
// does not use, 500 voltage samples (i16, 0.1 V), 500 current samples (i16,
// mA), the time of t = 0 and the switching time within the record (u32, µs,
// 0 = none). It is fetched in 11 blocks: 10 of 200 bytes, the last of 12.
constexpr int SCOPE_SAMPLES = 500;
constexpr uint32_t SCOPE_CAPTURE_SIZE = 2012;
constexpr uint32_t SCOPE_BLOCK_SIZE = 200;
constexpr int SCOPE_CAPTURE_BLOCKS = 11;
constexpr size_t SCOPE_VOLTAGE_AT = 4;
constexpr size_t SCOPE_CURRENT_AT = 1004;
constexpr size_t SCOPE_ZERO_TIME_AT = 2004;
constexpr size_t SCOPE_SWITCHING_TIME_AT = 2008;
