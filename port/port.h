// Platform services the link needs: one serial port and a millisecond tick.
// The implementation is chosen at link time: serial_win.cpp + tick_win.cpp in
// the Windows program, serial_posix.cpp + tick_posix.cpp in the Linux tools,
// a scripted port with a fake clock in the tests.
#pragma once

#include <cstddef>
#include <cstdint>

using PortHandle = intptr_t;             // HANDLE on Windows, file descriptor on POSIX
constexpr PortHandle PORT_INVALID = -1;  // INVALID_HANDLE_VALUE and -1 alike

// Opens the named port for reading and writing, exclusively, and sets it up
// for the dimmer: 38400 baud, 8 data bits, no parity, 2 stop bits, raw bytes,
// no flow control, DTR and RTS raised, reads that return at once.
// PORT_INVALID when the port cannot be opened or is not a serial device.
PortHandle port_open(const char* name);
void port_close(PortHandle port);

// Reads the bytes already waiting, at most max; never blocks. The count read,
// 0 when nothing is waiting, -1 when the port has failed: the device behind
// it is gone (a USB adapter pulled, its cable knocked out) while the handle
// stays open. A failed port does not recover; the caller closes it and opens
// the name afresh once the device is back.
int port_read(PortHandle port, uint8_t* buffer, size_t max);

// Writes count bytes in one go. The count written (fewer when the line did not
// take them in time), -1 when the port has failed as for port_read.
int port_write(PortHandle port, const uint8_t* bytes, size_t count);

// Returns when input is waiting or after at most max_ms milliseconds, whichever
// comes first. With PORT_INVALID it only waits. Lets the wait loops sleep
// between empty polls instead of spinning a core.
void port_wait_readable(PortHandle port, unsigned max_ms);

// Milliseconds from an arbitrary start; wraps at 32 bits.
uint32_t tick_count_ms();
