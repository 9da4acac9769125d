#include "params/curve_text.h"

#include "base/file_io.h"
#include "base/text.h"
#include "params/file_messages.h"

#include <algorithm>
#include <cstring>

void curve_scan_byte(CurveScanner& s, uint8_t byte) {
    if (byte >= '0' && byte <= '9') {
        s.in_number = true;
        s.value = s.value * 10 + uint32_t(byte - '0');
        if (s.value > 255) s.value = 256;  // anything above 255 is stored as 255
        return;
    }
    if (!s.in_number) return;
    if (s.count < CURVE_POINTS) s.points[size_t(s.count++)] = uint8_t(s.value > 255 ? 255 : s.value);
    s.in_number = false;
    s.value = 0;
}

bool curve_scan_bytes(CurveScanner& s, std::string_view bytes) {
    for (char c : bytes) {
        if (s.count == CURVE_POINTS) return false;
        curve_scan_byte(s, uint8_t(c));
    }
    return s.count < CURVE_POINTS;
}

namespace {

// The end of the text (or of what could be read of it) ends a last number.
CurveImport finish_import(CurveScanner& s, bool read) {
    curve_scan_byte(s, ' ');
    CurveImport result;
    result.count = s.count;
    result.points = s.points;
    if (!read)
        result.outcome = CurveImportOutcome::not_readable;
    else
        result.outcome = s.count == CURVE_POINTS ? CurveImportOutcome::ok : CurveImportOutcome::too_few;
    return result;
}

}  // namespace

CurveImport import_curve_bytes(std::string_view bytes) {
    CurveScanner s;
    curve_scan_bytes(s, bytes);
    return finish_import(s, true);
}

CurveImport import_curve_file(const std::string& path) {
    CurveScanner s;
    const bool read = read_file_blocks(path, CURVE_READ_BLOCK,
                                       [&s](std::string_view block) { return curve_scan_bytes(s, block); });
    return finish_import(s, read);
}

bool apply_curve_import(ParameterRecord& record, int curve, const CurveImport& result) {
    if (result.outcome != CurveImportOutcome::ok || curve < 0 || curve > 1) return false;
    std::memcpy(record.user_curve[curve], result.points.data(), CURVE_POINTS);
    return true;
}

std::string curve_import_message(const CurveImport& result, const std::string& path) {
    const std::string name = cut_chars(path, MESSAGE_PATH_CHARS);
    switch (result.outcome) {
        case CurveImportOutcome::not_readable:
            return format_text("Fehler: Datei \"%s\" kann nicht importiert werden", name.c_str());
        case CurveImportOutcome::too_few:
            return format_text("Fehler: Datei \"%s\" ist fehlerhaft", name.c_str());
        case CurveImportOutcome::ok:
            break;
    }
    return std::string();
}

namespace {

// A number below 1000 in decimal; returns the end.
char* put_number(char* p, unsigned value) {
    if (value >= 100) *p++ = char('0' + value / 100);
    if (value >= 10) *p++ = char('0' + value / 10 % 10);
    *p++ = char('0' + value % 10);
    return p;
}

}  // namespace

std::string curve_data_text(const uint8_t* curve) {
    // At most "255(control 0)" and 255 times " 255(255)": one buffer, filled
    // in one pass (the page sets this text whenever a curve changes).
    char text[2400];
    char* p = put_number(text, curve[0]);
    constexpr std::string_view first_label = "(control 0)";
    p = std::copy(first_label.begin(), first_label.end(), p);
    for (unsigned x = 1; x < CURVE_POINTS; ++x) {
        *p++ = ' ';
        p = put_number(p, curve[x]);
        *p++ = '(';
        p = put_number(p, x);
        *p++ = ')';
    }
    return std::string(text, p);
}

std::string curve_export_text(const uint8_t* curve) {
    std::string text;
    for (int x = 0; x < CURVE_POINTS; ++x) text += format_text("%u\r\n", unsigned(curve[x]));
    return text;
}
