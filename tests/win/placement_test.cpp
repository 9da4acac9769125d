#include "win/placement.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/file_io.h"
#include "base/profile.h"
#include "base/settings.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr int32_t D = PLACEMENT_CW_USEDEFAULT;
constexpr int SW_SHOWNORMAL_ = 1;
const Rect desktop{0, 0, 1920, 1080};

struct PlacementTest : ::testing::Test {
    TempDir tmp;
    void SetUp() override {
        settings_set_directory(TempDir::utf8(tmp.path));
        placement_reset();
    }
    void TearDown() override {
        placement_reset();
        settings_set_directory("");
    }
    void settings_file(const std::string& showcmd) {
        ASSERT_TRUE(write_file_atomic(settings_path(), "[SHOWCMD]\r\n" + showcmd));
    }
};

TEST_F(PlacementTest, NoSettingsFileOpensAtTheDefaultPlace) {
    placement_load(SW_SHOWNORMAL_, desktop);
    const WindowPlacement& p = placement_get();
    EXPECT_FALSE(p.use_stored);
    EXPECT_EQ(p.show_command, SW_SHOWNORMAL_);
    EXPECT_EQ(p.rect, (Rect{D, D, D, D}));
    EXPECT_EQ(p.width, D);
    EXPECT_EQ(p.height, D);
    EXPECT_EQ(p.start_tab, 0);
}

struct LoadCase {
    const char* what;
    std::string showcmd;
    bool use_stored;
    int show_command;
    int start_tab;
};

TEST_F(PlacementTest, StoredRectangleCountsOnlyWhenUsable) {
    const std::vector<LoadCase> cases = {
        {"stored and on the desktop", "DEFAULT=1\r\nLEFT=100\r\nTOP=50\r\nRIGHT=900\r\nBOTTOM=650\r\n", true,
         1, 0},
        {"edges on the desktop's edges", "DEFAULT=1\r\nLEFT=0\r\nTOP=0\r\nRIGHT=1920\r\nBOTTOM=1080\r\n",
         true, 1, 0},
        {"not marked as stored", "DEFAULT=0\r\nLEFT=100\r\nTOP=50\r\nRIGHT=900\r\nBOTTOM=650\r\n", false, 1,
         0},
        {"left of the desktop", "DEFAULT=1\r\nLEFT=-10\r\nTOP=50\r\nRIGHT=900\r\nBOTTOM=650\r\n", false, 1,
         0},
        {"beyond the right edge", "DEFAULT=1\r\nLEFT=100\r\nTOP=50\r\nRIGHT=1921\r\nBOTTOM=650\r\n", false, 1,
         0},
        {"below the bottom", "DEFAULT=1\r\nLEFT=100\r\nTOP=50\r\nRIGHT=900\r\nBOTTOM=2000\r\n", false, 1, 0},
        {"empty", "DEFAULT=1\r\nLEFT=100\r\nTOP=50\r\nRIGHT=100\r\nBOTTOM=650\r\n", false, 1, 0},
        {"inverted", "DEFAULT=1\r\nLEFT=900\r\nTOP=650\r\nRIGHT=100\r\nBOTTOM=50\r\n", false, 1, 0},
        {"all zero", "DEFAULT=1\r\n", false, 1, 0},
        {"maximized", "ZOOM=1\r\nDEFAULT=1\r\nLEFT=100\r\nTOP=50\r\nRIGHT=900\r\nBOTTOM=650\r\n", true, 3, 0},
        {"start tab 4", "TAB=4\r\n", false, 1, 4},
        {"start tab 7 is out of range", "TAB=7\r\n", false, 1, 0},
        {"negative start tab", "TAB=-1\r\n", false, 1, 0},
    };
    for (const LoadCase& c : cases) {
        settings_file(c.showcmd);
        placement_load(SW_SHOWNORMAL_, desktop);
        const WindowPlacement& p = placement_get();
        EXPECT_EQ(p.use_stored, c.use_stored) << c.what;
        EXPECT_EQ(p.show_command, c.show_command) << c.what;
        EXPECT_EQ(p.start_tab, c.start_tab) << c.what;
        if (!c.use_stored) {
            EXPECT_EQ(p.rect, (Rect{D, D, D, D})) << c.what;
            EXPECT_EQ(p.width, D) << c.what;
        }
    }
    settings_file("DEFAULT=1\r\nLEFT=100\r\nTOP=50\r\nRIGHT=900\r\nBOTTOM=650\r\n");
    placement_load(SW_SHOWNORMAL_, desktop);
    EXPECT_EQ(placement_get().rect, (Rect{100, 50, 900, 650}));
    EXPECT_EQ(placement_get().width, 800);
    EXPECT_EQ(placement_get().height, 600);
}

