// The dimmer-status page's texts, control-source decoding and test-drive
// arithmetic.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "base/bytes.h"
#include "base/text.h"
#include "measure/status_text.h"

namespace {

// A status with both dimmers present and every field set to something telling.
StatusSlot sample_slot() {
    StatusSlot slot = {};
    slot.valid = 1;
    StatusRecord& s = slot.status;
    s.controller_version[0] = 2;
    s.controller_version[1] = 13;
    s.dimmer_version[0][0] = 1;
    s.dimmer_version[0][1] = 4;
    s.dimmer_version[1][0] = 1;
    s.dimmer_version[1][1] = 5;
    put_u16le(s.supply_voltage, 2048);
    put_u16le(s.front_temperature, 253);
    put_u16le(s.control_input[0], 1000);
    put_u16le(s.control_input[1], 4095);
    put_u16le(s.control_level[0], 32768);
    put_u16le(s.control_level[1], 65535);
    put_u16le(s.potentiometer[0], 2047);
    put_u16le(s.potentiometer[1], 4095);
    s.dip[0] = 0x04;
    s.dip[1] = 0x00;
    s.dip[2] = 0x0c;
    s.dip[3] = 0x01;
    for (int d = 0; d < 2; ++d) {
        DimmerMeasurement& m = s.measurement[d];
        m.present = 1;
        put_u16le(m.temperature, 412);
        put_u16le(m.input_voltage, 2301);
        put_u16le(m.peak_current, 1234);
        put_u16le(m.effective_power, 150);
        put_u16le(m.peak_power, 320);
        put_u16le(m.power_loss, 1550);
        put_u32le(m.peak_power_loss, 70000);
        put_u16le(m.mains_frequency, 4998);
        put_u16le(m.processor_clock, 24576);
        DimmerControlState& c = s.control[d];
        put_u16le(c.on_time, uint16_t(3000 + d));
        c.phase_mode = uint8_t(d);
    }
    return slot;
}

TEST(StatusTexts, FieldsAsThePageShowsThem) {
    const StatusTexts t = status_texts(sample_slot());
    EXPECT_EQ(t.controller_version, "V2.13");
    EXPECT_EQ(t.dimmer_version[0], "V1.4");
    EXPECT_EQ(t.dimmer_version[1], "V1.5");
    EXPECT_EQ(t.supply_voltage, "3.30 V");
    EXPECT_EQ(t.front_temperature, "25.3 \u00b0C");
    EXPECT_EQ(t.control_input[0], "1000");
    EXPECT_EQ(t.control_input_percent[0], "50 %");
    EXPECT_EQ(t.control_input_percent[1], "100 %");
    EXPECT_EQ(t.control_input_bar[1], 4095u);
    EXPECT_EQ(t.potentiometer[0], "2047");
    EXPECT_EQ(t.potentiometer_percent[0], "49 %");
    EXPECT_EQ(t.potentiometer_bar[0], 2047u);
    EXPECT_EQ(t.dip[0], "04");
    EXPECT_EQ(t.dip[2], "0c");
    const DimmerStatusTexts& d = t.dimmer[0];
    EXPECT_EQ(d.temperature, "41.2 \u00b0C");
    EXPECT_EQ(d.input_voltage, "230.1 V");
    EXPECT_EQ(d.peak_current, "1.23 A");
    EXPECT_EQ(d.effective_power, "150 W");
    EXPECT_EQ(d.peak_power, "320 W");
    EXPECT_EQ(d.power_loss, "1.6 W");
    EXPECT_EQ(d.peak_power_loss, "70.0 W");
    EXPECT_EQ(d.mains_frequency, "49.98 Hz");
    EXPECT_EQ(d.processor_clock, "24.576 MHz");
    EXPECT_EQ(d.on_time, "3000");
    EXPECT_EQ(d.phase_mode, "ABschnitt");
    EXPECT_EQ(t.dimmer[1].phase_mode, "ANschnitt");
}

TEST(StatusTexts, EmptyFields) {
    StatusSlot slot = sample_slot();
    slot.status.measurement[1].present = 0;
    slot.status.dimmer_version[0][0] = 0;
    slot.status.dimmer_version[0][1] = 0;
    slot.status.dimmer_version[1][0] = 0;  // 0.1 still shows
    slot.status.control[0].phase_mode = 2;
    StatusTexts t = status_texts(slot);
    EXPECT_EQ(t.dimmer_version[0], "");
    EXPECT_EQ(t.dimmer_version[1], "V0.5");
    EXPECT_EQ(t.dimmer[0].phase_mode, "");
    EXPECT_EQ(t.dimmer[0].temperature, "41.2 \u00b0C");
    const DimmerStatusTexts& d2 = t.dimmer[1];
    for (const std::string* s : {&d2.temperature, &d2.input_voltage, &d2.peak_current, &d2.effective_power,
                                 &d2.peak_power, &d2.power_loss, &d2.peak_power_loss, &d2.mains_frequency,
                                 &d2.processor_clock, &d2.on_time, &d2.phase_mode})
        EXPECT_EQ(*s, "");

    // Nothing at all from a cleared slot.
    slot.valid = 0;
    t = status_texts(slot);
    EXPECT_EQ(t.controller_version, "");
    EXPECT_EQ(t.supply_voltage, "");
    EXPECT_EQ(t.potentiometer_percent[1], "");
    EXPECT_EQ(t.control_input_bar[0], 0u);
    EXPECT_EQ(t.potentiometer_bar[1], 0u);
    EXPECT_EQ(t.dip[3], "");
    EXPECT_EQ(t.dimmer[0].temperature, "");
    EXPECT_EQ(t.diagnostics, "");
}

TEST(StatusTexts, PowerThresholds) {
    struct Case {
        uint16_t effective, peak, loss;
        const char *effective_text, *peak_text, *loss_text;
    };
    const std::vector<Case> cases = {
        {0, 0, 0, "0 W", "0 W", "<0.5 W"},
        {1, 1, 1, "<5 W", "<30 W", "<0.5 W"},
        {4, 29, 499, "<5 W", "<30 W", "<0.5 W"},
        {5, 30, 500, "5 W", "30 W", "0.5 W"},
        {2300, 3000, 65535, "2300 W", "3000 W", "65.5 W"},
    };
    for (const Case& c : cases) {
        StatusSlot slot = sample_slot();
        DimmerMeasurement& m = slot.status.measurement[1];
        put_u16le(m.effective_power, c.effective);
        put_u16le(m.peak_power, c.peak);
        put_u16le(m.power_loss, c.loss);
        put_u32le(m.peak_power_loss, c.loss);
        const DimmerStatusTexts d = status_texts(slot).dimmer[1];
        EXPECT_EQ(d.effective_power, c.effective_text) << c.effective;
        EXPECT_EQ(d.peak_power, c.peak_text) << c.peak;
        EXPECT_EQ(d.power_loss, c.loss_text) << c.loss;
        EXPECT_EQ(d.peak_power_loss, c.loss_text) << c.loss;
    }
}

TEST(StatusTexts, PotentiometerScaling) {
    struct Case {
        uint16_t count;
        uint32_t level;
        const char* percent;
    };
    const std::vector<Case> cases = {
        {0, 0, "0 %"},         {20, 0, "0 %"},         {21, 16, "0 %"},        {2047, 32759, "49 %"},
        {4074, 65518, "99 %"}, {4075, 65535, "100 %"}, {4095, 65535, "100 %"}, {65535, 65535, "100 %"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(potentiometer_level(c.count), c.level) << c.count;
        StatusSlot slot = sample_slot();
        put_u16le(slot.status.potentiometer[1], c.count);
        EXPECT_EQ(status_texts(slot).potentiometer_percent[1], c.percent) << c.count;
    }
}

TEST(ControlSource, DecodesTheDipSwitches) {
    struct Case {
        uint8_t dip[4];
        uint8_t master_slave;
        const char* mode_line;
    };
    const std::vector<Case> cases = {
        {{0x01, 0x08, 0x0f, 0x0f}, 0, "Mode: DMX, 8bit, addr 511\r\n"},
        {{0x03, 0x00, 0x01, 0x08}, 0, "Mode: DMX, 16bit, addr 129\r\n"},
        {{0x00, 0x00, 0x00, 0x00}, 0, "Mode: TARVIX\r\n"},
        {{0x04, 0x00, 0x01, 0x00}, 0, "Mode: RS485, addr 128\r\n"},
        {{0x04, 0x08, 0x00, 0x01}, 1, "Mode: RS485, addr 8 Master/slave\r\n"},
        {{0x02, 0x00, 0x00, 0x00}, 0, "Mode: U-Ctrl, 0-10V, 0-10V\r\n"},
        {{0x06, 0x00, 0x04, 0x00}, 0, "Mode: U-Ctrl, ext 1-10V, ext 1-10V\r\n"},
        {{0x02, 0x00, 0x04, 0x00}, 0, "Mode: U-Ctrl, 0-10V, ext 1-10V\r\n"},
        {{0x02, 0x00, 0x02, 0x00}, 1, "Mode: Btn-Ctrl Master/slave\r\n"},
    };
    for (const Case& c : cases) {
        StatusRecord s = {};
        std::memcpy(s.dip, c.dip, 4);
        s.master_slave = c.master_slave;
        const std::string text = status_diagnostics(s);
        EXPECT_EQ(text.substr(0, text.find("\r\n") + 2), c.mode_line);
    }
    const uint8_t button[4] = {0x02, 0x00, 0x02, 0x00};
    const ControlSource b = decode_control_source(button);
    EXPECT_EQ(b.mode, CONTROL_BUTTON);
    EXPECT_TRUE(b.external[0] && b.external[1]);
}

TEST(StatusDiagnostics, TheWholeBlock) {
    StatusRecord s = {};
    s.board_warnings = 0x06;
    put_u16le(s.idle_counter, 40000);  // shown doubled, beyond 16 bits
    put_u16le(s.timer_counter, 7);
    s.control[0] = {1, 2, 0xab, 0x10, 0xff, {0x34, 0x12}, 5, 6, {0x10, 0x00}, 1};
    put_u16le(s.tx_counter[0], 11);
    put_u16le(s.rx_counter[0], 12);
    put_u16le(s.tx_counter[1], 21);
    put_u16le(s.rx_counter[1], 22);
    EXPECT_EQ(
        status_diagnostics(s),
        "Mode: TARVIX\r\n"
        "Board temperature error , U warning \r\n"
        "Cnt-idle 80000 Cnt-tim 7\r\n"
        "Dim1 CommStat 1 DimStat 2 Flags ab Warnings 10 Master/slave ff Ctrl/T 4660/16 "
        "CtrlMode/r-s/TMode 5/6/1\r\n"
        "Cnt-Tx 11 Cnt-Rx 12\r\n"
        "Dim2 CommStat 0 DimStat 0 Flags 0 Warnings 0 Master/slave 0 Ctrl/T 0/0 CtrlMode/r-s/TMode 0/0/0\r\n"
        "Cnt-Tx 21 Cnt-Rx 22\r\n");

    s.board_warnings = 0xf9;  // only bits 0..2 count
    const std::string text = status_diagnostics(s);
    EXPECT_NE(text.find("\r\nBoard temperature warning \r\nCnt-idle"), std::string::npos) << text;
    s.board_warnings = 0xf8;
    EXPECT_EQ(status_diagnostics(s).find("warning"), std::string::npos);
}

TEST(StatusDiagnostics, NoAnswerNamesAddressAndPort) {
    struct Case {
        const char* port;
        uint32_t address;
        const char* text;
    };
    const std::vector<Case> cases = {
        {"COM5", 1, "Keine Antwort von Adresse 1 an COM5"},
        {"\\\\.\\COM12", 255, "Keine Antwort von Adresse 255 an \\\\.\\COM12"},
        {"COM3", 0, "Keine Antwort von Adresse 0 an COM3"},
        {"", 1, "Kommunikationsport muss ausgewählt werden"},
    };
    for (const Case& c : cases) {
        PortSettings settings = {};
        set_port_name(settings, c.port);
        settings.address = c.address;
        EXPECT_EQ(no_answer_text(settings), c.text) << c.port;
    }
}

TEST(TestDriveArithmetic, TrackbarAndValue) {
    struct Case {
        uint32_t position, value;
    };
    for (const Case& c : std::vector<Case>{{0, 0}, {1, 656}, {50, 32768}, {99, 64880}, {100, 65535}}) {
        EXPECT_EQ(drive_value_from_position(c.position), c.value) << c.position;
        EXPECT_EQ(drive_position_from_value(c.value), c.position) << c.value;
    }
    EXPECT_EQ(drive_position_from_value(655), 0u);
    EXPECT_EQ(drive_position_from_value(70000), 100u);

    TestDrive drive = {{0, 0}, {70000, 0xFFFFFFFF}};
    clamp_test_drive(drive);
    EXPECT_EQ(drive.value[0], 65535u);
    EXPECT_EQ(drive.value[1], 65535u);
}

TEST(TestDriveArithmetic, TrackbarMarksTheValueTypingDoesNot) {
    TestDrive drive = {};
    drive_from_trackbar(drive, 1, 50);
    EXPECT_EQ(drive.value[1], 32768u);
    EXPECT_EQ(drive.pending[1], 1u);
    EXPECT_EQ(drive.pending[0], 0u);
    EXPECT_EQ(drive_position_from_value(drive.value[1]), 50u);  // the trackbar stays where it was put

    struct Case {
        const char* typed;
        uint32_t value, position;
    };
    const std::vector<Case> cases = {
        {"70000", 65535, 100}, {"  12abc", 12, 0}, {"abc", 0, 0},
        {"-5", 65535, 100},    {"", 0, 0},         {"32768", 32768, 50},
    };
    for (const Case& c : cases) {
        drive = {};
        drive_from_typed(drive, 0, parse_dlg_int(c.typed, nullptr));
        EXPECT_EQ(drive.value[0], c.value) << c.typed;
        EXPECT_EQ(drive_position_from_value(drive.value[0]), c.position) << c.typed;
        EXPECT_EQ(drive.pending[0], 0u) << c.typed;
    }
}

}  // namespace
