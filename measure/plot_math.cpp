#include "measure/plot_math.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "base/text.h"
#include "params/record.h"

namespace {

constexpr int MARGIN = 4;
constexpr int MIN_EXTENT = 40;

}  // namespace

PlotAxis voltage_axis(uint32_t effective_section) {
    if (effective_section == SCOPE_SECTION_LOAD) return {-500, 500, 9, 2, 50, -12.5f, 0};
    return {-4000, 4000, 9, 1, 400, -100, 0};
}

PlotAxis current_axis(uint32_t current_range) {
    switch (current_range) {
        case 1:
            return {-500, 500, 9, 1, 0.5f, -0.125f, 3};
        case 2:
            return {-1000, 1000, 9, 1, 1, -0.25f, 2};
        case 3:
            return {-2000, 2000, 9, 1, 2, -0.5f, 1};
        case 4:
            return {-4000, 4000, 9, 1, 4, -1, 0};
        case 5:
            return {-8000, 8000, 9, 1, 8, -2, 0};
        default:
            return {-16000, 16000, 9, 1, 16, -4, 0};
    }
}

PlotAxis time_axis(uint32_t effective_section) {
    switch (effective_section) {
        case SCOPE_SECTION_ZERO:
            return {0, 0, 6, 1, -1, 1, 0};
        case SCOPE_SECTION_SWITCHING:
        case SCOPE_SECTION_LOAD:
            return {0, 0, 6, 1, -0.5f, 0.5f, 1};
        default:
            return {0, 0, 6, 1, 0, 5, 0};
    }
}

std::string axis_label(const PlotAxis& axis, int index) {
    if (index < 0 || index >= axis.count || index % axis.every != 0) return std::string();
    const float value = axis.first + axis.step * float(index);
    return format_text(value > 0 ? "+%.*f" : "%.*f", axis.decimals, double(value));
}

double sample_time_ms(uint32_t effective_section, int index) {
    const PlotAxis axis = time_axis(effective_section);
    // In whole microseconds, so the times print exactly.
    const long first_us = std::lround(double(axis.first) * 1000);
    const long span_us = std::lround(double(axis.step) * 1000 * (axis.count - 1));
    return double(first_us + long(index) * span_us / SCOPE_SAMPLES) / 1000.0;
}

std::string current_range_label(uint32_t range) {
    // The plus-minus sign, character 177 of the Windows Western code page.
    switch (range) {
        case 1:
            return "\u00b10.5";
        case 2:
            return "\u00b11";
        case 3:
            return "\u00b12";
        case 4:
            return "\u00b14";
        case 5:
            return "\u00b18";
        default:
            return "\u00b116";
    }
}

int32_t sample_to_plot(int32_t sample, float minimum, float maximum) {
    if (!(maximum > minimum)) return 0;
    const double v = double(sample) * 60000.0 / double(maximum - minimum);
    if (v <= -PLOT_HALF) return -PLOT_HALF;
    if (v >= PLOT_HALF) return PLOT_HALF;
    return int32_t(v);  // truncates toward zero
}

int32_t peak_current(const ScopeCapture& capture) {
    int32_t peak = capture_current(capture, 0);
    for (int i = 1; i < SCOPE_SAMPLES; ++i) {
        const int32_t v = capture_current(capture, i);
        if (std::abs(v) > std::abs(peak)) peak = v;
    }
    return peak;
}

void scope_plot_clear(ScopePlot& plot) {
    std::memset(&plot, 0, sizeof plot);
    plot.voltage_min = -4000;
    plot.voltage_max = 4000;
    plot.current_min = -16000;
    plot.current_max = 16000;
}

void scope_plot_prepare(ScopePlot& plot, const ScopeCapture& capture, const ScopeSettings& displayed) {
    const PlotAxis v = voltage_axis(scope_section(displayed));
    const PlotAxis c = current_axis(displayed.current_range);
    plot.voltage_min = v.minimum;
    plot.voltage_max = v.maximum;
    plot.current_min = c.minimum;
    plot.current_max = c.maximum;
    for (int i = 0; i < SCOPE_SAMPLES; ++i) {
        plot.voltage[i] = sample_to_plot(capture_voltage(capture, i), v.minimum, v.maximum);
        plot.current[i] = sample_to_plot(capture_current(capture, i), c.minimum, c.maximum);
    }
    plot.peak_current = peak_current(capture);
    plot.shown = true;
}

