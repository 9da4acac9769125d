#include "base/settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "base/file_io.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

TEST(Settings, AccessorsOnTheProgramsOwnFile) {
    TempDir tmp;
    settings_set_directory(TempDir::utf8(tmp.path));  // a separator is added
    EXPECT_EQ(settings_path(), tmp.file("Kv310r.ini"));

    // No file: defaults and empty texts.
    std::string text = "stale";
    EXPECT_FALSE(settings_read_text("PROP", "PORT", text, 128));
    EXPECT_EQ(text, "");
    EXPECT_EQ(settings_read_int("SCOPE", "DM", 0), 0);
    EXPECT_EQ(settings_read_int("SHOWCMD", "TAB", -4), -4);

    settings_write_text("PROP", "PORT", "COM12");
    settings_write_int("PROP", "RS485ADR", -2);
    settings_write_int("SHOWCMD", "LEFT", 2147483647);
    EXPECT_EQ(read_file(settings_path()),
              "[PROP]\r\nPORT=COM12\r\nRS485ADR=-2\r\n[SHOWCMD]\r\nLEFT=2147483647\r\n");
    EXPECT_TRUE(settings_read_text("PROP", "PORT", text, 128));
    EXPECT_EQ(text, "COM12");
    EXPECT_TRUE(settings_read_text("PROP", "PORT", text, 4));
    EXPECT_EQ(text, "COM");
    EXPECT_EQ(settings_read_int("prop", "rs485adr", 0), -2);
    EXPECT_EQ(settings_read_int("SHOWCMD", "LEFT", 0), 2147483647);

    settings_write_text("PROP", "PORT", nullptr);
    EXPECT_FALSE(settings_read_text("PROP", "PORT", text, 128));
    settings_write_text("PROP", nullptr, nullptr);
    EXPECT_EQ(read_file(settings_path()), "[SHOWCMD]\r\nLEFT=2147483647\r\n");
    settings_set_directory("");
}

TEST(Settings, ProgramFolderOfAnyLengthAndWithUmlauts) {
    TempDir tmp;
    fs::path dir = tmp.path / fs::path(TempDir::as_u8("Prüfstand ä"));
    for (int i = 0; i < 3; ++i) dir /= std::string(80, static_cast<char>('a' + i));
#if defined(_WIN32)
    fs::create_directories(fs::path(L"\\\\?\\" + dir.wstring()));
#else
    fs::create_directories(dir);
#endif
    settings_set_directory(TempDir::utf8(dir));
    ASSERT_GT(settings_path().size(), 260u);

    settings_write_text("KVDLG", "FILE", "C:\\Daten\\Prüfung.ini");
    std::string text;
    EXPECT_TRUE(settings_read_text("KVDLG", "FILE", text, 512));
    EXPECT_EQ(text, "C:\\Daten\\Prüfung.ini");
    settings_set_directory("");
}

TEST(Settings, TextsAreStoredInCodePage1252AndReadInEitherEncoding) {
    TempDir tmp;
    settings_set_directory(TempDir::utf8(tmp.path));
    write_bytes(settings_path(),
                "; Kv310r.ini\r\n[KVDLG]\r\nFILE=C:\\M\xFCller\\anlage.ini\r\n"
                "DIR=C:\\M\xC3\xBCller\r\n[CHARIMP]\r\nFILE=\x80\xE4\xF6\xFC\r\n");
    std::string text;
    EXPECT_TRUE(settings_read_text("KVDLG", "FILE", text, 512));
    EXPECT_EQ(text, "C:\\Müller\\anlage.ini");
    EXPECT_TRUE(settings_read_text("KVDLG", "DIR", text, 512));
    EXPECT_EQ(text, "C:\\Müller");
    // The limit counts characters, in either encoding.
    EXPECT_TRUE(settings_read_text("CHARIMP", "FILE", text, 3));
    EXPECT_EQ(text, "€ä");
    EXPECT_TRUE(settings_read_text("KVDLG", "DIR", text, 5));
    EXPECT_EQ(text, "C:\\M");

    settings_write_text("KVDLG", "DIR", "C:\\Prüfung");
    settings_write_text("PROP", "PORT", "COM1 Łódź");
    EXPECT_EQ(read_file(settings_path()),
              "; Kv310r.ini\r\n[KVDLG]\r\nFILE=C:\\M\xFCller\\anlage.ini\r\n"
              "DIR=C:\\Pr\xFC"
              "fung\r\n[CHARIMP]\r\nFILE=\x80\xE4\xF6\xFC\r\n"
              "[PROP]\r\nPORT=COM1 Łódź\r\n");
    EXPECT_TRUE(settings_read_text("PROP", "PORT", text, 128));
    EXPECT_EQ(text, "COM1 Łódź");
    settings_set_directory("");
}

TEST(Settings, UnwritableFileBehavesLikeAnEmptyOne) {
    TempDir tmp;
    fs::create_directory(tmp.path / "Kv310r.ini");  // a folder where the file should be
    settings_set_directory(TempDir::utf8(tmp.path));
    settings_write_int("SHOWCMD", "TAB", 3);  // silently not stored
    EXPECT_EQ(settings_read_int("SHOWCMD", "TAB", 0), 0);
    settings_set_directory("");
}

}  // namespace
