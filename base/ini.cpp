// INI engine with the Windows private-profile rules. The document stays a list
// of lines and every operation classifies lines on the fly, so anything this
// engine does not understand (comments, blank lines, junk, text before the
// first section) is kept byte for byte when the file is written back.
#include "base/ini.h"

#include <algorithm>
#include <cstring>

namespace {

enum class LineKind {
    blank,
    comment,
    section,
    key,
    other
};

struct LineInfo {
    LineKind kind = LineKind::other;
    std::string_view name;   // section name or key name, trimmed
    std::string_view value;  // key value, trimmed
};

bool is_blank(char c) {
    switch (c) {
        case ' ':
        case '\t':
        case '\v':
        case '\f':
            return true;
        default:
            return false;
    }
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && is_blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && is_blank(s.back())) s.remove_suffix(1);
    return s;
}

bool equal_no_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

constexpr std::string_view UTF8_BOM = "\xEF\xBB\xBF";

// What a line means to the profile functions. A section header runs from "["
// to the first "]"; a key line is anything else with an "=" (the key is the
// text before the first "=", the value all after it, so a ";" in a value is
// literal). Lines without "=" are not keys: Windows never finds them.
LineInfo classify(std::string_view line, bool first_line) {
    if (first_line && line.substr(0, UTF8_BOM.size()) == UTF8_BOM) line.remove_prefix(UTF8_BOM.size());
    LineInfo info;
    std::string_view t = trim(line);
    if (t.empty()) {
        info.kind = LineKind::blank;
        return info;
    }
    if (t.front() == ';') {
        info.kind = LineKind::comment;
        return info;
    }
    if (t.front() == '[') {
        size_t close = t.find(']');
        if (close != std::string_view::npos) {
            info.kind = LineKind::section;
            info.name = trim(t.substr(1, close - 1));
            return info;
        }
    }
    size_t eq = t.find('=');
    if (eq == std::string_view::npos) {
        info.kind = LineKind::other;
        return info;
    }
    info.kind = LineKind::key;
    info.name = trim(t.substr(0, eq));
    info.value = trim(t.substr(eq + 1));
    return info;
}

LineInfo classify_at(const IniDocument& doc, size_t i) { return classify(doc.lines[i], i == 0); }

// The name of a section header line, as classify finds it, with no work spent
// on the other lines: a section lookup passes over every line of the file.
std::optional<std::string_view> section_name_of(std::string_view line, bool first_line) {
    if (first_line && line.substr(0, UTF8_BOM.size()) == UTF8_BOM) line.remove_prefix(UTF8_BOM.size());
    size_t start = 0;
    while (start < line.size() && is_blank(line[start])) ++start;
    if (start == line.size() || line[start] != '[') return std::nullopt;
    const size_t close = line.find(']', start);
    if (close == std::string_view::npos) return std::nullopt;
    return trim(line.substr(start + 1, close - start - 1));
}

std::optional<std::string_view> section_name_at(const IniDocument& doc, size_t i) {
    return section_name_of(doc.lines[i], i == 0);
}

// Lines [begin, end) of the first section called `name`: begin is the header
// line, end the next header or the end of the document.
struct SectionSpan {
    size_t begin = 0;
    size_t end = 0;
};

std::optional<SectionSpan> find_section(const IniDocument& doc, std::string_view name) {
    for (size_t i = 0; i < doc.lines.size(); ++i) {
        const std::optional<std::string_view> found = section_name_at(doc, i);
        if (!found || !equal_no_case(*found, name)) continue;
        SectionSpan span{i, i + 1};
        while (span.end < doc.lines.size() && !section_name_at(doc, span.end)) ++span.end;
        return span;
    }
    return std::nullopt;
}

// Where a key stands in a section: its line, or else the line after the
// section's last key, where a new key goes (so comments and blank lines that
// close the section stay where they are). One pass over the section for both.
struct KeyPlace {
    std::optional<size_t> line;
    size_t insert_at = 0;
};

KeyPlace find_key(const IniDocument& doc, const SectionSpan& span, std::string_view key) {
    KeyPlace place{std::nullopt, span.begin + 1};
    for (size_t i = span.begin + 1; i < span.end; ++i) {
        const LineInfo info = classify_at(doc, i);
        if (info.kind != LineKind::key) continue;
        if (equal_no_case(info.name, key)) {
            place.line = i;
            return place;
        }
        place.insert_at = i + 1;
    }
    return place;
}

// Text handed to a write ends at its first line break: a value must never be
// able to start a line of its own (a new section or key) in the file.
std::string_view single_line(std::string_view s) { return s.substr(0, s.find_first_of("\r\n")); }

// Where the line starting at `start` ends: at its first CR or LF, or at the
// end of the text. The library searches, not a loop over every byte: whole
// parameter files go through here.
size_t line_end(std::string_view text, size_t start) {
    const char* begin = text.data() + start;
    const size_t rest = text.size() - start;
    const void* lf = std::memchr(begin, '\n', rest);
    const size_t lf_at = lf ? size_t(static_cast<const char*>(lf) - begin) : rest;
    const void* cr = std::memchr(begin, '\r', lf_at);
    return start + (cr ? size_t(static_cast<const char*>(cr) - begin) : lf_at);
}

