// Small text helpers shared by every subsystem. Program texts are UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// printf-style formatting, cut at 511 characters.
std::string format_text(const char* fmt, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// The first n characters (UTF-8 code points) of text, for "%.128s"-style limits.
std::string cut_chars(std::string_view text, size_t n);

// The number a user typed into a field: leading codes 1..32 skipped; empty -> 0,
// valid; no number -> 0, invalid; negative -> 0x7FFFFFFF, invalid.
uint32_t parse_dlg_int(std::string_view text, bool* valid);

// The word a user typed into a field: at most size - 1 characters, leading codes
// 1..32 removed; keep_inner_blanks trims the end, otherwise the text is cut at
// its first code 1..32.
std::string take_word(std::string_view text, bool keep_inner_blanks, size_t size = 128);

// A cell of a CSV file with ";" between the cells: quoted, its quotes
// doubled, when it holds ";", a quote or a line break.
std::string csv_cell(std::string_view text);

// Codes 1..32 removed at both ends.
std::string trim_blanks(std::string_view text);

// The program's folder from its full path: cut after the last separator, so it
// ends with one; empty (the current folder) when there is none.
std::string program_directory_of(std::string_view module_path);

// Separators here are the backslash and, for POSIX paths, the slash.
// The text after the last separator (or all of it).
std::string file_name_part(std::string_view path);
// The text before the last separator, codes 1..32 trimmed at both ends; empty
// when there is none.
std::string directory_part(std::string_view path);
