// Command-line arguments: the command word, its operands, and the options that
// may stand before or after the command word.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct CliArgs {
    std::string command;
    std::vector<std::string> operands;
    std::vector<std::pair<std::string, std::string>> options;  // "--name", value ("" for flags)
    bool help = false;
    bool version = false;  // --version: the tool's version, whatever else is given
};

// Options that take a value; every other "--x" is a flag.
bool cli_option_takes_value(const std::string& name);

// Nothing, with a message in `error`, when the arguments cannot be parsed.
std::optional<CliArgs> parse_cli_args(const std::vector<std::string>& argv, std::string& error);

// The option's value, when given (the last one wins).
std::optional<std::string> cli_option(const CliArgs& args, const std::string& name);
