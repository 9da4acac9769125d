#include "app/port_settings.h"

#include "app/file_io.h"
#include "app/settings.h"
#include "link/link.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

struct PortSettingsTest : testing::Test {
    TempDir dir;
    void SetUp() override { settings_set_directory(dir.path.string() + "/"); }
    void TearDown() override { settings_set_directory(""); }
};

} // namespace

TEST_F(PortSettingsTest, LoadClearsAndLimitsTheAddress)
{
    struct Case {
        const char* file;
        const char* port;
        uint32_t address;
        const char* status;
    };
    const Case cases[] = {
        {"", "", 0, " / 0"},
        {"[PROP]\r\nPORT=COM7\r\nRS485ADR=12\r\n", "COM7", 12, "COM7 / 12"},
        {"[PROP]\r\nPORT=\\\\.\\COM12\r\nRS485ADR=255\r\n", "\\\\.\\COM12", 255, "\\\\.\\COM12 / 255"},
        {"[PROP]\r\nPORT=COM1\r\nRS485ADR=300\r\n", "COM1", 0, "COM1 / 0"}, // one byte on the line
        {"[PROP]\r\nRS485ADR=-1\r\n", "", 0, " / 0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        write_bytes(settings_path(), c.file);
        set_port_name(g_port_settings, "stale");
        g_port_settings.address = 99;
        port_settings_load();
        EXPECT_STREQ(g_port_settings.name, c.port);
        EXPECT_EQ(g_port_settings.address, c.address);
        EXPECT_EQ(port_settings_text(), c.status);
    }
}

TEST_F(PortSettingsTest, StoreWritesBothKeysAndLongNamesAreCutInTheStatusText)
{
    set_port_name(g_port_settings, "COM3");
    g_port_settings.address = 7;
    port_settings_store();
    EXPECT_EQ(read_bytes(settings_path()), "[PROP]\r\nPORT=COM3\r\nRS485ADR=7\r\n");

    set_port_name(g_port_settings, std::string(127, 'x'));
    EXPECT_EQ(port_settings_text(), std::string(127, 'x') + " / 7");
}
