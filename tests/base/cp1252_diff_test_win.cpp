// Our code page 1252 table against the platform's own conversion (Wine's
// kernel32 here): every byte one way, every character of the Basic
// Multilingual Plane the other way.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "base/cp1252.h"

namespace {

std::string utf8_of(wchar_t c) {
    char out[8] = {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, &c, 1, out, sizeof out, nullptr, nullptr);
    return std::string(out, size_t(n > 0 ? n : 0));
}

TEST(Cp1252Platform, EveryByteDecodesAsThePlatformDecodesIt) {
    for (int b = 0; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        wchar_t c = 0;
        ASSERT_EQ(MultiByteToWideChar(1252, 0, &byte, 1, &c, 1), 1) << b;
        EXPECT_EQ(cp1252_to_utf8(std::string(1, byte)), utf8_of(c)) << b;
    }
}

TEST(Cp1252Platform, ACharacterHasAFormExactlyWhenThePlatformHasOne) {
    for (unsigned c = 1; c < 0x10000; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        const wchar_t w = static_cast<wchar_t>(c);
        char byte = 0;
        BOOL used_default = FALSE;
        const int n =
            WideCharToMultiByte(1252, WC_NO_BEST_FIT_CHARS, &w, 1, &byte, 1, nullptr, &used_default);
        const std::optional<std::string> ours = utf8_to_cp1252(utf8_of(w));
        if (n == 1 && !used_default)
            EXPECT_EQ(ours, std::string(1, byte)) << std::hex << c;
        else
            EXPECT_EQ(ours, std::nullopt) << std::hex << c;
    }
}

}  // namespace
