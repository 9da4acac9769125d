// Port settings: the settings file, the dialog's field rules, the port search
// over every COM name and the connection test after "OK".
#include "base/settings.h"
#include "link/busy.h"
#include "link/commands.h"
#include "link/port_settings.h"
#include "tests/support/link_fakes.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

namespace {

struct PortSettingsTest : ::testing::Test {
    TempDir dir;
    void SetUp() override {
        reset_link_world();
        settings_set_directory(dir.file(""));
    }
};

PortSettings settings_of(const char* name, uint32_t address) {
    PortSettings s{};
    set_port_name(s, name);
    s.address = address;
    return s;
}

// A dimmer at address 1 that answers the version query only on this port.
void dimmer_on(const std::string& port) {
    fake_port().responder = [port](const Frame& f) {
        if (fake_port().opened_name == port && f.code == OPCODE_VERSION && f.address == 1)
            fake_port_reply(OPCODE_VERSION, {2, 1, 1, 4, 1, 4}, 20);
    };
}

TEST_F(PortSettingsTest, LoadClearsAndLimitsTheAddress) {
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
        {"[PROP]\r\nPORT=COM1\r\nRS485ADR=300\r\n", "COM1", 0, "COM1 / 0"},  // one byte on the line
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
        EXPECT_EQ(port_settings_status_text(g_port_settings), c.status);
    }
}

TEST_F(PortSettingsTest, StoreWritesBothKeysAndLongNamesAreCutInTheStatusText) {
    g_port_settings = settings_of("COM3", 7);
    port_settings_store();
    EXPECT_EQ(read_bytes(settings_path()), "[PROP]\r\nPORT=COM3\r\nRS485ADR=7\r\n");
    set_port_name(g_port_settings, std::string(127, 'x'));
    EXPECT_EQ(port_settings_status_text(g_port_settings), std::string(127, 'x') + " / 7");
}

TEST_F(PortSettingsTest, LoadAndSaveThroughTheSettingsFile) {
    settings_write_text("PROP", "PORT", "\\\\.\\COM12");
    settings_write_int("PROP", "RS485ADR", 300);
    port_settings_load();
    EXPECT_STREQ(g_port_settings.name, "\\\\.\\COM12");
    EXPECT_EQ(g_port_settings.address, 0u);  // above 255: taken as 0

    g_port_settings = settings_of("COM4", 17);
    port_settings_store();
    g_port_settings = settings_of("", 0);
    port_settings_load();
    EXPECT_STREQ(g_port_settings.name, "COM4");
    EXPECT_EQ(g_port_settings.address, 17u);
    EXPECT_EQ(port_settings_status_text(g_port_settings), "COM4 / 17");
}

TEST_F(PortSettingsTest, DialogFieldRules) {
    PortSettings s = settings_of("COM1", 1);
    port_settings_take_name(s, " COM3 und mehr");
    EXPECT_STREQ(s.name, "COM3");

    struct Case {
        const char* typed;
        uint32_t address;
    };
    const Case cases[] = {{"", 0}, {"  12abc", 12}, {"abc", 0}, {"255", 255}, {"300", 255}, {"-5", 255}};
    for (const Case& c : cases) {
        port_settings_take_address(s, c.typed);
        EXPECT_EQ(s.address, c.address) << c.typed;
    }
    EXPECT_EQ(port_address_field_text(0), "");
    EXPECT_EQ(port_address_field_text(7), "7");
}

TEST_F(PortSettingsTest, SearchNamesInOrder) {
    EXPECT_EQ(port_search_name(0), "COM1");
    EXPECT_EQ(port_search_name(127), "COM128");
    EXPECT_EQ(port_search_name(128), "\\\\.\\COM10");
    EXPECT_EQ(port_search_name(PORT_SEARCH_NAMES - 1), "\\\\.\\COM128");
}

TEST_F(PortSettingsTest, SearchFindsTheFirstPortWhoseDimmerAnswers) {
    // COM3 opens but nothing answers there; the dimmer is on COM5.
    fake_port().opens = [](const std::string& n) { return n == "COM3" || n == "COM5" || n == "COM9"; };
    dimmer_on("COM5");
    const PortSettings copy = settings_of("COM2", 1);
    EXPECT_EQ(port_search(nullptr, copy), PortSearchResult::found);
    EXPECT_STREQ(g_port_settings.name, "COM5");
    EXPECT_EQ(g_port_settings.address, 1u);
    EXPECT_FALSE(link_port_is_open());
    EXPECT_FALSE(fake_busy().open);
    EXPECT_EQ(fake_busy().kind, BusyKind::test);
    EXPECT_EQ(fake_port().tried_names.back(), "COM5");
    EXPECT_TRUE(fake_ui().messages.empty());
}

TEST_F(PortSettingsTest, SearchWithTheDialogsAddress) {
    fake_port().opens = [](const std::string& n) { return n == "COM2"; };
    dimmer_on("COM2");  // answers address 1 only
    EXPECT_EQ(port_search(nullptr, settings_of("COM8", 4)), PortSearchResult::not_found);
    EXPECT_STREQ(g_port_settings.name, "COM8");
    EXPECT_EQ(g_port_settings.address, 4u);
}

TEST_F(PortSettingsTest, SearchThatFindsNothingTriesEveryNameAndRestores) {
    fake_port().refuse_open = true;
    int marker = 0;
    EXPECT_EQ(port_search(&marker, settings_of("COM8", 3)), PortSearchResult::not_found);
    ASSERT_EQ(fake_port().tried_names.size(), size_t(PORT_SEARCH_NAMES));
    EXPECT_EQ(fake_port().tried_names[128], "\\\\.\\COM10");
    EXPECT_STREQ(g_port_settings.name, "COM8");
    EXPECT_EQ(g_port_settings.address, 3u);
    ASSERT_EQ(fake_ui().messages.size(), 1u);
    EXPECT_EQ(fake_ui().messages[0].text, "Kommunikationsport wurde nicht erkannt");
    EXPECT_EQ(fake_ui().messages[0].type, KV_MB_ERROR);
    EXPECT_EQ(fake_ui().messages[0].owner, &marker);
}

TEST_F(PortSettingsTest, CancelledSearchRestoresSilently) {
    fake_port().refuse_open = true;
    fake_busy().cancel_after = 4;
    EXPECT_EQ(port_search(nullptr, settings_of("COM8", 3)), PortSearchResult::cancelled);
    EXPECT_EQ(fake_port().tried_names.size(), 3u);
    EXPECT_STREQ(g_port_settings.name, "COM8");
    EXPECT_TRUE(fake_ui().messages.empty());
}

TEST_F(PortSettingsTest, AcceptTakesTheValuesAndTestsTheConnection) {
    dimmer_on("COM5");
    EXPECT_EQ(port_settings_accept(nullptr, settings_of("COM5", 1)), LINK_OK);
    EXPECT_TRUE(fake_ui().messages.empty());
    EXPECT_FALSE(link_port_is_open());

    // A silent port keeps the new values and says so.
    EXPECT_EQ(port_settings_accept(nullptr, settings_of("COM6", 1)), LINK_ERR_COMM);
    EXPECT_STREQ(g_port_settings.name, "COM6");
    ASSERT_EQ(fake_ui().messages.size(), 1u);
    EXPECT_EQ(fake_ui().messages[0].text, "Kommunikation mit KV-310-R ist fehlerhaft");

    EXPECT_EQ(port_settings_accept(nullptr, settings_of("", 1)), LINK_ERR_NO_PORT);
    EXPECT_EQ(fake_ui().messages.back().text, "Kommunikationsport muss ausgewählt werden");
}

}  // namespace
