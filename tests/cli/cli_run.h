// Runs kv310r-cli as a child process and collects its exit status and output.
#pragma once

#include <string>
#include <vector>

struct CliResult {
    int status = -1;
    std::string out;
    std::string err;
};

CliResult run_cli(const std::vector<std::string>& args);
