// What the oscilloscope page shows: its controls from the settings and the
// capture, the axis labels, the grid, the readout and the CSV export.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/bytes.h"
#include "measure/scope_csv.h"
#include "measure/scope_view.h"
#include "tests/support/fake_ui.h"
#include "tests/support/link_fakes.h"
#include "tests/support/temp_dir.h"

namespace {

using Texts = std::vector<std::string>;

ScopeCapture sample_capture() {
    ScopeCapture c = {};
    for (int i = 0; i < SCOPE_SAMPLES; ++i) {
        put_u16le(c.bytes + 4 + 2 * i, uint16_t(int16_t(i * 10 - 2500)));  // -250.0 V .. +249.0 V
        put_u16le(c.bytes + 1004 + 2 * i, uint16_t(int16_t(i % 2 ? -i : i)));
    }
    put_u32le(c.bytes + 2004, 1500);
    put_u32le(c.bytes + 2008, 0);
    return c;
}

TEST(ScopeView, ControlsFollowTheSettingsAndTheCapture) {
    struct Case {
        ScopeSettings edited;
        bool shown;
        ScopeSettings validated;
        bool sections_enabled;
        int section;
        const char* range_text;
    };
    const std::vector<Case> cases = {
        {{0, SCOPE_KIND_SINGLE, SCOPE_SECTION_ZERO, 1, 7}, true, {0, 0, 1, 1, 7}, true, 1, "\u00b10.5"},
        {{1, SCOPE_KIND_START_UP, SCOPE_SECTION_SWITCHING, 4, 500},
         false,
         {1, 2, 2, 4, 500},
         true,
         2,
         "\u00b14"},
        // The fault capture and the load test disable and clear the section radios.
        {{0, SCOPE_KIND_FAULT, SCOPE_SECTION_SWITCHING, 6, 0}, true, {0, 1, 2, 6, 0}, false, -1, "\u00b116"},
        {{1, SCOPE_KIND_LOAD_TEST, SCOPE_SECTION_ZERO, 2, 0}, false, {1, 3, 1, 2, 0}, false, -1, "\u00b11"},
        // Out-of-range settings are corrected first.
        {{7, 9, 5, 0, 3}, false, {0, 0, 0, 6, 3}, true, 0, "\u00b116"},
    };
    const ScopeCapture capture = sample_capture();
    for (const Case& c : cases) {
        ScopeSettings edited = c.edited;
        const ScopeSettings displayed = {1, SCOPE_KIND_CONTINUOUS, SCOPE_SECTION_ZERO, 6, 0};
        ScopePlot plot;
        scope_plot_clear(plot);
        if (c.shown) scope_plot_prepare(plot, capture, displayed);
        TestDrive drive = {{0, 0}, {70000, 32768}};
        const ScopeControls shown = scope_controls(edited, displayed, plot, capture, drive);
        EXPECT_EQ(edited.dimmer, c.validated.dimmer);
        EXPECT_EQ(edited.kind, c.validated.kind);
        EXPECT_EQ(edited.section, c.validated.section);
        EXPECT_EQ(edited.current_range, c.validated.current_range);
        EXPECT_EQ(shown.dimmer, c.validated.dimmer);
        EXPECT_EQ(shown.kind, c.validated.kind);
        EXPECT_EQ(shown.sections_enabled, c.sections_enabled);
        EXPECT_EQ(shown.section, c.section);
        EXPECT_EQ(shown.half_period, c.validated.half_period);
        EXPECT_EQ(shown.range, c.validated.current_range);
        EXPECT_EQ(shown.range_text, c.range_text);
        EXPECT_EQ(drive.value[0], 65535u);  // clamped by every refresh
        EXPECT_EQ(shown.drive_position, c.validated.dimmer == 0 ? 100u : 50u);
        if (c.shown) {
            EXPECT_EQ(shown.description, "Dimmer 2, Dauermessung, Nulldurchgang");
            EXPECT_EQ(shown.peak_current, "Imax = -0.5 A");  // -499 mA, the largest magnitude
            EXPECT_EQ(shown.zero_time, "1.500");
            EXPECT_EQ(shown.switching_time, "0");
        } else {
            EXPECT_EQ(shown.description + shown.peak_current + shown.zero_time + shown.switching_time, "");
        }
    }
}

TEST(ScopeView, DriveTrackbarSetsTheChosenDimmer) {
    ScopeSettings edited = {1, 0, 0, 6, 0};
    TestDrive drive = {};
    scope_drive_moved(edited, drive, 1);
    EXPECT_EQ(drive.pending[1], 1u);
    EXPECT_EQ(drive.value[1], 656u);  // 655.35 rounded up: 1 % already drives
    EXPECT_EQ(drive.pending[0], 0u);
    edited.dimmer = 5;  // corrected to dimmer 1 first
    scope_drive_moved(edited, drive, 100);
    EXPECT_EQ(drive.pending[0], 1u);
    EXPECT_EQ(drive.value[0], 65535u);
}

TEST(ScopeView, AxisTextsPerSectionAndRange) {
    struct Case {
        ScopeSettings displayed;
        Texts voltage, current, time;
    };
    const std::vector<Case> cases = {
        {{0, SCOPE_KIND_SINGLE, SCOPE_SECTION_PERIOD, 6, 0},
         {"+400", "+300", "+200", "+100", "0", "-100", "-200", "-300", "-400"},
         {"+16", "+12", "+8", "+4", "0", "-4", "-8", "-12", "-16"},
         {"0", "+5", "+10", "+15", "+20", "+25"}},
        {{0, SCOPE_KIND_LOAD_TEST, SCOPE_SECTION_PERIOD, 1, 0},
         {"+50", "", "+25", "", "0", "", "-25", "", "-50"},
         {"+0.500", "+0.375", "+0.250", "+0.125", "0.000", "-0.125", "-0.250", "-0.375", "-0.500"},
         {"-0.5", "0.0", "+0.5", "+1.0", "+1.5", "+2.0"}},
        {{1, SCOPE_KIND_FAULT, SCOPE_SECTION_SWITCHING, 2, 0},
         {"+400", "+300", "+200", "+100", "0", "-100", "-200", "-300", "-400"},
         {"+1.00", "+0.75", "+0.50", "+0.25", "0.00", "-0.25", "-0.50", "-0.75", "-1.00"},
         {"-1", "0", "+1", "+2", "+3", "+4"}},
        {{0, SCOPE_KIND_CONTINUOUS, SCOPE_SECTION_SWITCHING, 5, 0},
         {"+400", "+300", "+200", "+100", "0", "-100", "-200", "-300", "-400"},
         {"+8", "+6", "+4", "+2", "0", "-2", "-4", "-6", "-8"},
         {"-0.5", "0.0", "+0.5", "+1.0", "+1.5", "+2.0"}},
    };
    for (const Case& c : cases) {
        const ScopeAxisTexts t = scope_axis_texts(c.displayed);
        EXPECT_EQ(Texts(t.voltage, t.voltage + 9), c.voltage);
        EXPECT_EQ(Texts(t.current, t.current + 9), c.current);
        EXPECT_EQ(Texts(t.time, t.time + 6), c.time);
    }
}

TEST(ScopeView, GridAndFrame) {
    // A plot area of 500 x 300 pixels.
    const std::vector<PlotLine> grid = scope_grid(500, 300);
    ASSERT_EQ(grid.size(), 15u + 24u);
    int major = 0;
    for (const PlotLine& l : grid) major += l.major;
    EXPECT_EQ(major, 1 + 4);  // the zero line and the verticals at 100, 200, 300, 400
    // k = 50: v = 50 * 60001 / 800 - 30000 = -26250; the zero line is k = 400.
    EXPECT_EQ(grid[0].from.y, plot_y(-26250, -PLOT_HALF, PLOT_HALF, 300));
    EXPECT_TRUE(grid[7].major);
    EXPECT_EQ(grid[7].from.y, 151);
    EXPECT_EQ(grid[7].from.x, 4);
    EXPECT_EQ(grid[7].to.x, 496);
    EXPECT_EQ(grid[15].from.x, plot_x(20, 0, 499, 500));
    EXPECT_EQ(grid[15].from.y, 296);
    EXPECT_EQ(grid[15].to.y, 4);
    EXPECT_TRUE(grid[15 + 4].major);  // sample 100
    const std::vector<PlotPoint> frame = scope_frame(500, 300);
    ASSERT_EQ(frame.size(), 5u);
    EXPECT_EQ(frame[0].x, 4);
    EXPECT_EQ(frame[0].y, 296);
    EXPECT_EQ(frame[2].x, 496);
    EXPECT_EQ(frame[2].y, 4);
    EXPECT_EQ(frame[4].x, frame[0].x);
    EXPECT_EQ(frame[4].y, frame[0].y);
}

TEST(ScopeView, ReadoutOfTheNearestSample) {
    // Sample i sits at i * (width - 8) / 499 + 4, the last at width - 4; in
    // 1000 pixels 0, 1, 2 sit at 4, 5, 7, so 6 is a tie that goes to sample 1.
    struct Case {
        int x, width, index;
    };
    const std::vector<Case> cases = {
        {-20, 500, 0},   {4, 500, 0},  {250, 500, 250}, {495, 500, 498}, {496, 500, 499},
        {900, 500, 499}, {5, 1000, 1}, {6, 1000, 1},    {7, 1000, 2},
    };
    for (const Case& c : cases) EXPECT_EQ(sample_at_x(c.x, c.width), c.index) << c.x << " in " << c.width;

    const ScopeCapture capture = sample_capture();
    EXPECT_EQ(sample_readout(capture, {0, SCOPE_KIND_SINGLE, SCOPE_SECTION_PERIOD, 6, 0}, 1),
              "t = 0.050 ms\nU = -249.0 V\nI = -0.001 A");
    EXPECT_EQ(sample_readout(capture, {0, SCOPE_KIND_FAULT, SCOPE_SECTION_PERIOD, 6, 0}, 100),
              "t = 0.000 ms\nU = -150.0 V\nI = 0.100 A");
    EXPECT_EQ(sample_readout(capture, {0, SCOPE_KIND_LOAD_TEST, 0, 6, 0}, 499),
              "t = 1.995 ms\nU = 249.0 V\nI = -0.499 A");
}

TEST(ScopeCsv, TheCaptureAsText) {
    const ScopeCapture capture = sample_capture();
    const std::string csv = capture_csv(capture, {1, SCOPE_KIND_START_UP, SCOPE_SECTION_ZERO, 3, 7});
    const std::string head =
        "# KV-310-R Oszilloskop: Dimmer 2, Messung bei Start, Nulldurchgang, I-Messbereich [A] \u00b12\n"
        "# t=0 @ [ms]: 1.500\n"
        "# Schaltzeit [ms]: 0\n"
        "# Imax = -0.5 A\n"
        "time_ms;voltage_V;current_A\n"
        "-1.000;-250.0;0.000\n"
        "-0.990;-249.0;-0.001\n";
    EXPECT_EQ(csv.substr(0, head.size()), head);
    const std::string tail = "\n3.990;249.0;-0.499\n";
    EXPECT_EQ(csv.substr(csv.size() - tail.size()), tail);
    size_t lines = 0;
    for (char ch : csv) lines += ch == '\n';
    EXPECT_EQ(lines, 505u);

    TempDir dir;
    reset_link_world();
    const std::string path = dir.file("Messung.csv");
    ASSERT_TRUE(save_capture_csv(nullptr, path, capture, {0, 0, 0, 6, 0}));
    EXPECT_EQ(read_bytes(path), capture_csv(capture, {0, 0, 0, 6, 0}));
    EXPECT_TRUE(fake_ui().messages.empty());

    const std::string unreachable = dir.file("fehlt/Messung.csv");
    EXPECT_FALSE(save_capture_csv(nullptr, unreachable, capture, {0, 0, 0, 6, 0}));
    ASSERT_EQ(fake_ui().messages.size(), 1u);
    EXPECT_EQ(fake_ui().messages[0].type, KV_MB_ERROR);
    EXPECT_EQ(fake_ui().messages[0].text,
              "Fehler: Datei \"" + unreachable + "\" konnte nicht abgespeichert werden");
}

}  // namespace
