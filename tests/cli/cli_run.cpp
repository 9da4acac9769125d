#include "tests/cli/cli_run.h"

#include "tests/support/temp_dir.h"

#include <cstdlib>
#include <sys/wait.h>

namespace {

std::string quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) {
        if (c == '\'')
            q += "'\\''";
        else
            q += c;
    }
    return q + "'";
}

}  // namespace

CliResult run_cli(const std::vector<std::string>& args) {
    TempDir dir;
    std::string cmd = quote(KV_CLI_PATH);
    for (const auto& a : args) cmd += " " + quote(a);
    cmd += " >" + quote(dir.file("out")) + " 2>" + quote(dir.file("err")) + " </dev/null";
    CliResult r;
    const int raw = std::system(cmd.c_str());
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = read_bytes(dir.file("out"));
    r.err = read_bytes(dir.file("err"));
    return r;
}
