// kv310r-cli scan and verify against a virtual bus on a pseudo-terminal: one
// dimmer of each kind a technician meets (answering, silent, corrupting,
// answering late, of another firmware), each found or not as it is, a late
// reply never taken for the address asked after it, and the verification's
// lines, protocol and exit status.
#include "tests/cli/cli_run.h"
#include "tests/cli/wire_log.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string golden_path() { return std::string(KV_TEST_DATA_DIR) + "/default_parameter_file.ini"; }
std::string golden() { return read_bytes(golden_path()); }

// 2 answers, 5 is silent, 6 garbles every reply, 7 answers 80 ms late (after
// its 50 ms wait, while 8 is asked), 9 has another firmware.
struct Bus {
    TempDir dir;
    SimProcess process;
    std::string log = dir.file("traffic.txt");
    bool started =
        start_sim(process, KV_SIM_PATH,
                  {"--address", "2,5-7,9", "--at", "5:silent", "--at", "6:corrupt", "--at", "7:late=80",
                   "--at", "9:version=3.0,2.1,0.0", "--log", log, "--exit-after", "120"});
};

// The lines of a text.
std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        out.push_back(text.substr(start, end - start));
    return out;
}

// A scan line up to its status, which the dimmer's model varies.
std::string head(const std::string& line) { return line.substr(0, line.find("; Temperatur")); }

TEST(CliScan, FindsEachKindOfDimmerAndNoneTwice) {
    Bus bus;
    ASSERT_TRUE(bus.started);
    CliResult r = run_cli({"scan", "--port", bus.process.pty, "--address", "1-12"});
    EXPECT_EQ(r.status, 0) << r.err;
    const std::vector<std::string> out = lines(r.out);
    ASSERT_EQ(out.size(), 5u) << r.out;
    EXPECT_EQ(head(out[0]), "Adresse 2: V2.1, Dimmer 1 1.4, Dimmer 2 1.4");
    EXPECT_NE(out[0].find("; keine Warnung"), std::string::npos) << out[0];
    EXPECT_EQ(out[1], "Adresse 6: Antwort gestört");
    EXPECT_EQ(head(out[2]), "Adresse 9: V3.0, Dimmer 1 2.1, Dimmer 2 ");
    // The late one is listed once its status is in, after the last address.
    EXPECT_EQ(head(out[3]), "Adresse 7: V2.1, Dimmer 1 1.4, Dimmer 2 1.4");
    EXPECT_NE(out[3].find("; antwortet spät"), std::string::npos) << out[3];
    EXPECT_EQ(out[4], "Ergebnis: 3 Dimmer an 12 Adressen gefunden");

    // Only empty addresses: nothing found is exit status 1.
    r = run_cli({"scan", "--port", bus.process.pty, "--address", "10-12", "--timeout", "20"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "Ergebnis: 0 Dimmer an 3 Adressen gefunden\n");
}

TEST(CliScan, BadCallsAndAPortThatCannotBeOpened) {
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* err;
    };
    const Case cases[] = {
        {{"scan", "extra"}, 2, "Aufruf: kv310r-cli scan"},
        {{"scan", "--address", "1-300"}, 2, "Ungültige RS485-Adresse: 1-300"},
        {{"scan", "--timeout", "fast"}, 2, "Ungültige Wartezeit: fast"},
        {{"scan", "--timeout", "1001"}, 2, "Ungültige Wartezeit: 1001"},
        {{"scan", "--port", "/dev/kv310r-nowhere", "--address", "1"},
         1,
         "Kommunikationsport ist nicht geeignet"},
        {{"verify", "x.ini"}, 2, "Aufruf: kv310r-cli verify"},
        {{"verify", "--address", "1"}, 2, "Aufruf: kv310r-cli verify"},
    };
    for (const Case& c : cases) {
        const CliResult r = run_cli(c.args);
        EXPECT_EQ(r.status, c.status) << c.args.back();
        EXPECT_NE(r.err.find(c.err), std::string::npos) << c.args.back() << ": " << r.err;
    }
}

TEST(CliVerify, EveryListedDimmerAgainstTheFileWithItsProtocol) {
    Bus bus;
    ASSERT_TRUE(bus.started);
    TempDir dir;
    const std::string set = dir.file("Anlage.ini"), csv = dir.file("Protokoll.csv");
    std::string text = golden();
    text.replace(text.find("d2_K_18=10"), 10, "d2_K_18=1234");
    write_bytes(set, text);
    ASSERT_EQ(run_cli({"write", set, "--port", bus.process.pty, "--address", "2,7,9"}).status, 0);

    CliResult r =
        run_cli({"verify", set, "--port", bus.process.pty, "--address", "9,2,7", "--protocol", csv});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "Adresse 2: gleich\nAdresse 7: gleich\nAdresse 9: gleich\nErgebnis: 3 von 3 Adressen gleich\n");
    const std::vector<std::string> rows = lines(read_bytes(csv));
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_NE(rows[0].find("Zeit;Port;Adresse;Firmware;Dimmer 1;Dimmer 2;"), std::string::npos);
    EXPECT_NE(rows[3].find(";" + bus.process.pty + ";9;V3.0;2.1;;"), std::string::npos) << rows[3];
    EXPECT_NE(rows[3].find(";gleich;\r"), std::string::npos) << rows[3];

    // A dimmer with another set and one that never answers: each in its line,
    // the others go on, and the verification fails.
    r = run_cli({"verify", golden_path(), "--port", bus.process.pty, "--address", "2,5", "--protocol", csv});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out,
              "Adresse 2: 1 Feld verschieden\n"
              "  Grundeinstellung, Dimmer 2, Blendzeit [x 0,01s]: 10 -> 1234\n"
              "Adresse 5: Kommunikation mit KV-310-R ist fehlerhaft\n"
              "Ergebnis: 0 von 2 Adressen gleich\n");
    EXPECT_NE(read_bytes(csv).find(";Kommunikation mit KV-310-R ist fehlerhaft;"), std::string::npos);
}

}  // namespace
