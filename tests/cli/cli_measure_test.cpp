// kv310r-cli status and scope end to end: the virtual dimmer kv310r-sim on a
// pseudo-terminal, the command run as a program against it.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "tests/cli/cli_run.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

namespace {

using Clock = std::chrono::steady_clock;

// The virtual dimmer at address 1, logging its traffic into the folder.
struct Dimmer {
    TempDir dir;
    SimProcess sim;
    std::string pty;

    explicit Dimmer(std::vector<std::string> options = {}) {
        options.insert(options.end(), {"--log", log_path(), "--exit-after", "60"});
        if (start_sim(sim, KV_SIM_PATH, options)) pty = sim.pty;
    }
    std::string log_path() const { return dir.file("traffic.txt"); }
    std::string log() const { return read_bytes(log_path()); }
    std::vector<std::string> port() const { return {"--port", pty, "--address", "1"}; }
};

std::vector<std::string> with(std::vector<std::string> args, const std::vector<std::string>& more) {
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

size_t count_of(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

TEST(CliStatus, ShowsThePageOnce) {
    Dimmer dimmer({"--version", "3.7,1.2,0.0", "--dip", "18ff"});
    ASSERT_FALSE(dimmer.pty.empty());
    const CliResult r = run_cli(with({"status"}, dimmer.port()));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Firmware-Version Kommunikationscontroller: V3.7\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Firmware-Version Dimmer 1: V1.2\n"), std::string::npos);
    EXPECT_NE(r.out.find("Firmware-Version Dimmer 2: \n"), std::string::npos);
    EXPECT_NE(r.out.find("DIP-Schalter 1 Bit 4-7: 08\n"), std::string::npos);
    EXPECT_NE(r.out.find(" \u00b0C\n"), std::string::npos);
    EXPECT_NE(r.out.find("\nNetzfrequenz:"), std::string::npos);
    EXPECT_NE(r.out.find("\nMode: DMX, 8bit, addr 511\nCnt-idle "), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find('\r'), std::string::npos);
    EXPECT_NE(r.err.find("Status.."), std::string::npos);
    // A plain status query: eight zero bytes.
    EXPECT_NE(dimmer.log().find("RX 7f 01 10 00 00 00 00 00 00 00 00"), std::string::npos) << dimmer.log();
}

TEST(CliStatus, WatchPollsUntilInterrupted) {
    Dimmer dimmer;
    ASSERT_FALSE(dimmer.pty.empty());
    ChildProcess cli;
    ASSERT_TRUE(start_child(cli, KV_CLI_PATH, with({"status", "--watch"}, dimmer.port()),
                            dimmer.dir.file("out"), dimmer.dir.file("err")));
    // Until a few reports are out, then Ctrl+C.
    const Clock::time_point end = Clock::now() + std::chrono::seconds(10);
    while (Clock::now() < end && count_of(read_bytes(dimmer.dir.file("out")), "Mode: ") < 3)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    kill(cli.pid, SIGINT);
    EXPECT_EQ(wait_child(cli, std::chrono::seconds(5)), 0);
    const std::string out = read_bytes(dimmer.dir.file("out"));
    EXPECT_GE(count_of(out, "Firmware-Version Kommunikationscontroller: V2.1\n"), 3u) << out;
    // Not a terminal: the reports follow each other, one blank line apart.
    EXPECT_NE(out.find("Cnt-Rx 1\n\nFirmware-Version"), std::string::npos) << out;
    EXPECT_EQ(out.find("\x1b["), std::string::npos);
}

// A whole line per status received, the header first: what a spreadsheet reads.
TEST(CliStatus, WatchWritesEveryStatusAsACsvLine) {
    Dimmer dimmer({"--pace"});
    ASSERT_FALSE(dimmer.pty.empty());
    const std::string csv = dimmer.dir.file("status.csv");
    ChildProcess cli;
    ASSERT_TRUE(start_child(cli, KV_CLI_PATH, with({"status", "--watch", "--csv", csv}, dimmer.port()),
                            dimmer.dir.file("out"), dimmer.dir.file("err")));
    const Clock::time_point end = Clock::now() + std::chrono::seconds(10);
    while (Clock::now() < end && lines_of(read_bytes(csv)).size() < 12)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    kill(cli.pid, SIGINT);
    EXPECT_EQ(wait_child(cli, std::chrono::seconds(5)), 0);
    EXPECT_EQ(read_bytes(dimmer.dir.file("out")), "");  // not a terminal: the file is the output
    EXPECT_EQ(read_bytes(dimmer.dir.file("err")), "");

    const std::string text = read_bytes(csv);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.back(), '\n');  // no line cut off by Ctrl+C
    const std::vector<std::string> lines = lines_of(text);
    ASSERT_GE(lines.size(), 12u);
    EXPECT_EQ(lines[0].rfind("time;elapsed_s;controller_version;", 0), 0u) << lines[0];
    const size_t columns = count_of(lines[0], ";");
    double last_elapsed = -1;
    for (size_t i = 1; i < lines.size(); ++i) {
        EXPECT_EQ(count_of(lines[i], ";"), columns) << lines[i];
        // "2024-05-01 12:34:56.789;12.345;2.1;..."
        ASSERT_GT(lines[i].size(), 40u);
        EXPECT_EQ(lines[i][10], ' ');
        EXPECT_EQ(lines[i][19], '.');
        const double elapsed = std::stod(lines[i].substr(24));
        EXPECT_GT(elapsed, last_elapsed);
        last_elapsed = elapsed;
        EXPECT_EQ(lines[i].substr(lines[i].find(';', 24), 5), ";2.1;") << lines[i];
    }
    // About ten a second at line rate, one line for each status the dimmer sent.
    EXPECT_LT(last_elapsed, 0.1 * double(lines.size()) + 0.5);
    const size_t replies = count_of(dimmer.log(), "TX 7f 01 10 ");
    EXPECT_GE(lines.size() - 1, replies - 1);  // the last reply may have been on its way
    EXPECT_LE(lines.size() - 1, replies);
}

TEST(CliStatus, CsvOfASingleStatusAndAFileThatCannotBeWritten) {
    Dimmer dimmer;
    ASSERT_FALSE(dimmer.pty.empty());
    const std::string csv = dimmer.dir.file("once.csv");
    CliResult r = run_cli(with({"status", "--csv", csv}, dimmer.port()));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Firmware-Version Kommunikationscontroller: V2.1\n"), std::string::npos);
    const std::vector<std::string> lines = lines_of(read_bytes(csv));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(count_of(lines[1], ";"), count_of(lines[0], ";"));

    const std::string unwritable = dimmer.dir.file("no-such-folder/status.csv");
    for (const std::vector<std::string>& args : {std::vector<std::string>{"status", "--csv", unwritable},
                                                 {"status", "--watch", "--csv", unwritable}}) {
        r = run_cli(with(args, dimmer.port()));
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("konnte nicht abgespeichert werden"), std::string::npos) << r.err;
    }
}

TEST(CliStatus, SilentDimmerEndsTheWatch) {
    Dimmer dimmer({"--silent"});
    ASSERT_FALSE(dimmer.pty.empty());
    const CliResult r = run_cli(with({"status", "--watch", "--timeout", "1"}, dimmer.port()));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Kommunikation mit KV-310-R ist fehlerhaft\n");
    EXPECT_EQ(r.out, "");
}

TEST(CliScope, WritesTheCaptureAsCsv) {
    struct Case {
        std::vector<std::string> options;
        const char* start_request;  // the start frame as the dimmer logs it
        const char* description;
        const char* first_time;
        const char* last_time;
    };
    const std::vector<Case> cases = {
        {{},
         "RX 7f 01 80 01 01 00 00 00 00",
         "Dimmer 1, Einzelmessung, Volle Periode, I-Messbereich [A] \u00b116",
         "0.000;",
         "24.950;"},
        {{"--dimmer", "2", "--kind", "start", "--half-period", "7", "--section", "schalt", "--range", "1"},
         "RX 7f 01 80 02 03 07 00 02 01",
         "Dimmer 2, Messung bei Start, Schaltvorgang, I-Messbereich [A] \u00b10.5",
         "-0.500;",
         "1.995;"},
        {{"--kind", "fehler", "--section", "schalt", "--range", "3"},
         "RX 7f 01 80 01 02 00 00 01 00",
         "Dimmer 1, Messung bei/nach Fehler, I-Messbereich [A] \u00b12",
         "-1.000;",
         "3.990;"},
    };
    for (const Case& c : cases) {
        Dimmer dimmer;
        ASSERT_FALSE(dimmer.pty.empty());
        const std::string csv_path = dimmer.dir.file("capture.csv");
        const CliResult r = run_cli(with(with({"scope", "-o", csv_path}, c.options), dimmer.port()));
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.err.find("Oszilloskop: 100 %\n"), std::string::npos) << r.err;
        EXPECT_NE(dimmer.log().find(c.start_request), std::string::npos) << dimmer.log();

        const std::vector<std::string> lines = lines_of(read_bytes(csv_path));
        ASSERT_EQ(lines.size(), 505u);
        EXPECT_EQ(lines[0], std::string("# KV-310-R Oszilloskop: ") + c.description);
        EXPECT_EQ(lines[1].rfind("# t=0 @ [ms]: ", 0), 0u) << lines[1];
        EXPECT_EQ(lines[2].rfind("# Schaltzeit [ms]: ", 0), 0u) << lines[2];
        EXPECT_EQ(lines[3].rfind("# Imax = ", 0), 0u) << lines[3];
        EXPECT_EQ(lines[4], "time_ms;voltage_V;current_A");
        EXPECT_EQ(lines[5].rfind(c.first_time, 0), 0u) << lines[5];
        EXPECT_EQ(lines[504].rfind(c.last_time, 0), 0u) << lines[504];
        for (size_t i = 5; i < lines.size(); ++i) {
            ASSERT_EQ(count_of(lines[i], ";"), 2u) << lines[i];
            ASSERT_EQ(lines[i].find(','), std::string::npos) << lines[i];
        }
    }
}

