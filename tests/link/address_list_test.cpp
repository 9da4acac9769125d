// Address lists for several dimmers on one bus: "1,2,5-8".
#include "link/address_list.h"

#include <gtest/gtest.h>

namespace {

TEST(AddressList, ListsAndRanges) {
    struct Case {
        const char* text;
        std::vector<uint32_t> addresses;
    };
    const Case cases[] = {
        {"7", {7}},
        {"0", {0}},
        {"255", {255}},
        {"1,2,5-8", {1, 2, 5, 6, 7, 8}},
        {"8,3-4", {8, 3, 4}},        // the order given
        {"2,1-3,2", {2, 1, 3}},      // each address once
        {" 1 , 4 - 5 ", {1, 4, 5}},  // blanks around the parts
        {"254-255", {254, 255}},     // the top of the range ends the loop
        {"007", {7}},
    };
    for (const Case& c : cases) {
        std::string bad;
        const auto got = parse_address_list(c.text, bad);
        ASSERT_TRUE(got) << c.text << ": " << bad;
        EXPECT_EQ(*got, c.addresses) << c.text;
    }
}

TEST(AddressList, BadPartsAreNamed) {
    struct Case {
        const char* text;
        const char* bad;
    };
    const Case cases[] = {
        {"", ""},
        {"256", "256"},
        {"1,,2", ""},
        {"1,", ""},
        {"-3", "-3"},
        {"5-", "5-"},
        {"8-5", "8-5"},
        {"1,x", "x"},
        {"1-2-3", "1-2-3"},
        {"+1", "+1"},
        {"0x10", "0x10"},
        {"1;2", "1;2"},
        {"4294967297", "4294967297"},
    };
    for (const Case& c : cases) {
        std::string bad = "unchanged";
        EXPECT_FALSE(parse_address_list(c.text, bad)) << c.text;
        EXPECT_EQ(bad, c.bad) << c.text;
    }
}

TEST(AddressList, WrittenBackInShortestFormAndReadAgain) {
    struct Case {
        std::vector<uint32_t> addresses;
        const char* text;
    };
    const Case cases[] = {
        {{}, ""},
        {{7}, "7"},
        {{1, 2}, "1,2"},  // a range only from three on
        {{1, 2, 3, 4, 7, 9, 10}, "1-4,7,9,10"},
        {{5, 6, 7, 1, 2, 3}, "5-7,1-3"},  // the order kept
        {{0, 1, 2, 254, 255}, "0-2,254,255"},
        {{9, 8, 7}, "9,8,7"},  // only upward runs
    };
    for (const Case& c : cases) {
        EXPECT_EQ(address_list_text(c.addresses), c.text);
        if (c.addresses.empty()) continue;
        std::string bad;
        EXPECT_EQ(parse_address_list(address_list_text(c.addresses), bad), c.addresses) << c.text;
    }
}

TEST(AddressList, FileOfEachDimmerBesideTheNameGiven) {
    const std::pair<const char*, const char*> cases[] = {
        {"Anlage.ini", "Anlage-12.ini"},
        {"Anlage", "Anlage-12.ini"},
        {"dir.v2/Anlage", "dir.v2/Anlage-12.ini"},  // a dot in a folder is no extension
        {"dir.v2\\Anlage", "dir.v2\\Anlage-12.ini"},
        {"a/Anlage.old.ini", "a/Anlage.old-12.ini"},
        {".ini", ".ini-12.ini"},
    };
    for (const auto& [path, file] : cases) EXPECT_EQ(file_for_address(path, 12), file) << path;
}

}  // namespace
