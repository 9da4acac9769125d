// User curves as text: importing 256 numbers from any text file, the "Daten"
// line shown beside each plot, and the export that imports back unchanged.
#pragma once

#include "params/record.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Every run of ASCII digits is one number; any other byte ends it. Numbers
// above 255 are stored as 255, numbers after the 256th are ignored.
struct CurveScanner {
    bool in_number = false;
    uint32_t value = 0;  // saturates at 256, so long digit runs cannot wrap
    int count = 0;       // numbers stored
    std::array<uint8_t, CURVE_POINTS> points{};
};

void curve_scan_byte(CurveScanner& s, uint8_t byte);
// Scans the bytes of one block of a file; a number may go on into the next
// block. False once 256 numbers are stored: nothing after them counts, so the
// rest of the file need not be read.
bool curve_scan_bytes(CurveScanner& s, std::string_view bytes);

// The import reads its file in blocks of this size.
constexpr size_t CURVE_READ_BLOCK = 1024;

enum class CurveImportOutcome {
    ok,            // 256 numbers read
    too_few,       // read, but fewer than 256 numbers
    not_readable,  // the file could not be opened or read
};

struct CurveImport {
    CurveImportOutcome outcome = CurveImportOutcome::not_readable;
    int count = 0;                               // numbers found (at most 256)
    std::array<uint8_t, CURVE_POINTS> points{};  // zeros after the numbers found
};

// The whole text of a file, followed by one blank that ends a last number.
CurveImport import_curve_bytes(std::string_view bytes);
// The same, read from the file block by block up to its 256th number, so a
// file of any size can be chosen.
CurveImport import_curve_file(const std::string& path);

// Copies the points into user curve 0 or 1 only when the import succeeded,
// so a bad file never leaves the curve half overwritten.
bool apply_curve_import(ParameterRecord& record, int curve, const CurveImport& result);

// The error message for a failed import ("Fehler: Datei ... kann nicht
// importiert werden", "... ist fehlerhaft"); empty for success.
// The user sees it through report_curve_import_error (file_messages.h).
std::string curve_import_message(const CurveImport& result, const std::string& path);

// "v0(control 0) v1(1) v2(2) ... v255(255)".
std::string curve_data_text(const uint8_t* curve);

// The 256 points, one decimal number a line (CRLF): a text file that the
// import reads back as the same curve.
std::string curve_export_text(const uint8_t* curve);
