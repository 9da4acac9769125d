// Several dimmers on one bus: a device command done for each address in turn.
// The transfers stay sequential; there is one line.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Runs `operation` (true: it succeeded) for each address, one after the other,
// on the port cli_set_up_bus chose. With one address this is the command as it
// always was: its messages, exit status 0 or 1. With several, each address
// ends in one result line on stdout, the operation's messages joined into it:
//   Adresse 1: OK - KV-310-R-Firmware-Version V2.1, Dimmer 1 1.4, Dimmer 2 1.4
//   Adresse 3: Fehler - Kommunikation mit KV-310-R ist fehlerhaft
// then a summary ("Ergebnis: 1 von 2 Adressen OK; Fehler: 3"); exit status 1
// when any failed. Ctrl+C ends the run at the address it was pressed for.
int cli_each_address(const std::vector<uint32_t>& addresses, const std::function<bool(uint32_t)>& operation);
