// The serial port on Linux and other POSIX systems: a tty device such as
// /dev/ttyUSB0, or the slave side of a pseudo-terminal (the virtual dimmer).
#include "port/port.h"

#include <cerrno>
#include <chrono>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

// Write time-out as on the Windows side: 5 ms per byte plus 5 ms. At 38400
// baud a byte takes under 0.3 ms, so only a stalled line runs into it.
int write_deadline_ms(size_t count) { return int(5 * count + 5); }

// A hung-up terminal reports POLLHUP (with POLLERR) at once, and keeps doing so.
bool line_hung_up(int fd) {
    pollfd p = {fd, POLLIN, 0};
    return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

int64_t now_ms() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

PortHandle port_open(const char* name) {
    // O_NOCTTY: the port must never become the controlling terminal.
    // O_NONBLOCK: reads return at once, and the open does not wait for carrier.
    const int fd = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return PORT_INVALID;
    termios tio;
    if (tcgetattr(fd, &tio) != 0) {  // not a terminal device
        ::close(fd);
        return PORT_INVALID;
    }
    // Exclusive use: further opens fail with EBUSY (except for root).
    ioctl(fd, TIOCEXCL);

    // 38400 baud, 8 data bits, no parity, 2 stop bits, raw bytes both ways,
    // no software or hardware flow control, modem lines ignored.
    cfmakeraw(&tio);
    cfsetispeed(&tio, B38400);
    cfsetospeed(&tio, B38400);
    tio.c_cflag &= ~(CSIZE | PARENB | CRTSCTS);
    tio.c_cflag |= CS8 | CSTOPB | CREAD | CLOCAL;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    tcsetattr(fd, TCSANOW, &tio);

    // Raise DTR and RTS; RTS stays raised, the adapter switches the RS485
    // direction itself. A pseudo-terminal has no modem lines and refuses this.
    int lines = TIOCM_DTR | TIOCM_RTS;
    ioctl(fd, TIOCMBIS, &lines);
    return fd;
}

void port_close(PortHandle port) {
    if (port != PORT_INVALID) ::close(int(port));
}

int port_read(PortHandle port, uint8_t* buffer, size_t max) {
    if (port == PORT_INVALID) return -1;
    const ssize_t n = ::read(int(port), buffer, max);
    if (n > 0) return int(n);
    if (n < 0) return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR ? 0 : -1;
    // With VMIN and VTIME 0 an empty read returns 0, and so does a terminal
    // that was hung up: a USB adapter pulled, or a pseudo-terminal whose
    // other side closed. Only poll tells them apart; a hung-up terminal never
    // delivers again, so it counts as failed.
    return line_hung_up(int(port)) ? -1 : 0;
}

int port_write(PortHandle port, const uint8_t* bytes, size_t count) {
    if (port == PORT_INVALID) return -1;
    const int64_t deadline = now_ms() + write_deadline_ms(count);
    size_t done = 0;
    while (done < count) {
        const ssize_t n = ::write(int(port), bytes + done, count - done);
        if (n > 0) {
            done += size_t(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return -1;
        const int64_t left = deadline - now_ms();
        if (left <= 0) break;
        pollfd p = {int(port), POLLOUT, 0};
        ::poll(&p, 1, int(left));
    }
    return int(done);
}

void port_wait_readable(PortHandle port, unsigned max_ms) {
    if (port == PORT_INVALID) {
        std::this_thread::sleep_for(std::chrono::milliseconds(max_ms));
        return;
    }
    pollfd p = {int(port), POLLIN, 0};
    if (::poll(&p, 1, int(max_ms)) > 0 && (p.revents & (POLLHUP | POLLERR))) {
        // The other side hung up: poll would report this at once on every
        // call (Linux with POLLIN as well, though a read finds nothing), so
        // wait the full time instead of spinning.
        std::this_thread::sleep_for(std::chrono::milliseconds(max_ms));
    }
}
