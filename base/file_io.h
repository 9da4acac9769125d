// Whole-file reads and crash-safe replacement of files. Paths are UTF-8; on
// Windows they are opened through the wide-character API so umlauts work.
#pragma once

#include <cstddef>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// Whole-file reads are for the settings and parameter files, a few kilobytes
// each. A file larger than this is none of them and is refused rather than
// held in memory: a file of gigabytes picked under "Alle Dateien (*.*)" would
// otherwise fail the allocation and end the program with the user's edits.
constexpr size_t READ_FILE_MAX_BYTES = size_t(64) << 20;

// The file's bytes, or nothing when it cannot be opened or read or holds more
// than max_bytes.
std::optional<std::string> read_file(const std::string& path, size_t max_bytes = READ_FILE_MAX_BYTES);

// Hands the file to `take` in blocks of `block_size` bytes (the last one may
// be shorter) until the file ends or `take` returns false; the rest of the
// file is then never read. False when the file cannot be opened or a read
// fails. For files of any size, where read_file would hold them in memory.
bool read_file_blocks(const std::string& path, size_t block_size,
                      const std::function<bool(std::string_view block)>& take);

// Replaces the file with `content` so that readers see either the old file or
// the complete new one: write a temporary file beside it, flush it to disk,
// rename it over the target. On failure the old file is untouched, the
// temporary file is removed and false is returned.
bool write_file_atomic(const std::string& path, std::string_view content);

bool file_exists(const std::string& path);

// Deletes the file and creates it anew for writing; others may read it while
// it is open. Null when it cannot be created. Close with std::fclose.
std::FILE* create_file_for_writing(const std::string& path);
