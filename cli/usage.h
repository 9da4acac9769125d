// Every usage text of kv310r-cli in one place: per command its call line, its
// help and the options it takes, and the overview that --help shows.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

struct CommandUsage {
    const char* name;
    const char* synopsis;              // "kv310r-cli read DATEI [--port NAME] [--address LISTE]"
    const char* help;                  // the lines under it, indented by two blanks
    std::vector<std::string> options;  // the options it takes
};

// Null for a command that does not exist.
const CommandUsage* find_command_usage(const std::string& name);

// The overview: every command with its help and the notes on port, address and exit status.
void print_usage(std::FILE* out);
// One command: its call line and help.
void print_command_help(const CommandUsage& usage, std::FILE* out);
// "kv310r-cli 2.3 15.2.2017"
void print_version(std::FILE* out);

// A call the command cannot run: "Aufruf: " and its call line on stderr.
// Returns the exit status of a usage error, 2.
int cli_usage_error(const char* command);
