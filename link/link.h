// The serial link to the dimmer: the port settings, opening and closing the
// port, moving bytes (each one shown in the communication monitor), time-outs,
// and the messages of the link's status codes (link_status.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/ui.h"
#include "link/frame.h"
#include "link/link_status.h"

struct PortSettings {
    char name[128];    // as passed to the system's open call, at most 127 characters
    uint32_t address;  // RS485 address; frames carry its low eight bits
};

extern PortSettings g_port_settings;

// Copies at most 127 bytes of name, never splitting a UTF-8 sequence.
void set_port_name(PortSettings& settings, std::string_view name);

// The message for an error; empty for success and cancellation.
std::string link_status_message(LinkStatus status);

// Program start: port closed, state cleared, parser reset.
void link_init();
// Opens and sets up the port named in g_port_settings. LINK_OK at once if it
// is already open; LINK_ERR_NO_PORT for an empty name; LINK_ERR_PORT when it
// cannot be opened.
LinkStatus link_open();
// Closes the port if it is open. Always succeeds.
void link_close();
bool link_port_is_open();
// True when the last open failed (no port name, or the name did not open),
// or when the open port failed since: a read or write found its device gone
// (a USB adapter pulled), which closed the port. False again once the port
// opens.
bool link_port_failed();

// LINK_ERR_PORT if the port is closed or the write fails or falls short, else
// LINK_OK. Each byte goes to the monitor feed as " %02x" first. A port that
// has failed is closed.
LinkStatus link_write_bytes(const uint8_t* bytes, size_t count);
// One byte, or nothing when the port is closed or no byte is waiting. The
// port is read for all that is waiting and the bytes handed out one by one;
// each goes to the monitor feed as " %02x" when it is handed out. A port that
// has failed is closed.
std::optional<uint8_t> link_read_byte();
// How many bytes link_read_byte has handed out since program start: a wait
// that must know whether anything at all came over the line, a frame or not,
// compares two readings.
uint64_t link_bytes_received();

// Builds a frame with the codec and writes it in one write: LINK_ERR_COMM
// without writing for a payload over 256 bytes, otherwise the write's status.
LinkStatus link_send_frame(uint8_t address, uint8_t sub_address, uint8_t code, size_t length,
                           const uint8_t* payload);

// What one receive step ended with.
enum class ReceiveStep {
    frame_complete,   // a valid frame is complete
    nothing_waiting,  // a read delivered no byte: nothing waiting, or the port is closed
    budget_used,      // 128 bytes taken without completing a frame
};

// One non-blocking receive step: hands the codec's receiver the bytes waiting
// at the port, at most 128, until one completes a frame, which then is in
// *frame (its payload valid until the next step). Bytes after that frame stay
// waiting for the next step, and bytes that do not complete a frame stay in
// the receiver.
ReceiveStep link_receive_step(Frame* frame);

// True once the time since start (a tick count) exceeds limit_ms; then also
// feeds "{TIMEOUT limit}". The difference is taken as a signed 32-bit number,
// so a wrap of the tick counter does not end a wait early.
bool link_timed_out(uint32_t limit_ms, uint32_t start);

// Reads and throws away what arrives for ms milliseconds: LINK_OK when the
// time is up, LINK_CANCELLED when the user cancelled in the busy window.
LinkStatus link_drain(uint32_t ms);

// Shows the message of an error status, error icon, owned by owner; nothing
// for success and cancellation.
void link_report_error(WindowRef owner, LinkStatus status);

// The address byte that goes into every frame.
uint8_t link_address();

// Waits in the OS between empty polls of a wait loop: until input arrives or
// at most max_ms milliseconds. By default this waits on the open port. The
// Windows program replaces it with a message wait (MsgWaitForMultipleObjectsEx
// with the time-out and QS_ALLINPUT) so that window messages are handled at
// once too; a 1 ms wait needs the system timer at 1 ms resolution, which the
// Windows serial backend requests (timeBeginPeriod) while the port is open.
// True when the wait ended because a window message is waiting, which a
// caller that need not wait can let the message loop handle first.
using IdleWaitHook = bool (*)(unsigned max_ms);
void link_set_idle_wait(IdleWaitHook hook);  // null restores the default
bool link_idle_wait(unsigned max_ms = 1);

// The time bytes take on the line: 38400 baud, 11 bits a byte (start, 8 data,
// 2 stop), in whole milliseconds rounded down.
constexpr uint32_t link_line_ms(size_t bytes) { return uint32_t(bytes * 11 * 1000 / 38400); }

// The port and mode texts shown in the communication monitor's Port and Mode
// fields. The hook (set by the monitor window while it exists) is called at
// every change.
using MonitorTextHook = void (*)(const std::string& port_text, const std::string& mode_text);
void link_set_monitor_text_hook(MonitorTextHook hook);
const std::string& link_monitor_port_text();
const std::string& link_monitor_mode_text();
