// What every kv310r-cli command that talks to the dimmer shares: the port and
// address from the options or the settings file, Ctrl+C as "Abbruch", and the
// exit status at the end.
#pragma once

#include <string>

#include "cli/cli_args.h"

// Ctrl+C sets a flag that the busy window reads as "Abbruch" (cli_busy.cpp).
void cli_install_interrupt_handler();
bool cli_interrupted();

// The folder of this executable, where the program keeps "Kv310r.ini".
std::string cli_tool_directory();

// A decimal number without sign, at most max.
bool cli_parse_number(const std::string& text, unsigned long max, unsigned long& value);

// --port and --address, else the port settings of a Kv310r.ini beside the tool
// (an address above 255 is taken as 0, as the program does). A missing port
// name ends in the link's own message when the port is opened. Also installs
// the Ctrl+C handler. False, with a message, for a bad address.
bool cli_set_up_port(const CliArgs& args);

// What the operation ended in: closes the port; 0 success, 1 a link error (its
// message already shown) or "Abbruch".
int cli_finish(bool ok);
