// An INI engine that behaves like the Windows private-profile functions
// (GetPrivateProfileStringA, GetPrivateProfileIntA, WritePrivateProfileStringA)
// for what this program needs. It works on text in memory; profile.h puts it
// on files.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The file as lines (line ends removed); writing edits the lines in place so
// comments, blank lines and unknown lines survive.
struct IniDocument {
    std::vector<std::string> lines;
};

IniDocument ini_parse(std::string_view text);
// Lines joined with CRLF, the line end Windows writes.
std::string ini_serialize(const IniDocument& doc);

// The value of key in section (first matching section, first matching key,
// names compared without regard to case, blanks trimmed, one pair of outer
// quotes removed); nothing when the section or key is missing.
std::optional<std::string> ini_get(const IniDocument& doc, std::string_view section, std::string_view key);

// Every key line of the first section called `section` in a file's text, in
// file order, read as ini_get reads it (key and value trimmed, the value
// without one pair of outer quotes): for reading many keys in one pass over
// the text, without copying. Of equal keys (compared as ini_key_for_lookup
// makes them) the first is the one ini_get finds.
struct IniEntry {
    std::string_view key;
    std::string_view value;
};
std::vector<IniEntry> ini_section_entries(std::string_view text, std::string_view section);

// A key with its ASCII letters in lower case, as names are compared.
std::string ini_key_for_lookup(std::string_view key);
// Whether two section or key names match: ASCII letters without regard to case.
bool ini_same_name(std::string_view a, std::string_view b);

// GetPrivateProfileIntA: leading number of the value, wrapping at 32 bits;
// `def` when the key is missing.
uint32_t ini_get_int(const IniDocument& doc, std::string_view section, std::string_view key, int32_t def);

// WritePrivateProfileStringA on the document: key null deletes the section,
// value null deletes the key; otherwise the value is replaced in place, or the
// key is appended to its section, or a new section is appended at the end.
void ini_write(IniDocument& doc, std::string_view section, const char* key, const char* value);

// Many values into one section in one pass over the document, with the same
// result as ini_write for each (key, value) in turn: a whole parameter file
// is written in the time of one lookup instead of one per key.
void ini_write_section(IniDocument& doc, std::string_view section,
                       const std::vector<std::pair<std::string, std::string>>& values);
