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

// The stores of the program's exit, as the shell makes them.
void exit_stores() {
    for (const char* key : {"TAB", "ZOOM", "ICON", "DEFAULT", "LEFT", "TOP", "RIGHT", "BOTTOM"})
        settings_write_int("SHOWCMD", key, key[0] == 'L' ? 40 : 1);
    settings_write_text("KVDLG", "FILE", "C:\\Müller\\anlage.ini");
    settings_write_text("KVDLG", "DIR", "C:\\Müller");
    settings_write_text("CHARIMP", "FILE", "C:\\Łódź\\kurve.txt");
    settings_write_text("FOP", nullptr, nullptr);
    for (int i = 1; i <= 3; ++i) {
        const std::string n = std::to_string(i);
        settings_write_text("FOP", ("FOP" + n).c_str(), ("C:\\Größe " + n + ".ini").c_str());
        settings_write_int("FOP", ("TOP" + n).c_str(), 1);
        settings_write_int("FOP", ("COP" + n).c_str(), i - 1);
    }
    settings_write_text("PROP", "PORT", "COM3");
    settings_write_int("PROP", "RS485ADR", 1);
    for (const char* key : {"DM", "TYPE", "SPEC", "I", "HPER"}) settings_write_int("SCOPE", key, 0);
}

TEST(Settings, BatchReplacesTheFileOnceAsTheWritesOneByOneWouldLeaveIt) {
    const std::string technicians_file =
        "; Kv310r.ini\n[showcmd]\nzoom=0\nLeft = 7\n\n; Service\n[Service]\nKunde=M\xFCller\n"
        "[FOP]\nFOP1=C:\\alt.ini\nTOP1=1\nCOP1=0\n[kvdlg]\nFILE=C:\\alt.ini\nfremd=1\n";
    TempDir one_by_one, batched;
    write_bytes(one_by_one.file("Kv310r.ini"), technicians_file);
    write_bytes(batched.file("Kv310r.ini"), technicians_file);
    settings_set_directory(TempDir::utf8(one_by_one.path));
    exit_stores();
    const std::string expected = read_bytes(settings_path());

    settings_set_directory(TempDir::utf8(batched.path));
    settings_batch_begin();
    exit_stores();
    settings_batch_begin();  // already open: nothing happens
    EXPECT_EQ(read_bytes(settings_path()), technicians_file) << "nothing written before the commit";
    std::string text;
    EXPECT_TRUE(settings_read_text("KVDLG", "FILE", text, 512));  // reads see the batch
    EXPECT_EQ(text, "C:\\Müller\\anlage.ini");
    EXPECT_EQ(settings_read_int("SHOWCMD", "LEFT", 0), 40);
    EXPECT_TRUE(settings_batch_commit());
    EXPECT_EQ(read_bytes(settings_path()), expected);
    EXPECT_NE(expected.find("[Service]\r\nKunde=M\xFCller\r\n"), std::string::npos);

    // A batch without changes writes nothing: no file stays no file.
    std::filesystem::remove(settings_path());
    settings_batch_begin();
    settings_write_text("PROP", "PORT", nullptr);
    EXPECT_TRUE(settings_batch_commit());
    EXPECT_FALSE(file_exists(settings_path()));

    // Leaving the folder drops an open batch.
    settings_batch_begin();
    settings_write_int("SHOWCMD", "TAB", 2);
    settings_set_directory(TempDir::utf8(one_by_one.path));
    EXPECT_TRUE(settings_batch_commit());
    EXPECT_EQ(read_bytes(settings_path()), expected);
    EXPECT_FALSE(file_exists(batched.file("Kv310r.ini")));
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
