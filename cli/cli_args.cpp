#include "cli/cli_args.h"

bool cli_option_takes_value(const std::string& name) {
    static const char* const with_value[] = {"--port",    "--address", "--dimmer",      "--kind",
                                             "--section", "--range",   "--half-period", "-o",
                                             "--timeout", "--csv",     "--protocol"};
    for (const char* n : with_value)
        if (name == n) return true;
    return false;
}

std::optional<CliArgs> parse_cli_args(const std::vector<std::string>& argv, std::string& error) {
    CliArgs args;
    for (size_t i = 0; i < argv.size(); ++i) {
        const std::string& a = argv[i];
        if (a == "--help" || a == "-h") {
            args.help = true;
        } else if (a == "--version") {
            args.version = true;
        } else if (a.size() > 1 && a[0] == '-') {
            std::string name = a, value;
            if (auto eq = a.find('='); eq != std::string::npos && a.rfind("--", 0) == 0) {
                name = a.substr(0, eq);
                value = a.substr(eq + 1);
            } else if (cli_option_takes_value(a)) {
                if (i + 1 >= argv.size()) {
                    error = "Option " + a + " braucht einen Wert";
                    return std::nullopt;
                }
                value = argv[++i];
            }
            args.options.emplace_back(name, value);
        } else if (args.command.empty()) {
            args.command = a;
        } else {
            args.operands.push_back(a);
        }
    }
    return args;
}

std::optional<std::string> cli_option(const CliArgs& args, const std::string& name) {
    std::optional<std::string> v;
    for (const auto& [n, value] : args.options)
        if (n == name) v = value;
    return v;
}
