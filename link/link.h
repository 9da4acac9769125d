// The serial link to the dimmer: the port settings, opening and closing the
// port, moving bytes (each one shown in the communication monitor), time-outs,
// the link's status codes and their messages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/ui.h"

struct PortSettings {
    char name[128];    // as passed to the system's open call, at most 127 characters
    uint32_t address;  // RS485 address; frames carry its low eight bits
};

extern PortSettings g_port_settings;

// Copies at most 127 bytes of name, never splitting a UTF-8 sequence.
void set_port_name(PortSettings& settings, std::string_view name);

// Status codes. 10000..10006 is the error range: each code in it is an error,
// and those without a message of their own show the LINK_ERR_COMM text.
constexpr int LINK_OK = 0;
constexpr int LINK_ERR_NO_PORT = 10000;  // no port name configured
constexpr int LINK_ERR_PORT = 10001;     // port cannot be opened, or is closed
constexpr int LINK_ERR_COMM = 10003;     // no matching reply in time
constexpr int LINK_ERR_LAST = 10006;
constexpr int LINK_CANCELLED = 20000;  // "Abbruch" in the busy window

// Classification. Each records a matching code as the last link status, which
// Link_ReportError shows. Every value that is neither counts as success.
bool link_is_error(int code);
bool link_is_cancel(int code);
int link_last_status();
// The message for an error code; empty for success and cancellation.
std::string link_status_message(int code);

// Program start: port closed, state cleared, parser reset.
void Link_Init();
// Opens and sets up the port named in g_port_settings. 0 at once if it is
// already open; LINK_ERR_NO_PORT for an empty name; LINK_ERR_PORT when it
// cannot be opened.
int Link_Open();
// Closes the port if it is open. Always succeeds.
void Link_Close();
bool link_port_is_open();

// -1 if the port is closed or the write fails or falls short, else 0. Each
// byte goes to the monitor feed as " %02x" first.
int Link_WriteBytes(const uint8_t* bytes, size_t count);
// One byte 0..255, or -1 when the port is closed or nothing is waiting. A byte
// read goes to the monitor feed as " %02x".
int Link_ReadByte();

// True once the time since start (a tick count) exceeds limit_ms; then also
// feeds "{TIMEOUT limit}". The difference is taken as a signed 32-bit number,
// so a wrap of the tick counter does not end a wait early.
bool Link_TimedOut(uint32_t limit_ms, uint32_t start);

// Reads and throws away what arrives for ms milliseconds: 1 when the time is
// up, 0 when cancelled in the busy window (last status := LINK_CANCELLED).
int Link_Drain(uint32_t ms);

// Shows the message of the last link status, error icon, owned by owner.
void Link_ReportError(WindowRef owner);

// The address byte that goes into every frame.
uint8_t link_address();

// Waits in the OS between empty polls of a wait loop: until input arrives or
// at most about a millisecond. By default this waits on the open port. The
// Windows program replaces it with a message wait (MsgWaitForMultipleObjectsEx
// with a 1 ms time-out and QS_ALLINPUT) so that window messages are handled at
// once too; a 1 ms wait needs the system timer at 1 ms resolution, which the
// Windows serial backend requests (timeBeginPeriod) while the port is open.
using IdleWaitHook = void (*)(unsigned max_ms);
void link_set_idle_wait(IdleWaitHook hook);  // null restores the default
void link_idle_wait();

// The port and mode texts shown in the communication monitor's Port and Mode
// fields. The hook (set by the monitor window while it exists) is called at
// every change.
using MonitorTextHook = void (*)(const std::string& port_text, const std::string& mode_text);
void link_set_monitor_text_hook(MonitorTextHook hook);
const std::string& link_monitor_port_text();
const std::string& link_monitor_mode_text();

// The main window, which owns every busy window.
void link_set_main_window(WindowRef window);
WindowRef link_main_window();
