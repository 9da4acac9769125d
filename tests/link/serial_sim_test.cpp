// The Windows serial backend against the virtual dimmer, through a Wine COM
// port whose other end kv310r-sim holds (scripts/with-sim-com.sh sets it up
// and names the port in KV_TEST_COM): connection test, a full read and a full
// write of the parameter set.
#include "link/busy.h"
#include "link/commands.h"
#include "link/device_ops.h"
#include "link/link.h"
#include "params/record.h"
#include "tests/support/link_fakes.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

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

}  // namespace
