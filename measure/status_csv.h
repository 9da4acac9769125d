// The dimmer's status as CSV for long-term observation (kv310r-cli status
// --watch --csv): a header line, then one line per status received, with the
// fields of the "Dimmerstatus" page as plain numbers in SI units (V, A, W,
// °C, Hz) rather than display texts, so a spreadsheet can plot them. Fields
// are separated by ";", decimals use a point, lines end in "\n"; a dimmer
// without measurement leaves its measurement cells empty.
#pragma once

#include <cstdint>
#include <string>

#include "link/status_record.h"

std::string status_csv_header();
// time: the receiving time as text; elapsed_ms: since the watch began.
std::string status_csv_line(const std::string& time, uint32_t elapsed_ms, const StatusRecord& status);

// A CSV cell of a text: quoted when it holds the separator or a quote.
std::string csv_cell(const std::string& text);
// Milliseconds as seconds with three decimals, "12.345".
std::string csv_seconds(uint32_t ms);
// A moment (milliseconds since 1970, UTC) as local time with milliseconds,
// "2024-05-01 12:34:56.789": a spreadsheet reads it as a date and time.
std::string csv_time_text(int64_t epoch_ms);
