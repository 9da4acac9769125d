// The command line's side of the user-interface seam (base/ui.h).
#pragma once

// From now on information messages go to stderr as errors do, so that stdout
// carries nothing but a command's own output (diff).
void cli_info_to_stderr();