TEST(CliScope, SilenceAndCancel) {
    // No acknowledgement at all: the start command is repeated until the time-out.
    Dimmer silent({"--silent"});
    ASSERT_FALSE(silent.pty.empty());
    const std::string csv_path = silent.dir.file("capture.csv");
    CliResult r = run_cli(with({"scope", "--timeout", "1", "-o", csv_path}, silent.port()));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Kommunikation mit KV-310-R ist fehlerhaft\n"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(csv_path));
    EXPECT_GE(count_of(silent.log(), "RX 7f 01 80 01 01 00 00 00 00"), 3u) << silent.log();

    // Ctrl+C while waiting: "Abbruch", and the stop command goes to the dimmer.
    ChildProcess cli;
    ASSERT_TRUE(start_child(cli, KV_CLI_PATH, with({"scope", "-o", csv_path}, silent.port()),
                            silent.dir.file("out"), silent.dir.file("err")));
    const Clock::time_point end = Clock::now() + std::chrono::seconds(10);
    while (Clock::now() < end && count_of(silent.log(), "RX 7f 01 80 01") < 5)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    kill(cli.pid, SIGINT);
    EXPECT_EQ(wait_child(cli, std::chrono::seconds(5)), 1);
    EXPECT_NE(read_bytes(silent.dir.file("err")).find("Abbruch\n"), std::string::npos);
    const Clock::time_point stop_end = Clock::now() + std::chrono::seconds(5);
    while (Clock::now() < stop_end && silent.log().find("RX 7f 01 80 00 00 00 00 00 00") == std::string::npos)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_NE(silent.log().find("RX 7f 01 80 00 00 00 00 00 00"), std::string::npos) << silent.log();
    EXPECT_FALSE(std::filesystem::exists(csv_path));
}

