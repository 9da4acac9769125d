// kv310r-cli on parameter files: the files it writes, what it prints, and that
// a failed command leaves the user's file exactly as it was.
#include "params/param_file.h"
#include "params/record.h"
#include "tests/cli/cli_run.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

std::string golden() { return read_bytes(std::string(KV_TEST_DATA_DIR) + "/default_parameter_file.ini"); }

std::string numbers(int from, int to) {
    std::string s;
    for (int i = from; i <= to; ++i) s += std::to_string(i) + "\n";
    return s;
}

TEST(CliParamFile, NewWritesTheDefaultSetAndShowPrintsIt) {
    TempDir dir;
    const std::string file = dir.file("Anlage.ini");
    const CliResult created = run_cli({"new", file});
    ASSERT_EQ(created.status, 0) << created.err;
    EXPECT_EQ(read_bytes(file), golden());

    const CliResult shown = run_cli({"show", file});
    EXPECT_EQ(shown.status, 0);
    EXPECT_EQ(shown.out, golden());
    EXPECT_EQ(shown.err, "");
}

TEST(CliParamFile, ShowPrintsTheValidatedSet) {
    TempDir dir;
    const std::string file = dir.file("odd.ini");
    std::string text = golden();
    text.replace(text.find("d1_K_3_a=0"), 10, "d1_K_3_a=300");   // 300 keeps its low byte: 44
    text.replace(text.find("d1_K_4_a=100"), 12, "d1_K_4_a=20");  // raised to the minimum
    write_bytes(file, text);

    const CliResult shown = run_cli({"show", file});
    ASSERT_EQ(shown.status, 0) << shown.err;
    EXPECT_NE(shown.out.find("\r\nd1_K_3_a=44\r\n"), std::string::npos);
    EXPECT_NE(shown.out.find("\r\nd1_K_4_a=44\r\n"), std::string::npos);
    EXPECT_EQ(read_bytes(file), text);  // showing never writes
}

TEST(CliParamFile, ShowReportsUnreadableAndIncompleteFiles) {
    TempDir dir;
    const std::string missing = dir.file("fehlt.ini");
    CliResult r = run_cli({"show", missing});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Fehler: Datei \"" + missing + "\" ist nicht lesbar\n");
    EXPECT_EQ(r.out, "");

    const std::string partial = dir.file("halb.ini");
    const std::string text = golden();
    write_bytes(partial, text.substr(0, text.size() / 2));
    r = run_cli({"show", partial});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Fehler: Datei \"" + partial + "\" ist nicht vollständig\n");

    // Long paths are cut to 128 characters in the message.
    const std::string deep = dir.file(std::string(200, 'x') + ".ini");
    r = run_cli({"show", deep});
    EXPECT_EQ(r.err, "Fehler: Datei \"" + deep.substr(0, 128) + "\" ist nicht lesbar\n");
}

TEST(CliParamFile, ImportCurveReplacesOneCurveAndSaves) {
    TempDir dir;
    const std::string file = dir.file("set.ini");
    ASSERT_EQ(run_cli({"new", file}).status, 0);
    const std::string curve = dir.file("kurve.txt");
    write_bytes(curve, numbers(0, 255));

    const CliResult r = run_cli({"import-curve", file, "2", curve});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");  // the 256th number is 255, as the file gives back
    const std::string saved = read_bytes(file);
    EXPECT_NE(saved.find("\r\nu2_v_0=0\r\n"), std::string::npos);
    EXPECT_NE(saved.find("\r\nu2_v_64=64\r\n"), std::string::npos);
    EXPECT_NE(saved.find("\r\nu2_v_254=254\r\n"), std::string::npos);
    EXPECT_NE(saved.find("\r\nu1_v_64=94\r\n"), std::string::npos);  // curve 1 keeps its default
}

TEST(CliParamFile, ImportCurveWarnsThatTheFileCannotKeepThe256thNumber) {
    TempDir dir;
    const std::string file = dir.file("set.ini");
    ASSERT_EQ(run_cli({"new", file}).status, 0);
    const std::string curve = dir.file("kurve.txt");
    write_bytes(curve, numbers(0, 254) + "17\n");

    const CliResult r = run_cli({"import-curve", file, "1", curve});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err,
              "Warnung: Punkt 255 der Userkurve 1 (17) kann in der Parameterdatei nicht gespeichert werden, "
              "beim Öffnen gilt 255\n");
    const std::string saved = read_bytes(file);
    EXPECT_NE(saved.find("\r\nu1_v_254=254\r\n"), std::string::npos);
    EXPECT_EQ(saved.find("u1_v_255"), std::string::npos);
}

TEST(CliParamFile, FailedImportLeavesTheFileUntouched) {
    TempDir dir;
    const std::string file = dir.file("set.ini");
    ASSERT_EQ(run_cli({"new", file}).status, 0);
    const std::string before = read_bytes(file);

    const std::string short_curve = dir.file("kurz.txt");
    write_bytes(short_curve, numbers(0, 254));  // 255 numbers
    CliResult r = run_cli({"import-curve", file, "1", short_curve});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Fehler: Datei \"" + short_curve + "\" ist fehlerhaft\n");
    EXPECT_EQ(read_bytes(file), before);

    const std::string missing = dir.file("fehlt.txt");
    r = run_cli({"import-curve", file, "1", missing});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Fehler: Datei \"" + missing + "\" kann nicht importiert werden\n");
    EXPECT_EQ(read_bytes(file), before);
}

