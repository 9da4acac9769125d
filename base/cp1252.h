// Texts in stored files. The program works in UTF-8; the settings file and
// the parameter files are Windows ANSI files whose texts are in code page
// 1252 (Western European), the form technicians' existing files have and
// other tools expect. Files written by UTF-8 builds of this program hold
// UTF-8, so reading accepts both.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool is_valid_utf8(std::string_view bytes);

// Every byte has a character: 0x80..0x9F are the 1252 punctuation, the euro
// sign and so on, and the five bytes 1252 leaves undefined (0x81, 0x8D, 0x8F,
// 0x90, 0x9D) become U+0081 etc., as Windows converts them, so nothing is lost.
std::string cp1252_to_utf8(std::string_view bytes);

// Nothing when the text is not valid UTF-8 or a character has no form in
// code page 1252.
std::optional<std::string> utf8_to_cp1252(std::string_view utf8);

// A text value as read from a stored file: UTF-8 when it is valid UTF-8,
// otherwise code page 1252.
std::string stored_text_to_utf8(std::string_view stored);

// A text value as written to a stored file: code page 1252 when every
// character has a form there, otherwise UTF-8 unchanged. A 1252 form that
// would read back as different UTF-8 (mojibake such as "Ã¤") is written in
// UTF-8 too, so every text reads back as it was written.
std::string utf8_to_stored_text(std::string_view text);
