#include "sim/pty_posix.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

std::string sys_error(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

}  // namespace

bool pty_open(Pty& pty, std::string& error) {
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0) {
        error = sys_error("posix_openpt");
        return false;
    }
    char name[PATH_MAX];
    if (grantpt(master) != 0 || unlockpt(master) != 0 || ptsname_r(master, name, sizeof name) != 0) {
        error = sys_error("pty set-up");
        close(master);
        return false;
    }
    int slave = open(name, O_RDWR | O_NOCTTY);
    if (slave < 0) {
        error = sys_error("open pty slave");
        close(master);
        return false;
    }
    // Raw bytes both ways: no echo, no line editing, no CR/LF translation.
    // A client may set its own line settings; a serial port at 38400 8N2 in
    // raw mode is what the program asks for anyway.
    termios tio{};
    if (tcgetattr(slave, &tio) == 0) {
        cfmakeraw(&tio);
        tio.c_cflag |= CLOCAL | CREAD | CSTOPB;
        cfsetispeed(&tio, B38400);
        cfsetospeed(&tio, B38400);
        tcsetattr(slave, TCSANOW, &tio);
    }
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    pty.master = master;
    pty.slave = slave;
    pty.slave_path = name;
    return true;
}

void pty_close(Pty& pty) {
    if (pty.slave >= 0) close(pty.slave);
    if (pty.master >= 0) close(pty.master);
    pty = Pty{};
}

void pty_discard_unread(Pty& pty) {
    if (pty.slave >= 0) tcflush(pty.slave, TCIFLUSH);
}

bool make_symlink(const std::string& link_path, const std::string& target, std::string& error) {
    if (unlink(link_path.c_str()) != 0 && errno != ENOENT) {
        error = sys_error(("remove " + link_path).c_str());
        return false;
    }
    if (symlink(target.c_str(), link_path.c_str()) != 0) {
        error = sys_error(("symlink " + link_path).c_str());
        return false;
    }
    return true;
}

void remove_symlink_to(const std::string& link_path, const std::string& target) {
    char buf[PATH_MAX];
    ssize_t n = readlink(link_path.c_str(), buf, sizeof buf - 1);
    if (n < 0) return;
    buf[n] = '\0';
    if (target == buf) unlink(link_path.c_str());
}
