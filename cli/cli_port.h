// What every kv310r-cli command that talks to the dimmer shares: the port and
// address from the options or the settings file, Ctrl+C as "Abbruch", and the
// exit status at the end.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/cli_args.h"
#include "cli/platform.h"

// The folder of this executable, where the program keeps "Kv310r.ini".
std::string cli_tool_directory();

// A decimal number without sign, at most max.
bool cli_parse_number(const std::string& text, unsigned long max, unsigned long& value);

// --port and --address, else the port settings of a Kv310r.ini beside the tool
// (an address above 255 is taken as 0, as the program does). --address may
// list several dimmers on the bus ("1,2,5-8"); the link starts at the first.
// A missing port name ends in the link's own message when the port is opened.
// Also installs the Ctrl+C handler. False, with a message, for a bad address.
bool cli_set_up_bus(const CliArgs& args, std::vector<uint32_t>& addresses);
// The same for the commands that talk to one dimmer only.
bool cli_set_up_port(const CliArgs& args);

// What the operation ended in: closes the port; 0 success, 1 a link error (its
// message already shown) or "Abbruch".
int cli_finish(bool ok);