TEST_F(PlacementTest, UntouchedDefaultWindowStoresNoRectangle) {
    placement_load(SW_SHOWNORMAL_, desktop);
    placement_set_snapshot(Rect{600, 300, 1320, 780});
    placement_store(2, false, false, Rect{600, 300, 1320, 780});
    const std::string path = settings_path();
    EXPECT_EQ(read_file(path),
              "[SHOWCMD]\r\nTAB=2\r\nZOOM=0\r\nICON=0\r\nDEFAULT=0\r\n"
              "LEFT=0\r\nTOP=0\r\nRIGHT=0\r\nBOTTOM=0\r\n");
    EXPECT_FALSE(placement_get().use_stored);

    placement_load(SW_SHOWNORMAL_, desktop);
    EXPECT_FALSE(placement_get().use_stored);
    EXPECT_EQ(placement_get().start_tab, 2);
}

TEST_F(PlacementTest, MovedWindowStoresItsRectangle) {
    placement_load(SW_SHOWNORMAL_, desktop);
    placement_set_snapshot(Rect{600, 300, 1320, 780});
    // Closed while maximized: the rectangle it had before.
    placement_store(4, true, false, Rect{610, 300, 1330, 780});
    EXPECT_TRUE(placement_get().use_stored);
    EXPECT_EQ(profile_get_int(settings_path(), "SHOWCMD", "DEFAULT", 0), 1u);
    EXPECT_EQ(profile_get_int(settings_path(), "SHOWCMD", "ZOOM", 0), 1u);

    placement_reset();
    placement_load(SW_SHOWNORMAL_, desktop);
    const WindowPlacement& p = placement_get();
    EXPECT_TRUE(p.use_stored);
    EXPECT_EQ(p.show_command, PLACEMENT_SW_SHOWMAXIMIZED);
    EXPECT_EQ(p.rect, (Rect{610, 300, 1330, 780}));
    EXPECT_EQ(p.start_tab, 4);

    // Once stored, the rectangle is written even when it equals the snapshot.
    placement_set_snapshot(p.rect);
    placement_store(std::nullopt, false, true, p.rect);
    EXPECT_EQ(profile_get_int(settings_path(), "SHOWCMD", "DEFAULT", 0), 1u);
    EXPECT_EQ(profile_get_int(settings_path(), "SHOWCMD", "LEFT", 0), 610u);
    EXPECT_EQ(profile_get_int(settings_path(), "SHOWCMD", "ICON", 0), 1u);
    EXPECT_EQ(profile_get_int(settings_path(), "SHOWCMD", "TAB", 0), 4u);  // no tab control: kept
}

TEST_F(PlacementTest, ExtremeStoredValuesAreRejectedSafely) {
    settings_file(
        "DEFAULT=1\r\nLEFT=-2147483648\r\nTOP=-2147483648\r\nRIGHT=2147483647\r\nBOTTOM=2147483647\r\n");
    placement_load(SW_SHOWNORMAL_, desktop);
    EXPECT_FALSE(placement_get().use_stored);
    settings_file("DEFAULT=1\r\nLEFT=2147483647\r\nTOP=0\r\nRIGHT=-2147483648\r\nBOTTOM=10\r\n");
    placement_load(SW_SHOWNORMAL_, Rect{-2147483647 - 1, -2147483647 - 1, 2147483647, 2147483647});
    EXPECT_FALSE(placement_get().use_stored);
    settings_file(
        "DEFAULT=1\r\nLEFT=99999999999\r\nTOP=10\r\nRIGHT=20\r\nBOTTOM=20\r\n");  // wraps on reading
    placement_load(SW_SHOWNORMAL_, desktop);
    EXPECT_FALSE(placement_get().use_stored);
}

TEST(FitToWorkArea, TheWindowStaysInsideTheWorkAreaAndIsCentred) {
    struct Case {
        int32_t width, height;
        Rect work, expected;
    };
    const Case cases[] = {
        {880, 660, {0, 0, 1280, 1024}, {200, 182, 1080, 842}},      // 100 %: as wanted, centred
        {1316, 1000, {0, 0, 1280, 1024}, {0, 12, 1280, 1012}},      // 150 %: no wider than the screen
        {1316, 1100, {0, 0, 1280, 984}, {0, 0, 1280, 984}},         // a task bar below
        {900, 700, {-1280, 40, 0, 1064}, {-1090, 202, -190, 902}},  // a monitor left of the main one
        {1316, 900, {1280, 0, 2560, 1024}, {1280, 62, 2560, 962}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(fit_to_work_area(c.width, c.height, c.work), c.expected) << c.width << " x " << c.height;

    // Room for the scroll bar of the side cut short, where there is room.
    const Rect screen{0, 0, 1280, 1024};
    EXPECT_EQ(fit_to_work_area(1316, 950, screen, 25, 25), (Rect{0, 24, 1280, 999}));
    EXPECT_EQ(fit_to_work_area(1316, 1010, screen, 25, 25), (Rect{0, 0, 1280, 1024}));  // then both bars
    EXPECT_EQ(fit_to_work_area(900, 1100, screen, 25, 25), (Rect{177, 0, 1102, 1024}));
    EXPECT_EQ(fit_to_work_area(900, 700, screen, 25, 25), (Rect{190, 162, 1090, 862}));  // nothing cut
}

}  // namespace
