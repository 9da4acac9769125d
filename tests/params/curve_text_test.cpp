#include "params/curve_text.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <utility>
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

// `text` padded with blanks so that `number` starts at byte `at`.
std::string place(std::string text, size_t at, const std::string& number) {
    text.resize(at, ' ');
    return text + number;
}

// Bytes this process has read from files so far (Linux); nothing elsewhere.
std::optional<uint64_t> bytes_read_by_process() {
    std::ifstream io("/proc/self/io");
    std::string key;
    uint64_t value = 0;
    while (io >> key >> value)
        if (key == "rchar:") return value;
    return std::nullopt;
}

struct BlockCase {
    std::string name;
    std::string text;
    CurveImportOutcome outcome;
    int count;
    std::vector<std::pair<int, int>> points;  // index, value
};

TEST(CurveImport, ReadsTheFileInBlocksWithNumbersAcrossTheirBorders) {
    static_assert(CURVE_READ_BLOCK == 1024);
    const std::string blank_block(1024, ' ');
    const std::vector<BlockCase> cases = {
        {"number split after its first digit",
         place("", 1023, "123 7"),
         CurveImportOutcome::too_few,
         2,
         {{0, 123}, {1, 7}}},
        {"number split before its last digit",
         place("5", 1022, "142\n"),
         CurveImportOutcome::too_few,
         2,
         {{0, 5}, {1, 142}}},
        {"number ends with the first block",
         place("", 1022, "99 8"),
         CurveImportOutcome::too_few,
         2,
         {{0, 99}, {1, 8}}},
        {"digit run at the very end of a full block",
         place("", 1021, "201"),
         CurveImportOutcome::too_few,
         1,
         {{0, 201}}},
        {"digit run at the very end after two blocks",
         place(blank_block, 2045, "017"),
         CurveImportOutcome::too_few,
         1,
         {{0, 17}}},
        {"digit run over three blocks",
         " " + std::string(2500, '9') + " 3",
         CurveImportOutcome::too_few,
         2,
         {{0, 255}, {1, 3}}},
        {"256th number split",
         place(numbers_text(255, " "), 1023, "200"),
         CurveImportOutcome::ok,
         256,
         {{0, 0}, {254, 254}, {255, 200}}},
        {"numbers after the 256th, in later blocks",
         numbers_text(300, "      "),
         CurveImportOutcome::ok,
         256,
         {{0, 0}, {255, 255}}},
        {"255 numbers over two blocks",
         numbers_text(255, "   "),
         CurveImportOutcome::too_few,
         255,
         {{254, 254}}},
    };
    TempDir dir;
    for (const BlockCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.file("kurve.txt");
        write_bytes(path, c.text);
        const CurveImport r = import_curve_file(path);
        EXPECT_EQ(r.outcome, c.outcome);
        EXPECT_EQ(r.count, c.count);
        for (const auto& [x, value] : c.points) EXPECT_EQ(r.points[size_t(x)], value) << "point " << x;
        // Block by block gives what the whole text at once gives.
        const CurveImport whole = import_curve_bytes(c.text);
        EXPECT_EQ(whole.count, r.count);
        EXPECT_EQ(whole.points, r.points);
    }
}

TEST(CurveImport, AFileOfAnySizeIsReadOnlyUpToIts256thNumber) {
    // A sparse file of 64 GiB: 256 numbers, then nothing but zero bytes.
    TempDir dir;
    const std::string path = dir.file("riesig.txt");
    write_bytes(path, numbers_text(256));
    std::error_code ec;
    std::filesystem::resize_file(std::filesystem::path(TempDir::as_u8(path)), uint64_t(64) << 30, ec);
    if (ec) {
        GTEST_SKIP() << "no sparse file here: " << ec.message();
    }

    const std::optional<uint64_t> before = bytes_read_by_process();
    const CurveImport r = import_curve_file(path);
    const std::optional<uint64_t> after = bytes_read_by_process();
    EXPECT_EQ(r.outcome, CurveImportOutcome::ok);
    for (int x = 0; x < CURVE_POINTS; ++x) ASSERT_EQ(r.points[size_t(x)], x);
    if (before && after) {
        EXPECT_LT(*after - *before, 64u * 1024u) << "read past the 256th number";
    }
}

TEST(CurveImport, AFileThatCannotBeReadIsNotImported) {
    TempDir dir;
    const std::string folder = dir.file("Ordner.txt");
    std::filesystem::create_directory(std::filesystem::path(TempDir::as_u8(folder)));
    for (const std::string& path : {dir.file("fehlt.txt"), folder, std::string()}) {
        SCOPED_TRACE(path);
        const CurveImport r = import_curve_file(path);
        EXPECT_EQ(r.outcome, CurveImportOutcome::not_readable);
        EXPECT_EQ(curve_import_message(r, path),
                  "Fehler: Datei \"" + path + "\" kann nicht importiert werden");
    }
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

TEST(CurveExportText, OneNumberALineThatImportsBackUnchanged) {
    uint8_t ramp[CURVE_POINTS];
    for (int x = 0; x < CURVE_POINTS; ++x) ramp[x] = uint8_t(255 - x);
    const std::string text = curve_export_text(ramp);
    EXPECT_EQ(text.substr(0, 15), "255\r\n254\r\n253\r\n");
    EXPECT_EQ(text.substr(text.size() - 6), "1\r\n0\r\n");
    for (const uint8_t* curve :
         {default_user_curve(0), default_user_curve(1), static_cast<const uint8_t*>(ramp)}) {
        const CurveImport back = import_curve_bytes(curve_export_text(curve));
        ASSERT_EQ(back.outcome, CurveImportOutcome::ok);
        EXPECT_EQ(std::memcmp(back.points.data(), curve, CURVE_POINTS), 0);
    }
    // The "Daten" text is no such file: its brackets hold numbers too.
    EXPECT_NE(import_curve_bytes(curve_data_text(ramp)).points[1], ramp[1]);
}

}  // namespace