// Calls visit(line, index) for the lines of the text (ends CRLF, CR or LF;
// a last line without an end counts, nothing after a last end does) until
// visit returns false.
template <typename Visit>
void for_each_line(std::string_view text, Visit visit) {
    size_t start = 0;
    for (size_t index = 0; start < text.size(); ++index) {
        const size_t end = line_end(text, start);
        if (!visit(text.substr(start, end - start), index) || end == text.size()) return;
        start = end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
    }
}

// A key line "key=value", built in one allocation.
std::string key_line(std::string_view key, std::string_view value) {
    std::string line;
    line.reserve(key.size() + 1 + value.size());
    line += key;
    line += '=';
    line += value;
    return line;
}

// A new section at the end of the document, with its first line.
void append_section(IniDocument& doc, std::string_view section, std::string line) {
    std::string header = "[";
    header += section;
    header += ']';
    doc.lines.push_back(std::move(header));
    doc.lines.push_back(std::move(line));
}

// A value loses one pair of matching outer quotes on reading.
std::string_view unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return value;
}

}  // namespace

IniDocument ini_parse(std::string_view text) {
    // Lines counted first, so the list is allocated once and no line is moved.
    size_t count = 0;
    for_each_line(text, [&count](std::string_view, size_t) {
        ++count;
        return true;
    });
    IniDocument doc;
    doc.lines.reserve(count);
    for_each_line(text, [&doc](std::string_view line, size_t) {
        doc.lines.emplace_back(line);
        return true;
    });
    return doc;
}

std::string ini_serialize(const IniDocument& doc) {
    size_t size = 0;
    for (const std::string& line : doc.lines) size += line.size() + 2;
    std::string out;
    out.reserve(size);
    for (const std::string& line : doc.lines) {
        out += line;
        out += "\r\n";
    }
    return out;
}

std::optional<std::string> ini_get(const IniDocument& doc, std::string_view section, std::string_view key) {
    std::optional<SectionSpan> span = find_section(doc, trim(section));
    if (!span) return std::nullopt;
    std::optional<size_t> line = find_key(doc, *span, trim(key)).line;
    if (!line) return std::nullopt;
    return std::string(unquote(classify_at(doc, *line).value));
}

bool ini_same_name(std::string_view a, std::string_view b) { return equal_no_case(a, b); }

std::string ini_key_for_lookup(std::string_view key) {
    std::string k(trim(key));
    for (char& c : k)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return k;
}

std::vector<IniEntry> ini_section_entries(std::string_view text, std::string_view section) {
    std::vector<IniEntry> entries;
    const std::string_view name = trim(section);
    bool inside = false;
    for_each_line(text, [&](std::string_view line, size_t index) {
        if (const std::optional<std::string_view> header = section_name_of(line, index == 0)) {
            if (inside) return false;  // only the first section of that name counts
            inside = equal_no_case(*header, name);
        } else if (inside) {  // lines before the section need no closer look
            const LineInfo info = classify(line, index == 0);
            if (info.kind == LineKind::key) entries.push_back(IniEntry{info.name, unquote(info.value)});
        }
        return true;
    });
    return entries;
}

uint32_t ini_get_int(const IniDocument& doc, std::string_view section, std::string_view key, int32_t def) {
    std::optional<std::string> value = ini_get(doc, section, key);
    if (!value || value->empty()) return static_cast<uint32_t>(def);
    // As the Windows integer read: leading control characters and blanks, an
    // optional sign, then digits accumulated modulo 2^32 up to the first one
    // that does not fit. A lower-case prefix "0x", "0o" or "0b" after the sign
    // selects base 16, 8 or 2; otherwise the base is 10.
    std::string_view s = *value;
    size_t i = 0;
    while (i < s.size() && static_cast<unsigned char>(s[i]) <= ' ') ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    uint32_t base = 10;
    if (i + 1 < s.size() && s[i] == '0') {
        switch (s[i + 1]) {
            case 'x':
                base = 16;
                break;
            case 'o':
                base = 8;
                break;
            case 'b':
                base = 2;
                break;
            default:
                break;
        }
        if (base != 10) i += 2;
    }
    uint32_t n = 0;
    for (; i < s.size(); ++i) {
        char c = s[i];
        uint32_t digit = c >= '0' && c <= '9'   ? static_cast<uint32_t>(c - '0')
                         : c >= 'a' && c <= 'z' ? static_cast<uint32_t>(c - 'a' + 10)
                         : c >= 'A' && c <= 'Z' ? static_cast<uint32_t>(c - 'A' + 10)
                                                : 99;
        if (digit >= base) break;
        n = n * base + digit;
    }
    return negative ? 0u - n : n;
}

