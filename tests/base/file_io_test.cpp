#include "base/file_io.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#if !defined(_WIN32)
#include <unistd.h>  // geteuid
#endif

#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> names_in(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.push_back(TempDir::utf8(entry.path().filename()));
    return names;
}

TEST(FileIo, WritesReplacesAndReadsBack) {
    TempDir tmp;
    std::string path = tmp.file("Kv310r.ini");
    EXPECT_FALSE(file_exists(path));
    EXPECT_EQ(read_file(path), std::nullopt);

    ASSERT_TRUE(write_file_atomic(path, "first"));
    EXPECT_TRUE(file_exists(path));
    EXPECT_EQ(read_file(path), "first");

    const std::string binary("a\0b\r\n\xff", 6);
    ASSERT_TRUE(write_file_atomic(path, binary));
    EXPECT_EQ(read_file(path), binary);

    ASSERT_TRUE(write_file_atomic(path, ""));
    EXPECT_EQ(read_file(path), "");
    // No temporary file is left beside the target.
    EXPECT_EQ(names_in(tmp.path), std::vector<std::string>{"Kv310r.ini"});
}

TEST(FileIo, NonAsciiNamesReachTheFileSystemUnchanged) {
    TempDir tmp;
    fs::create_directory(tmp.path / fs::path(TempDir::as_u8("Prüfung ß")));
    std::string path = tmp.file("Prüfung ß/Datei äöü €.ini");
    ASSERT_TRUE(write_file_atomic(path, "x"));
    EXPECT_EQ(read_file(path), "x");
    EXPECT_EQ(names_in(tmp.path / fs::path(TempDir::as_u8("Prüfung ß"))),
              std::vector<std::string>{"Datei äöü €.ini"});
}

TEST(FileIo, LongPaths) {
    TempDir tmp;
    fs::path dir = tmp.path;
    for (char c : std::string("abcd")) dir /= std::string(70, c);
#if defined(_WIN32)
    // The test's own folders need the long-path prefix on Windows.
    fs::create_directories(fs::path(L"\\\\?\\" + dir.wstring()));
#else
    fs::create_directories(dir);
#endif
    std::string path = TempDir::utf8(dir / "Kv310r.ini");
    ASSERT_GT(path.size(), 290u);
    ASSERT_TRUE(write_file_atomic(path, "one"));
    ASSERT_TRUE(write_file_atomic(path, "two"));
    EXPECT_EQ(read_file(path), "two");
    EXPECT_TRUE(file_exists(path));
}

TEST(FileIo, ReadsInBlocksUntilTheReaderHasEnough) {
    TempDir tmp;
    const std::string path = tmp.file("daten.txt");
    std::string content;
    for (int i = 0; i < 2500; ++i) content.push_back(char('a' + i % 26));
    write_bytes(path, content);

    struct Case {
        const char* what;
        size_t blocks_wanted;                // the reader says "enough" after this many
        std::vector<size_t> expected_sizes;  // of the blocks handed over
    };
    const Case cases[] = {
        {"the whole file", 99, {1024, 1024, 452}},
        {"enough after the first block", 1, {1024}},
        {"enough after the second block", 2, {1024, 1024}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string seen;
        std::vector<size_t> sizes;
        EXPECT_TRUE(read_file_blocks(path, 1024, [&](std::string_view block) {
            seen.append(block);
            sizes.push_back(block.size());
            return sizes.size() < c.blocks_wanted;
        }));
        EXPECT_EQ(sizes, c.expected_sizes);
        EXPECT_EQ(seen, content.substr(0, seen.size()));
    }

    write_bytes(path, "");
    int calls = 0;
    EXPECT_TRUE(read_file_blocks(path, 1024, [&](std::string_view) { return ++calls > 0; }));
    EXPECT_EQ(calls, 0);

    // Missing, a folder, no name: nothing to read.
    fs::create_directory(tmp.path / "Ordner");
    for (const std::string& bad : {tmp.file("fehlt.txt"), tmp.file("Ordner"), std::string()}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(read_file_blocks(bad, 1024, [&](std::string_view) { return ++calls > 0; }));
    }
    EXPECT_EQ(calls, 0);
}

TEST(FileIo, WholeFileReadRefusesWhatIsLargerThanItsLimit) {
    TempDir tmp;
    const std::string path = tmp.file("gross.ini");
    write_bytes(path, std::string(40000, 'x'));
    EXPECT_EQ(read_file(path, 40000).value_or("").size(), 40000u);
    EXPECT_FALSE(read_file(path, 39999)) << "one byte over the limit";
    EXPECT_FALSE(read_file(path, 100));
}

TEST(FileIo, FailedSaveLeavesTheOldStateAlone) {
    TempDir tmp;

    // The target is a folder.
    fs::create_directory(tmp.path / "folder.ini");
    EXPECT_FALSE(write_file_atomic(tmp.file("folder.ini"), "x"));
    EXPECT_TRUE(fs::is_directory(tmp.path / "folder.ini"));
    EXPECT_EQ(read_file(tmp.file("folder.ini")), std::nullopt);
    EXPECT_FALSE(file_exists(tmp.file("folder.ini")));

    // The folder does not exist.
    EXPECT_FALSE(write_file_atomic(tmp.file("missing/Kv310r.ini"), "x"));
    EXPECT_FALSE(fs::exists(tmp.path / "missing"));

    // A read-only file keeps its content.
    std::string locked = tmp.file("locked.ini");
    ASSERT_TRUE(write_file_atomic(locked, "old"));
    fs::permissions(tmp.path / "locked.ini",
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    EXPECT_FALSE(write_file_atomic(locked, "new"));
    EXPECT_EQ(read_file(locked), "old");
    fs::permissions(tmp.path / "locked.ini", fs::perms::owner_write, fs::perm_options::add);

    // Empty and malformed names.
    EXPECT_FALSE(write_file_atomic("", "x"));
    EXPECT_EQ(read_file(""), std::nullopt);

    std::vector<std::string> names = names_in(tmp.path);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"folder.ini", "locked.ini"}));
}

#if !defined(_WIN32)
TEST(FileIo, SaveIntoReadOnlyFolderFails) {
    if (geteuid() == 0) GTEST_SKIP() << "root ignores folder permissions";
    TempDir tmp;
    std::string path = tmp.file("Kv310r.ini");
    ASSERT_TRUE(write_file_atomic(path, "old"));
    fs::permissions(tmp.path, fs::perms::owner_read | fs::perms::owner_exec, fs::perm_options::replace);
    EXPECT_FALSE(write_file_atomic(path, "new"));
    fs::permissions(tmp.path, fs::perms::owner_all, fs::perm_options::replace);
    EXPECT_EQ(read_file(path), "old");
    EXPECT_EQ(names_in(tmp.path), std::vector<std::string>{"Kv310r.ini"});
}
#endif

}  // namespace
