#include "params/curve_text.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

std::string numbers_text(int count, const char* separator = "\n") {
    std::string text;
    for (int i = 0; i < count; ++i) text += std::to_string(i) + separator;
    return text;
}

struct ScanCase {
    std::string name;
    std::string text;
    CurveImportOutcome outcome;
    int count;
    std::vector<int> first;  // expected first points
};

TEST(CurveImport, ScansDigitRunsAsNumbers) {
    std::string long_run(5000, '9');
    const std::vector<ScanCase> cases = {
        {"0 to 255 one per line", numbers_text(256), CurveImportOutcome::ok, 256, {0, 1, 2, 3}},
        {"300 numbers: the first 256 count", numbers_text(300, ","), CurveImportOutcome::ok, 256, {0, 1, 2}},
        {"255 numbers are too few", numbers_text(255, " "), CurveImportOutcome::too_few, 255, {0, 1}},
        {"decimal point splits", "1.5", CurveImportOutcome::too_few, 2, {1, 5}},
        {"minus sign ignored", "-7", CurveImportOutcome::too_few, 1, {7}},
        {"large numbers saturate",
         "1000 256 255 0000000000000000000042",
         CurveImportOutcome::too_few,
         4,
         {255, 255, 255, 42}},
        {"long digit run cannot wrap", long_run, CurveImportOutcome::too_few, 1, {255}},
        {"4294967296 is not 0", "4294967296", CurveImportOutcome::too_few, 1, {255}},
        {"last number without a line end", "3\r\n4", CurveImportOutcome::too_few, 2, {3, 4}},
        {"letters and high bytes end numbers",
         "a1b2\xC3\xA4"
         "3\xFF"
         "4",
         CurveImportOutcome::too_few,
         4,
         {1, 2, 3, 4}},
        {"nothing numeric", "no numbers here", CurveImportOutcome::too_few, 0, {}},
        {"empty file", "", CurveImportOutcome::too_few, 0, {}},
        {"data text counts the brackets too",
         "0(control 0) 22(1)",
         CurveImportOutcome::too_few,
         4,
         {0, 0, 22, 1}},
    };
    for (const ScanCase& c : cases) {
        SCOPED_TRACE(c.name);
        const CurveImport r = import_curve_bytes(c.text);
        EXPECT_EQ(r.outcome, c.outcome);
        EXPECT_EQ(r.count, c.count);
        for (size_t i = 0; i < c.first.size(); ++i) EXPECT_EQ(r.points[i], c.first[i]) << "point " << i;
        for (size_t i = size_t(r.count); i < r.points.size(); ++i) ASSERT_EQ(r.points[i], 0) << "point " << i;
    }
    const CurveImport identity = import_curve_bytes(numbers_text(256));
    for (int x = 0; x < CURVE_POINTS; ++x) EXPECT_EQ(identity.points[size_t(x)], x);
}

TEST(CurveImport, FileOutcomesAndOnlySuccessReplacesTheCurve) {
    TempDir dir;
    ParameterRecord r;
    apply_defaults(r);
    const ParameterRecord before = r;

    const std::string missing = dir.file("missing.txt");
    const CurveImport not_read = import_curve_file(missing);
    EXPECT_EQ(not_read.outcome, CurveImportOutcome::not_readable);
    EXPECT_FALSE(apply_curve_import(r, 0, not_read));
    EXPECT_EQ(curve_import_message(not_read, missing),
              "Fehler: Datei \"" + missing + "\" kann nicht importiert werden");

    const std::string short_file = dir.file("short.txt");
    write_bytes(short_file, numbers_text(255));
    const CurveImport too_few = import_curve_file(short_file);
    EXPECT_EQ(too_few.outcome, CurveImportOutcome::too_few);
    EXPECT_FALSE(apply_curve_import(r, 1, too_few));
    EXPECT_EQ(curve_import_message(too_few, short_file),
              "Fehler: Datei \"" + short_file + "\" ist fehlerhaft");
    EXPECT_EQ(std::memcmp(&r, &before, sizeof r), 0) << "a failed import changed the record";

    const std::string good_file = dir.file("good.txt");
    write_bytes(good_file, numbers_text(256));
    const CurveImport ok = import_curve_file(good_file);
    EXPECT_EQ(ok.outcome, CurveImportOutcome::ok);
    EXPECT_EQ(curve_import_message(ok, good_file), "");
    EXPECT_TRUE(apply_curve_import(r, 1, ok));
    for (int x = 0; x < CURVE_POINTS; ++x) EXPECT_EQ(r.user_curve[1][x], x);
    EXPECT_EQ(std::memcmp(r.user_curve[0], before.user_curve[0], CURVE_POINTS), 0);

    // The path in a message is cut to 128 characters.
    const std::string long_path(200, 'p');
    EXPECT_EQ(curve_import_message(not_read, long_path),
              "Fehler: Datei \"" + std::string(128, 'p') + "\" kann nicht importiert werden");
}

