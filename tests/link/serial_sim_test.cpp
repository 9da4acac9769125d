// The Windows serial backend against the virtual dimmer, through a Wine COM
// port whose other end kv310r-sim holds (scripts/with-sim-com.sh sets it up
// and names the port in KV_TEST_COM): connection test, a full read and a full
// write of the parameter set; and the port's adapter pulled and plugged in
// again (the simulator unplugs the line while the file KV_TEST_UNPLUG_SWITCH
// exists).
#include "link/busy.h"
#include "link/commands.h"
#include "link/device_ops.h"
#include "link/link.h"
#include "link/transactions.h"
#include "port/port.h"
#include "params/record.h"
#include "tests/support/link_fakes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>

namespace {

class SerialSim : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* com = std::getenv("KV_TEST_COM");
        if (!com) GTEST_SKIP() << "no COM port with the virtual dimmer";
        link_init();
        set_port_name(g_port_settings, com);
        g_port_settings.address = 1;
        fake_ui().messages.clear();
    }
    void TearDown() override { link_close(); }
};

TEST_F(SerialSim, ConnectionTestReadAndWrite) {
    busy_open(BusyKind::test);
    VersionData version;
    EXPECT_EQ(connection_test(version), LINK_OK);
    busy_close();
    EXPECT_EQ(version.controller_major, 2);
    EXPECT_EQ(version.controller_minor, 1);

    ParameterRecord record;
    std::memset(&record, 0, sizeof record);
    ASSERT_TRUE(read_parameter_set(nullptr, record));
    ParameterRecord factory;
    apply_defaults(factory);
    EXPECT_EQ(std::memcmp(device_image(record), device_image(factory), DEVICE_IMAGE_SIZE), 0);

    record.user_curve[0][7] = 0x7e;  // goes out stuffed
    set_fade_time(record.dimmer[1], 4321);
    ASSERT_TRUE(write_parameter_set(nullptr, record));

    ParameterRecord back;
    std::memset(&back, 0, sizeof back);
    ASSERT_TRUE(read_parameter_set(nullptr, back));
    EXPECT_EQ(std::memcmp(device_image(back), device_image(record), DEVICE_IMAGE_SIZE), 0);

    ASSERT_EQ(fake_ui().messages.size(), 3u);
    EXPECT_EQ(fake_ui().messages[0].text, "Dimmerparameter wurden zum PC übertragen");
    EXPECT_EQ(fake_ui().messages[1].text, "PC-Parameter wurden im Dimmer abgespeichert");
}

// Polls until done() or two seconds passed (the simulator looks at its
// switch file at least every 200 ms).
bool within_two_seconds(const std::function<bool()>& done) {
    const uint32_t start = tick_count_ms();
    while (!done()) {
        if (tick_count_ms() - start > 2000) return false;
        port_wait_readable(PORT_INVALID, 10);
    }
    return true;
}

TEST_F(SerialSim, PulledAdapterFailsReadsAndWritesAndComesBackUnderItsName) {
    const char* pulled = std::getenv("KV_TEST_UNPLUG_SWITCH");
    if (!pulled) GTEST_SKIP() << "no switch to unplug the virtual dimmer's line";
    const uint8_t version_request[] = {0x7f, 0x01, 0x08, 0xf7, 0x7f};

    // The port itself: a working port reads as empty, not as failed.
    PortHandle port = port_open(g_port_settings.name);
    ASSERT_NE(port, PORT_INVALID);
    uint8_t buffer[64];
    EXPECT_EQ(port_read(port, buffer, sizeof buffer), 0);
    EXPECT_EQ(port_write(port, version_request, sizeof version_request), 5);

    // Pulled: reads and writes fail from then on (under Wine a read finds the
    // pseudo-terminal empty, so only the backend's check tells), and the name
    // no longer opens.
    std::ofstream(pulled) << "x";
    EXPECT_TRUE(within_two_seconds([&] { return port_read(port, buffer, sizeof buffer) < 0; }));
    EXPECT_LT(port_read(port, buffer, sizeof buffer), 0);
    EXPECT_LT(port_write(port, version_request, sizeof version_request), 0);
    EXPECT_EQ(port_open(g_port_settings.name), PORT_INVALID);
    port_close(port);

    // Plugged in again: the name opens afresh and the dimmer answers.
    std::remove(pulled);
    EXPECT_TRUE(within_two_seconds([&] {
        port = port_open(g_port_settings.name);
        return port != PORT_INVALID;
    }));
    port_close(port);
    busy_open(BusyKind::test);
    VersionData version;
    EXPECT_EQ(connection_test(version), LINK_OK);

    // The link: a transaction on a port that is pulled under it ends with the
    // port error at the first failing read, not after the time-out, and the
    // port is closed.
    std::ofstream(pulled) << "x";
    port_wait_readable(PORT_INVALID, 1000);  // the simulator unplugs within 200 ms
    const uint32_t start = tick_count_ms();
    send_request(OPCODE_VERSION, nullptr, 0);
    Frame reply;
    EXPECT_EQ(wait_for_reply({OPCODE_VERSION, 2, {}, 0}, 1000, &reply), LINK_ERR_PORT);
    EXPECT_LT(tick_count_ms() - start, 500u);
    EXPECT_FALSE(link_port_is_open());
    EXPECT_TRUE(link_port_failed());
    busy_close();
    std::remove(pulled);
}

}  // namespace
