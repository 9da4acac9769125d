// kv310r-cli commands over the whole bus: scan finds the dimmers, verify
// proves that each listed one holds a parameter set.
#pragma once

#include "cli/cli_args.h"

int cli_scan(const CliArgs& args);
int cli_verify(const CliArgs& args);
