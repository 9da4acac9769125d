#include "measure/bus_text.h"

#include "base/bytes.h"
#include "base/text.h"
#include "measure/status_text.h"

namespace {

std::string warnings_text(const StatusRecord& status) {
    std::string text = board_warnings_list(status.board_warnings);
    for (int d = 0; d < 2; ++d) {
        const uint8_t warnings = status.control[d].warnings;
        if (warnings == 0) continue;
        if (!text.empty()) text += ", ";
        text += format_text("Dimmer %d Warnings %x", d + 1, unsigned(warnings));
    }
    return text.empty() ? "keine Warnung" : "Warnung: " + text;
}

std::string status_summary(const StatusRecord& status) {
    const StatusTexts texts = status_texts(StatusSlot{1, status});
    std::string text = "Temperatur " + trim_blanks(texts.front_temperature);
    for (int d = 0; d < 2; ++d)
        if (!texts.dimmer[d].temperature.empty())
            text += format_text(", Dimmer %d ", d + 1) + trim_blanks(texts.dimmer[d].temperature);
    return text + "; " + warnings_text(status);
}

}  // namespace

std::string bus_controller_version_text(const BusDimmer& dimmer) {
    if (dimmer.answer == BusAnswer::garbled) return {};
    return format_text("V%u.%u", unsigned(dimmer.version.controller_major),
                       unsigned(dimmer.version.controller_minor));
}

std::string bus_dimmer_version_text(const BusDimmer& dimmer, int index) {
    return dimmer_version_text(dimmer.version, index);
}

std::string bus_status_text(const BusDimmer& dimmer) {
    if (dimmer.answer == BusAnswer::garbled) return "Antwort gestört";
    std::string text = dimmer.has_status ? status_summary(dimmer.status) : "kein Status";
    if (dimmer.answer == BusAnswer::late) text += "; antwortet spät";
    return text;
}

std::string bus_dimmer_line(const BusDimmer& dimmer) {
    std::string line = "Adresse " + std::to_string(dimmer.address) + ": ";
    if (dimmer.answer == BusAnswer::garbled) return line + bus_status_text(dimmer);
    line += bus_controller_version_text(dimmer);
    for (int d = 0; d < 2; ++d)
        line += format_text(", Dimmer %d ", d + 1) + bus_dimmer_version_text(dimmer, d);
    return line + "; " + bus_status_text(dimmer);
}
