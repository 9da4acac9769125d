#include "params/record.h"

#include <cstring>

void apply_defaults(ParameterRecord& r) {
    std::memset(&r, 0, sizeof r);
    r.bus_failure_delay = 20;
    r.master_slave_pc_test = 0;
    for (DimmerBlock& d : r.dimmer) {
        for (int cd = 0; cd < CD_COUNT; ++cd) {
            d.minimum[cd] = 0;
            d.zero_control_output[cd] = 0;
            d.maximum[cd] = 100;
            d.characteristic[cd] = 1;  // "P-linear"
        }
        d.nondim_threshold = 10;
        d.nondim_hysteresis = 2;
        d.preheat_time = 60;
        d.off_with_fade = 1;
        d.bus_failure_action = 6;  // "Potentiometer"
        d.pot_activity = 2;
        d.voltage_input_activity = 2;
        d.one_button_start = 50;
        d.one_button_dim_fade = 50;
        d.one_button_onoff_fade = 0;
        d.fade_time_mode = 0;
        set_fade_time(d, 10);  // 0.1 s
        d.default_mode = 0;
        d.auto_mode_switch = 1;
        d.voltage_input_range = 0;
    }
    std::memcpy(r.user_curve[0], default_user_curve(0), CURVE_POINTS);
    std::memcpy(r.user_curve[1], default_user_curve(1), CURVE_POINTS);
    validate_record(r);
}

// Fields that are a yes/no choice: anything but 1 means 0.
static void limit_to_flag(uint8_t& v) {
    if (v != 1) v = 0;
}

static void validate_dimmer(DimmerBlock& d) {
    for (int cd = 0; cd < CD_COUNT; ++cd)
        if (d.minimum[cd] > 100) d.minimum[cd] = 100;
    for (int cd = 0; cd < CD_COUNT; ++cd) limit_to_flag(d.zero_control_output[cd]);
    for (int cd = 0; cd < CD_COUNT; ++cd) {
        if (d.maximum[cd] > 100) d.maximum[cd] = 100;
        if (d.maximum[cd] < d.minimum[cd]) d.maximum[cd] = d.minimum[cd];
    }
    for (int cd = 0; cd < CD_COUNT; ++cd)
        if (d.characteristic[cd] > 4) d.characteristic[cd] = 0;  // back to "t-linear"
    if (d.nondim_threshold > 100) d.nondim_threshold = 100;
    if (d.nondim_hysteresis > 10) d.nondim_hysteresis = 10;
    if (d.nondim_hysteresis > d.nondim_threshold) d.nondim_hysteresis = d.nondim_threshold;
    if (d.off_with_fade != 0) d.off_with_fade = 1;
    if (d.bus_failure_action > 7) d.bus_failure_action = 6;  // "Potentiometer"
    if (d.pot_activity > 2) d.pot_activity = 2;
    if (d.voltage_input_activity > 2) d.voltage_input_activity = 2;
    if (d.one_button_start > 100) d.one_button_start = 100;
    if (d.fade_time_mode > 2) d.fade_time_mode = 0;
    if (fade_time(d) > 60000) set_fade_time(d, 60000);  // 600 s
    limit_to_flag(d.default_mode);
    limit_to_flag(d.auto_mode_switch);
    limit_to_flag(d.voltage_input_range);
}

void validate_record(ParameterRecord& r) {
    put_u32le(r.marker_head, MARKER_HEAD);
    put_u32le(r.marker_tail, MARKER_TAIL);
    limit_to_flag(r.master_slave_pc_test);
    for (DimmerBlock& d : r.dimmer) validate_dimmer(d);
}
