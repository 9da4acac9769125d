// kv310r-cli commands on parameter files: new, show, import-curve.
#pragma once

#include "cli/cli_args.h"

int cli_new(const CliArgs& args);
int cli_show(const CliArgs& args);
int cli_import_curve(const CliArgs& args);
