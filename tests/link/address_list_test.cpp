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

}  // namespace
