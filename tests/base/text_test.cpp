#include "base/text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct IntCase {
    std::string text;
    uint32_t value;
    bool valid;
};

TEST(Text, NumberTypedIntoAField) {
    const std::vector<IntCase> cases = {
        {"  12abc", 12, true},
        {"abc", 0, false},
        {"-5", 0x7FFFFFFF, false},
        {"", 0, true},
        {" \t\r\n", 0, true},
        {"\x01\x1f 7", 7, true},
        {"+8", 8, true},
        {"-0", 0, true},
        {"-", 0, false},
        {"+", 0, false},
        {"- 5", 0, false},
        {"2147483647", 2147483647u, true},
        {"99999999999", 2147483647u, true},  // saturates, as a 32-bit strtol does
        {"-99999999999", 0x7FFFFFFF, false},
        {"\xc3\xa4"
         "5",
         0, false},  // a letter above 127 is text, not a blank
    };
    for (const IntCase& c : cases) {
        bool valid = !c.valid;
        EXPECT_EQ(parse_dlg_int(c.text, &valid), c.value) << c.text;
        EXPECT_EQ(valid, c.valid) << c.text;
        EXPECT_EQ(parse_dlg_int(c.text, nullptr), c.value) << c.text;
    }
}

struct WordCase {
    std::string text;
    bool keep_inner_blanks;
    size_t size;
    std::string expected;
};

TEST(Text, WordTypedIntoAField) {
    const std::vector<WordCase> cases = {
        {"  COM3  ", false, 128, "COM3"},
        {"  COM3 extra", false, 128, "COM3"},
        {"COM3\tx", false, 128, "COM3"},
        {"  my port \r\n", true, 128, "my port"},
        {"\x01\x02 a b\x1f", true, 128, "a b"},
        {"", true, 128, ""},
        {"   ", false, 128, ""},
        {"abcdef", false, 4, "abc"},  // size - 1 characters read
        {"  abcdef", false, 4, "a"},  // the blanks count against the size
        {"äöüß", true, 3, "äö"},      // characters, not bytes
        {"abc", true, 1, ""},
        {"abc", true, 0, ""},
    };
    for (const WordCase& c : cases)
        EXPECT_EQ(take_word(c.text, c.keep_inner_blanks, c.size), c.expected) << c.text;
    EXPECT_EQ(take_word(std::string(200, 'x'), false), std::string(127, 'x'));
}

TEST(Text, FormattingIsCutAt511Characters) {
    EXPECT_EQ(format_text("Fehler: Datei \"%.8s\" fehlt (%d)", "C:\\Daten\\lang.ini", -3),
              "Fehler: Datei \"C:\\Daten\" fehlt (-3)");
    std::string long_arg(600, 'a');
    EXPECT_EQ(format_text("%s", long_arg.c_str()), std::string(511, 'a'));
    // Umlauts count as one character each and are never split.
    std::string umlauts;
    for (int i = 0; i < 600; ++i) umlauts += "ä";
    std::string cut = format_text("x%s", umlauts.c_str());
    EXPECT_EQ(cut.size(), 1u + 510u * 2u);
    EXPECT_EQ(cut_chars(cut, 1000), cut);
    EXPECT_EQ(format_text("%s", ""), "");
}

TEST(Text, CutChars) {
    EXPECT_EQ(cut_chars("Prüfung", 3), "Prü");
    EXPECT_EQ(cut_chars("Prüfung", 2), "Pr");
    EXPECT_EQ(cut_chars("€uro", 1), "€");
    EXPECT_EQ(cut_chars("abc", 0), "");
    EXPECT_EQ(cut_chars("abc", 10), "abc");
}

TEST(Text, PathParts) {
    EXPECT_EQ(program_directory_of("C:\\Programme\\KV310R\\kv310r.exe"), "C:\\Programme\\KV310R\\");
    EXPECT_EQ(program_directory_of("/opt/kv310r/kv310r-cli"), "/opt/kv310r/");
    EXPECT_EQ(program_directory_of("kv310r.exe"), "");
    EXPECT_EQ(program_directory_of(""), "");
    // Any length: the folder is never cut.
    std::string deep = "C:\\" + std::string(300, 'd') + "\\kv310r.exe";
    EXPECT_EQ(program_directory_of(deep), "C:\\" + std::string(300, 'd') + "\\");

    EXPECT_EQ(file_name_part("C:\\Daten\\Anlage 1.ini"), "Anlage 1.ini");
    EXPECT_EQ(file_name_part("Anlage.ini"), "Anlage.ini");
    EXPECT_EQ(file_name_part("C:\\Daten\\"), "");
    EXPECT_EQ(directory_part(" C:\\Daten \\Anlage.ini"), "C:\\Daten");
    EXPECT_EQ(directory_part("Anlage.ini"), "");
    EXPECT_EQ(directory_part("/home/t/a.ini"), "/home/t");

    EXPECT_EQ(trim_blanks("\t x y \r\n"), "x y");
    EXPECT_EQ(trim_blanks("\xc3\xa4"), "\xc3\xa4");
}

}  // namespace
