#include "cli/measure_commands.h"

#include "cli/cli_port.h"
#include "cli/usage.h"
#include "base/file_io.h"
#include "base/settings.h"
#include "base/text.h"
#include "base/ui.h"
#include "link/device_ops.h"
#include "link/link.h"
#include "port/port.h"
#include "measure/scope.h"
#include "link/scope_reply.h"
#include "measure/scope_csv.h"
#include "measure/status_csv.h"
#include "measure/status_poll.h"
#include "measure/status_text.h"
#include "params/file_messages.h"

#include <chrono>
#include <cstdio>
#include <string>

namespace {

// Without a sign of life from the dimmer for this long, a command gives up
// (--timeout in seconds changes it).
uint32_t g_silence_limit_ms = 10000;

bool option_error(const char* option, const char* allowed) {
    std::fprintf(stderr, "Ungültiger Wert für %s (erlaubt: %s)\n", option, allowed);
    return false;
}

// Waits until the millisecond tick moves on. The port wait returns early when
// input is waiting, but the callers take their input only on certain ticks
// (the oscilloscope looks for the start acknowledgement once per 100 ms), so
// between returns it sleeps briefly rather than spinning on waiting bytes.
void wait_next_tick(uint32_t tick) {
    for (;;) {
        link_idle_wait();
        if (tick_count_ms() != tick) return;
        cli_nap();
        if (tick_count_ms() != tick) return;
    }
}

bool set_silence_limit(const CliArgs& args) {
    unsigned long seconds = 0;
    if (auto v = cli_option(args, "--timeout")) {
        if (!cli_parse_number(*v, 3600, seconds) || seconds < 1)
            return option_error("--timeout", "1..3600 s");
        g_silence_limit_ms = uint32_t(seconds * 1000);
    }
    return true;
}

void report_silence() { link_report_error(nullptr, LINK_ERR_COMM); }

// ---- status

size_t display_width(const std::string& utf8) {
    size_t n = 0;
    for (unsigned char c : utf8) n += (c & 0xC0) != 0x80;
    return n;
}

std::string padded(const std::string& text, size_t width) {
    const size_t w = display_width(text);
    return w >= width ? text + " " : text + std::string(width - w, ' ');
}

std::string with_percent(const std::string& count, const std::string& percent) {
    return count.empty() ? count : count + " (" + percent + ")";
}

// The status page as text: its labels and fields, the per-dimmer fields in two
// columns, then the diagnostic block. Lines end in "\n".
std::string status_report(const StatusTexts& t) {
    std::string out;
    auto line = [&out](const char* label, const std::string& value) {
        out += std::string(label) + ": " + value + "\n";
    };
    line("Firmware-Version Kommunikationscontroller", t.controller_version);
    line("Firmware-Version Dimmer 1", t.dimmer_version[0]);
    line("Firmware-Version Dimmer 2", t.dimmer_version[1]);
    line("+UB Kommunikationsprozessor", t.supply_voltage);
    line("Temperatur Frontplatte", t.front_temperature);
    line("UE1", with_percent(t.control_input[0], t.control_input_percent[0]));
    line("UE2", with_percent(t.control_input[1], t.control_input_percent[1]));
    line("Potentiometer 1", with_percent(t.potentiometer[0], t.potentiometer_percent[0]));
    line("Potentiometer 2", with_percent(t.potentiometer[1], t.potentiometer_percent[1]));
    line("DIP-Schalter 1 Bit 0-3", t.dip[0]);
    line("DIP-Schalter 1 Bit 4-7", t.dip[1]);
    line("DIP-Schalter 2 Bit 0-3", t.dip[2]);
    line("DIP-Schalter 2 Bit 4-7", t.dip[3]);

    constexpr size_t label_width = 37, value_width = 14;
    out += '\n' + padded("", label_width) + padded("Dimmer 1", value_width) + "Dimmer 2\n";
    auto pair = [&](const char* label, std::string DimmerStatusTexts::*field, bool second = true) {
        std::string text =
            padded(std::string(label) + ":", label_width) + padded(t.dimmer[0].*field, value_width);
        if (second) text += t.dimmer[1].*field;
        while (!text.empty() && text.back() == ' ') text.pop_back();
        out += text + "\n";
    };
    pair("Temperatur", &DimmerStatusTexts::temperature);
    pair("Eingangsspannung", &DimmerStatusTexts::input_voltage, false);  // measured once for the device
    pair("Max. Ausgangsstrom (Spitzenwert)", &DimmerStatusTexts::peak_current);
    pair("Eff. Ausgansleistung", &DimmerStatusTexts::effective_power);
    pair("Spitzen-Ausgangsleistung", &DimmerStatusTexts::peak_power);
    pair("Verlustleistung", &DimmerStatusTexts::power_loss);
    pair("Max. Verlustleistung (Spitzenwert)", &DimmerStatusTexts::peak_power_loss);
    pair("Netzfrequenz", &DimmerStatusTexts::mains_frequency);
    pair("Taktfrequenz des Prozessors", &DimmerStatusTexts::processor_clock);
    pair("Aktuelle Einschaltdauer", &DimmerStatusTexts::on_time);
    pair("Aktuelle Betriebsart", &DimmerStatusTexts::phase_mode);

    out += "\n";
    for (char c : t.diagnostics)
        if (c != '\r') out += c;
    return out;
}

int count_lines(const std::string& text) {
    int n = 0;
    for (char c : text) n += c == '\n';
    return n;
}

// The local time now, as the CSV's time column spells it.
std::string local_time_text() {
    const auto now = std::chrono::system_clock::now();
    return csv_time_text(
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count());
}

// The CSV file of a watch: the header first, then a line per status received,
// each flushed at once, so whenever the watch ends (Ctrl+C, a silent dimmer,
// a crash) the file holds every status up to the last one.
struct CsvLog {
    std::string path;
    std::FILE* file = nullptr;
    uint32_t started = 0;  // tick count when the watch began
};

bool csv_write(CsvLog& log, const std::string& text) {
    if (std::fputs(text.c_str(), log.file) >= 0 && std::fflush(log.file) == 0) return true;
    report_file_not_saved(nullptr, log.path);
    return false;
}

bool csv_open(CsvLog& log) {
    log.file = create_file_for_writing(log.path);
    if (!log.file) {
        report_file_not_saved(nullptr, log.path);
        return false;
    }
    log.started = tick_count_ms();
    return csv_write(log, status_csv_header());
}

// Closes the file; false (reported) when its last bytes could not be written.
bool csv_close(CsvLog& log) {
    if (!log.file) return true;
    const bool ok = std::fclose(log.file) == 0;
    log.file = nullptr;
    if (!ok) report_file_not_saved(nullptr, log.path);
    return ok;
}

bool csv_add(CsvLog& log, const StatusRecord& status) {
    if (!log.file) return true;
    return csv_write(log, status_csv_line(local_time_text(), tick_count_ms() - log.started, status));
}

// Polls as the status page does while it is shown: a request with the test
// drive every 100 ms, each reply shown as it completes. On a terminal each
// report replaces the last; otherwise they follow each other, one blank line
// apart, unless the statuses go to a CSV file (then only a terminal shows
// them). Ctrl+C ends it.
int watch_status(CsvLog& csv) {
    const LinkStatus opened = link_open();
    if (link_is_error(opened)) {
        link_report_error(nullptr, opened);
        return cli_finish(false);
    }
    if (!csv.path.empty() && !csv_open(csv)) return cli_finish(false);
    const bool terminal = cli_is_terminal(stdout);
    const bool report = terminal || csv.path.empty();
    StatusPoll poll = {};
    TestDrive drive = {};
    status_page_activate(poll, drive);
    uint32_t now = tick_count_ms();
    poll.last_request_tick = now - STATUS_POLL_PERIOD_MS;  // the first request goes out at once
    uint32_t last_reply = now;
    int shown_lines = 0;
    while (!cli_interrupted()) {
        now = tick_count_ms();
        if (status_poll_step(poll, drive, false, now).shown) {
            last_reply = now;
            if (!csv_add(csv, poll.slots.shown.status)) {
                status_page_deactivate(poll);
                csv_close(csv);
                return 1;
            }
            if (report) {
                const std::string text = status_report(status_texts(poll.slots.shown));
                if (terminal && shown_lines > 0)
                    std::printf("\x1b[%dA\x1b[J", shown_lines);
                else if (shown_lines > 0)
                    std::fputs("\n", stdout);
                std::fputs(text.c_str(), stdout);
                std::fflush(stdout);
                shown_lines = count_lines(text);
            }
        } else if (now - last_reply > g_silence_limit_ms) {
            status_page_deactivate(poll);
            csv_close(csv);
            report_silence();
            return 1;
        }
        wait_next_tick(now);
    }
    status_page_deactivate(poll);
    return csv_close(csv) ? 0 : 1;  // Ctrl+C is how watching ends
}

// ---- scope

const char* const KIND_WORDS[] = {"einzel", "fehler", "start", "last", "dauer"};
const char* const SECTION_WORDS[] = {"periode", "null", "schalt"};
template <size_t N>
bool word_index(const std::string& word, const char* const (&words)[N], uint32_t& index) {
    for (size_t i = 0; i < N; ++i)
        if (word == words[i]) {
            index = uint32_t(i);
            return true;
        }
    return false;
}

// The settings of the capture: those of the settings file beside the tool,
// changed by the options. False with a message for a bad option.
bool scope_settings_from(const CliArgs& args, ScopeSession& session) {
    settings_set_directory(cli_tool_directory());
    scope_load_settings(session);
    ScopeSettings& s = session.edited;
    unsigned long n = 0;
    if (auto v = cli_option(args, "--dimmer")) {
        if (!cli_parse_number(*v, 2, n) || n < 1) return option_error("--dimmer", "1 oder 2");
        s.dimmer = uint32_t(n - 1);
    }
    if (auto v = cli_option(args, "--kind"); v && !word_index(*v, KIND_WORDS, s.kind))
        return option_error("--kind", "einzel, fehler, start, last oder dauer");
    if (auto v = cli_option(args, "--section"); v && !word_index(*v, SECTION_WORDS, s.section))
        return option_error("--section", "periode, null oder schalt");
    if (auto v = cli_option(args, "--range")) {
        if (!cli_parse_number(*v, 6, n) || n < 1) return option_error("--range", "1..6");
        s.current_range = uint32_t(n);
    }
    if (auto v = cli_option(args, "--half-period")) {
        if (!cli_parse_number(*v, SCOPE_MAX_HALF_PERIOD, n)) return option_error("--half-period", "0..500");
        s.half_period = uint32_t(n);
    }
    validate_scope_settings(s);
    return true;
}

void show_scope_progress(uint32_t value) {
    std::fprintf(stderr, "\rOszilloskop: %3u %%", value);
    std::fflush(stderr);
}

// Any counting oscilloscope reply the last poll got: the dimmer is alive.
bool scope_reply_seen(const ScopeReply& r) {
    return r.start_ack != 0 || r.data_length != 0 || r.state_count != 0;
}

// Runs the acquisition state machine as the page's timer would while the page
// is shown, about once a millisecond, waiting on the port in between. 0 when
// the capture is complete: the session's shown capture holds it.
int run_acquisition(ScopeSession& session) {
    StatusSlots slots = {};
    TestDrive drive = {};
    session.page_active = true;
    session.hooks = {show_scope_progress, nullptr, nullptr};
    uint32_t now = tick_count_ms();
    uint32_t last_sign_of_life = now;
    scope_start_measurement_at(session, now);
    for (;;) {
        const ScopeState before = session.state;
        now = tick_count_ms();
        scope_step(session, slots, drive, nullptr, now);
        if (session.state == ScopeState::complete) {
            show_scope_progress(100);
            std::fputc('\n', stderr);
            return 0;
        }
        if (session.state == ScopeState::idle) {
            std::fputc('\n', stderr);
            // A failing start command, or a port that failed under the
            // capture (the adapter pulled), has shown its message already.
            if (before == ScopeState::fetching && !link_port_failed())
                message_box(nullptr, KV_MB_ERROR, "Keine Messdaten: der Dimmer hat die Messung beendet");
            return 1;
        }
        if (scope_reply_seen(session.reply)) last_sign_of_life = now;
        if (now - last_sign_of_life > g_silence_limit_ms) {
            std::fputc('\n', stderr);
            report_silence();
            return 1;
        }
        if (cli_interrupted()) {
            std::fputs("\nAbbruch\n", stderr);
            (void)scope_stop();  // as "Reset": the dimmer drops the capture
            return 1;
        }
        wait_next_tick(now);
    }
}

}  // namespace

