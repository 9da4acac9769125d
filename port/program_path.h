// Where the running program lies: its settings file "Kv310r.ini" and the
// traffic log are kept beside it (program_directory_of in base/text.h).
#pragma once

#include <string>

// The executable's full path, UTF-8; empty when the system does not tell.
std::string executable_path();