TEST(CliScope, APulledAdapterEndsTheCaptureWithThePortMessageAlone) {
    // The line closes after the start and two blocks were answered.
    Dimmer vanishing({"--vanish-after", "3"});
    ASSERT_FALSE(vanishing.pty.empty());
    const std::string csv_path = vanishing.dir.file("capture.csv");
    const CliResult r = run_cli(with({"scope", "-o", csv_path}, vanishing.port()));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Kommunikationsport ist nicht geeignet\n"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("Keine Messdaten"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(csv_path));
}

TEST(CliScope, BadOptions) {
    struct Case {
        std::vector<std::string> args;
        const char* message;
    };
    const std::vector<Case> cases = {
        {{"scope"}, "Aufruf: kv310r-cli scope"},
        {{"scope", "-o", "x.csv", "--kind", "dauernd"}, "--kind"},
        {{"scope", "-o", "x.csv", "--range", "7"}, "--range"},
        {{"scope", "-o", "x.csv", "--dimmer", "0"}, "--dimmer"},
        {{"scope", "-o", "x.csv", "--half-period", "501"}, "--half-period"},
        {{"scope", "-o", "x.csv", "--watch"}, "Aufruf: kv310r-cli scope"},
        {{"status", "extra"}, "Aufruf: kv310r-cli status"},
        {{"status", "--timeout", "0", "--watch"}, "--timeout"},
        {{"status", "--watch", "--csv", ""}, "Aufruf: kv310r-cli status"},
    };
    for (const Case& c : cases) {
        const CliResult r = run_cli(c.args);
        EXPECT_EQ(r.status, 2) << c.args.back();
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
}

}  // namespace
