#include "measure/scope_text.h"

#include "base/text.h"

const char* scope_kind_name(uint32_t kind) {
    static const char* const names[] = {"Einzelmessung", "Messung bei/nach Fehler", "Messung bei Start",
                                        "Last-Test", "Dauermessung"};
    return kind <= SCOPE_KIND_CONTINUOUS ? names[kind] : names[0];
}

const char* scope_section_name(uint32_t section) {
    static const char* const names[] = {"Volle Periode", "Nulldurchgang", "Schaltvorgang"};
    return section <= SCOPE_SECTION_SWITCHING ? names[section] : names[0];
}

std::string capture_description(const ScopeSettings& s) {
    std::string text = s.dimmer == 1 ? "Dimmer 2" : "Dimmer 1";
    text += std::string(", ") + scope_kind_name(s.kind);
    // The fault capture and the load test have a section of their own.
    if (s.kind == SCOPE_KIND_SINGLE || s.kind == SCOPE_KIND_START_UP || s.kind == SCOPE_KIND_CONTINUOUS)
        text += std::string(", ") + scope_section_name(s.section);
    return text;
}

std::string peak_current_text(int32_t milliamperes) {
    return format_text("Imax = %.1f A", double(milliamperes) * 0.001);
}

std::string capture_time_text(uint32_t microseconds) {
    return microseconds == 0 ? "0" : format_text("%.3f", double(microseconds) * 0.001);
}
