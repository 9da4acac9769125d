// The texts the oscilloscope page shows about the capture on screen: its
// description, the peak current and the two times. kv310r-cli writes the same
// into the head of its CSV file.
#pragma once

#include <cstdint>
#include <string>

#include "measure/scope.h"

// "Einzelmessung" .. "Dauermessung"; "Volle Periode" .. "Schaltvorgang".
const char* scope_kind_name(uint32_t kind);
const char* scope_section_name(uint32_t section);

// "Dimmer 1, Einzelmessung, Volle Periode": the section only for the kinds
// that let the user choose it (single, at start, continuous).
std::string capture_description(const ScopeSettings& displayed);

// "Imax = %.1f A" from the peak current in mA.
std::string peak_current_text(int32_t milliamperes);

// A capture time in µs as ms with three decimals, "0" when the dimmer marked none.
std::string capture_time_text(uint32_t microseconds);
