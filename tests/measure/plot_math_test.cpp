// Plot arithmetic: axes and labels, samples to plot units, peak current, trace
// reduction, value-to-pixel mapping and label layout.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "measure/plot_math.h"
#include "params/record.h"

namespace {

std::vector<std::string> labels(const PlotAxis& axis) {
    std::vector<std::string> out;
    for (int i = 0; i < 9; ++i) out.push_back(axis_label(axis, i));
    return out;
}

using Texts = std::vector<std::string>;

TEST(PlotAxes, LabelTexts) {
    EXPECT_EQ(labels(current_axis(1)), (Texts{"+0.500", "+0.375", "+0.250", "+0.125", "0.000", "-0.125",
                                              "-0.250", "-0.375", "-0.500"}));
    EXPECT_EQ(labels(current_axis(3)),
              (Texts{"+2.0", "+1.5", "+1.0", "+0.5", "0.0", "-0.5", "-1.0", "-1.5", "-2.0"}));
    EXPECT_EQ(labels(current_axis(0)), (Texts{"+16", "+12", "+8", "+4", "0", "-4", "-8", "-12", "-16"}));
    EXPECT_EQ(labels(voltage_axis(SCOPE_SECTION_LOAD)),
              (Texts{"+50", "", "+25", "", "0", "", "-25", "", "-50"}));
    EXPECT_EQ(labels(voltage_axis(SCOPE_SECTION_PERIOD)),
              (Texts{"+400", "+300", "+200", "+100", "0", "-100", "-200", "-300", "-400"}));
    EXPECT_EQ(labels(time_axis(SCOPE_SECTION_ZERO)), (Texts{"-1", "0", "+1", "+2", "+3", "+4", "", "", ""}));
    EXPECT_EQ(labels(time_axis(SCOPE_SECTION_PERIOD)),
              (Texts{"0", "+5", "+10", "+15", "+20", "+25", "", "", ""}));
    EXPECT_EQ(labels(time_axis(SCOPE_SECTION_LOAD)),
              (Texts{"-0.5", "0.0", "+0.5", "+1.0", "+1.5", "+2.0", "", "", ""}));

    const PlotAxis c5 = current_axis(5);
    EXPECT_EQ(c5.minimum, -8000);
    EXPECT_EQ(c5.maximum, 8000);
    EXPECT_EQ(current_range_label(1), "\u00b10.5");
    EXPECT_EQ(current_range_label(4), "\u00b14");
    EXPECT_EQ(current_range_label(9), "\u00b116");
}

TEST(PlotAxes, SampleTimes) {
    struct Case {
        uint32_t section;
        int index;
        double ms;
    };
    const std::vector<Case> cases = {
        {SCOPE_SECTION_PERIOD, 0, 0.0},     {SCOPE_SECTION_PERIOD, 1, 0.05},
        {SCOPE_SECTION_PERIOD, 499, 24.95}, {SCOPE_SECTION_ZERO, 0, -1.0},
        {SCOPE_SECTION_ZERO, 100, 0.0},     {SCOPE_SECTION_ZERO, 499, 3.99},
        {SCOPE_SECTION_SWITCHING, 0, -0.5}, {SCOPE_SECTION_SWITCHING, 1, -0.495},
        {SCOPE_SECTION_LOAD, 499, 1.995},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(sample_time_ms(c.section, c.index), c.ms) << c.section << " " << c.index;
}

TEST(PlotValues, SamplesToPlotUnits) {
    struct Case {
        int32_t sample;
        float minimum, maximum;
        int32_t plot;
    };
    const std::vector<Case> cases = {
        {4000, -4000, 4000, 30000}, {-5000, -4000, 4000, -30000}, {250, -500, 500, 15000},
        {250, -16000, 16000, 468},  {-250, -16000, 16000, -468},  {100, 500, 500, 0},
        {100, 500, -500, 0},        {-32768, -500, 500, -30000},  {1, -4000, 4000, 7},
    };
    for (const Case& c : cases) EXPECT_EQ(sample_to_plot(c.sample, c.minimum, c.maximum), c.plot) << c.sample;
}

ScopeCapture capture_with(const std::vector<int16_t>& voltage, const std::vector<int16_t>& current) {
    ScopeCapture c = {};
    for (size_t i = 0; i < voltage.size(); ++i) put_u16le(c.bytes + 4 + 2 * i, uint16_t(voltage[i]));
    for (size_t i = 0; i < current.size(); ++i) put_u16le(c.bytes + 1004 + 2 * i, uint16_t(current[i]));
    put_u32le(c.bytes + 2004, 1500);
    put_u32le(c.bytes + 2008, 12345);
    return c;
}

TEST(PlotValues, PreparedPlotAndPeakCurrent) {
    const ScopeCapture capture = capture_with({4000, -5000, 200}, {10, -3000, 3000, 250});
    EXPECT_EQ(capture_voltage(capture, 1), -5000);
    EXPECT_EQ(capture_current(capture, 3), 250);
    EXPECT_EQ(capture_zero_time_us(capture), 1500u);
    EXPECT_EQ(capture_switching_time_us(capture), 12345u);
    EXPECT_EQ(peak_current(capture), -3000);  // the first of equal magnitudes
    EXPECT_EQ(peak_current(capture_with({}, {-10, 20, -20})), 20);

    ScopePlot plot;
    scope_plot_clear(plot);
    EXPECT_FALSE(plot.shown);
    EXPECT_EQ(plot.voltage_max, 4000);
    EXPECT_EQ(plot.current_min, -16000);

    scope_plot_prepare(plot, capture, {0, SCOPE_KIND_SINGLE, SCOPE_SECTION_PERIOD, 1, 0});
    EXPECT_TRUE(plot.shown);
    EXPECT_EQ(plot.peak_current, -3000);
    EXPECT_EQ(plot.voltage[0], 30000);
    EXPECT_EQ(plot.voltage[1], -30000);
    EXPECT_EQ(plot.voltage[2], 1500);
    EXPECT_EQ(plot.current[1], -30000);
    EXPECT_EQ(plot.current[3], 15000);
    EXPECT_EQ(plot.current_max, 500);

    // The load test plots the voltage at ±50 V.
    scope_plot_prepare(plot, capture, {0, SCOPE_KIND_LOAD_TEST, SCOPE_SECTION_PERIOD, 6, 0});
    EXPECT_EQ(plot.voltage_max, 500);
    EXPECT_EQ(plot.voltage[2], 12000);
    EXPECT_EQ(plot.current[3], 468);

    scope_plot_clear(plot);
    EXPECT_FALSE(plot.shown);
    EXPECT_EQ(plot.voltage[0], 0);
    EXPECT_EQ(plot.current_max, 16000);
}

// The reduction's rule as first written: a run from a to b is straight when
// every value between lies on the line from a to b in thousandths, the
// quotient truncated toward zero; the run is extended point by point.
std::vector<int> vertices_point_by_point(const std::vector<int32_t>& v) {
    auto straight = [&v](int a, int b) {
        for (int k = a + 1; k < b; ++k)
            if (1000 * (int64_t(v[size_t(k)]) - v[size_t(a)]) !=
                1000 * int64_t(k - a) * (int64_t(v[size_t(b)]) - v[size_t(a)]) / (b - a))
                return false;
        return true;
    };
    const int last = int(v.size()) - 1;
    std::vector<int> vertices{0};
    for (int a = 0; a < last;) {
        int e = a + 1;
        while (e + 1 <= last && straight(a, e + 1)) ++e;
        vertices.push_back(e);
        a = e;
    }
    return vertices;
}

TEST(PlotTrace, ReductionAgreesWithThePointByPointRule) {
    std::mt19937 random(310);
    // Lines of random slopes with random kinks, jitter and clipping: user
    // curves (256 points, 0..255) and traces (500 samples, ±30000).
    auto wiggly = [&random](int count, int top, double scale, bool jitter) {
        std::vector<int32_t> v(static_cast<size_t>(count));
        auto slope = [&] { return scale * double(int(random() % 11) - 5) / double(1 + random() % 4); };
        double y = double(random() % unsigned(top + 1)), s = slope();
        for (int x = 0; x < count; ++x) {
            if (random() % 40 == 0) s = slope();
            y += s;
            const int j = jitter && random() % 10 == 0 ? int(random() % 3) - 1 : 0;
            v[size_t(x)] = std::clamp(int(std::lround(y)) + j, -top, top);
        }
        return v;
    };
    std::vector<std::vector<int32_t>> cases = {
        std::vector<int32_t>(default_user_curve(0), default_user_curve(0) + 256),
        std::vector<int32_t>(default_user_curve(1), default_user_curve(1) + 256)};
    for (int n = 0; n < 300; ++n) {
        std::vector<int32_t> curve = wiggly(CURVE_POINTS, 255, 1.0, n % 3 == 0);
        for (int32_t& y : curve) y = std::max(y, 0);
        cases.push_back(curve);
        cases.push_back(wiggly(SCOPE_SAMPLES, 30000, 150.0, n % 3 == 0));
    }
    for (const std::vector<int32_t>& v : cases)
        EXPECT_EQ(straight_run_vertices(v.data(), int(v.size())), vertices_point_by_point(v));
}

TEST(PlotTrace, OnlyTheBendsAreDrawn) {
    int32_t v[SCOPE_SAMPLES] = {};
    EXPECT_EQ(trace_points(v), (std::vector<int>{0, 499}));

    for (int i = 0; i < SCOPE_SAMPLES; ++i) v[i] = 2 * i - 400;
    EXPECT_EQ(trace_points(v), (std::vector<int>{0, 499}));

    std::memset(v, 0, sizeof v);
    v[250] = 100;
    EXPECT_EQ(trace_points(v), (std::vector<int>{0, 249, 250, 251, 499}));

    // A triangle bends once; full-scale values do not overflow the test.
    for (int i = 0; i < SCOPE_SAMPLES; ++i) v[i] = i < 100 ? -30000 + 600 * i : 30000 - 150 * (i - 100);
    EXPECT_EQ(trace_points(v), (std::vector<int>{0, 100, 499}));

    // A step of one unit every other sample is not a straight line.
    for (int i = 0; i < SCOPE_SAMPLES; ++i) v[i] = i / 2;
    EXPECT_EQ(trace_points(v).size(), 500u);

    std::memset(v, 0, sizeof v);
    v[499] = 30000;
    const std::vector<PlotPoint> line = trace_polyline(v, 500, 300);
    ASSERT_EQ(line.size(), 3u);
    EXPECT_EQ(line[0].x, 4);
    EXPECT_EQ(line[0].y, 150);  // 151, one pixel up
    EXPECT_EQ(line[1].x, 494);
    EXPECT_EQ(line[2].x, 496);
    EXPECT_EQ(line[2].y, 3);
}

TEST(PlotPixels, ValueToPixel) {
    struct Case {
        int32_t value, low, high;
        int extent, x, y;
    };
    const std::vector<Case> cases = {
        {0, 0, 499, 500, 4, 496},
        {499, 0, 499, 500, 496, 4},
        {250, 0, 499, 500, 250, 250},
        {-30000, -30000, 30000, 300, 4, 296},
        {30000, -30000, 30000, 300, 296, 4},
        {0, -30000, 30000, 300, 149, 151},
        {1000, 0, 499, 20, 36, 4},
        {-5, 0, 10, 20, 4, 36},
        {5, 0, 10, 10, 18, 22},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(plot_x(c.value, c.low, c.high, c.extent), c.x) << c.value << " in " << c.extent;
        EXPECT_EQ(plot_y(c.value, c.low, c.high, c.extent), c.y) << c.value << " in " << c.extent;
    }
    EXPECT_EQ(clamp_int(-5, 0, 10), 0);
    EXPECT_EQ(clamp_int(15, 0, 10), 10);
    EXPECT_EQ(clamp_int(7, 0, 10), 7);
}

TEST(PlotLabels, Layout) {
    // Nine labels of height 16 beside a plot at y 10..310 with a border of 2.
    std::vector<int> tops;
    for (int i = 0; i < 9; ++i) tops.push_back(vertical_label_top(i, 9, 10, 300, 2, 16));
    EXPECT_EQ(tops, (std::vector<int>{10, 42, 79, 115, 152, 188, 225, 261, 294}));
    // Six labels of width 30 below a plot at x 50..550.
    std::vector<int> lefts;
    for (int i = 0; i < 6; ++i) lefts.push_back(time_label_left(i, 6, 50, 500, 2, 30));
    EXPECT_EQ(lefts, (std::vector<int>{55, 137, 236, 335, 434, 515}));
}

struct VertexCase {
    std::string name;
    std::vector<uint8_t> curve;
    std::vector<int> vertices;
};

std::vector<uint8_t> curve_from(uint8_t (*f)(int)) {
    std::vector<uint8_t> c(CURVE_POINTS);
    for (int x = 0; x < CURVE_POINTS; ++x) c[size_t(x)] = f(x);
    return c;
}

std::vector<int> all_points() {
    std::vector<int> v(CURVE_POINTS);
    for (int x = 0; x < CURVE_POINTS; ++x) v[size_t(x)] = x;
    return v;
}

TEST(CurvePlot, KeepsOnlyTheEndsOfStraightRuns) {
    const std::vector<VertexCase> cases = {
        {"identity", curve_from([](int x) { return uint8_t(x); }), {0, 255}},
        {"flat", curve_from([](int) { return uint8_t(77); }), {0, 255}},
        {"falling line", curve_from([](int x) { return uint8_t(255 - x); }), {0, 255}},
        {"knee at 100", curve_from([](int x) { return uint8_t(x < 100 ? x : 100); }), {0, 100, 255}},
        {"up then down", curve_from([](int x) { return uint8_t(x <= 128 ? x : 256 - x); }), {0, 128, 255}},
        {"single spike", curve_from([](int x) { return uint8_t(x == 50 ? 200 : 0); }), {0, 49, 50, 51, 255}},
        // Half steps 0, 0, 1, 1, 2, 2, ... never lie on one line: every point
        // is its own vertex.
        {"staircase", curve_from([](int x) { return uint8_t(x / 2); }), all_points()},
    };
    for (const VertexCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<int> v = curve_vertices(c.curve.data());
        EXPECT_EQ(v, c.vertices);
        ASSERT_GE(v.size(), 2u);
        EXPECT_EQ(v.front(), 0);
        EXPECT_EQ(v.back(), 255);
        for (size_t i = 1; i < v.size(); ++i) EXPECT_LT(v[i - 1], v[i]);
    }
    // The default curves bend everywhere: nearly every point is a vertex.
    const std::vector<int> bent = curve_vertices(default_user_curve(0));
    EXPECT_GT(bent.size(), 100u);
    EXPECT_LE(bent.size(), 256u);
}

// The line through the vertices is the line through all 256 points: each
// point lies on its segment within the 1/1000 the comparison resolves.
TEST(CurvePlot, TheReducedLinePassesThroughEveryPoint) {
    std::vector<std::vector<uint8_t>> curves = {
        std::vector<uint8_t>(default_user_curve(0), default_user_curve(0) + CURVE_POINTS),
        std::vector<uint8_t>(default_user_curve(1), default_user_curve(1) + CURVE_POINTS),
    };
    uint32_t seed = 12345;
    for (int n = 0; n < 200; ++n) {
        std::vector<uint8_t> c(CURVE_POINTS);
        int level = 128;
        for (int x = 0; x < CURVE_POINTS; ++x) {
            seed = seed * 1103515245u + 12345u;
            // Runs of steady slope with occasional bends, as imported curves have.
            if ((seed >> 16) % 8 == 0) level = int((seed >> 8) % 256);
            c[size_t(x)] = uint8_t(level);
        }
        curves.push_back(c);
    }
    for (const auto& c : curves) {
        const std::vector<int> v = curve_vertices(c.data());
        ASSERT_GE(v.size(), 2u);
        for (size_t s = 1; s < v.size(); ++s) {
            const int a = v[s - 1], b = v[s];
            for (int k = a; k <= b; ++k) {
                const double on_line = c[size_t(a)] + double(k - a) * (c[size_t(b)] - c[size_t(a)]) / (b - a);
                EXPECT_LT(std::abs(c[size_t(k)] - on_line), 0.001) << "point " << k;
            }
        }
    }
}

TEST(CurvePlot, PixelsKeepTheMarginAndGrowUpwards) {
    uint8_t identity[CURVE_POINTS];
    for (int x = 0; x < CURVE_POINTS; ++x) identity[x] = uint8_t(x);
    const std::vector<PlotPoint> line = curve_polyline(identity, 375, 300);
    ASSERT_EQ(line.size(), 2u);
    EXPECT_EQ(line[0].x, 4);
    EXPECT_EQ(line[0].y, 296);
    EXPECT_EQ(line[1].x, 371);
    EXPECT_EQ(line[1].y, 4);
    // A plot squeezed below 40 pixels draws as if it had 40.
    const std::vector<PlotPoint> tiny = curve_polyline(identity, 10, 10);
    EXPECT_EQ(tiny[1].x, 36);
    EXPECT_EQ(tiny[0].y, 36);
    // Point 128 of a flat curve sits exactly in the grid's middle line.
    uint8_t flat[CURVE_POINTS];
    std::memset(flat, 128, sizeof flat);
    const std::vector<PlotPoint> middle = curve_polyline(flat, 264, 264);
    EXPECT_EQ(middle[0].y, plot_y(128, 0, 255, 264));
    EXPECT_EQ(middle[0].y, 132);
}

}  // namespace
