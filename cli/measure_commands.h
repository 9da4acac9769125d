// kv310r-cli commands of the measurement views: the dimmer's status and one
// oscilloscope capture.
#pragma once

#include "cli/cli_args.h"

int cli_status(const CliArgs& args);
int cli_scope(const CliArgs& args);
