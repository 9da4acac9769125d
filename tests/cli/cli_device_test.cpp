// kv310r-cli against the virtual dimmer on a pseudo-terminal: the exact frames
// on the wire (from the simulator's traffic log), the files written, and every
// link failure ending in its message.
#include "params/param_file.h"
#include "params/record.h"
#include "tests/cli/cli_run.h"
#include "tests/cli/wire_log.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace {

std::string golden() { return read_bytes(std::string(KV_TEST_DATA_DIR) + "/default_parameter_file.ini"); }

struct Sim {
    TempDir dir;
    SimProcess process;
    std::string log = dir.file("traffic.txt");

    explicit Sim(std::vector<std::string> options = {}) {
        options.insert(options.end(), {"--log", log, "--exit-after", "120"});
        started = start_sim(process, KV_SIM_PATH, options);
    }
    bool started = false;

    std::vector<std::string> log_lines(const char* prefix) const { return ::log_lines(log, prefix); }
};

TEST(CliDevice, VersionQueryOnTheWireAndItsMessage) {
    Sim sim({"--address", "7", "--version", "3.2,1.5,0.0"});
    ASSERT_TRUE(sim.started);
    const CliResult r = run_cli({"version", "--port", sim.process.pty, "--address", "7"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "KV-310-R-Firmware-Version V3.2\r\nDimmer 1 1.5\r\nDimmer 2 \n");
    EXPECT_TRUE(file_holds(sim.log, "RX 7f 07 08 f1 7f\n"));
}

TEST(CliDevice, ReadFetchesEightBlocksInOrderAfterTheDrain) {
    Sim sim;
    ASSERT_TRUE(sim.started);
    TempDir dir;
    const std::string file = dir.file("gelesen.ini");
    const auto start = std::chrono::steady_clock::now();
    const CliResult r = run_cli({"read", file, "--port", sim.process.pty, "--address", "1"});
    const auto elapsed = std::chrono::steady_clock::now() - start;
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Dimmerparameter wurden zum PC übertragen\n");
    // Input is discarded for 500 ms before the first request.
    EXPECT_GE(elapsed, std::chrono::milliseconds(500));

    std::vector<std::string> expected;
    for (int i = 0; i < 8; ++i) expected.push_back(frame_line(1, 0x48, std::string(1, char(i))));
    ASSERT_TRUE(file_holds(sim.log, expected.back()));
    EXPECT_EQ(sim.log_lines("RX"), expected);
    // A fresh dimmer holds the factory set.
    EXPECT_EQ(read_bytes(file), golden());
}

TEST(CliDevice, WriteResetsThenSendsEightBlocksAndReadsBackTheSame) {
    Sim sim({"--address", "3"});
    ASSERT_TRUE(sim.started);
    TempDir dir;
    const std::string file = dir.file("set.ini");
    std::string text = golden();
    text.replace(text.find("d2_K_18=10"), 10, "d2_K_18=1234");
    text.replace(text.find("u1_v_5=37"), 9, "u1_v_5=126");  // 0x7e goes out stuffed
    write_bytes(file, text);

    const CliResult w = run_cli({"write", file, "--port", sim.process.pty, "--address", "3"});
    ASSERT_EQ(w.status, 0) << w.err;
    EXPECT_EQ(w.out, "PC-Parameter wurden im Dimmer abgespeichert\n");

    // 0x40 first, then blocks 0..7 of the 1024-byte transfer image: the
    // 596-byte device image of the file's set, zeros after it.
    const std::vector<std::string> rx = [&] {
        EXPECT_TRUE(file_holds(sim.log, "RX 7f 03 50 07"));
        return sim.log_lines("RX");
    }();
    ParameterRecord record;
    ASSERT_TRUE(read_parameter_file(record, file));
    std::string image(1024, '\0');
    image.replace(0, DEVICE_IMAGE_SIZE, reinterpret_cast<const char*>(device_image(record)),
                  DEVICE_IMAGE_SIZE);
    std::vector<std::string> expected = {frame_line(3, 0x40, "")};
    for (int i = 0; i < 8; ++i)
        expected.push_back(frame_line(3, 0x50, char(i) + image.substr(size_t(i) * 128, 128)));
    EXPECT_EQ(rx, expected);
    // The head marker a5 e7 7e 5a leads block 0, its 7e stuffed.
    EXPECT_EQ(rx[1].substr(0, 32), "RX 7f 03 50 00 a5 e7 7e fe 5a 00");

    const std::string back = dir.file("zurueck.ini");
    const CliResult r = run_cli({"read", back, "--port", sim.process.pty, "--address", "3"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(read_bytes(back), text);
}

TEST(CliDevice, DiffAgainstTheSetInTheDimmer) {
    Sim sim;
    ASSERT_TRUE(sim.started);
    TempDir dir;
    const std::string mine = dir.file("mein.ini"), plain = dir.file("standard.ini");
    ParameterRecord record;
    apply_defaults(record);
    ASSERT_TRUE(write_parameter_file(record, plain));
    record.dimmer[0].one_button_start = 70;
    ASSERT_TRUE(write_parameter_file(record, mine));
    ASSERT_EQ(run_cli({"write", mine, "--port", sim.process.pty, "--address", "1"}).status, 0);

    CliResult r = run_cli({"diff", mine, "--device", "--port", sim.process.pty, "--address", "1"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");  // the transfer's own messages go to stderr
    EXPECT_NE(r.err.find("Dimmerparameter wurden zum PC übertragen\n"), std::string::npos);
    r = run_cli({"diff", plain, "--device", "--port", sim.process.pty, "--address", "1"});
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(r.out, "Sonderfunktionen, Dimmer 1, Startwert bei Ein-Tasten-Bedienung: 50 -> 70\n");

    // No answer from the dimmer: its message, and trouble rather than a verdict.
    r = run_cli({"diff", plain, "--device", "--port", sim.process.pty, "--address", "9"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.substr(r.err.size() - 42), "Kommunikation mit KV-310-R ist fehlerhaft\n");
}

TEST(CliDevice, LinkFailuresEndInTheirMessages) {
    struct Case {
        const char* name;
        std::vector<std::string> sim_options;  // empty name: no simulator at all
        std::vector<std::string> args;         // "PTY" stands for the simulator's port
        std::string message;
    };
    const std::string comm = "Kommunikation mit KV-310-R ist fehlerhaft\n";
    const Case cases[] = {
        {"no port name", {}, {"version"}, "Kommunikationsport muss ausgewählt werden\n"},
        {"no such port",
         {},
         {"version", "--port", "/dev/kv310r-nowhere"},
         "Kommunikationsport ist nicht geeignet\n"},
        {"not a serial device",
         {},
         {"version", "--port", "/dev/null"},
         "Kommunikationsport ist nicht geeignet\n"},
        {"silent dimmer", {"--silent"}, {"version", "--port", "PTY", "--address", "1"}, comm},
        {"other address", {"--address", "9"}, {"version", "--port", "PTY", "--address", "1"}, comm},
        {"corrupted replies",
         {"--corrupt-rate", "1", "--seed", "5"},
         {"read", "x.ini", "--port", "PTY", "--address", "1"},
         comm},
        {"wrong sub-address",
         {"--wrong-subaddress"},
         {"write", "SET", "--port", "PTY", "--address", "1"},
         comm},
        {"short payloads", {"--short-payload"}, {"read", "x.ini", "--port", "PTY", "--address", "1"}, comm},
        {"stops answering",
         {"--stop-after", "3"},
         {"read", "x.ini", "--port", "PTY", "--address", "1"},
         comm},
        // The port fails under the transfer (as when a USB adapter is
        // pulled): the link says so at once instead of waiting for a reply.
        {"vanishes mid-transfer, its terminal closed",
         {"--vanish-after", "3"},
         {"read", "x.ini", "--port", "PTY", "--address", "1"},
         "Kommunikationsport ist nicht geeignet\n"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string set = dir.file("set.ini");
        write_bytes(set, golden());
        const std::string target = dir.file("x.ini");
        write_bytes(target, "[KV310R]\r\nbleibt=1\r\n");

        std::unique_ptr<Sim> sim;
        if (!c.sim_options.empty() || c.args.end() != std::find(c.args.begin(), c.args.end(), "PTY")) {
            sim = std::make_unique<Sim>(c.sim_options);
            ASSERT_TRUE(sim->started) << c.name;
        }
        std::vector<std::string> args;
        for (const std::string& a : c.args) {
            if (a == "PTY")
                args.push_back(sim->process.pty);
            else if (a == "SET")
                args.push_back(set);
            else if (a == "x.ini")
                args.push_back(target);
            else
                args.push_back(a);
        }
        const CliResult r = run_cli(args);
        EXPECT_EQ(r.status, 1) << c.name;
        ASSERT_GE(r.err.size(), c.message.size()) << c.name;
        EXPECT_EQ(r.err.substr(r.err.size() - c.message.size()), c.message) << c.name << ": " << r.err;
        // A failed read never touches the file it would have written.
        EXPECT_EQ(read_bytes(target), "[KV310R]\r\nbleibt=1\r\n") << c.name;
    }
}

TEST(CliDevice, ImageWithoutMarkersGivesTheDefaultSet) {
    Sim sim({"--bad-markers"});
    ASSERT_TRUE(sim.started);
    TempDir dir;
    const std::string file = dir.file("gelesen.ini");
    const CliResult r = run_cli({"read", file, "--port", sim.process.pty, "--address", "1"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.err.find("Parametersatz in Standardvoreinstellung\n"), std::string::npos);
    EXPECT_EQ(read_bytes(file), golden());
}

TEST(CliDevice, CtrlCEndsAListOfAddressesAtItsAddress) {
    Sim sim({"--silent"});
    ASSERT_TRUE(sim.started);
    TempDir dir;
    ChildProcess cli;
    ASSERT_TRUE(start_child(cli, KV_CLI_PATH, {"version", "--port", sim.process.pty, "--address", "1,2"},
                            dir.file("out"), dir.file("err")));
    ASSERT_TRUE(file_holds(sim.log, frame_line(1, 0x08, "")));
    kill(cli.pid, SIGINT);
    EXPECT_EQ(wait_child(cli, std::chrono::seconds(5)), 1);
    EXPECT_EQ(read_bytes(dir.file("out")), "Adresse 1: Abbruch\nErgebnis: 0 von 2 Adressen OK; Abbruch\n");
    EXPECT_EQ(sim.log_lines("RX"), std::vector<std::string>{frame_line(1, 0x08, "")});  // 2 was never asked
}

}  // namespace
