// kv310r-cli's device commands against virtual dimmers, the same cases on
// Linux (pseudo-terminals) and on Windows (kv310r-cli.exe under Wine, COM
// ports): the exact messages and exit statuses, several dimmers on one bus
// addressed in turn, the failures a technician meets first.
#include "base/version.h"
#include "tests/cli/cli_run.h"
#include "tests/cli/test_lines.h"
#include "tests/cli/wire_log.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string golden() { return read_bytes(std::string(KV_TEST_DATA_DIR) + "/default_parameter_file.ini"); }

const std::string version_text = "KV-310-R-Firmware-Version V2.1\r\nDimmer 1 1.4\r\nDimmer 2 1.4";

// The bus with its log's current size, so a test sees only its own traffic.
struct Bus {
    const TestLine& line = bus_line();
    size_t mark = read_bytes(line.log).size();
    std::vector<std::string> requests() const { return log_lines(line.log, "RX", mark); }
};

TEST(CliBus, VersionOfOneDimmerAndOfSeveral) {
    Bus bus;
    if (bus.line.port.empty()) GTEST_SKIP() << "no virtual dimmer";
    CliResult r = run_cli({"version", "--port", bus.line.port, "--address", "2"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, version_text + "\n");

    // Address 3 is not on the bus: its line says so, the others go on, the
    // summary counts, and the exit status says that one failed.
    bus.mark = read_bytes(bus.line.log).size();
    r = run_cli({"version", "--port", bus.line.port, "--address", "1,3,2"});
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(r.out,
              "Adresse 1: OK - KV-310-R-Firmware-Version V2.1, Dimmer 1 1.4, Dimmer 2 1.4\n"
              "Adresse 3: Fehler - Kommunikation mit KV-310-R ist fehlerhaft\n"
              "Adresse 2: OK - KV-310-R-Firmware-Version V2.1, Dimmer 1 1.4, Dimmer 2 1.4\n"
              "Ergebnis: 2 von 3 Adressen OK; Fehler: 3\n");
    EXPECT_EQ(bus.requests(), (std::vector<std::string>{frame_line(1, 0x08, ""), frame_line(3, 0x08, ""),
                                                        frame_line(2, 0x08, "")}));
}

TEST(CliBus, WriteOneDimmerThenReadEachIntoItsOwnFile) {
    Bus bus;
    if (bus.line.port.empty()) GTEST_SKIP() << "no virtual dimmer";
    TempDir dir;
    const std::string set = dir.file("Anlage.ini");
    std::string text = golden();
    text.replace(text.find("d2_K_18=10"), 10, "d2_K_18=1234");
    write_bytes(set, text);

    CliResult r = run_cli({"write", set, "--port", bus.line.port, "--address", "2"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "PC-Parameter wurden im Dimmer abgespeichert\n");

    r = run_cli({"read", set, "--port", bus.line.port, "--address", "1-2"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string first = dir.file("Anlage-1.ini"), second = dir.file("Anlage-2.ini");
    EXPECT_EQ(r.out, "Adresse 1: OK - Dimmerparameter wurden zum PC übertragen; gespeichert als " + first +
                         "\n"
                         "Adresse 2: OK - Dimmerparameter wurden zum PC übertragen; gespeichert als " +
                         second +
                         "\n"
                         "Ergebnis: 2 von 2 Adressen OK\n");
    EXPECT_EQ(read_bytes(first), golden());  // the other dimmer kept its factory set
    EXPECT_EQ(read_bytes(second), text);
    EXPECT_EQ(read_bytes(set), text);  // the name given is only the pattern

    // One address reads into the file named, with the program's own message.
    const std::string single = dir.file("Einzeln.ini");
    r = run_cli({"read", single, "--port", bus.line.port, "--address", "2"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Dimmerparameter wurden zum PC übertragen\n");
    EXPECT_EQ(read_bytes(single), text);
}

TEST(CliBus, DriveEachDimmerInTurn) {
    Bus bus;
    if (bus.line.port.empty()) GTEST_SKIP() << "no virtual dimmer";
    const CliResult r = run_cli({"drive", "2", "40000", "--port", bus.line.port, "--address", "2,1"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Adresse 2: OK\nAdresse 1: OK\nErgebnis: 2 von 2 Adressen OK\n");
    // Dimmer 2 of each device at 40000 (0x9c40), dimmer 1 left as it is.
    const std::string drive("\x00\x00\x00\x00\x01\x00\x40\x9c", 8);
    EXPECT_EQ(bus.requests(),
              (std::vector<std::string>{frame_line(2, 0x10, drive), frame_line(1, 0x10, drive)}));
}

TEST(CliBus, PortNamesAsTheSystemSpellsThem) {
    Bus bus;
    if (bus.line.port.empty()) GTEST_SKIP() << "no virtual dimmer";
    for (const std::string& port : other_spellings(bus.line.port)) {
        const CliResult r = run_cli({"version", "--port", port, "--address", "1"});
        EXPECT_EQ(r.status, 0) << port << ": " << r.err;
        EXPECT_EQ(r.out, version_text + "\n") << port;
    }
}

TEST(CliBus, FailuresAndBadCalls) {
    const TestLine& silent = silent_line();
    const TestLine& bus = bus_line();
    if (silent.port.empty() || bus.port.empty()) GTEST_SKIP() << "no virtual dimmer";
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string err_end;
    };
    const Case cases[] = {
        {{"version", "--port", silent.port, "--address", "1"},
         1,
         "Kommunikation mit KV-310-R ist fehlerhaft\n"},
        {{"version", "--port", missing_port(), "--address", "1"},
         1,
         "Kommunikationsport ist nicht geeignet\n"},
        {{"read"}, 2, "Aufruf: kv310r-cli read DATEI [--port NAME] [--address LISTE]\n"},
        {{"drive", "3", "1"}, 2, "Aufruf: kv310r-cli drive 1|2 WERT [--port NAME] [--address LISTE]\n"},
        {{"version", "--port", bus.port, "--address", "1,,2"}, 2, "Ungültige RS485-Adresse: 1,,2\n"},
        {{"version", "--port", bus.port, "--address", "7-300"}, 2, "Ungültige RS485-Adresse: 7-300\n"},
        {{"status", "--port", bus.port, "--address", "1,2"}, 2, "Nur eine RS485-Adresse möglich: 1,2\n"},
        {{"version", "--adress", "1"},
         2,
         "Unbekannte Option: --adress\nAufruf: kv310r-cli version [--port NAME] [--address LISTE]\n"},
    };
    for (const Case& c : cases) {
        const CliResult r = run_cli(c.args);
        EXPECT_EQ(r.status, c.status) << c.args[0] << " " << r.err;
        ASSERT_GE(r.err.size(), c.err_end.size()) << r.err;
        EXPECT_EQ(r.err.substr(r.err.size() - c.err_end.size()), c.err_end);
    }
}

// Commissioning from a script: the bus scanned, then every dimmer proved
// against the set written to it, with the protocol as CSV.
TEST(CliBus, ScanThenVerifyEveryDimmerFound) {
    Bus bus;
    if (bus.line.port.empty()) GTEST_SKIP() << "no virtual dimmer";
    CliResult r = run_cli({"scan", "--port", bus.line.port, "--address", "1-4", "--timeout", "200"});
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string found = "V2.1, Dimmer 1 1.4, Dimmer 2 1.4; ";
    EXPECT_EQ(r.out.rfind("Adresse 1: " + found, 0), 0u) << r.out;
    EXPECT_NE(r.out.find("\nAdresse 2: " + found), std::string::npos) << r.out;
    EXPECT_EQ(r.out.substr(r.out.find("Ergebnis")), "Ergebnis: 2 Dimmer an 4 Adressen gefunden\n");

    TempDir dir;
    const std::string set = dir.file("Anlage.ini"), protocol = dir.file("Protokoll.csv");
    write_bytes(set, golden());
    ASSERT_EQ(run_cli({"write", set, "--port", bus.line.port, "--address", "1,2"}).status, 0);
    r = run_cli({"verify", set, "--port", bus.line.port, "--address", "1,2", "--protocol", protocol});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Adresse 1: gleich\nAdresse 2: gleich\nErgebnis: 2 von 2 Adressen gleich\n");
    const std::string csv = read_bytes(protocol);
    EXPECT_NE(csv.find(bus.line.port), std::string::npos) << csv;  // on Windows in its \\.\ form
    EXPECT_NE(csv.find(";2;V2.1;1.4;1.4;"), std::string::npos) << csv;

    // A field changed in the file: both dimmers differ from it now.
    std::string text = golden();
    text.replace(text.find("d2_K_18=10"), 10, "d2_K_18=1234");
    write_bytes(set, text);
    r = run_cli({"verify", set, "--port", bus.line.port, "--address", "1,2"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("Ergebnis: 0 von 2 Adressen gleich\n"), std::string::npos) << r.out;
}

TEST(CliBus, VersionOfTheTool) {
    const CliResult r = run_cli({"--version"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "kv310r-cli " KV_VERSION_TEXT "\n");
}

}  // namespace
