#include "params/record.h"

#include "tests/support/noise_record.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

ParameterRecord zero_record() {
    ParameterRecord r;
    std::memset(&r, 0, sizeof r);
    return r;
}

bool same_bytes(const ParameterRecord& a, const ParameterRecord& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(DefaultCurves, MatchTheConductionAngleRuleAtTheTellingPoints) {
    struct Point {
        int x, curve1, curve2;
    };
    const std::vector<Point> points = {
        {0, 0, 0},      {1, 22, 3},      {2, 27, 5},      {3, 31, 7},      {64, 94, 56},
        {128, 128, 94}, {192, 162, 136}, {254, 233, 228}, {255, 255, 255},
    };
    for (const Point& p : points) {
        EXPECT_EQ(default_user_curve(0)[p.x], p.curve1) << "x=" << p.x;
        EXPECT_EQ(default_user_curve(1)[p.x], p.curve2) << "x=" << p.x;
    }
    for (int c = 0; c < 2; ++c)
        for (int x = 1; x < CURVE_POINTS; ++x)
            EXPECT_LE(default_user_curve(c)[x - 1], default_user_curve(c)[x]) << "curve " << c << " x=" << x;
    // Curve 2 asks for less power than curve 1 at every inner point.
    for (int x = 1; x < 255; ++x) EXPECT_LT(default_user_curve(1)[x], default_user_curve(0)[x]) << x;
}

TEST(ApplyDefaults, GivesTheFactorySet) {
    ParameterRecord r;
    std::memset(&r, 0xAB, sizeof r);
    apply_defaults(r);

    EXPECT_EQ(file_version(r), 0u);
    EXPECT_EQ(marker_head(r), MARKER_HEAD);
    EXPECT_EQ(marker_tail(r), MARKER_TAIL);
    EXPECT_EQ(r.bus_failure_delay, 20);
    EXPECT_EQ(r.master_slave_pc_test, 0);
    EXPECT_EQ(r.reserved[0] | r.reserved[1], 0);
    EXPECT_EQ(std::memcmp(r.user_curve[0], default_user_curve(0), CURVE_POINTS), 0);
    EXPECT_EQ(std::memcmp(r.user_curve[1], default_user_curve(1), CURVE_POINTS), 0);
    for (const DimmerBlock& d : r.dimmer) {
        for (int cd = 0; cd < CD_COUNT; ++cd) {
            EXPECT_EQ(d.minimum[cd], 0);
            EXPECT_EQ(d.zero_control_output[cd], 0);
            EXPECT_EQ(d.maximum[cd], 100);
            EXPECT_EQ(d.characteristic[cd], 1);
        }
        EXPECT_EQ(fade_time(d), 10);
        EXPECT_EQ(d.nondim_threshold, 10);
        EXPECT_EQ(d.nondim_hysteresis, 2);
        EXPECT_EQ(d.preheat_time, 60);
        EXPECT_EQ(d.off_with_fade, 1);
        EXPECT_EQ(d.bus_failure_action, 6);
        EXPECT_EQ(d.pot_activity, 2);
        EXPECT_EQ(d.voltage_input_activity, 2);
        EXPECT_EQ(d.one_button_start, 50);
        EXPECT_EQ(d.one_button_dim_fade, 50);
        EXPECT_EQ(d.fade_time_mode, 0);
        EXPECT_EQ(d.default_mode, 0);
        EXPECT_EQ(d.auto_mode_switch, 1);
        EXPECT_EQ(d.voltage_input_range, 0);
        EXPECT_EQ(d.one_button_onoff_fade, 0);
        EXPECT_EQ(d.reserved[0] | d.reserved[1] | d.reserved[2] | d.reserved[3], 0);
    }
}

TEST(ApplyDefaults, DeviceImageIsFramedByTheMarkers) {
    ParameterRecord r;
    apply_defaults(r);
    const uint8_t* image = device_image(r);
    const uint8_t head[4] = {0xA5, 0xE7, 0x7E, 0x5A};
    const uint8_t tail[4] = {0x5A, 0xE7, 0x7E, 0xA5};
    EXPECT_EQ(std::memcmp(image, head, 4), 0);
    EXPECT_EQ(std::memcmp(image + DEVICE_IMAGE_SIZE - 4, tail, 4), 0);
    // The fade time goes out little-endian: 10 = 0A 00 at image offset 520.
    EXPECT_EQ(image[520], 0x0A);
    EXPECT_EQ(image[521], 0x00);
}

TEST(ValidateRecord, ZeroRecordOnlyGainsTheMarkers) {
    ParameterRecord r = zero_record();
    validate_record(r);
    ParameterRecord expected = zero_record();
    put_u32le(expected.marker_head, MARKER_HEAD);
    put_u32le(expected.marker_tail, MARKER_TAIL);
    EXPECT_TRUE(same_bytes(r, expected));
}

struct ValidationCase {
    std::string name;
    std::function<void(ParameterRecord&)> set;
    std::function<void(const ParameterRecord&)> check;
};

TEST(ValidateRecord, CorrectsEachFieldToItsLimits) {
    const std::vector<ValidationCase> cases = {
        {"maximum below minimum is raised",
         [](ParameterRecord& r) {
             r.dimmer[0].minimum[2] = 40;
             r.dimmer[0].maximum[2] = 30;
         },
         [](const ParameterRecord& r) {
             EXPECT_EQ(r.dimmer[0].minimum[2], 40);
             EXPECT_EQ(r.dimmer[0].maximum[2], 40);
         }},
        {"minimum capped before maximum compared",
         [](ParameterRecord& r) {
             r.dimmer[1].minimum[3] = 150;
             r.dimmer[1].maximum[3] = 20;
         },
         [](const ParameterRecord& r) {
             EXPECT_EQ(r.dimmer[1].minimum[3], 100);
             EXPECT_EQ(r.dimmer[1].maximum[3], 100);
         }},
        {"maximum capped at 100", [](ParameterRecord& r) { r.dimmer[0].maximum[0] = 101; },
         [](const ParameterRecord& r) { EXPECT_EQ(r.dimmer[0].maximum[0], 100); }},
        {"other CD configurations untouched",
         [](ParameterRecord& r) {
             r.dimmer[0].minimum[1] = 40;
             r.dimmer[0].maximum[1] = 30;
         },
         [](const ParameterRecord& r) {
             EXPECT_EQ(r.dimmer[0].maximum[0], 100);
             EXPECT_EQ(r.dimmer[0].maximum[2], 100);
         }},
        {"zero control output not 1 becomes 0",
         [](ParameterRecord& r) {
             r.dimmer[0].zero_control_output[1] = 2;
             r.dimmer[0].zero_control_output[2] = 1;
         },
         [](const ParameterRecord& r) {
             EXPECT_EQ(r.dimmer[0].zero_control_output[1], 0);
             EXPECT_EQ(r.dimmer[0].zero_control_output[2], 1);
         }},
        {"characteristic 5 becomes t-linear",
         [](ParameterRecord& r) {
             r.dimmer[1].characteristic[0] = 5;
             r.dimmer[1].characteristic[1] = 4;
         },
         [](const ParameterRecord& r) {
             EXPECT_EQ(r.dimmer[1].characteristic[0], 0);
             EXPECT_EQ(r.dimmer[1].characteristic[1], 4);
         }},
        {"bus failure action 9 becomes 6",
         [](ParameterRecord& r) {
             r.dimmer[0].bus_failure_action = 9;
             r.dimmer[1].bus_failure_action = 7;
         },
         [](const ParameterRecord& r) {
             EXPECT_EQ(r.dimmer[0].bus_failure_action, 6);
             EXPECT_EQ(r.dimmer[1].bus_failure_action, 7);
         }},
        {"fade time mode 3 becomes 0",
         [](ParameterRecord& r) {
             r.dimmer[0].fade_time_mode = 3;
             r.dimmer[1].fade_time_mode = 2;
         },
         [](const ParameterRecord& r) {
             EXPECT_EQ(r.dimmer[0].fade_time_mode, 0);
             EXPECT_EQ(r.dimmer[1].fade_time_mode, 2);
         }},
        {"activities 3 become 2",
         [](ParameterRecord& r) {
             r.dimmer[0].pot_activity = 3;
             r.dimmer[0].voltage_input_activity = 200;
         },
         [](const ParameterRecord& r) {
             EXPECT_EQ(r.dimmer[0].pot_activity, 2);
             EXPECT_EQ(r.dimmer[0].voltage_input_activity, 2);
         }},
        {"off with fade 5 becomes 1",
         [](ParameterRecord& r) {
             r.dimmer[0].off_with_fade = 5;
             r.dimmer[1].off_with_fade = 0;
         },
         [](const ParameterRecord& r) {
             EXPECT_EQ(r.dimmer[0].off_with_fade, 1);
             EXPECT_EQ(r.dimmer[1].off_with_fade, 0);
         }},
        {"yes/no fields other than 1 become 0",
         [](ParameterRecord& r) {
             r.dimmer[0].default_mode = 5;
             r.dimmer[0].auto_mode_switch = 2;
             r.dimmer[0].voltage_input_range = 255;
             r.dimmer[1].default_mode = 1;
             r.master_slave_pc_test = 3;
         },
         [](const ParameterRecord& r) {
             EXPECT_EQ(r.dimmer[0].default_mode, 0);
             EXPECT_EQ(r.dimmer[0].auto_mode_switch, 0);
             EXPECT_EQ(r.dimmer[0].voltage_input_range, 0);
             EXPECT_EQ(r.dimmer[1].default_mode, 1);
             EXPECT_EQ(r.master_slave_pc_test, 0);
         }},
        {"hysteresis limited by a low threshold",
         [](ParameterRecord& r) {
             r.dimmer[0].nondim_threshold = 5;
             r.dimmer[0].nondim_hysteresis = 8;
         },
         [](const ParameterRecord& r) {
             EXPECT_EQ(r.dimmer[0].nondim_threshold, 5);
             EXPECT_EQ(r.dimmer[0].nondim_hysteresis, 5);
         }},
        {"threshold and hysteresis capped",
         [](ParameterRecord& r) {
             r.dimmer[1].nondim_threshold = 200;
             r.dimmer[1].nondim_hysteresis = 30;
         },
         [](const ParameterRecord& r) {
             EXPECT_EQ(r.dimmer[1].nondim_threshold, 100);
             EXPECT_EQ(r.dimmer[1].nondim_hysteresis, 10);
         }},
        {"one-button start capped", [](ParameterRecord& r) { r.dimmer[0].one_button_start = 101; },
         [](const ParameterRecord& r) { EXPECT_EQ(r.dimmer[0].one_button_start, 100); }},
        {"fade time capped at 600 s",
         [](ParameterRecord& r) {
             set_fade_time(r.dimmer[0], 65535);
             set_fade_time(r.dimmer[1], 60000);
         },
         [](const ParameterRecord& r) {
             EXPECT_EQ(fade_time(r.dimmer[0]), 60000);
             EXPECT_EQ(fade_time(r.dimmer[1]), 60000);
         }},
        {"free 8-bit fields stay",
         [](ParameterRecord& r) {
             r.bus_failure_delay = 3;
             r.dimmer[0].preheat_time = 255;
             r.dimmer[0].one_button_dim_fade = 255;
             r.dimmer[0].one_button_onoff_fade = 255;
             r.reserved[1] = 0x77;
             r.dimmer[1].reserved[3] = 0x99;
             set_file_version(r, 12345);
             r.user_curve[1][255] = 7;
         },
         [](const ParameterRecord& r) {
             EXPECT_EQ(r.bus_failure_delay, 3);
             EXPECT_EQ(r.dimmer[0].preheat_time, 255);
             EXPECT_EQ(r.dimmer[0].one_button_dim_fade, 255);
             EXPECT_EQ(r.dimmer[0].one_button_onoff_fade, 255);
             EXPECT_EQ(r.reserved[1], 0x77);
             EXPECT_EQ(r.dimmer[1].reserved[3], 0x99);
             EXPECT_EQ(file_version(r), 12345u);
             EXPECT_EQ(r.user_curve[1][255], 7);
         }},
        {"broken markers are restored",
         [](ParameterRecord& r) {
             r.marker_head[0] = 0;
             r.marker_tail[3] = 0;
         },
         [](const ParameterRecord& r) {
             EXPECT_EQ(marker_head(r), MARKER_HEAD);
             EXPECT_EQ(marker_tail(r), MARKER_TAIL);
         }},
    };
    for (const ValidationCase& c : cases) {
        SCOPED_TRACE(c.name);
        ParameterRecord r;
        apply_defaults(r);
        c.set(r);
        validate_record(r);
        c.check(r);
    }
}

TEST(ValidateRecord, IsIdempotentForAnyContent) {
    uint32_t seed = 12345;
    for (int round = 0; round < 500; ++round) {
        ParameterRecord r = noise_record(seed);
        validate_record(r);
        ParameterRecord again = r;
        validate_record(again);
        ASSERT_TRUE(same_bytes(r, again)) << "round " << round;
        for (const DimmerBlock& d : r.dimmer)
            for (int cd = 0; cd < CD_COUNT; ++cd) ASSERT_LE(d.minimum[cd], d.maximum[cd]);
    }
}

}  // namespace
