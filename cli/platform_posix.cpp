#include "cli/platform.h"

#include <csignal>
#include <ctime>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

void on_interrupt(int) { g_interrupted = 1; }

}  // namespace

std::vector<std::string> cli_start(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

void cli_install_interrupt_handler() { std::signal(SIGINT, on_interrupt); }

bool cli_interrupted() { return g_interrupted != 0; }

bool cli_is_terminal(std::FILE* stream) { return isatty(fileno(stream)) != 0; }

void cli_nap() {
    const timespec pause = {0, 200'000};
    nanosleep(&pause, nullptr);
}

std::string cli_port_path(const std::string& name) { return name; }
