// The commissioning protocol of a bus: what the dialog "Bus durchsuchen" found
// and did, one line per address, as a CSV file for a spreadsheet and as an
// HTML page to print, with a line for the date and the customer's signature.
#pragma once

#include <string>
#include <vector>

#include "link/bus_run.h"

struct BusProtocol {
    std::string port;            // the port the bus was reached by
    std::string parameter_file;  // the open parameter set, as the HTML page names it
    std::string created;         // when the protocol was saved
    std::vector<BusEntry> entries;
};

// The latest time of the entry: its scan or its latest result.
std::string bus_entry_time(const BusEntry& entry);

// A header line, then one line per entry: time, port, address, the three
// firmware versions, the status, the write, read and comparison results and
// the differing fields (" | " between them). Cells separated by ";", quoted
// when they hold one; lines end in "\r\n"; UTF-8 with a byte order mark, so a
// spreadsheet shows the umlauts.
std::string bus_protocol_csv(const BusProtocol& protocol);

// The same table as a printable page (UTF-8), every text escaped, with the
// port, the parameter file and the date of saving above it and the lines for
// date and signature below it.
std::string bus_protocol_html(const BusProtocol& protocol);

// Text made safe inside HTML elements and attributes.
std::string html_escape(const std::string& text);
