// The private-profile functions on files, one call per value and no caching,
// as the Windows program uses them. Writes replace the file atomically.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// At most size - 1 characters of the value; `def` when missing or unreadable.
std::string profile_get_string(const std::string& path, std::string_view section, std::string_view key,
                               std::string_view def, size_t size);
uint32_t profile_get_int(const std::string& path, std::string_view section, std::string_view key,
                         int32_t def);
// key null deletes the section, value null deletes the key. False when the file
// could not be written (the old file is then unchanged).
bool profile_write_string(const std::string& path, std::string_view section, const char* key,
                          const char* value);
