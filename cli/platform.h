// What differs between a Linux terminal and a Windows console: arguments and
// output as UTF-8, Ctrl+C, whether a stream is a terminal, local time, a short nap for
// the wait loops, and the names ports are opened by. platform_posix.cpp or
// platform_win.cpp is linked in.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

// Sets up the console for the run and returns the arguments after the
// program's name, as UTF-8. On Windows the console shows UTF-8 (umlauts) and
// escape sequences for redrawing in place until the program ends, and output
// is written byte for byte as on Linux (a parameter file's CR LF stays CR LF).
std::vector<std::string> cli_start(int argc, char** argv);

// From here on Ctrl+C (on Windows also Ctrl+Break) sets a flag instead of
// ending the program; the busy window reads it as "Abbruch". It stays set.
void cli_install_interrupt_handler();
bool cli_interrupted();

bool cli_is_terminal(std::FILE* stream);

// Sleeps a fraction of a millisecond (a millisecond on Windows), so a wait
// loop that has nothing to do never spins a core.
void cli_nap();

// The name the system opens for the port the user named. On Windows "COM10"
// and up become "\\.\COM10": without that prefix the name is taken for a file.
std::string cli_port_path(const std::string& name);
