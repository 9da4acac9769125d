// The real serial backend of the platform the tests run on. On POSIX the port
// is the slave side of a pseudo-terminal whose master plays the dimmer; under
// Windows only the refusal of a missing port is checked (a COM port on a
// pseudo-terminal needs the Linux side, see the end-to-end tests).
#include <gtest/gtest.h>

#include <vector>

#include "port/port.h"

#ifndef _WIN32

#include <atomic>
#include <chrono>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include "link/busy.h"
#include "link/commands.h"
#include "link/frame.h"
#include "link/link.h"
#include "tests/support/link_fakes.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Pty {
    int master = -1;
    std::string slave_name;
    Pty() {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return;
        slave_name = ptsname(master);
    }
    ~Pty() {
        if (master >= 0) close(master);
    }
};

// Reads from fd until count bytes arrived or a second passed.
Bytes read_some(int fd, size_t count) {
    Bytes out;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (out.size() < count && std::chrono::steady_clock::now() < deadline) {
        pollfd p = {fd, POLLIN, 0};
        if (poll(&p, 1, 50) <= 0) continue;
        uint8_t buffer[256];
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n > 0) out.insert(out.end(), buffer, buffer + n);
    }
    return out;
}

TEST(SerialPosix, PseudoTerminalCarriesRawBytesAt38400_8N2) {
    Pty pty;
    ASSERT_FALSE(pty.slave_name.empty());
    const PortHandle port = port_open(pty.slave_name.c_str());
    ASSERT_NE(port, PORT_INVALID);

    termios tio;
    ASSERT_EQ(tcgetattr(int(port), &tio), 0);
    EXPECT_EQ(cfgetispeed(&tio), speed_t(B38400));
    EXPECT_EQ(cfgetospeed(&tio), speed_t(B38400));
    EXPECT_EQ(tio.c_cflag & CSIZE, tcflag_t(CS8));
    EXPECT_TRUE(tio.c_cflag & CSTOPB);
    EXPECT_FALSE(tio.c_cflag & PARENB);
    EXPECT_FALSE(tio.c_lflag & (ICANON | ECHO | ISIG));
    EXPECT_FALSE(tio.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP));
    EXPECT_FALSE(tio.c_oflag & OPOST);

    // Nothing waiting: the read returns at once and the wait ends by time.
    uint8_t buffer[64];
    EXPECT_EQ(port_read(port, buffer, sizeof buffer), 0);
    const uint32_t before = tick_count_ms();
    port_wait_readable(port, 20);
    EXPECT_GE(tick_count_ms() - before, 15u);

    // Every byte value crosses unchanged both ways, line-control characters
    // (CR, LF, Ctrl+C, XON, XOFF, DEL) included.
    Bytes all(256);
    for (int i = 0; i < 256; ++i) all[size_t(i)] = uint8_t(i);
    EXPECT_EQ(port_write(port, all.data(), all.size()), 256);
    EXPECT_EQ(read_some(pty.master, 256), all);

    ASSERT_EQ(write(pty.master, all.data(), all.size()), 256);
    port_wait_readable(port, 1000);
    Bytes got;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (got.size() < 256 && std::chrono::steady_clock::now() < deadline) {
        const int n = port_read(port, buffer, sizeof buffer);
        ASSERT_GE(n, 0);
        got.insert(got.end(), buffer, buffer + n);
        if (n == 0) port_wait_readable(port, 5);
    }
    EXPECT_EQ(got, all);
    port_close(port);

    EXPECT_EQ(port_open("/nonexistent/ttyKV"), PORT_INVALID);
    EXPECT_EQ(port_open("/dev/null"), PORT_INVALID);  // not a terminal
}

TEST(SerialPosix, AHungUpLineFailsReadsAndWrites) {
    // The other side closes, as when a USB adapter is pulled: an empty read
    // and a hung-up line both return nothing from read(), but only the
    // hung-up one is a failure, and it stays one.
    Pty pty;
    ASSERT_FALSE(pty.slave_name.empty());
    const PortHandle port = port_open(pty.slave_name.c_str());
    ASSERT_NE(port, PORT_INVALID);
    uint8_t buffer[64];
    const uint8_t request[] = {0x7f, 0x01, 0x08, 0xf7, 0x7f};
    EXPECT_EQ(port_read(port, buffer, sizeof buffer), 0);
    EXPECT_EQ(port_write(port, request, sizeof request), 5);

    close(pty.master);
    pty.master = -1;
    EXPECT_EQ(port_read(port, buffer, sizeof buffer), -1);
    EXPECT_EQ(port_read(port, buffer, sizeof buffer), -1);
    EXPECT_EQ(port_write(port, request, sizeof request), -1);
    // Waiting on it does not return at once over and over.
    const uint32_t before = tick_count_ms();
    port_wait_readable(port, 20);
    EXPECT_GE(tick_count_ms() - before, 15u);
    port_close(port);
}

TEST(SerialPosix, ConnectionTestAgainstADimmerOnThePty) {
    Pty pty;
    ASSERT_FALSE(pty.slave_name.empty());
    // The real port and clock; only the busy window is the fake.
    link_init();
    fake_busy() = FakeBusy{};
    set_port_name(g_port_settings, pty.slave_name);
    g_port_settings.address = 1;

    // The dimmer: answers the version query on the master side.
    std::atomic<bool> stop{false};
    std::thread dimmer([&] {
        FrameParser parser;
        frame_parser_reset(parser);
        while (!stop) {
            pollfd p = {pty.master, POLLIN, 0};
            if (poll(&p, 1, 20) <= 0) continue;
            uint8_t b;
            if (read(pty.master, &b, 1) != 1) continue;
            if (!frame_parser_push(parser, b)) continue;
            const uint8_t version[6] = {2, 3, 1, 4, 1, 5};
            uint8_t frame[FRAME_MAX_STUFFED];
            const size_t n = frame_encode(1, 0, OPCODE_VERSION, version, sizeof version, frame);
            (void)!write(pty.master, frame, n);
        }
    });

    busy_open(BusyKind::connection);
    VersionData version;
    EXPECT_EQ(connection_test(version), LINK_OK);
    EXPECT_EQ(version.controller_major, 2);
    EXPECT_EQ(version.dimmer_minor[1], 5);
    busy_close();
    link_close();
    stop = true;
    dimmer.join();
}

}  // namespace

#else  // _WIN32

TEST(SerialWin, MissingPortIsRefused) {
    EXPECT_EQ(port_open("\\\\.\\COM250"), PORT_INVALID);
    EXPECT_EQ(port_open("KV310R-no-such-port"), PORT_INVALID);
}

#endif
