// Opening and saving parameter files on the command line, with the program's
// own messages on stderr.
#pragma once

#include "params/record.h"

#include <string>

// A missing file is "nicht lesbar", one that does not hold every key "nicht
// vollständig" — the checks and messages of the program's "Öffnen".
bool cli_open_parameter_file(const std::string& path, ParameterRecord& record);
bool cli_save_parameter_file(const ParameterRecord& record, const std::string& path);
