// kv310r-cli on parameter files: the files it writes, what it prints, and that
// a failed command leaves the user's file exactly as it was.
#include "tests/cli/cli_run.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

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
    const std::string saved = read_bytes(file);
    EXPECT_NE(saved.find("\r\nu2_v_0=0\r\n"), std::string::npos);
    EXPECT_NE(saved.find("\r\nu2_v_64=64\r\n"), std::string::npos);
    EXPECT_NE(saved.find("\r\nu2_v_254=254\r\n"), std::string::npos);
    EXPECT_NE(saved.find("\r\nu1_v_64=94\r\n"), std::string::npos);  // curve 1 keeps its default
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
