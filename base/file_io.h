// Whole-file reads and crash-safe replacement of files. Paths are UTF-8; on
// Windows they are opened through the wide-character API so umlauts work.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

// The file's bytes, or nothing when it cannot be opened or read.
std::optional<std::string> read_file(const std::string& path);

// Replaces the file with `content` so that readers see either the old file or
// the complete new one: write a temporary file beside it, flush it to disk,
// rename it over the target. On failure the old file is untouched, the
// temporary file is removed and false is returned.
bool write_file_atomic(const std::string& path, std::string_view content);

bool file_exists(const std::string& path);

// Deletes the file and creates it anew for writing; others may read it while
// it is open. Null when it cannot be created. Close with std::fclose.
std::FILE* create_file_for_writing(const std::string& path);