void ini_write(IniDocument& doc, std::string_view section, const char* key, const char* value) {
    std::string_view sec = trim(single_line(section));
    std::optional<SectionSpan> span = find_section(doc, sec);

    if (key == nullptr) {
        if (span)
            doc.lines.erase(doc.lines.begin() + static_cast<std::ptrdiff_t>(span->begin),
                            doc.lines.begin() + static_cast<std::ptrdiff_t>(span->end));
        return;
    }
    std::string_view k = trim(single_line(key));
    const KeyPlace place = span ? find_key(doc, *span, k) : KeyPlace{};
    const std::optional<size_t> line = place.line;

    if (value == nullptr) {
        if (line) doc.lines.erase(doc.lines.begin() + static_cast<std::ptrdiff_t>(*line));
        return;
    }
    std::string_view v = single_line(value);

    if (line) {
        // Changed in place; the key keeps the spelling it has in the file.
        doc.lines[*line] = key_line(classify_at(doc, *line).name, v);
        return;
    }
    std::string new_line = key_line(k, v);
    if (!span) {
        append_section(doc, sec, std::move(new_line));
        return;
    }
    doc.lines.insert(doc.lines.begin() + static_cast<std::ptrdiff_t>(place.insert_at), std::move(new_line));
}

void ini_write_section(IniDocument& doc, std::string_view section,
                       const std::vector<std::pair<std::string, std::string>>& values) {
    // Keys and values are taken as the C strings ini_write gets.
    auto one_by_one = [&](size_t from) {
        for (size_t i = from; i < values.size(); ++i)
            ini_write(doc, section, values[i].first.c_str(), values[i].second.c_str());
    };
    // A key that would not read back as a plain key line ("a=b", ";a", "[a]")
    // changes how later writes see the section: such a batch goes one by one.
    for (const auto& [key, value] : values) {
        const std::string_view k = trim(single_line(key.c_str()));
        if (k.find('=') != std::string_view::npos || (!k.empty() && (k.front() == ';' || k.front() == '['))) {
            one_by_one(0);
            return;
        }
    }
    if (values.empty()) return;
    const std::string_view sec = trim(single_line(section));
    std::optional<SectionSpan> span = find_section(doc, sec);
    size_t from = 0;
    if (!span) {
        // A name with "]" in it is never found again: each write appends anew.
        if (sec.find(']') != std::string_view::npos) {
            one_by_one(0);
            return;
        }
        // The first write appends the section with its key, which is then the
        // section's only line (its key is a plain key line, checked above).
        append_section(
            doc, sec,
            key_line(trim(single_line(values[0].first.c_str())), single_line(values[0].second.c_str())));
        span = SectionSpan{doc.lines.size() - 2, doc.lines.size()};
        from = 1;
    }
    // The section's keys, sorted for lookup (the first of equal ones kept),
    // and the line after its last key, where ini_write appends.
    std::vector<std::pair<std::string, size_t>> existing;  // key as compared, line
    size_t insert_at = span->begin + 1;
    for (size_t i = span->begin + 1; i < span->end; ++i) {
        const LineInfo info = classify_at(doc, i);
        if (info.kind != LineKind::key) continue;
        existing.emplace_back(ini_key_for_lookup(info.name), i);
        insert_at = i + 1;
    }
    auto by_key = [](const auto& a, const auto& b) { return a.first < b.first; };
    std::stable_sort(existing.begin(), existing.end(), by_key);
    existing.erase(std::unique(existing.begin(), existing.end(),
                               [](const auto& a, const auto& b) { return a.first == b.first; }),
                   existing.end());

    // Values for the same key: the last one counts, written where the first
    // would have gone. Keys not in the section are appended in the order of
    // their first write, spelled as then.
    std::vector<std::pair<std::string, size_t>> order;  // key as compared, index in values
    for (size_t i = from; i < values.size(); ++i)
        order.emplace_back(ini_key_for_lookup(trim(single_line(values[i].first.c_str()))), i);
    std::stable_sort(order.begin(), order.end(), by_key);
    std::vector<std::optional<std::string>> appended(values.size());
    for (size_t g = 0; g < order.size();) {
        size_t h = g + 1;
        while (h < order.size() && order[h].first == order[g].first) ++h;
        const size_t first = order[g].second;
        const std::string_view value = single_line(values[order[h - 1].second].second.c_str());
        const auto it = std::lower_bound(existing.begin(), existing.end(), order[g], by_key);
        if (it != existing.end() && it->first == order[g].first) {
            // Changed in place; the key keeps the spelling it has in the file.
            doc.lines[it->second] = key_line(classify_at(doc, it->second).name, value);
        } else {
            appended[first] = key_line(trim(single_line(values[first].first.c_str())), value);
        }
        g = h;
    }
    std::vector<std::string> lines;
    for (std::optional<std::string>& line : appended)
        if (line) lines.push_back(std::move(*line));
    doc.lines.insert(doc.lines.begin() + static_cast<std::ptrdiff_t>(insert_at),
                     std::make_move_iterator(lines.begin()), std::make_move_iterator(lines.end()));
}
