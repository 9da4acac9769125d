#include "base/cp1252.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

struct ByteCase {
    unsigned char byte;
    const char* utf8;
};

TEST(Cp1252, EveryByteHasItsCharacterAndComesBack) {
    const std::vector<ByteCase> table = {
        {0x41, "A"},      {0x7F, "\x7F"},   {0x80, "\u20AC"},  // euro sign
        {0x81, "\u0081"},                                      // undefined in 1252: kept as the C1 control
        {0x82, "\u201A"}, {0x83, "\u0192"}, {0x84, "\u201E"}, {0x85, "\u2026"}, {0x8A, "\u0160"},
        {0x8C, "\u0152"}, {0x8D, "\u008D"}, {0x8E, "\u017D"}, {0x8F, "\u008F"}, {0x90, "\u0090"},
        {0x91, "\u2018"}, {0x96, "\u2013"}, {0x99, "\u2122"}, {0x9C, "\u0153"}, {0x9D, "\u009D"},
        {0x9F, "\u0178"}, {0xA0, "\u00A0"}, {0xC4, "Ä"},      {0xD6, "Ö"},      {0xDC, "Ü"},
        {0xDF, "ß"},      {0xE4, "ä"},      {0xF6, "ö"},      {0xFC, "ü"},      {0xFF, "ÿ"},
    };
    for (const ByteCase& c : table) {
        const std::string byte(1, static_cast<char>(c.byte));
        EXPECT_EQ(cp1252_to_utf8(byte), c.utf8) << int(c.byte);
        EXPECT_EQ(utf8_to_cp1252(c.utf8), byte) << int(c.byte);
    }
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    const std::string utf8 = cp1252_to_utf8(all);
    EXPECT_TRUE(is_valid_utf8(utf8));
    EXPECT_EQ(utf8_to_cp1252(utf8), all);
}

TEST(Cp1252, CharactersWithoutAFormAndBrokenUtf8AreRefused) {
    const std::vector<std::string> refused = {
        "\u0080",            // a C1 control that 1252 uses for the euro sign
        "\u0100",            // Ā
        "Ł",                 // Polish, code page 1250
        "\u20AD",            // next to the euro sign
        "\U0001F600",        // four bytes
        "a\xC3",             // cut off
        "\xC0\x80",          // overlong NUL
        "\xE0\x80\x80",      // overlong
        "\xED\xA0\x80",      // surrogate
        "\xF4\x90\x80\x80",  // above U+10FFFF
        "\xA4",              // a lone continuation byte
    };
    for (const std::string& s : refused) EXPECT_EQ(utf8_to_cp1252(s), std::nullopt) << s;
    EXPECT_TRUE(is_valid_utf8("\U0010FFFF\u00E4\u20AC"));
    EXPECT_FALSE(is_valid_utf8("M\xFCller"));
}

struct StoredCase {
    const char* what;
    std::string text;    // in the program (UTF-8)
    std::string stored;  // in the file
};

TEST(Cp1252, StoredTextIsAnsiWhenItCanBeAndReadsBackUnchanged) {
    const std::vector<StoredCase> cases = {
        {"ASCII", "C:\\Daten\\anlage.ini", "C:\\Daten\\anlage.ini"},
        {"umlauts", "C:\\Müller\\Größe €.ini",
         "C:\\M\xFCller\\Gr\xF6\xDF"
         "e \x80.ini"},
        {"a character outside 1252 keeps the whole text in UTF-8", "C:\\Łódź\\Müller.ini",
         "C:\\Łódź\\Müller.ini"},
        {"mojibake whose 1252 form is valid UTF-8", "C:\\Ã¤.ini", "C:\\Ã¤.ini"},
        {"empty", "", ""},
    };
    for (const StoredCase& c : cases) {
        EXPECT_EQ(utf8_to_stored_text(c.text), c.stored) << c.what;
        EXPECT_EQ(stored_text_to_utf8(c.stored), c.text) << c.what;
    }
    // Files written by UTF-8 builds read as they are.
    EXPECT_EQ(stored_text_to_utf8("C:\\Müller\\anlage.ini"), "C:\\Müller\\anlage.ini");
    EXPECT_EQ(stored_text_to_utf8("C:\\M\xFCller\\anlage.ini"), "C:\\Müller\\anlage.ini");
}

}  // namespace
