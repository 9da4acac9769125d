#include "link/bus_run.h"

#include <algorithm>

#include "base/text.h"
#include "link/address_list.h"
#include "link/busy.h"
#include "link/device_ops.h"
#include "link/link.h"
#include "params/file_messages.h"
#include "params/param_file.h"
#include "params/set_diff.h"

namespace {

constexpr const char* TEXT_WRITTEN = "PC-Parameter wurden im Dimmer abgespeichert";
constexpr const char* TEXT_DEFAULT_SET = "Parametersatz in Standardvoreinstellung";
constexpr const char* TEXT_CANCELLED = "Abbruch";

bool is_port_error(LinkStatus status) { return status == LINK_ERR_NO_PORT || status == LINK_ERR_PORT; }

// The dimmer's set as "Dimmerparameter auslesen" leaves it in the program:
// a dimmer without a valid set stands for the default set.
LinkStatus read_dimmer_set(ParameterRecord& record, bool& markers_valid) {
    apply_defaults(record);
    const LinkStatus status = receive_parameter_set(record, markers_valid);
    if (status == LINK_OK) finish_parameter_read(record);
    return status;
}

struct Outcome {
    LinkStatus status = LINK_OK;
    bool ok = false;   // with LINK_OK: false when the file could not be saved
    std::string text;  // with LINK_OK: the result or the file's message
    bool matches = false;
};

Outcome do_write(const BusRunInput& input) {
    const LinkStatus status = send_parameter_set(*input.record);
    return {status, status == LINK_OK, TEXT_WRITTEN};
}

Outcome do_read(const BusRunInput& input, uint32_t address) {
    ParameterRecord record;
    bool markers_valid = false;
    const LinkStatus status = read_dimmer_set(record, markers_valid);
    if (status != LINK_OK) return {status, false, {}};
    const std::string path = file_for_address(input.file_pattern, address);
    if (!write_parameter_file(record, path)) return {LINK_OK, false, file_not_saved_message(path)};
    const std::string saved = "gespeichert als " + file_name_part(path);
    return {LINK_OK, true, markers_valid ? saved : std::string(TEXT_DEFAULT_SET) + ", " + saved};
}

Outcome do_compare(const BusRunInput& input, BusEntry& entry) {
    ParameterRecord record;
    bool markers_valid = false;
    const LinkStatus status = read_dimmer_set(record, markers_valid);
    if (status != LINK_OK) return {status, false, {}};
    entry.differences = parameter_set_differences(*input.record, record);
    const std::string text = differences_text(entry.differences.size());
    if (!markers_valid) return {LINK_OK, true, std::string(TEXT_DEFAULT_SET) + ", " + text, false};
    return {LINK_OK, true, text, entry.differences.empty()};
}

}  // namespace

BusActionResult& bus_result(BusEntry& entry, BusAction action) {
    switch (action) {
        case BusAction::write:
            return entry.write;
        case BusAction::read:
            return entry.read;
        case BusAction::compare:
            break;
    }
    return entry.compare;
}

const BusActionResult& bus_result(const BusEntry& entry, BusAction action) {
    return bus_result(const_cast<BusEntry&>(entry), action);
}

size_t bus_entry_found(std::vector<BusEntry>& entries, const BusDimmer& dimmer, const std::string& time) {
    auto at =
        std::lower_bound(entries.begin(), entries.end(), dimmer.address,
                         [](const BusEntry& e, uint32_t address) { return e.dimmer.address < address; });
    if (at == entries.end() || at->dimmer.address != dimmer.address) at = entries.insert(at, BusEntry{});
    at->dimmer = dimmer;
    at->scan_time = time;
    return size_t(at - entries.begin());
}

void bus_drop_missing(std::vector<BusEntry>& entries, const std::vector<uint32_t>& asked,
                      const std::vector<BusDimmer>& found) {
    std::erase_if(entries, [&](const BusEntry& e) {
        const uint32_t a = e.dimmer.address;
        const bool was_asked = std::find(asked.begin(), asked.end(), a) != asked.end();
        const bool was_found =
            std::any_of(found.begin(), found.end(), [a](const BusDimmer& d) { return d.address == a; });
        return was_asked && !was_found;
    });
}

bool bus_all_match(const std::vector<BusEntry>& entries) {
    return std::all_of(entries.begin(), entries.end(), [](const BusEntry& e) { return e.compare.matches; });
}

std::string differences_text(size_t count) {
    if (count == 0) return "gleich";
    return std::to_string(count) + (count == 1 ? " Feld verschieden" : " Felder verschieden");
}

BusRunOutcome bus_run(BusAction action, std::vector<BusEntry>& entries, const std::vector<size_t>& chosen,
                      const BusRunInput& input, const BusRunHooks& hooks) {
    BusRunOutcome run;
    const uint32_t live_address = g_port_settings.address;
    busy_defer_cancel();  // "Abbruch" lets the dimmer in progress finish
    for (size_t index : chosen) {
        if (busy_stop_asked()) {
            run.stopped = true;
            break;
        }
        BusEntry& entry = entries[index];
        if (hooks.starting) hooks.starting(run.done, chosen.size(), entry.dimmer.address);
        g_port_settings.address = entry.dimmer.address;
        if (action == BusAction::compare) entry.differences.clear();
        const Outcome outcome = action == BusAction::write  ? do_write(input)
                                : action == BusAction::read ? do_read(input, entry.dimmer.address)
                                                            : do_compare(input, entry);
        BusActionResult& result = bus_result(entry, action);
        result.done = true;
        result.ok = outcome.ok;
        result.matches = outcome.status == LINK_OK && outcome.matches;
        result.text = outcome.status == LINK_OK        ? outcome.text
                      : link_is_cancel(outcome.status) ? TEXT_CANCELLED
                                                       : link_status_message(outcome.status);
        result.time = hooks.now ? hooks.now() : std::string();
        ++run.done;
        if (outcome.status != LINK_OK) link_close();  // the next dimmer starts on a fresh port
        if (hooks.finished) hooks.finished(index);
        if (link_is_cancel(outcome.status) || is_port_error(outcome.status)) {
            run.status = outcome.status;
            break;
        }
    }
    g_port_settings.address = live_address;
    link_close();
    return run;
}
