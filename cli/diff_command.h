// kv310r-cli diff: what differs between two parameter sets.
#pragma once

#include "cli/cli_args.h"

// diff A.ini B.ini, or diff A.ini --device: one line per differing field,
// named as the pages name it. Exit status as diff's: 0 the same, 1
// different, 2 for a usage error or a set that could not be read.
int cli_diff(const CliArgs& args);
