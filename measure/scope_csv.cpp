#include "measure/scope_csv.h"

#include "base/file_io.h"
#include "base/text.h"
#include "measure/plot_math.h"
#include "measure/scope_text.h"
#include "params/file_messages.h"

std::string capture_csv(const ScopeCapture& c, const ScopeSettings& s) {
    std::string out = "# KV-310-R Oszilloskop: " + capture_description(s) + ", I-Messbereich [A] " +
                      current_range_label(s.current_range) + "\n";
    out += "# t=0 @ [ms]: " + capture_time_text(capture_zero_time_us(c)) + "\n";
    out += "# Schaltzeit [ms]: " + capture_time_text(capture_switching_time_us(c)) + "\n";
    out += "# " + peak_current_text(peak_current(c)) + "\n";
    out += "time_ms;voltage_V;current_A\n";
    const uint32_t section = scope_section(s);
    for (int i = 0; i < SCOPE_SAMPLES; ++i)
        out += format_text("%.3f;%.1f;%.3f\n", sample_time_ms(section, i), capture_voltage(c, i) / 10.0,
                           capture_current(c, i) / 1000.0);
    return out;
}

bool save_capture_csv(WindowRef owner, const std::string& path, const ScopeCapture& capture,
                      const ScopeSettings& displayed) {
    if (write_file_atomic(path, capture_csv(capture, displayed))) return true;
    report_file_not_saved(owner, path);
    return false;
}
