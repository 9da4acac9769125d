#include "link/port_settings.h"

#include "base/settings.h"
#include "base/text.h"
#include "link/busy.h"
#include "link/commands.h"

namespace {

constexpr const char* SECTION = "PROP";

}  // namespace

void port_settings_load() {
    std::string name;
    settings_read_text(SECTION, "PORT", name, sizeof g_port_settings.name);
    set_port_name(g_port_settings, name);
    const uint32_t address = uint32_t(settings_read_int(SECTION, "RS485ADR", 0));
    g_port_settings.address = address > 255 ? 0 : address;
}

void port_settings_store() {
    settings_write_text(SECTION, "PORT", g_port_settings.name);
    settings_write_int(SECTION, "RS485ADR", int32_t(g_port_settings.address));
}

std::string port_settings_status_text(const PortSettings& settings) {
    return format_text("%s / %u", cut_chars(settings.name, 128).c_str(), unsigned(settings.address));
}

std::string port_address_field_text(uint32_t address) {
    return address == 0 ? std::string() : std::to_string(address);
}

void port_settings_take_name(PortSettings& settings, std::string_view typed) {
    set_port_name(settings, take_word(typed, false, sizeof settings.name));
}

void port_settings_take_address(PortSettings& settings, std::string_view typed) {
    const uint32_t value = parse_dlg_int(typed, nullptr);
    settings.address = value > 255 ? 255 : value;
}

std::string port_search_name(int index) {
    if (index < 128) return format_text("COM%d", index + 1);
    return format_text("\\\\.\\COM%d", index - 128 + 10);
}

PortSearchResult port_search(WindowRef owner, const PortSettings& dialog_copy) {
    g_port_settings.address = dialog_copy.address;
    busy_open(BusyKind::test);
    PortSearchResult result = PortSearchResult::not_found;
    VersionData version;
    for (int i = 0; i < PORT_SEARCH_NAMES && result == PortSearchResult::not_found; ++i) {
        const std::string name = port_search_name(i);
        set_port_name(g_port_settings, name);
        busy_set_text(name);
        if (busy_cancelled())
            result = PortSearchResult::cancelled;
        else if (connection_test(version) == LINK_OK)
            result = PortSearchResult::found;
    }
    busy_close();
    link_close();
    if (result != PortSearchResult::found) {
        g_port_settings = dialog_copy;
        if (result == PortSearchResult::not_found)
            message_box(owner, KV_MB_ERROR, "Kommunikationsport wurde nicht erkannt");
    }
    return result;
}

LinkStatus port_settings_accept(WindowRef owner, const PortSettings& dialog_copy) {
    g_port_settings = dialog_copy;
    busy_open(BusyKind::test);
    busy_set_text("Hardware-Test..");
    VersionData version;
    const LinkStatus code = connection_test(version);
    busy_close();
    if (link_is_error(code)) {
        link_close();
        link_report_error(owner, code);
    }
    link_close();
    return code;
}
