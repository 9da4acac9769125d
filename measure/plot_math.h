// The arithmetic behind the oscilloscope plot and the other plots: axis ranges
// and labels per section and current range, samples to plot units, the peak
// current, the reduction of a trace to the points that bend it, and the
// mapping of values to pixels inside a plot rectangle. No drawing here: the
// Win32 page draws what these compute.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "measure/scope.h"

// ---- axes

// One axis: the range in sample units (0.1 V, mA; none for time) and its
// labels: count, every n-th one labelled, the first value, the step and the
// decimals of the label texts.
struct PlotAxis {
    float minimum;
    float maximum;
    int count;
    int every;
    float first;
    float step;
    int decimals;
};

PlotAxis voltage_axis(uint32_t effective_section);  // ±50 V for the load test, else ±400 V
PlotAxis current_axis(uint32_t current_range);      // ±0.5 A for range 1 .. ±16 A for 6 and any other
PlotAxis time_axis(uint32_t effective_section);     // ms: 0..25, -1..4, -0.5..2.0

// The text of label i: empty when it is not labelled or beyond the count;
// values above 0 carry a plus sign ("+0.375", "0.000", "-25").
std::string axis_label(const PlotAxis& axis, int index);

// The time of sample index in ms on the section's time axis: the 500 samples
// are spread evenly over the five label steps (50 µs apart for the full period).
double sample_time_ms(uint32_t effective_section, int index);

// The range label of current range r: "±0.5", "±1", "±2", "±4", "±8", "±16".
std::string current_range_label(uint32_t range);

// ---- the plot of a capture

constexpr int32_t PLOT_HALF = 30000;  // plot units run from -30000 to 30000

struct ScopePlot {
    int32_t voltage[SCOPE_SAMPLES];  // plot units
    int32_t current[SCOPE_SAMPLES];
    float voltage_min, voltage_max;  // 0.1 V
    float current_min, current_max;  // mA
    bool shown;                      // a capture is shown
    int32_t peak_current;            // mA, with its sign
};

// A sample in plot units: scaled so the range spans 60000 units, truncated
// toward zero, clamped to ±30000; 0 when the range is empty or upside down.
int32_t sample_to_plot(int32_t sample, float minimum, float maximum);

// The current sample with the largest magnitude, the first one on ties.
int32_t peak_current(const ScopeCapture& capture);

// No capture shown, plot arrays zeroed, ranges back to ±4000 and ±16000.
void scope_plot_clear(ScopePlot& plot);
// Ranges from the axes of the settings, both traces converted, the peak found.
void scope_plot_prepare(ScopePlot& plot, const ScopeCapture& capture, const ScopeSettings& displayed);

// The indices of the samples a trace is drawn through: the first, each one
// where the trace leaves the straight line from the last point drawn, and the
// last. A straight trace needs just samples 0 and 499.
std::vector<int> trace_points(const int32_t values[SCOPE_SAMPLES]);

// The same reduction for 1 to 1000 values: from the last vertex a, the run
// goes on to e + 1 while every value strictly between lies on the line from a
// to e + 1, compared in integers at 1/1000 with the quotient truncated toward
// zero. The polyline through the vertices is the polyline through all values.
std::vector<int> straight_run_vertices(const int32_t* values, int count);

struct PlotPoint {
    int x, y;
};

// The vertices of a user curve (256 points): 0, the ends of its straight runs, 255.
std::vector<int> curve_vertices(const uint8_t* curve);
// A user curve (0..255 on both axes) as the pixel polyline through its
// vertices, in a plot area of the given client size.
std::vector<PlotPoint> curve_polyline(const uint8_t* curve, int width, int height);

// The trace as the pixel polyline drawn in a plot area of the given client
// size: x over samples 0..499, y over ±30000 plot units, every point above the
// top row lifted by one pixel.
std::vector<PlotPoint> trace_polyline(const int32_t values[SCOPE_SAMPLES], int width, int height);

// ---- value to pixel

// Within a plot rectangle of the given width or height (raised to 40 if
// smaller), keeping a 4-pixel margin: low sits at the near margin, high at the
// far one, the interior in (high - low + 1) steps. y grows downwards on the
// screen, so larger values give smaller y.
int plot_x(int32_t value, int32_t low, int32_t high, int width);
int plot_y(int32_t value, int32_t low, int32_t high, int height);

int32_t clamp_int(int32_t value, int32_t low, int32_t high);

// ---- label layout (integer pixels, the plot's window rectangle in page coordinates)

// The top of vertical label index (of count, at most 9) beside a plot whose
// window rectangle starts at top and is height high, with border the window
// size minus the client size.
int vertical_label_top(int index, int count, int top, int height, int border, int label_height);
// The left edge of time label index (of count, at most 6) below the plot.
int time_label_left(int index, int count, int left, int width, int border, int label_width);
