// What the oscilloscope page shows, worked out from the acquisition's values
// so the Win32 page only moves it into its controls: the state of every
// control, the axis label texts, the grid and frame of the plot, and the
// readout of the sample under the mouse.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "link/status_record.h"
#include "measure/plot_math.h"
#include "measure/scope.h"

// ---- controls

struct ScopeControls {
    // The shown capture's description, peak current and two times; all empty
    // while no capture is shown.
    std::string description;
    std::string peak_current;
    std::string zero_time;
    std::string switching_time;
    uint32_t dimmer;          // the checked dimmer radio, 0 or 1
    uint32_t kind;            // the checked kind radio, 0..4
    bool sections_enabled;    // off for the fault capture and the load test
    int section;              // the checked section radio, -1 for none
    uint32_t half_period;     // 0..500
    uint32_t range;           // current-range trackbar position, 1..6
    std::string range_text;   // "±0.5" .. "±16"
    uint32_t drive_position;  // the chosen dimmer's test drive, 0..100 %
};

// Validates the edited settings and clamps both drive values (as every
// refresh of the page does), then describes the controls.
ScopeControls scope_controls(ScopeSettings& edited, const ScopeSettings& displayed, const ScopePlot& plot,
                             const ScopeCapture& shown, TestDrive& drive);

// The drive trackbar moved to position (0..100 %): the chosen dimmer's drive
// value becomes the smallest value not below position × 65535 / 100 and goes
// out with the next status request.
void scope_drive_moved(ScopeSettings& edited, TestDrive& drive, uint32_t position);

// ---- axes

constexpr int SCOPE_VERTICAL_LABELS = 9;
constexpr int SCOPE_TIME_LABELS = 6;

struct ScopeAxisTexts {
    std::string voltage[SCOPE_VERTICAL_LABELS];  // top to bottom
    std::string current[SCOPE_VERTICAL_LABELS];
    std::string time[SCOPE_TIME_LABELS];  // left to right
};

// The labels for a capture with the displayed settings; the default settings
// (no capture yet) give ±400 V, ±16 A and 0..25 ms.
ScopeAxisTexts scope_axis_texts(const ScopeSettings& displayed);

// ---- the plot area

struct PlotLine {
    PlotPoint from, to;
    bool major;  // drawn with the solid major-grid pen, else dotted
};

// The grid of a plot area of the given client size: 15 horizontal lines
// (the centre line major) and 24 vertical ones (every 100 samples major).
std::vector<PlotLine> scope_grid(int width, int height);
// The closed frame around the plot: five points, the first repeated last.
std::vector<PlotPoint> scope_frame(int width, int height);

// ---- readout

// The sample whose pixel column lies nearest to x in a plot area of width
// pixels (the first one on ties).
int sample_at_x(int x, int width);

// "t = 12.350 ms", "U = 231.4 V", "I = -1.234 A" on three lines ("\n"),
// in the axis units of the shown capture.
std::string sample_readout(const ScopeCapture& capture, const ScopeSettings& displayed, int index);
