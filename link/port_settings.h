// The port and RS485 address the user chose: kept in the settings file
// (section "PROP"), shown in the status bar, edited in the dialog
// "Hardwareanschluss", and found by trying every COM port in turn.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/ui.h"
#include "link/link.h"

// Program start: "PORT" and "RS485ADR"; an address above 255 is taken as 0.
void port_settings_load();
// Program end, after the port is closed.
void port_settings_store();

// Status-bar field 3: "%.128s / %u".
std::string port_settings_status_text(const PortSettings& settings);

// The dialog's fields: the port name, and the address (empty for 0).
std::string port_address_field_text(uint32_t address);
// A typed port name: its first word. A typed address: the field's number,
// kept to the 0..255 the frames can carry (like the pages, the dialog corrects
// out-of-range input silently to its limit).
void port_settings_take_name(PortSettings& settings, std::string_view typed);
void port_settings_take_address(PortSettings& settings, std::string_view typed);

// The names the port search tries, in order: "COM1".."COM128", then
// "\\.\COM10".."\\.\COM128".
std::string port_search_name(int index);
constexpr int PORT_SEARCH_NAMES = 128 + 119;

enum class PortSearchResult {
    found,
    not_found,
    cancelled
};

// "Testen": tries each name with a connection test at the dialog's address
// inside a busy window; the first port whose dimmer answers stays in the live
// settings. Otherwise the live settings go back to the dialog's values and,
// unless the user cancelled, "Kommunikationsport wurde nicht erkannt" is
// shown, owned by owner.
PortSearchResult port_search(WindowRef owner, const PortSettings& dialog_copy);

// "OK": the dialog's values become the live settings (the caller shows them
// in the status bar), then one connection test; a link error is shown, owned
// by owner. The port is closed afterwards. Returns the link status.
LinkStatus port_settings_accept(WindowRef owner, const PortSettings& dialog_copy);