int cli_status(const CliArgs& args) {
    const auto csv_path = cli_option(args, "--csv");
    if (!args.operands.empty() || (csv_path && csv_path->empty())) return cli_usage_error("status");
    if (!set_silence_limit(args)) return 2;
    if (!cli_set_up_port(args)) return 2;
    CsvLog csv;
    if (csv_path) csv.path = *csv_path;
    if (cli_option(args, "--watch")) return watch_status(csv);
    StatusSlots slots = {};
    if (!status_fetch(nullptr, slots)) return cli_finish(false);
    slots.shown = slots.fetched;
    std::fputs(status_report(status_texts(slots.shown)).c_str(), stdout);
    if (csv_path) {
        const bool written = csv_open(csv) && csv_add(csv, slots.shown.status);
        if (!csv_close(csv) || !written) return cli_finish(false);
    }
    return cli_finish(true);
}

int cli_scope(const CliArgs& args) {
    const auto output = cli_option(args, "-o");
    if (!args.operands.empty() || !output || output->empty()) return cli_usage_error("scope");
    if (!set_silence_limit(args)) return 2;
    ScopeSession session = {};
    if (!scope_settings_from(args, session)) return 2;
    if (!cli_set_up_port(args)) return 2;
    const int result = run_acquisition(session);
    link_close();
    if (result != 0) return 1;
    return save_capture_csv(nullptr, *output, session.shown_capture, session.displayed) ? 0 : 1;
}