TEST(CurveDataText, ListsEveryPointWithItsControlValue) {
    const std::string text = curve_data_text(default_user_curve(0));
    EXPECT_EQ(text.rfind("0(control 0) 22(1) 27(2) 31(3) ", 0), 0u);
    EXPECT_TRUE(text.ends_with(" 233(254) 255(255)"));

    uint8_t ramp[CURVE_POINTS];
    for (int x = 0; x < CURVE_POINTS; ++x) ramp[x] = uint8_t(x);
    std::string expected = "0(control 0)";
    for (int x = 1; x < CURVE_POINTS; ++x)
        expected.append(" ").append(std::to_string(x)).append("(").append(std::to_string(x)).append(")");
    EXPECT_EQ(curve_data_text(ramp), expected);
    uint8_t full[CURVE_POINTS];
    std::memset(full, 255, sizeof full);
    EXPECT_LE(curve_data_text(full).size(), 2400u);
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

TEST(CurvePlotVertices, KeepsOnlyTheEndsOfStraightRuns) {
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
        const std::vector<int> v = curve_plot_vertices(c.curve.data());
        EXPECT_EQ(v, c.vertices);
        ASSERT_GE(v.size(), 2u);
        EXPECT_EQ(v.front(), 0);
        EXPECT_EQ(v.back(), 255);
        for (size_t i = 1; i < v.size(); ++i) EXPECT_LT(v[i - 1], v[i]);
    }
    // The default curves bend everywhere: nearly every point is a vertex.
    const std::vector<int> bent = curve_plot_vertices(default_user_curve(0));
    EXPECT_GT(bent.size(), 100u);
    EXPECT_LE(bent.size(), 256u);
}

// The plot's rule as first written: a run from a to b is straight when every
// point between lies on the line from a to b in thousandths, the quotient
// truncated toward zero; the run is extended point by point.
std::vector<int> vertices_point_by_point(const uint8_t* curve) {
    auto on_line = [curve](int a, int b, int k) {
        const int64_t va = curve[a];
        return 1000 * (int64_t(curve[k]) - va) == 1000 * int64_t(k - a) * (int64_t(curve[b]) - va) / (b - a);
    };
    auto straight = [&](int a, int b) {
        for (int k = a + 1; k < b; ++k)
            if (!on_line(a, b, k)) return false;
        return true;
    };
    std::vector<int> vertices{0};
    for (int a = 0; a < CURVE_POINTS - 1;) {
        int e = a + 1;
        while (e + 1 <= CURVE_POINTS - 1 && straight(a, e + 1)) ++e;
        vertices.push_back(e);
        a = e;
    }
    return vertices;
}

TEST(CurvePlotVertices, AgreeWithThePointByPointRule) {
    std::mt19937 random(310);
    std::vector<std::vector<uint8_t>> curves = {
        std::vector<uint8_t>(default_user_curve(0), default_user_curve(0) + 256),
        std::vector<uint8_t>(default_user_curve(1), default_user_curve(1) + 256)};
    for (int n = 0; n < 400; ++n) {
        // Lines of random slopes with random kinks, jitter and clipping.
        std::vector<uint8_t> c(CURVE_POINTS);
        double y = double(random() % 256), slope = double(int(random() % 11) - 5) / double(1 + random() % 4);
        for (int x = 0; x < CURVE_POINTS; ++x) {
            if (random() % 40 == 0) slope = double(int(random() % 11) - 5) / double(1 + random() % 4);
            y += slope;
            const int jitter = n % 3 == 0 && random() % 10 == 0 ? int(random() % 3) - 1 : 0;
            c[size_t(x)] = uint8_t(std::clamp(int(std::lround(y)) + jitter, 0, 255));
        }
        curves.push_back(c);
    }
    for (const std::vector<uint8_t>& c : curves)
        EXPECT_EQ(curve_plot_vertices(c.data()), vertices_point_by_point(c.data()));
}

}  // namespace
