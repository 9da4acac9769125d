#include "cli/each_address.h"

#include "cli/cli_port.h"
#include "cli/cli_ui.h"
#include "link/link.h"

#include <cstdio>

namespace {

// A message as part of one line: its line breaks become ", ".
std::string on_one_line(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        if (text[i] == '\n' || text[i] == '\r')
            out += ", ";
        else
            out += text[i];
    }
    return out;
}

std::string joined(const std::vector<uint32_t>& addresses) {
    std::string out;
    for (uint32_t a : addresses) out += (out.empty() ? "" : ", ") + std::to_string(a);
    return out;
}

}  // namespace

int cli_each_address(const std::vector<uint32_t>& addresses, const std::function<bool(uint32_t)>& operation) {
    if (addresses.size() == 1) {
        g_port_settings.address = addresses.front();
        return cli_finish(operation(addresses.front()));
    }
    std::vector<uint32_t> failed;
    size_t succeeded = 0;
    for (uint32_t address : addresses) {
        g_port_settings.address = address;
        std::vector<std::string> messages;
        cli_gather_messages(&messages);
        const bool ok = operation(address);
        cli_gather_messages(nullptr);

        std::string line = "Adresse " + std::to_string(address) + ": ";
        line += cli_interrupted() ? "Abbruch" : ok ? "OK" : "Fehler";
        for (size_t i = 0; i < messages.size(); ++i)
            line += (i == 0 ? " - " : "; ") + on_one_line(messages[i]);
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);

        if (cli_interrupted()) break;
        if (ok)
            ++succeeded;
        else
            failed.push_back(address);
    }
    link_close();

    std::string summary = "Ergebnis: " + std::to_string(succeeded) + " von " +
                          std::to_string(addresses.size()) + " Adressen OK";
    if (!failed.empty()) summary += "; Fehler: " + joined(failed);
    if (cli_interrupted()) summary += "; Abbruch";
    std::printf("%s\n", summary.c_str());
    return succeeded == addresses.size() ? 0 : 1;
}
