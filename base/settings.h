// The program settings file "Kv310r.ini" beside the program. Failures are not
// reported: a missing or unwritable file behaves like an empty one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The folder the settings file lives in (the program's own folder, ending with
// a separator, or empty for the current folder). Set once at start-up.
void settings_set_directory(const std::string& dir);
std::string settings_path();

int32_t settings_read_int(const char* section, const char* key, int32_t def);
// Text values are stored in code page 1252, or in UTF-8 when a character has
// no form there (see base/cp1252.h); both read back as UTF-8.
// True when the text read is not empty; at most size - 1 characters.
bool settings_read_text(const char* section, const char* key, std::string& out, size_t size);
void settings_write_int(const char* section, const char* key, int32_t value);
// key null deletes the whole section, text null deletes the key.
void settings_write_text(const char* section, const char* key, const char* text);

// The stores of the program's exit go out in one piece, so a slow or network
// drive is written once and a crash cannot leave a half-updated file: after
// settings_batch_begin every read and write above works on a copy of the file
// in memory, and settings_batch_commit replaces the file once, atomically (not
// at all when nothing changed). The file ends up byte for byte as the same
// writes one by one would leave it. Beginning an open batch does nothing;
// settings_set_directory drops an open batch.
void settings_batch_begin();
// False when the file could not be replaced (it is then as it was).
bool settings_batch_commit();
