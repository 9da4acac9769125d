#include "sim/status_model.h"

#include <cmath>
#include <cstring>
#include <numbers>

#include "link/status_record.h"
#include "params/record.h"

namespace {

// A slow wobble of the given amplitude and period around 0.
double wobble(uint32_t now_ms, double amplitude, double period_ms) {
    return amplitude * std::sin(2 * std::numbers::pi * double(now_ms) / period_ms);
}

uint16_t clamp_u16(double v) {
    if (v <= 0) return 0;
    if (v >= 65535) return 65535;
    return uint16_t(std::lround(v));
}

// DimmerControlState of one output.
void fill_control_state(const SimDevice& dev, int d, int control_mode, DimmerControlState& c) {
    OutputState o = sim_output_state(dev, d);
    uint32_t on_time = o.drive == 0 ? 0 : uint32_t(std::lround(conduction(o) * HALF_PERIOD_US));
    c.comm_state = 1;               // link to the dimmer processor up
    c.dim_state = o.drive ? 3 : 1;  // 1 standing by, 3 driving
    c.flags = 0x01;                 // test drive through the PC
    c.warnings = 0;
    c.master_slave = 0;
    put_u16le(c.control_value, o.drive);
    c.control_mode = uint8_t(control_mode);
    c.rs_state = 0;
    put_u16le(c.on_time, uint16_t(on_time > 65535 ? 65535 : on_time));  // µs
    c.phase_mode = o.leading_edge;
}

// DimmerMeasurement of one output.
void fill_measurement(const SimDevice& dev, int d, uint32_t now_ms, DimmerMeasurement& m) {
    OutputState o = sim_output_state(dev, d);
    double mains = mains_rms_at(now_ms);
    OutputMeasurement e = measure_output(o, mains);
    m.present = 1;
    // The heat sink warms with the loss in the switch.
    put_u16le(m.temperature, clamp_u16(280 + 20 * e.loss_w + wobble(now_ms, 3, 41000 + 7000 * d)));  // 0.1 °C
    put_u16le(m.input_voltage, clamp_u16(mains * 10));                                               // 0.1 V
    put_u16le(m.peak_current, clamp_u16(e.peak_current_a * 1000));                                   // mA
    put_u16le(m.effective_power, clamp_u16(e.power_w));                                              // W
    put_u16le(m.peak_power, clamp_u16(e.peak_power_w));                                              // W
    put_u16le(m.power_loss, clamp_u16(e.loss_w * 1000));                                             // mW
    put_u32le(m.peak_power_loss, dev.peak_loss_mw[d]);                                               // mW
    put_u16le(m.mains_frequency, clamp_u16(mains_hz_at(now_ms) * 100));  // 0.01 Hz
    put_u16le(m.processor_clock, uint16_t(16000 + d));                   // kHz
}

}  // namespace

double mains_rms_at(uint32_t now_ms) { return MAINS_RMS_V + wobble(now_ms, 1.5, 23000); }
double mains_hz_at(uint32_t now_ms) { return MAINS_HZ + wobble(now_ms, 0.02, 31000); }

int dip_control_mode(const uint8_t dip[4]) {
    if (dip[0] & 0x1) return 0;                       // DMX
    if (dip[0] & 0x2) return (dip[2] & 0x2) ? 2 : 1;  // button or voltage control
    if (dip[0] & 0x4) return 4;                       // RS485
    return 3;                                         // bus
}

void build_status(const SimDevice& dev, uint32_t now_ms, uint8_t out[STATUS_RECORD_SIZE]) {
    static_assert(sizeof(StatusRecord) == STATUS_RECORD_SIZE);
    StatusRecord r{};
    const uint8_t* v = dev.cfg.versions;
    r.controller_version[0] = v[0];
    r.controller_version[1] = v[1];
    for (int d = 0; d < 2; ++d) {
        r.dimmer_version[d][0] = v[2 + 2 * d];
        r.dimmer_version[d][1] = v[3 + 2 * d];
    }
    r.board_warnings = 0;
    r.master_slave = 0;
    int mode = dip_control_mode(dev.cfg.dip);
    for (int d = 0; d < 2; ++d) {
        fill_control_state(dev, d, mode, r.control[d]);
        fill_measurement(dev, d, now_ms, r.measurement[d]);
    }
    // Supply of the communication processor: 5.0 V through a 1:2 divider on a
    // 3.3 V 12-bit converter, about 3102 counts.
    put_u16le(r.supply_voltage, clamp_u16(3102 + wobble(now_ms, 6, 17000)));
    put_u16le(r.front_temperature, clamp_u16(312 + wobble(now_ms, 8, 53000)));  // 0.1 °C
    // Control inputs: UE1 sweeps slowly through most of its range, UE2 sits low.
    uint16_t ue[2] = {clamp_u16(2048 + wobble(now_ms, 1800, 60000)),
                      clamp_u16(410 + wobble(now_ms, 5, 9000))};
    for (int i = 0; i < 2; ++i) {
        put_u16le(r.control_input[i], ue[i]);
        put_u16le(r.control_level[i], uint16_t(uint32_t(ue[i]) * 65535 / 4095));
    }
    put_u16le(r.potentiometer[0], clamp_u16(1024 + wobble(now_ms, 4, 13000)));
    put_u16le(r.potentiometer[1], clamp_u16(3000 + wobble(now_ms, 4, 11000)));
    for (int i = 0; i < 4; ++i) r.dip[i] = dev.cfg.dip[i] & 0x0F;
    put_u16le(r.idle_counter, uint16_t(now_ms / 7));
    put_u16le(r.timer_counter, uint16_t(now_ms / 10));
    for (int d = 0; d < 2; ++d) {
        put_u16le(r.rx_counter[d], dev.dimmer_rx[d]);
        put_u16le(r.tx_counter[d], dev.dimmer_tx[d]);
    }
    std::memcpy(out, &r, STATUS_RECORD_SIZE);
}
