// Messages of kv310r-cli, the command line's side of the user-interface seam
// (base/ui.h): normally printed as they come (errors on stderr); while a list
// of dimmers is worked through, gathered for the address's result line.
#pragma once

#include <string>
#include <vector>

// From now on messages go into `into` instead of the terminal; null prints
// them again.
void cli_gather_messages(std::vector<std::string>* into);

// From now on information messages go to stderr as errors do, so that stdout
// carries nothing but a command's own output (diff).
void cli_info_to_stderr();
