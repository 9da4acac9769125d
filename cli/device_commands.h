// kv310r-cli commands that talk to the dimmer: version, read, write, drive.
#pragma once

#include "cli/cli_args.h"

int cli_version(const CliArgs& args);
int cli_read(const CliArgs& args);
int cli_write(const CliArgs& args);
int cli_drive(const CliArgs& args);
