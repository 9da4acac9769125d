#include "measure/scope_view.h"

#include <cstdlib>

#include "base/text.h"
#include "measure/scope_text.h"
#include "measure/status_text.h"

ScopeControls scope_controls(ScopeSettings& edited, const ScopeSettings& displayed, const ScopePlot& plot,
                             const ScopeCapture& shown, TestDrive& drive) {
    validate_scope_settings(edited);
    clamp_test_drive(drive);
    ScopeControls c;
    if (plot.shown) {
        c.description = capture_description(displayed);
        c.peak_current = peak_current_text(plot.peak_current);
        c.zero_time = capture_time_text(capture_zero_time_us(shown));
        c.switching_time = capture_time_text(capture_switching_time_us(shown));
    }
    c.dimmer = edited.dimmer;
    c.kind = edited.kind;
    // The fault capture and the load test record a section of their own.
    c.sections_enabled = edited.kind != SCOPE_KIND_FAULT && edited.kind != SCOPE_KIND_LOAD_TEST;
    c.section = c.sections_enabled ? int(edited.section) : -1;
    c.half_period = edited.half_period;
    c.range = edited.current_range;
    c.range_text = current_range_label(edited.current_range);
    c.drive_position = drive_position_from_value(drive.value[edited.dimmer]);
    return c;
}

void scope_drive_moved(ScopeSettings& edited, TestDrive& drive, uint32_t position) {
    validate_scope_settings(edited);
    drive.pending[edited.dimmer] = 1;
    drive.value[edited.dimmer] = drive_value_from_position(position);
}

ScopeAxisTexts scope_axis_texts(const ScopeSettings& displayed) {
    const PlotAxis voltage = voltage_axis(scope_section(displayed));
    const PlotAxis current = current_axis(displayed.current_range);
    const PlotAxis time = time_axis(scope_section(displayed));
    ScopeAxisTexts t;
    for (int i = 0; i < SCOPE_VERTICAL_LABELS; ++i) {
        t.voltage[i] = axis_label(voltage, i);
        t.current[i] = axis_label(current, i);
    }
    for (int i = 0; i < SCOPE_TIME_LABELS; ++i) t.time[i] = axis_label(time, i);
    return t;
}

std::vector<PlotLine> scope_grid(int width, int height) {
    constexpr int last = SCOPE_SAMPLES - 1;
    std::vector<PlotLine> lines;
    // Eight divisions up and down; k = 400 is the zero line.
    for (int k = 50; k <= 750; k += 50) {
        const int32_t v = k * 60001 / 800 - PLOT_HALF;
        const int y = plot_y(v, -PLOT_HALF, PLOT_HALF, height);
        lines.push_back({{plot_x(0, 0, last, width), y}, {plot_x(last, 0, last, width), y}, k == 400});
    }
    // Every 20 samples, every 100 solid.
    for (int k = 20; k <= 480; k += 20) {
        const int x = plot_x(k, 0, last, width);
        lines.push_back({{x, plot_y(-PLOT_HALF, -PLOT_HALF, PLOT_HALF, height)},
                         {x, plot_y(PLOT_HALF, -PLOT_HALF, PLOT_HALF, height)},
                         k % 100 == 0});
    }
    return lines;
}

std::vector<PlotPoint> scope_frame(int width, int height) {
    constexpr int last = SCOPE_SAMPLES - 1;
    const int left = plot_x(0, 0, last, width), right = plot_x(last, 0, last, width);
    const int bottom = plot_y(-PLOT_HALF, -PLOT_HALF, PLOT_HALF, height);
    const int top = plot_y(PLOT_HALF, -PLOT_HALF, PLOT_HALF, height);
    return {{left, bottom}, {right, bottom}, {right, top}, {left, top}, {left, bottom}};
}

int sample_at_x(int x, int width) {
    int best = 0;
    int best_distance = std::abs(plot_x(0, 0, SCOPE_SAMPLES - 1, width) - x);
    for (int i = 1; i < SCOPE_SAMPLES; ++i) {
        const int d = std::abs(plot_x(i, 0, SCOPE_SAMPLES - 1, width) - x);
        if (d < best_distance) {
            best = i;
            best_distance = d;
        }
    }
    return best;
}

std::string sample_readout(const ScopeCapture& capture, const ScopeSettings& displayed, int index) {
    if (index < 0) index = 0;
    if (index >= SCOPE_SAMPLES) index = SCOPE_SAMPLES - 1;
    return format_text("t = %.3f ms\nU = %.1f V\nI = %.3f A", sample_time_ms(scope_section(displayed), index),
                       capture_voltage(capture, index) / 10.0, capture_current(capture, index) / 1000.0);
}