TEST(CliParamFile, DiffNamesEachDifferingFieldLikeThePages) {
    TempDir dir;
    const std::string a = dir.file("a.ini"), b = dir.file("b.ini");
    ParameterRecord record;
    apply_defaults(record);
    ASSERT_TRUE(write_parameter_file(record, a));
    record.dimmer[1].maximum[3] = 80;
    record.dimmer[0].voltage_input_range = 1;
    for (int x = 12; x < 49; ++x) record.user_curve[0][x] = uint8_t(x);
    ASSERT_TRUE(write_parameter_file(record, b));

    CliResult r = run_cli({"diff", a, b});
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(r.out,
              "Grundeinstellung, Dimmer 1, U-Eingang bei DMX und PC-Test: 0 - 10V -> 1 - 10V\n"
              "Grundeinstellung, Dimmer 2, CD = 11 (mit Vorheizen), Maximum 0-100%: 100 -> 80\n"
              "Userkurve 1: 37 Punkte verschieden (erste: 12)\n");
    EXPECT_EQ(r.err, "");

    r = run_cli({"diff", a, a});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");

    // A file that cannot be read is trouble, as for diff.
    r = run_cli({"diff", a, dir.file("fehlt.ini")});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "Fehler: Datei \"" + dir.file("fehlt.ini") + "\" ist nicht lesbar\n");
    EXPECT_EQ(r.out, "");
}

TEST(CliParamFile, ExportedCurveImportsBackUnchanged) {
    TempDir dir;
    const std::string file = dir.file("set.ini"), copy = dir.file("kopie.ini"), text = dir.file("kurve.txt");
    ParameterRecord record;
    apply_defaults(record);
    for (int x = 0; x < CURVE_POINTS; ++x) record.user_curve[1][x] = uint8_t((x * 7) % 256);
    ASSERT_TRUE(write_parameter_file(record, file));

    CliResult r = run_cli({"export-curve", file, "2", text});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string exported = read_bytes(text);
    EXPECT_EQ(exported.rfind("0\r\n7\r\n14\r\n21\r\n", 0), 0u);
    EXPECT_EQ(std::count(exported.begin(), exported.end(), '\n'), 256);

    // Into curve 1 of another set: both curves are then the same.
    ASSERT_EQ(run_cli({"new", copy}).status, 0);
    ASSERT_EQ(run_cli({"import-curve", copy, "1", text}).status, 0);
    ParameterRecord back;
    ASSERT_TRUE(read_parameter_file(back, copy));
    EXPECT_EQ(std::memcmp(back.user_curve[0], record.user_curve[1], CURVE_POINTS - 1), 0);

    // Nothing to read: the text file is left as it was.
    r = run_cli({"export-curve", dir.file("fehlt.ini"), "1", text});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(read_bytes(text), exported);
    r = run_cli({"export-curve", file, "1", dir.file("kein/ordner.txt")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              "Fehler: Datei \"" + dir.file("kein/ordner.txt") + "\" konnte nicht abgespeichert werden\n");
}

TEST(CliParamFile, UsageErrorsAndHelp) {
    struct Case {
        std::vector<std::string> args;
        int status;
    };
    const Case cases[] = {
        {{}, 2},
        {{"unbekannt"}, 2},
        {{"show"}, 2},
        {{"new", "a.ini", "b.ini"}, 2},
        {{"import-curve", "a.ini", "3", "k.txt"}, 2},
        {{"export-curve", "a.ini", "0", "k.txt"}, 2},
        {{"export-curve", "a.ini", "1"}, 2},
        {{"diff", "a.ini"}, 2},
        {{"diff", "a.ini", "b.ini", "c.ini"}, 2},
        {{"diff", "a.ini", "b.ini", "--device"}, 2},
        {{"diff", "--help"}, 0},
        {{"export-curve", "--help"}, 0},
        {{"--help"}, 0},
        {{"new", "--help"}, 0},
        {{"show", "--help"}, 0},
        {{"import-curve", "--help"}, 0},
        {{"version", "--help"}, 0},
        {{"read", "--help"}, 0},
        {{"write", "--help"}, 0},
        {{"drive", "--help"}, 0},
        {{"status", "--help"}, 0},
        {{"scope", "--help"}, 0},
        {{"new", "a.ini", "--port", "COM1"}, 2},  // an option the command does not take
    };
    for (const Case& c : cases) {
        const CliResult r = run_cli(c.args);
        EXPECT_EQ(r.status, c.status) << (c.args.empty() ? "" : c.args[0]);
        if (c.status == 0) {
            EXPECT_NE(r.out.find("kv310r-cli"), std::string::npos);
        }
    }
}

}  // namespace
