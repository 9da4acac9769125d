// The parameter file: an INI file with the single section "KV310R" holding
// every field of the record as an unsigned decimal number under its own key.
#pragma once

#include "params/record.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

constexpr const char* PARAM_FILE_SECTION = "KV310R";
constexpr uint32_t PARAM_FILE_VERSION = 101;  // written as "w32_ver"
constexpr size_t PARAM_FILE_KEY_COUNT = 575;
// The file holds curve points 0 to 254 ("u1_v_0" to "u2_v_254"). Point 255 of
// each curve has never been part of it: after reading it keeps its default.
constexpr int CURVE_POINTS_IN_FILE = CURVE_POINTS - 1;

// One key of the file and the record field it holds.
struct ParamFileKey {
    std::string name;
    size_t offset;           // byte offset in ParameterRecord
    int width;               // 8, 16 or 32 bits, little-endian in the record
    uint32_t since_version;  // read only when "w32_ver" is at least this
};

// All keys in the order they are read and written.
const std::vector<ParamFileKey>& param_file_keys();

// Reads path into record: defaults first, then every key in order; at the
// first missing or unreadable key the rest of the record is set to 0. The
// record is validated in every case. True only when every key was read.
bool read_parameter_file(ParameterRecord& record, const std::string& path);
// The same on the file's text.
bool read_parameter_text(ParameterRecord& record, std::string_view text);

// Writes every key (w32_ver as 101) into the file's "KV310R" section, keeping
// the rest of an existing file. The file is replaced in one step: on failure it
// is left exactly as it was and false is returned.
bool write_parameter_file(const ParameterRecord& record, const std::string& path);

// The content of a newly created parameter file for record.
std::string parameter_file_text(const ParameterRecord& record);
// The content of a file after writing record into it: every key in its
// "KV310R" section changed in place or added, everything else kept.
std::string parameter_file_update(const ParameterRecord& record, std::string_view old_text);

// The "%u" conversion of a value text: leading blanks, an optional sign, then
// at least one digit; wraps at 32 bits; text after the number is ignored.
// False when there is no number.
bool scan_unsigned(std::string_view text, uint32_t& value);
