// kv310r-cli commands that talk to the dimmer: version, read, write, drive.
#pragma once

#include "cli/cli_args.h"

void cli_install_interrupt_handler();
bool cli_interrupted();

int cli_version(const CliArgs& args);
int cli_read(const CliArgs& args);
int cli_write(const CliArgs& args);
int cli_drive(const CliArgs& args);
