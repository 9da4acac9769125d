// Messages of kv310r-cli: normally printed as they come; while a list of
// dimmers is worked through, gathered for the address's result line.
#pragma once

#include <string>
#include <vector>

// From now on messages go into `into` instead of the terminal; null prints
// them again.
void cli_gather_messages(std::vector<std::string>* into);
