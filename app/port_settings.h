// The serial port settings (port name and RS485 address) in section "PROP" of
// the settings file, and their text in the status bar.
#pragma once

#include <string>

// Start-up: clears the live settings and reads them; an address above 255
// (frames carry one byte) becomes 0.
void port_settings_load();
// Exit: writes "PORT" and "RS485ADR".
void port_settings_store();
// "<port> / <address>" for the status bar.
std::string port_settings_text();
