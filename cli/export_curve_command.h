// kv310r-cli export-curve: a user curve of a parameter file as a text file.
#pragma once

#include "cli/cli_args.h"

// export-curve FILE 1|2 TEXTFILE: the 256 points one per line, a file that
// import-curve reads back unchanged. 0 done, 1 a file that could not be read
// or written (TEXTFILE then stays as it was), 2 a usage error.
int cli_export_curve(const CliArgs& args);
