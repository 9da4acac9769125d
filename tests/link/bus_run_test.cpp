// Working through the dimmers of a bus: one parameter set written to several,
// each one's set read into its own file and compared, a dimmer failing in the
// middle, stopping and cancelling, and the list the scans keep.
#include <gtest/gtest.h>

#include "base/file_io.h"
#include "link/bus_run.h"
#include "link/busy.h"
#include "link/link.h"
#include "params/param_file.h"
#include "params/set_diff.h"
#include "tests/link/fake_bus.h"
#include "tests/support/temp_dir.h"

namespace {

ParameterRecord default_set() {
    ParameterRecord r;
    apply_defaults(r);
    return r;
}

ParameterRecord changed_set() {
    ParameterRecord r = default_set();
    set_fade_time(r.dimmer[1], 17);
    r.user_curve[0][3] ^= 1;
    return r;
}

std::vector<BusEntry> entries_at(const std::vector<uint32_t>& addresses) {
    std::vector<BusEntry> entries;
    for (uint32_t a : addresses) {
        BusDimmer d;
        d.address = a;
        bus_entry_found(entries, d, "2024-05-01 10:00:00");
    }
    return entries;
}

struct RunRecord {
    BusRunOutcome outcome;
    std::vector<uint32_t> started;  // addresses, as the hook announced them
    std::vector<size_t> finished;
};

RunRecord run(BusAction action, std::vector<BusEntry>& entries, const std::vector<size_t>& chosen,
              const BusRunInput& input) {
    RunRecord r;
    BusRunHooks hooks;
    hooks.starting = [&](size_t done, size_t total, uint32_t address) {
        EXPECT_EQ(done, r.started.size());
        EXPECT_EQ(total, chosen.size());
        r.started.push_back(address);
    };
    hooks.finished = [&](size_t entry) { r.finished.push_back(entry); };
    hooks.now = [] { return std::string("2024-05-01 10:05:00"); };
    busy_open(BusyKind::config);
    r.outcome = bus_run(action, entries, chosen, input, hooks);
    busy_close();
    return r;
}

// Each dimmer's results as "write|read|compare" texts, "-" for not done.
std::vector<std::string> texts(const std::vector<BusEntry>& entries, BusAction action) {
    std::vector<std::string> out;
    for (const BusEntry& e : entries) {
        const BusActionResult& r = bus_result(e, action);
        out.push_back(r.done ? (r.ok ? "ok " : "failed ") + r.text : "-");
    }
    return out;
}

TEST(BusRun, WriteReadAndCompareGoOnPastAFailingDimmer) {
    FakeBusDimmer failing;
    failing.silent_after_frames = 3;  // the reset and two blocks, then nothing
    reset_bus_world({{1, {}}, {4, failing}, {9, {}}});
    g_port_settings.address = 30;
    std::vector<BusEntry> entries = entries_at({9, 1, 4});
    ASSERT_EQ(entries[0].dimmer.address, 1u);  // kept in address order
    const ParameterRecord set = changed_set();

    RunRecord r = run(BusAction::write, entries, {0, 1, 2}, {&set, ""});
    EXPECT_EQ(r.outcome.status, LINK_OK);
    EXPECT_EQ(r.outcome.done, 3u);
    EXPECT_EQ(r.started, (std::vector<uint32_t>{1, 4, 9}));
    EXPECT_EQ(r.finished, (std::vector<size_t>{0, 1, 2}));
    EXPECT_EQ(texts(entries, BusAction::write),
              (std::vector<std::string>{"ok PC-Parameter wurden im Dimmer abgespeichert",
                                        "failed Kommunikation mit KV-310-R ist fehlerhaft",
                                        "ok PC-Parameter wurden im Dimmer abgespeichert"}));
    EXPECT_EQ(entries[1].write.time, "2024-05-01 10:05:00");
    EXPECT_EQ(fake_bus().dimmers[1].image, image_of(set));
    EXPECT_EQ(fake_bus().dimmers[9].image, image_of(set));
    EXPECT_EQ(g_port_settings.address, 30u);  // the live address is the same
    EXPECT_FALSE(link_port_is_open());
    // Each dimmer got the write as for one: reset, then eight blocks.
    std::vector<uint8_t> codes_for_9;
    for (const Request& q : fake_port_requests())
        if (q.address == 9) codes_for_9.push_back(q.code);
    std::vector<uint8_t> one_write = {OPCODE_RESET};
    one_write.insert(one_write.end(), PARAMETER_BLOCKS, OPCODE_WRITE_BLOCK);
    EXPECT_EQ(codes_for_9, one_write);

    // Comparing: the failed dimmer still holds its reset store (no markers),
    // which stands for the default set.
    fake_bus().dimmers[4].silent_after_frames = -1;
    r = run(BusAction::compare, entries, {0, 1, 2}, {&set, ""});
    EXPECT_EQ(
        texts(entries, BusAction::compare),
        (std::vector<std::string>{
            "ok gleich", "ok Parametersatz in Standardvoreinstellung, 2 Felder verschieden", "ok gleich"}));
    EXPECT_TRUE(entries[0].differences.empty());
    // A dimmer without a valid set never passes a verification, even against
    // the default set it is compared as.
    EXPECT_FALSE(bus_all_match(entries));
    EXPECT_TRUE(entries[0].compare.matches);
    EXPECT_FALSE(entries[1].compare.matches);
    const ParameterRecord defaults = default_set();
    r = run(BusAction::compare, entries, {1}, {&defaults, ""});
    EXPECT_EQ(entries[1].compare.text, "Parametersatz in Standardvoreinstellung, gleich");
    EXPECT_FALSE(entries[1].compare.matches);
    r = run(BusAction::compare, entries, {0, 1, 2}, {&set, ""});
    EXPECT_EQ(entries[1].differences,
              (std::vector<std::string>{"Grundeinstellung, Dimmer 2, Blendzeit [x 0,01s]: 17 -> 10",
                                        "Userkurve 1: 1 Punkt verschieden (erste: 3)"}));

    // Reading: one file per dimmer beside the name given; none for a failure.
    TempDir dir;
    fake_bus().dimmers[9].silent_after_frames = fake_bus().dimmers[9].frames;
    r = run(BusAction::read, entries, {0, 1, 2}, {nullptr, dir.file("Anlage.ini")});
    EXPECT_EQ(
        texts(entries, BusAction::read),
        (std::vector<std::string>{"ok gespeichert als Anlage-1.ini",
                                  "ok Parametersatz in Standardvoreinstellung, gespeichert als Anlage-4.ini",
                                  "failed Kommunikation mit KV-310-R ist fehlerhaft"}));
    ParameterRecord read_back;
    ASSERT_TRUE(read_parameter_file(read_back, dir.file("Anlage-1.ini")));
    EXPECT_TRUE(parameter_set_differences(read_back, set).empty());
    EXPECT_FALSE(file_exists(dir.file("Anlage-9.ini")));
    // The earlier results stay with each dimmer.
    EXPECT_EQ(entries[2].write.text, "PC-Parameter wurden im Dimmer abgespeichert");

    // Written again, the bus verifies; a dimmer that cannot be read fails it.
    fake_bus().dimmers[9].silent_after_frames = -1;
    run(BusAction::write, entries, {1}, {&set, ""});
    run(BusAction::compare, entries, {0, 1, 2}, {&set, ""});
    EXPECT_TRUE(bus_all_match(entries));
    fake_bus().dimmers[4].silent_after_frames = fake_bus().dimmers[4].frames;
    run(BusAction::compare, entries, {0, 1, 2}, {&set, ""});
    EXPECT_EQ(entries[1].compare.text, "Kommunikation mit KV-310-R ist fehlerhaft");
    EXPECT_FALSE(bus_all_match(entries));
}

TEST(BusRun, AbbruchFinishesTheDimmerInProgressPortErrorsEndAtOnce) {
    reset_bus_world({{1, {}}, {2, {}}, {3, {}}});
    std::vector<BusEntry> entries = entries_at({1, 2, 3});
    const ParameterRecord set = changed_set();

    // "Abbruch" during the first dimmer's drain: it is written whole, the
    // others not at all.
    fake_busy().cancel_after = 5;
    RunRecord r = run(BusAction::write, entries, {0, 1, 2}, {&set, ""});
    EXPECT_EQ(r.outcome.status, LINK_OK);
    EXPECT_TRUE(r.outcome.stopped);
    EXPECT_EQ(r.outcome.done, 1u);
    EXPECT_EQ(texts(entries, BusAction::write),
              (std::vector<std::string>{"ok PC-Parameter wurden im Dimmer abgespeichert", "-", "-"}));
    EXPECT_EQ(fake_bus().dimmers[1].image, image_of(set));

    // The same during the second dimmer's comparison.
    fake_busy().cancel_after = 600;
    r = run(BusAction::compare, entries, {0, 1, 2}, {&set, ""});
    EXPECT_EQ(r.outcome.status, LINK_OK);
    EXPECT_TRUE(r.outcome.stopped);
    EXPECT_EQ(r.outcome.done, 2u);
    EXPECT_EQ(texts(entries, BusAction::compare),
              (std::vector<std::string>{
                  "ok gleich", "ok Parametersatz in Standardvoreinstellung, 2 Felder verschieden", "-"}));
    EXPECT_FALSE(link_port_is_open());

    // A port that cannot be opened reaches no dimmer: the first line says so.
    fake_busy().cancel_after = -1;
    fake_port().refuse_open = true;
    r = run(BusAction::write, entries, {2, 1}, {&set, ""});
    EXPECT_EQ(r.outcome.status, LINK_ERR_PORT);
    EXPECT_EQ(r.outcome.done, 1u);
    EXPECT_EQ(entries[2].write.text, "Kommunikationsport ist nicht geeignet");
}

TEST(BusList, ScansKeepResultsOfAddressesFoundAgain) {
    std::vector<BusEntry> entries = entries_at({5, 2, 9});
    entries[1].write = {true, true, "PC-Parameter wurden im Dimmer abgespeichert", "t"};
    BusDimmer again;
    again.address = 5;
    again.version.controller_major = 3;
    EXPECT_EQ(bus_entry_found(entries, again, "later"), 1u);
    EXPECT_EQ(entries[1].dimmer.version.controller_major, 3);
    EXPECT_EQ(entries[1].scan_time, "later");
    EXPECT_TRUE(entries[1].write.ok);  // kept

    BusDimmer added;
    added.address = 7;
    EXPECT_EQ(bus_entry_found(entries, added, "later"), 2u);

    // A scan of 5-8 that found only 5: 7 is gone, 2 and 9 were not asked.
    bus_drop_missing(entries, {5, 6, 7, 8}, {again});
    std::vector<uint32_t> left;
    for (const BusEntry& e : entries) left.push_back(e.dimmer.address);
    EXPECT_EQ(left, (std::vector<uint32_t>{2, 5, 9}));

    const std::pair<size_t, const char*> counts[] = {
        {0, "gleich"}, {1, "1 Feld verschieden"}, {12, "12 Felder verschieden"}};
    for (const auto& [n, text] : counts) EXPECT_EQ(differences_text(n), text);
}

}  // namespace
