#include "params/param_file.h"

#include "base/file_io.h"
#include "base/ini.h"
#include "base/text.h"

#include <cstring>
#include <optional>
#include <string_view>
#include <unordered_map>

namespace {

constexpr size_t VALUE_MAX_CHARS = 500;

constexpr char CD_LETTER[CD_COUNT] = {'a', 'b', 'c', 'd'};

std::vector<ParamFileKey> build_keys() {
    std::vector<ParamFileKey> keys;
    auto add = [&keys](std::string name, size_t offset, int width, uint32_t since = 0) {
        keys.push_back({std::move(name), offset, width, since});
    };
    add("w32_ver", offsetof(ParameterRecord, file_version), 32);
    add("d_A_5", offsetof(ParameterRecord, bus_failure_delay), 8);
    add("d_A_3", offsetof(ParameterRecord, master_slave_pc_test), 8);
    for (int d = 0; d < DIMMER_COUNT; ++d) {
        const size_t block = offsetof(ParameterRecord, dimmer) + size_t(d) * sizeof(DimmerBlock);
        auto per_cd = [&](const char* name, size_t field) {
            for (int cd = 0; cd < CD_COUNT; ++cd)
                add(format_text("d%d_%s_%c", d + 1, name, CD_LETTER[cd]), block + field + size_t(cd), 8);
        };
        auto single = [&](const char* name, size_t field, int width = 8, uint32_t since = 0) {
            add(format_text("d%d_%s", d + 1, name), block + field, width, since);
        };
        per_cd("K_3", offsetof(DimmerBlock, minimum));
        per_cd("K_3e", offsetof(DimmerBlock, zero_control_output));
        per_cd("K_4", offsetof(DimmerBlock, maximum));
        per_cd("K_7", offsetof(DimmerBlock, characteristic));
        single("K_6", offsetof(DimmerBlock, nondim_threshold));
        single("K_6a", offsetof(DimmerBlock, nondim_hysteresis));
        single("K_8", offsetof(DimmerBlock, preheat_time));
        single("K_17", offsetof(DimmerBlock, off_with_fade));
        single("K_12", offsetof(DimmerBlock, bus_failure_action));
        single("K_13", offsetof(DimmerBlock, pot_activity));
        single("K_14", offsetof(DimmerBlock, voltage_input_activity));
        single("K_19", offsetof(DimmerBlock, one_button_start));
        single("K_20", offsetof(DimmerBlock, one_button_dim_fade));
        // Files of version 100 and older predate this field.
        single("BTN_SP_ONOFF", offsetof(DimmerBlock, one_button_onoff_fade), 8, 101);
        single("K_18a", offsetof(DimmerBlock, fade_time_mode));
        single("K_18", offsetof(DimmerBlock, fade_time), 16);
        single("K_1", offsetof(DimmerBlock, default_mode));
        single("K_2", offsetof(DimmerBlock, auto_mode_switch));
        single("K_15", offsetof(DimmerBlock, voltage_input_range));
    }
    for (int c = 0; c < 2; ++c)
        for (int x = 0; x < CURVE_POINTS_IN_FILE; ++x)
            add(format_text("u%d_v_%d", c + 1, x),
                offsetof(ParameterRecord, user_curve) + size_t(c) * CURVE_POINTS + size_t(x), 8);
    return keys;
}

uint8_t* field_ptr(ParameterRecord& r, const ParamFileKey& k) {
    return reinterpret_cast<uint8_t*>(&r) + k.offset;
}
const uint8_t* field_ptr(const ParameterRecord& r, const ParamFileKey& k) {
    return reinterpret_cast<const uint8_t*>(&r) + k.offset;
}

// Keeps the low bits that fit the field.
void store_field(ParameterRecord& r, const ParamFileKey& k, uint32_t v) {
    uint8_t* p = field_ptr(r, k);
    if (k.width == 8)
        p[0] = uint8_t(v);
    else if (k.width == 16)
        put_u16le(p, uint16_t(v));
    else
        put_u32le(p, v);
}

uint32_t load_field(const ParameterRecord& r, const ParamFileKey& k) {
    const uint8_t* p = field_ptr(r, k);
    if (k.width == 8) return p[0];
    if (k.width == 16) return get_u16le(p);
    return get_u32le(p);
}

bool is_c_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The index of a key in param_file_keys, letter case ignored.
std::optional<size_t> key_index(std::string_view name) {
    static const std::unordered_map<std::string, size_t> index = [] {
        std::unordered_map<std::string, size_t> m;
        for (size_t i = 0; i < param_file_keys().size(); ++i)
            m.emplace(ini_key_for_lookup(param_file_keys()[i].name), i);
        return m;
    }();
    const auto it = index.find(ini_key_for_lookup(name));
    if (it == index.end()) return std::nullopt;
    return it->second;
}

void write_keys(const ParameterRecord& record, IniDocument& doc) {
    std::vector<std::pair<std::string, std::string>> values;
    values.reserve(param_file_keys().size());
    for (const ParamFileKey& k : param_file_keys()) {
        const uint32_t v =
            k.offset == offsetof(ParameterRecord, file_version) ? PARAM_FILE_VERSION : load_field(record, k);
        values.emplace_back(k.name, std::to_string(v));
    }
    ini_write_section(doc, PARAM_FILE_SECTION, values);
}

}  // namespace

const std::vector<ParamFileKey>& param_file_keys() {
    static const std::vector<ParamFileKey> keys = build_keys();
    return keys;
}

bool scan_unsigned(std::string_view text, uint32_t& value) {
    size_t i = 0;
    while (i < text.size() && is_c_space(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i >= text.size() || text[i] < '0' || text[i] > '9') return false;
    uint32_t v = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) v = v * 10u + uint32_t(text[i] - '0');
    value = negative ? 0u - v : v;
    return true;
}

bool read_parameter_file(ParameterRecord& record, const std::string& path) {
    // An unreadable file reads like an empty one: its first key is missing.
    return read_parameter_text(record, read_file(path).value_or(std::string()));
}

bool read_parameter_text(ParameterRecord& record, std::string_view text) {
    apply_defaults(record);
    // One pass over the section: the value of each key, the first in the file.
    const std::vector<ParamFileKey>& keys = param_file_keys();
    std::vector<std::optional<std::string_view>> values(keys.size());
    for (const IniEntry& e : ini_section_entries(text, PARAM_FILE_SECTION))
        if (const std::optional<size_t> i = key_index(e.key); i && !values[*i]) values[*i] = e.value;

    bool ok = true;
    for (size_t i = 0; i < keys.size(); ++i) {
        const ParamFileKey& k = keys[i];
        if (ok && k.since_version > file_version(record)) continue;  // keeps its default
        uint32_t v = 0;
        // The Windows program reads values with a 501-byte buffer.
        if (ok) ok = values[i] && scan_unsigned(values[i]->substr(0, VALUE_MAX_CHARS), v);
        store_field(record, k, ok ? v : 0);
    }
    validate_record(record);
    return ok;
}

std::string parameter_file_text(const ParameterRecord& record) { return parameter_file_update(record, {}); }

std::string parameter_file_update(const ParameterRecord& record, std::string_view old_text) {
    IniDocument doc = ini_parse(old_text);
    write_keys(record, doc);
    return ini_serialize(doc);
}

bool write_parameter_file(const ParameterRecord& record, const std::string& path) {
    std::string old;
    if (file_exists(path)) {
        // Never replace a file whose other sections could not be read first.
        std::optional<std::string> text = read_file(path);
        if (!text) return false;
        old = std::move(*text);
    }
    return write_file_atomic(path, parameter_file_update(record, old));
}
