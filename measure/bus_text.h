// The texts of a dimmer found on the bus, shared by the dialog "Bus
// durchsuchen", the protocol and kv310r-cli scan.
#pragma once

#include <string>

#include "link/bus_scan.h"

// "V2.1": the controller's firmware version; empty for a garbled answer.
std::string bus_controller_version_text(const BusDimmer& dimmer);
// "1.4", or empty as in the firmware message (major version 0, garbled).
std::string bus_dimmer_version_text(const BusDimmer& dimmer, int index);

// What the status says in a line: the temperatures of the front plate and of
// each dimmer that measures, then the warnings, e.g. "Temperatur 28.5 °C,
// Dimmer 1 41.0 °C; keine Warnung" or "...; Warnung: Board temperature
// error, Dimmer 2 Warnings 3". A dimmer found late says so after it; one
// without a status reply says "kein Status"; a garbled answer "Antwort
// gestört".
std::string bus_status_text(const BusDimmer& dimmer);

// One line per dimmer for kv310r-cli scan:
//   "Adresse 5: V2.1, Dimmer 1 1.4, Dimmer 2 1.4; Temperatur 28.5 °C; keine Warnung"
//   "Adresse 7: Antwort gestört"
std::string bus_dimmer_line(const BusDimmer& dimmer);
