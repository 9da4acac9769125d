#include "measure/bus_protocol.h"

#include <algorithm>

#include "base/text.h"
#include "measure/bus_text.h"

namespace {

const char* const COLUMNS[] = {
    "Zeit",   "Port",      "Adresse",  "Firmware",    "Dimmer 1",          "Dimmer 2",
    "Status", "Schreiben", "Auslesen", "Vergleichen", "Abweichende Felder"};

std::string joined(const std::vector<std::string>& parts, const std::string& between) {
    std::string out;
    for (const std::string& p : parts) out += (out.empty() ? "" : between) + p;
    return out;
}

// The cells of one entry, in the order of COLUMNS; the differing fields stay
// a list, joined as the format needs.
std::vector<std::string> cells(const BusProtocol& protocol, const BusEntry& e) {
    return {bus_entry_time(e),
            protocol.port,
            std::to_string(e.dimmer.address),
            bus_controller_version_text(e.dimmer),
            bus_dimmer_version_text(e.dimmer, 0),
            bus_dimmer_version_text(e.dimmer, 1),
            bus_status_text(e.dimmer),
            e.write.text,
            e.read.text,
            e.compare.text};
}

}  // namespace

std::string bus_entry_time(const BusEntry& entry) {
    // "YYYY-MM-DD hh:mm:ss" sorts as text.
    return std::max({entry.scan_time, entry.write.time, entry.read.time, entry.compare.time});
}

std::string bus_protocol_csv(const BusProtocol& protocol) {
    std::string out = "\xEF\xBB\xBF";
    std::vector<std::string> header(std::begin(COLUMNS), std::end(COLUMNS));
    out += joined(header, ";") + "\r\n";
    for (const BusEntry& e : protocol.entries) {
        std::vector<std::string> row;
        for (const std::string& c : cells(protocol, e)) row.push_back(csv_cell(c));
        row.push_back(csv_cell(joined(e.differences, " | ")));
        out += joined(row, ";") + "\r\n";
    }
    return out;
}

std::string html_escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string bus_protocol_html(const BusProtocol& protocol) {
    const std::string title = "Inbetriebnahmeprotokoll KV-310-R";
    std::string out =
        "<!DOCTYPE html>\r\n<html lang=\"de\">\r\n<head>\r\n<meta charset=\"utf-8\">\r\n<title>" + title +
        "</title>\r\n<style>\r\n"
        "body { font-family: Arial, sans-serif; font-size: 10pt; margin: 1.5cm; }\r\n"
        "table { border-collapse: collapse; width: 100%; }\r\n"
        "th, td { border: 1px solid #777; padding: 2px 4px; text-align: left; vertical-align: top; }\r\n"
        "th { background: #e8e8e8; }\r\n"
        ".signature { margin-top: 3em; }\r\n"
        "@media print { body { margin: 0; } }\r\n"
        "</style>\r\n</head>\r\n<body>\r\n<h1>" +
        title + "</h1>\r\n<p>Port: " + html_escape(protocol.port) +
        "<br>\r\nParameterdatei: " + html_escape(protocol.parameter_file) +
        "<br>\r\nGespeichert: " + html_escape(protocol.created) + "</p>\r\n<table>\r\n<tr>";
    for (const char* column : COLUMNS) out += "<th>" + std::string(column) + "</th>";
    out += "</tr>\r\n";
    for (const BusEntry& e : protocol.entries) {
        out += "<tr>";
        for (const std::string& c : cells(protocol, e)) out += "<td>" + html_escape(c) + "</td>";
        std::vector<std::string> differences;
        for (const std::string& d : e.differences) differences.push_back(html_escape(d));
        out += "<td>" + joined(differences, "<br>") + "</td></tr>\r\n";
    }
    out +=
        "</table>\r\n<p class=\"signature\">Datum: ____________________ &nbsp; &nbsp; "
        "Unterschrift: ________________________________</p>\r\n</body>\r\n</html>\r\n";
    return out;
}
