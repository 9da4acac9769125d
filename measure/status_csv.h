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
