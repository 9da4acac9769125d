#include <climits>
#include <unistd.h>

#include "port/program_path.h"

std::string executable_path() {
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    return n > 0 ? std::string(path, size_t(n)) : std::string();
}
