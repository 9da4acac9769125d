// The communication monitor's lines and log file: what the list shows and
// what "ComMon.txt" holds for a given feed.
#include "link/monitor_feed.h"
#include "link/monitor_view.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>

namespace {

struct FakeList {
    std::deque<std::string> lines;
    MonitorList list{
        this, [](void* c) { return static_cast<FakeList*>(c)->lines.size(); },
        [](void* c) { static_cast<FakeList*>(c)->lines.pop_front(); },
        [](void* c, const std::string& line) { static_cast<FakeList*>(c)->lines.push_back(line); }};
};

const std::string header = "KV-310-R PC-Testprogramm\nV2.3 15.2.2017\n";

struct MonitorViewTest : ::testing::Test {
    TempDir dir;
    MonitorView view;
    FakeList list;
    std::string folder() const { return dir.file(""); }
    std::string log() const { return dir.file(MONITOR_LOG_NAME); }
    void TearDown() override { monitor_view_close(view); }
};

TEST_F(MonitorViewTest, LogHoldsTheFeedByteForByteAndTheListItsLines) {
    monitor_view_open(view, folder());
    const std::string traffic = "\r\n{PORT COM1}\r\n\r\nTx 7f 01 08 f7 7f\r\nRx 7f 01 08 02 01 ea 7f\r\n";
    monitor_feed(traffic.c_str());
    monitor_view_tick(view, list.list);
    EXPECT_EQ(read_bytes(log()), header + traffic);
    EXPECT_EQ(list.lines,
              (std::deque<std::string>{"{PORT COM1}", "Tx 7f 01 08 f7 7f", "Rx 7f 01 08 02 01 ea 7f"}));
}

TEST_F(MonitorViewTest, LongLinesAreCutInTheListOnly) {
    monitor_view_open(view, folder());
    std::string rx = "\r\nRx";
    for (int i = 0; i < 30; ++i) rx += " 5a";
    rx += "\r\n";
    monitor_feed(rx.c_str());
    monitor_view_tick(view, list.list);
    ASSERT_EQ(list.lines.size(), 1u);
    EXPECT_EQ(list.lines[0].size(), 71u);  // "Rx" and 23 bytes
    EXPECT_EQ(list.lines[0], rx.substr(2, 71));
    EXPECT_EQ(read_bytes(log()), header + rx);
}

TEST_F(MonitorViewTest, ControlCharactersShowAsHyphens) {
    monitor_view_open(view, folder());
    monitor_feed(
        "a\tb\x01"
        "c\x80\n");
    monitor_view_tick(view, list.list);
    EXPECT_EQ(list.lines, (std::deque<std::string>{"a-b-c-"}));
}

TEST_F(MonitorViewTest, TheListKeepsAtMost1001Lines) {
    monitor_view_open(view, folder());
    for (int i = 0; i < 1005; ++i) {
        std::string line = std::to_string(i);
        line.insert(line.begin(), 'L');
        line += "\r\n";
        monitor_feed(line.c_str());
    }
    monitor_view_tick(view, list.list);
    ASSERT_EQ(list.lines.size(), 1001u);
    EXPECT_EQ(list.lines.front(), "L4");
    EXPECT_EQ(list.lines.back(), "L1004");
}

TEST_F(MonitorViewTest, PauseKeepsTheTrafficUntilResumed) {
    monitor_view_open(view, folder());
    EXPECT_STREQ(monitor_view_toggle_pause(view), "Starten");
    monitor_feed("Tx 01\r\n");
    monitor_view_tick(view, list.list);
    monitor_feed("Rx 02\r\n");
    monitor_view_tick(view, list.list);
    EXPECT_TRUE(list.lines.empty());
    EXPECT_EQ(read_bytes(log()), header);

    EXPECT_STREQ(monitor_view_toggle_pause(view), "Anhalten");
    monitor_view_tick(view, list.list);
    EXPECT_EQ(list.lines, (std::deque<std::string>{"Tx 01", "Rx 02"}));
    EXPECT_EQ(read_bytes(log()), header + "Tx 01\r\nRx 02\r\n");
}

TEST_F(MonitorViewTest, ClosedMonitorCollectsNothingAndReopeningRecreatesTheLog) {
    monitor_view_open(view, folder());
    monitor_feed("alt\r\n");
    monitor_view_tick(view, list.list);
    monitor_view_close(view);

    monitor_feed("unterwegs\r\n");  // feed inactive: dropped
    EXPECT_EQ(monitor_feed_unread(), 0u);
    EXPECT_EQ(read_bytes(log()), header + "alt\r\n");

    monitor_view_open(view, folder());
    EXPECT_EQ(read_bytes(log()), header);
    monitor_feed("neu\r\n");
    monitor_view_tick(view, list.list);
    EXPECT_EQ(read_bytes(log()), header + "neu\r\n");
}

TEST_F(MonitorViewTest, WithoutALogFileTheListStillFills) {
    monitor_view_open(view, dir.file("fehlt") + "/");
    monitor_feed("Tx 7f\r\n");
    monitor_view_tick(view, list.list);
    EXPECT_EQ(list.lines, (std::deque<std::string>{"Tx 7f"}));
}

}  // namespace
