#include "params/recent.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/file_io.h"
#include "base/settings.h"
#include "tests/support/temp_dir.h"

namespace {

// Each test gets its own settings folder and an unloaded list.
struct RecentTest : ::testing::Test {
    TempDir tmp;
    void SetUp() override {
        settings_set_directory(TempDir::utf8(tmp.path));
        recent_reset();
    }
    void TearDown() override {
        recent_reset();
        settings_set_directory("");
    }
};

std::vector<std::string> paths() {
    std::vector<std::string> out;
    for (const RecentEntry& e : recent_entries())
        if (!e.path.empty()) out.push_back(e.path);
    return out;
}

bool listed(const std::string& path) {
    std::vector<std::string> all = paths();
    return std::find(all.begin(), all.end(), path) != all.end();
}

uint32_t age_of(const std::string& path) {
    for (const RecentEntry& e : recent_entries())
        if (e.path == path) return e.age;
    ADD_FAILURE() << path << " not listed";
    return 0;
}

std::string file_n(int n) { return "C:\\Daten\\Datei" + std::string(1, static_cast<char>('A' + n)) + ".ini"; }

TEST_F(RecentTest, AddsOnlyNewUsablePaths) {
    EXPECT_FALSE(recent_add("C:\\a.ini", 1, 0));  // not loaded yet
    recent_load();
    EXPECT_TRUE(recent_is_ready());
    EXPECT_TRUE(paths().empty());

    EXPECT_TRUE(recent_add("C:\\Daten\\Prüfung.ini", 1, 0));
    EXPECT_TRUE(recent_add("C:\\Daten\\b.ini", 1, 0));
    recent_menu_rebuilt();
    // Same file in other letter case, umlauts included: nothing changes.
    EXPECT_FALSE(recent_add("c:\\DATEN\\PRÜFUNG.INI", 1, 0));
    EXPECT_FALSE(recent_add("C:\\daten\\B.ini", 1, 0));
    EXPECT_FALSE(recent_menu_outdated());
    EXPECT_EQ(age_of("C:\\Daten\\Prüfung.ini"), 1u);
    EXPECT_EQ(age_of("C:\\Daten\\b.ini"), 0u);

    EXPECT_FALSE(recent_add("", 1, 0));
    EXPECT_FALSE(recent_add(std::string(512, 'x'), 1, 0));
    EXPECT_TRUE(recent_add(std::string(511, 'x'), 1, 0));
    EXPECT_TRUE(recent_menu_outdated());
    // Sorted by bytes: capitals before the backslash-free 'x' path.
    EXPECT_EQ(paths(), (std::vector<std::string>{"C:\\Daten\\Prüfung.ini", "C:\\Daten\\b.ini",
                                                 std::string(511, 'x')}));
}

TEST_F(RecentTest, EleventhFileReplacesTheOldestAndTheListStaysSorted) {
    recent_load();
    const std::vector<int> order = {7, 2, 9, 0, 5, 3, 8, 1, 6, 4};  // first added: 7
    for (int n : order) ASSERT_TRUE(recent_add(file_n(n), 1, 0));
    EXPECT_EQ(age_of(file_n(7)), 9u);
    EXPECT_EQ(age_of(file_n(4)), 0u);

    EXPECT_TRUE(recent_add(file_n(10), 1, 0));
    std::vector<std::string> expected;
    for (int n : {0, 1, 2, 3, 4, 5, 6, 8, 9, 10}) expected.push_back(file_n(n));
    EXPECT_EQ(paths(), expected);

    EXPECT_TRUE(recent_add(file_n(11), 1, 0));  // next oldest: 2
    EXPECT_FALSE(listed(file_n(2)));
    EXPECT_EQ(paths().size(), 10u);
}

TEST_F(RecentTest, FullListOfMixedKindsKeepsFiveOfEach) {
    recent_load();
    for (int n = 0; n < 6; ++n) ASSERT_TRUE(recent_add(file_n(n), 2, 0));
    for (int n = 6; n < 10; ++n) ASSERT_TRUE(recent_add(file_n(n), 1, 0));
    // Only four of kind 1: the oldest of the other kind makes room.
    ASSERT_TRUE(recent_add(file_n(10), 1, 0));
    EXPECT_FALSE(listed(file_n(0)));
    // Now five of kind 1: the oldest of kind 1 goes.
    ASSERT_TRUE(recent_add(file_n(11), 1, 0));
    EXPECT_FALSE(listed(file_n(6)));
    EXPECT_TRUE(listed(file_n(1)));
}

TEST_F(RecentTest, RemoveMatchesExactlyAndCloseTheGap) {
    recent_load();
    for (int n = 0; n < 3; ++n) recent_add(file_n(n), 1, 0);
    recent_menu_rebuilt();
    EXPECT_FALSE(recent_remove("c:\\daten\\dateia.ini"));  // letter case counts here
    EXPECT_FALSE(recent_remove(""));
    EXPECT_FALSE(recent_menu_outdated());
    EXPECT_TRUE(recent_remove(file_n(0)));
    EXPECT_TRUE(recent_menu_outdated());
    EXPECT_EQ(paths(), (std::vector<std::string>{file_n(1), file_n(2)}));
    EXPECT_TRUE(recent_entries()[2].path.empty());
    EXPECT_FALSE(recent_remove(file_n(0)));

    recent_reset();
    EXPECT_FALSE(recent_remove(file_n(1)));
}

TEST_F(RecentTest, SavedAndLoadedThroughTheSettingsFile) {
    recent_load();
    recent_save();  // unchanged: no file written
    EXPECT_FALSE(file_exists(settings_path()));

    recent_add("C:\\b.ini", 1, 0);
    recent_add("C:\\a.ini", 1, 0);
    recent_save();
    EXPECT_EQ(read_file(settings_path()),
              "[FOP]\r\nFOP1=C:\\a.ini\r\nTOP1=1\r\nCOP1=0\r\n"
              "FOP2=C:\\b.ini\r\nTOP2=1\r\nCOP2=1\r\n");

    // Foreign kinds, gaps and duplicates are dropped on loading; the stored
    // ages stay as they are and an unchanged list is not written back.
    ASSERT_TRUE(write_file_atomic(settings_path(),
                                  "[KVDLG]\r\nFILE=x\r\n[FOP]\r\n"
                                  "FOP1=C:\\a.ini\r\nTOP1=1\r\nCOP1=4\r\n"
                                  "FOP2=C:\\other\r\nTOP2=2\r\nCOP2=0\r\n"
                                  "FOP3=C:\\Z.INI\r\nTOP3=1\r\nCOP3=0\r\n"
                                  "FOP9=C:\\z.ini\r\nTOP9=1\r\nCOP9=-5\r\n"
                                  "FOP10=\r\nTOP10=1\r\nCOP10=0\r\n"));
    recent_reset();
    recent_load();
    EXPECT_TRUE(recent_menu_outdated());
    EXPECT_EQ(paths(), (std::vector<std::string>{"C:\\a.ini", "C:\\z.ini"}));
    EXPECT_EQ(age_of("C:\\z.ini"), 0u);  // negative ages count as 0
    std::string before = *read_file(settings_path());
    recent_save();
    EXPECT_EQ(read_file(settings_path()), before);

    // A change rewrites the whole section.
    recent_remove("C:\\z.ini");
    recent_save();
    EXPECT_EQ(read_file(settings_path()),
              "[KVDLG]\r\nFILE=x\r\n[FOP]\r\nFOP1=C:\\a.ini\r\nTOP1=1\r\nCOP1=4\r\n");
}

TEST_F(RecentTest, UmlautPathsInEitherEncodingAreListedAndStoredInCodePage1252) {
    // 511 characters with umlauts: more than 511 bytes in UTF-8, still listed.
    std::string long_path = "C:\\";
    while (long_path.size() < 507) long_path += 'x';
    const std::string long_ansi = long_path + "\xE4\xF6\xFC\xDF";
    long_path += "äöüß";
    ASSERT_TRUE(write_file_atomic(settings_path(),
                                  "[FOP]\r\n"
                                  "FOP1=C:\\M\xFCller\\anlage.ini\r\nTOP1=1\r\nCOP1=2\r\n"
                                  "FOP2=C:\\Gr\xC3\xB6\xC3\x9F"
                                  "e\\b.ini\r\nTOP2=1\r\nCOP2=1\r\n"
                                  "FOP3=" +
                                      long_ansi + "\r\nTOP3=1\r\nCOP3=0\r\n"));
    recent_load();
    EXPECT_EQ(paths(), (std::vector<std::string>{"C:\\Größe\\b.ini", "C:\\Müller\\anlage.ini", long_path}));
    EXPECT_EQ(recent_menu_label(1, paths()[1]), "&2 C:\\Müller\\anlage.ini");

    // A change writes every path in code page 1252; one that needs more keeps UTF-8.
    recent_add("C:\\Łódź\\c.ini", 1, 0);
    recent_save();
    EXPECT_EQ(read_file(settings_path()),
              "[FOP]\r\nFOP1=C:\\Gr\xF6\xDF"
              "e\\b.ini\r\nTOP1=1\r\nCOP1=2\r\n"
              "FOP2=C:\\M\xFCller\\anlage.ini\r\nTOP2=1\r\nCOP2=3\r\n"
              "FOP3=" +
                  long_ansi +
                  "\r\nTOP3=1\r\nCOP3=1\r\n"
                  "FOP4=C:\\Łódź\\c.ini\r\nTOP4=1\r\nCOP4=0\r\n");
    recent_reset();
    recent_load();
    EXPECT_EQ(paths(), (std::vector<std::string>{"C:\\Größe\\b.ini", "C:\\Müller\\anlage.ini", long_path,
                                                 "C:\\Łódź\\c.ini"}));
}

TEST_F(RecentTest, OldestFileStillGoesFirstAfterARestart) {
    recent_load();
    // Added in reverse alphabetical order: the alphabetically last is oldest.
    for (int n = 9; n >= 0; --n) recent_add(file_n(n), 1, 0);
    recent_save();
    recent_reset();
    recent_load();
    EXPECT_EQ(age_of(file_n(9)), 9u);
    EXPECT_EQ(age_of(file_n(0)), 0u);
    recent_add(file_n(10), 1, 0);
    EXPECT_FALSE(listed(file_n(9)));
    EXPECT_TRUE(listed(file_n(0)));
}

TEST(RecentMenu, Labels) {
    EXPECT_EQ(recent_menu_label(0, "C:\\Daten\\Anlage.ini"), "&1 C:\\Daten\\Anlage.ini");
    EXPECT_EQ(recent_menu_label(9, "C:\\a.ini"), "&10 C:\\a.ini");

    // 70 characters: the part from the last backslash on.
    std::string path70 = "C:\\" + std::string(51, 'd') + "\\Anlage-1234.ini";
    ASSERT_EQ(path70.size(), 70u);
    EXPECT_EQ(recent_menu_label(1, path70), "&2 \\Anlage-1234.ini");

    // Exactly 64 characters stay whole.
    std::string path64 = "C:\\" + std::string(57, 'd') + ".ini";
    ASSERT_EQ(path64.size(), 64u);
    EXPECT_EQ(recent_menu_label(2, path64), "&3 " + path64);

    // A file name of more than 64 characters: cut to 64 and three dots.
    std::string name = "\\" + std::string(70, 'n') + ".ini";
    EXPECT_EQ(recent_menu_label(3, "C:\\Daten" + name), "&4 " + name.substr(0, 64) + "...");
    // No backslash at all: the path itself is cut.
    EXPECT_EQ(recent_menu_label(4, std::string(80, 'p')), "&5 " + std::string(64, 'p') + "...");
    // Umlauts count as one character each and are not split.
    std::string umlauts;
    for (int i = 0; i < 70; ++i) umlauts += "ä";
    EXPECT_EQ(recent_menu_label(5, umlauts), "&6 " + umlauts.substr(0, 64 * 2) + "...");
}

}  // namespace
