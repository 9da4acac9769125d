// INI engine with the Windows private-profile rules. The document stays a list
// of lines and every operation classifies lines on the fly, so anything this
// engine does not understand (comments, blank lines, junk, text before the
// first section) is kept byte for byte when the file is written back.
#include "base/ini.h"

#include <algorithm>

namespace {

enum class LineKind {
    Blank,
    Comment,
    Section,
    Key,
    Other
};

struct LineInfo {
    LineKind kind = LineKind::Other;
    std::string_view name;   // section name or key name, trimmed
    std::string_view value;  // key value, trimmed
};

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

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

constexpr std::string_view utf8_bom = "\xEF\xBB\xBF";

// What a line means to the profile functions. A section header runs from "["
// to the first "]"; a key line is anything else with an "=" (the key is the
// text before the first "=", the value all after it, so a ";" in a value is
// literal). Lines without "=" are not keys: Windows never finds them.
LineInfo classify(std::string_view line, bool first_line) {
    if (first_line && line.substr(0, utf8_bom.size()) == utf8_bom) line.remove_prefix(utf8_bom.size());
    LineInfo info;
    std::string_view t = trim(line);
    if (t.empty()) {
        info.kind = LineKind::Blank;
        return info;
    }
    if (t.front() == ';') {
        info.kind = LineKind::Comment;
        return info;
    }
    if (t.front() == '[') {
        size_t close = t.find(']');
        if (close != std::string_view::npos) {
            info.kind = LineKind::Section;
            info.name = trim(t.substr(1, close - 1));
            return info;
        }
    }
    size_t eq = t.find('=');
    if (eq == std::string_view::npos) {
        info.kind = LineKind::Other;
        return info;
    }
    info.kind = LineKind::Key;
    info.name = trim(t.substr(0, eq));
    info.value = trim(t.substr(eq + 1));
    return info;
}

LineInfo classify_at(const IniDocument& doc, size_t i) { return classify(doc.lines[i], i == 0); }

// Lines [begin, end) of the first section called `name`: begin is the header
// line, end the next header or the end of the document.
struct SectionSpan {
    size_t begin = 0;
    size_t end = 0;
};

std::optional<SectionSpan> find_section(const IniDocument& doc, std::string_view name) {
    for (size_t i = 0; i < doc.lines.size(); ++i) {
        LineInfo info = classify_at(doc, i);
        if (info.kind != LineKind::Section || !equal_no_case(info.name, name)) continue;
        SectionSpan span{i, i + 1};
        while (span.end < doc.lines.size() && classify_at(doc, span.end).kind != LineKind::Section)
            ++span.end;
        return span;
    }
    return std::nullopt;
}

std::optional<size_t> find_key(const IniDocument& doc, const SectionSpan& span, std::string_view key) {
    for (size_t i = span.begin + 1; i < span.end; ++i) {
        LineInfo info = classify_at(doc, i);
        if (info.kind == LineKind::Key && equal_no_case(info.name, key)) return i;
    }
    return std::nullopt;
}

// Text handed to a write ends at its first line break: a value must never be
// able to start a line of its own (a new section or key) in the file.
std::string_view single_line(std::string_view s) { return s.substr(0, s.find_first_of("\r\n")); }

}  // namespace

IniDocument ini_parse(std::string_view text) {
    IniDocument doc;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            doc.lines.emplace_back(text.substr(start));
            break;
        }
        doc.lines.emplace_back(text.substr(start, end - start));
        start = end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
    }
    return doc;
}

std::string ini_serialize(const IniDocument& doc) {
    std::string out;
    for (const std::string& line : doc.lines) {
        out += line;
        out += "\r\n";
    }
    return out;
}

namespace {

// A value loses one pair of matching outer quotes on reading.
std::string unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

}  // namespace

std::optional<std::string> ini_get(const IniDocument& doc, std::string_view section, std::string_view key) {
    std::optional<SectionSpan> span = find_section(doc, trim(section));
    if (!span) return std::nullopt;
    std::optional<size_t> line = find_key(doc, *span, trim(key));
    if (!line) return std::nullopt;
    return unquote(classify_at(doc, *line).value);
}

std::string ini_key_for_lookup(std::string_view key) {
    std::string k(trim(key));
    for (char& c : k)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return k;
}

std::unordered_map<std::string, std::string> ini_get_section(const IniDocument& doc,
                                                             std::string_view section) {
    std::unordered_map<std::string, std::string> values;
    std::optional<SectionSpan> span = find_section(doc, trim(section));
    if (!span) return values;
    for (size_t i = span->begin + 1; i < span->end; ++i) {
        LineInfo info = classify_at(doc, i);
        if (info.kind == LineKind::Key)
            values.emplace(ini_key_for_lookup(info.name), unquote(info.value));  // the first one wins
    }
    return values;
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
    std::optional<size_t> line = span ? find_key(doc, *span, k) : std::nullopt;

    if (value == nullptr) {
        if (line) doc.lines.erase(doc.lines.begin() + static_cast<std::ptrdiff_t>(*line));
        return;
    }
    std::string_view v = single_line(value);

    if (line) {
        // Changed in place; the key keeps the spelling it has in the file.
        std::string existing_key(classify_at(doc, *line).name);
        doc.lines[*line] = existing_key + "=" + std::string(v);
        return;
    }
    std::string new_line = std::string(k) + "=" + std::string(v);
    if (!span) {
        std::string header = "[";
        header += sec;
        header += ']';
        doc.lines.push_back(std::move(header));
        doc.lines.push_back(std::move(new_line));
        return;
    }
    // After the last key of the section, so comments and blank lines that
    // close the section stay where they are.
    size_t insert_at = span->begin + 1;
    for (size_t i = span->begin + 1; i < span->end; ++i)
        if (classify_at(doc, i).kind == LineKind::Key) insert_at = i + 1;
    doc.lines.insert(doc.lines.begin() + static_cast<std::ptrdiff_t>(insert_at), std::move(new_line));
}
