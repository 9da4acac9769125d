#include "base/profile.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/file_io.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

TEST(Profile, MissingFileReadsAsEmptyAndIsCreatedOnFirstWrite) {
    TempDir tmp;
    std::string path = tmp.file("Kv310r.ini");
    EXPECT_EQ(profile_get_string(path, "KVDLG", "FILE", "", 512), "");
    EXPECT_EQ(profile_get_string(path, "KVDLG", "FILE", "default  ", 512),
              "default");  // trailing blanks dropped
    EXPECT_EQ(profile_get_string(path, "KVDLG", "FILE", " one two ", 512), " one two");
    EXPECT_EQ(profile_get_int(path, "PROP", "RS485ADR", 7), 7u);

    // Deleting from a file that does not exist creates nothing.
    EXPECT_TRUE(profile_write_string(path, "FOP", nullptr, nullptr));
    EXPECT_TRUE(profile_write_string(path, "FOP", "FOP1", nullptr));
    EXPECT_FALSE(fs::exists(tmp.path / "Kv310r.ini"));

    EXPECT_TRUE(profile_write_string(path, "PROP", "PORT", "COM3"));
    EXPECT_EQ(read_file(path), "[PROP]\r\nPORT=COM3\r\n");
    EXPECT_TRUE(profile_write_string(path, "PROP", "RS485ADR", "-1"));
    EXPECT_EQ(profile_get_int(path, "prop", "rs485adr", 0), 4294967295u);
    EXPECT_EQ(profile_get_string(path, "PROP", "PORT", "x", 128), "COM3");
    EXPECT_EQ(profile_get_string(path, "PROP", "NONE", "x", 128), "x");
}

TEST(Profile, ReadsAreCutToTheBufferSize) {
    TempDir tmp;
    std::string path = tmp.file("cut.ini");
    ASSERT_TRUE(write_file_atomic(path, "[s]\r\nk=val1\r\nq=\"abc\"\r\nu=äöü\r\n"));
    EXPECT_EQ(profile_get_string(path, "s", "k", "", 5), "val1");
    EXPECT_EQ(profile_get_string(path, "s", "k", "", 4), "val");
    EXPECT_EQ(profile_get_string(path, "s", "k", "", 1), "");
    EXPECT_EQ(profile_get_string(path, "s", "k", "", 0), "");
    EXPECT_EQ(profile_get_string(path, "s", "q", "", 3), "ab");  // quotes go first
    EXPECT_EQ(profile_get_string(path, "s", "x", "default", 4), "def");
    // Never half a character: 3 or 5 bytes of room leave whole characters.
    EXPECT_EQ(profile_get_string(path, "s", "u", "", 4), "ä");
    EXPECT_EQ(profile_get_string(path, "s", "u", "", 5), "äö");
    EXPECT_EQ(profile_get_string(path, "s", "u", "", 6), "äö");
}

TEST(Profile, WritesKeepTheRestOfTheFile) {
    TempDir tmp;
    std::string path = tmp.file("Kv310r.ini");
    ASSERT_TRUE(write_file_atomic(path, "; Einstellungen\n\n[SHOWCMD]\nZOOM=0\n\n[PROP]\nPORT=COM1\n"));

    // A write that changes nothing leaves the file as it is, line ends included.
    EXPECT_TRUE(profile_write_string(path, "SHOWCMD", "ZOOM", "0"));
    EXPECT_EQ(read_file(path), "; Einstellungen\n\n[SHOWCMD]\nZOOM=0\n\n[PROP]\nPORT=COM1\n");

    EXPECT_TRUE(profile_write_string(path, "SHOWCMD", "TAB", "4"));
    EXPECT_EQ(read_file(path),
              "; Einstellungen\r\n\r\n[SHOWCMD]\r\nZOOM=0\r\nTAB=4\r\n\r\n[PROP]\r\nPORT=COM1\r\n");
    EXPECT_TRUE(profile_write_string(path, "SHOWCMD", nullptr, nullptr));
    EXPECT_EQ(read_file(path), "; Einstellungen\r\n\r\n[PROP]\r\nPORT=COM1\r\n");
}

TEST(Profile, FailedWriteReportsAndKeepsTheFile) {
    TempDir tmp;
    std::string path = tmp.file("locked.ini");
    ASSERT_TRUE(write_file_atomic(path, "[PROP]\r\nPORT=COM1\r\n"));
    fs::permissions(tmp.path / "locked.ini",
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    EXPECT_FALSE(profile_write_string(path, "PROP", "PORT", "COM2"));
    EXPECT_EQ(profile_get_string(path, "PROP", "PORT", "", 128), "COM1");
    fs::permissions(tmp.path / "locked.ini", fs::perms::owner_write, fs::perm_options::add);

    fs::create_directory(tmp.path / "dir.ini");
    EXPECT_FALSE(profile_write_string(tmp.file("dir.ini"), "PROP", "PORT", "COM2"));
    EXPECT_FALSE(profile_write_string(tmp.file("missing/x.ini"), "PROP", "PORT", "COM2"));
}

}  // namespace