std::vector<int> straight_run_vertices(const int32_t* values, int count) {
    // The rule compares in thousandths with the quotient truncated. Between
    // points fewer than 1000 apart it can only pass for values exactly on the
    // line (any other value misses it by at least 1000 / 999 thousandths), and
    // whole-numbered values at consecutive indices lie on one line exactly when
    // they all rise by the same step. So a run grows while its step stays the
    // same: one pass instead of rechecking the whole run at every step.
    const int last = count - 1;
    std::vector<int> points = {0};
    int a = 0;
    while (a < last) {
        const int64_t step = int64_t(values[a + 1]) - values[a];
        int e = a + 1;
        while (e + 1 <= last && int64_t(values[e + 1]) - values[e] == step) ++e;
        points.push_back(e);
        a = e;
    }
    return points;
}

std::vector<int> trace_points(const int32_t values[SCOPE_SAMPLES]) {
    return straight_run_vertices(values, SCOPE_SAMPLES);
}

std::vector<int> curve_vertices(const uint8_t* curve) {
    int32_t values[CURVE_POINTS];
    for (int i = 0; i < CURVE_POINTS; ++i) values[i] = curve[i];
    return straight_run_vertices(values, CURVE_POINTS);
}

std::vector<PlotPoint> curve_polyline(const uint8_t* curve, int width, int height) {
    std::vector<PlotPoint> line;
    for (int i : curve_vertices(curve))
        line.push_back(
            {plot_x(i, 0, CURVE_POINTS - 1, width), plot_y(curve[i], 0, CURVE_POINTS - 1, height)});
    return line;
}

std::vector<PlotPoint> trace_polyline(const int32_t values[SCOPE_SAMPLES], int width, int height) {
    std::vector<PlotPoint> line;
    for (int i : trace_points(values)) {
        PlotPoint p = {plot_x(i, 0, SCOPE_SAMPLES - 1, width),
                       plot_y(values[i], -PLOT_HALF, PLOT_HALF, height)};
        // Traces sit one pixel above their grid position; the top row stays.
        if (p.y > 0) --p.y;
        line.push_back(p);
    }
    return line;
}

int plot_x(int32_t value, int32_t low, int32_t high, int width) {
    const int w = width < MIN_EXTENT ? MIN_EXTENT : width;
    if (value <= low) return MARGIN;
    if (value >= high) return w - MARGIN;
    return int((int64_t(value) - low) * (w - 2 * MARGIN) / (int64_t(high) - low + 1)) + MARGIN;
}

int plot_y(int32_t value, int32_t low, int32_t high, int height) {
    const int h = height < MIN_EXTENT ? MIN_EXTENT : height;
    if (value <= low) return h - MARGIN;
    if (value >= high) return MARGIN;
    return h - int((int64_t(value) - low) * (h - 2 * MARGIN) / (int64_t(high) - low + 1)) - MARGIN;
}

int32_t clamp_int(int32_t value, int32_t low, int32_t high) {
    if (value < low) return low;
    if (value > high) return high;
    return value;
}

int vertical_label_top(int index, int count, int top, int height, int border, int label_height) {
    if (index <= 0 || count < 2) return top;
    if (index >= count - 1) return top + height - label_height;
    return top + index * (height - border - 6) / (count - 1) + (border + 1) / 2 - label_height / 2 + 3;
}

int time_label_left(int index, int count, int left, int width, int border, int label_width) {
    if (index <= 0 || count < 2) return left + border + 3;
    if (index >= count - 1) return left + width - border - 3 - label_width;
    return left + index * (width - 6) / (count - 1) + (border + 1) / 2 - label_width / 2 + 3;
}
