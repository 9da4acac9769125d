// An INI engine that behaves like the Windows private-profile functions
// (GetPrivateProfileStringA, GetPrivateProfileIntA, WritePrivateProfileStringA)
// for what this program needs. It works on text in memory; profile.h puts it
// on files.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
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

// Every key of the first section called `section` with its value, as ini_get
// would give it, for reading many keys in one pass. Keys are lower-cased
// (ASCII, as the lookup compares them); the first of equal keys wins.
std::unordered_map<std::string, std::string> ini_get_section(const IniDocument& doc,
                                                             std::string_view section);
// The key as ini_get_section stores it.
std::string ini_key_for_lookup(std::string_view key);

// GetPrivateProfileIntA: leading number of the value, wrapping at 32 bits;
// `def` when the key is missing.
uint32_t ini_get_int(const IniDocument& doc, std::string_view section, std::string_view key, int32_t def);

// WritePrivateProfileStringA on the document: key null deletes the section,
// value null deletes the key; otherwise the value is replaced in place, or the
// key is appended to its section, or a new section is appended at the end.
void ini_write(IniDocument& doc, std::string_view section, const char* key, const char* value);
