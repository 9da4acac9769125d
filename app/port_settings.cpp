#include "app/port_settings.h"

#include "app/settings.h"
#include "app/text.h"
#include "link/link.h"

#include <cinttypes>

namespace {
constexpr const char* section = "PROP";
}

void port_settings_load()
{
    g_port_settings = PortSettings{};
    std::string name;
    settings_read_text(section, "PORT", name, sizeof g_port_settings.name);
    set_port_name(g_port_settings, name);
    auto address = static_cast<uint32_t>(settings_read_int(section, "RS485ADR", 0));
    g_port_settings.address = address > 255 ? 0 : address;
}

void port_settings_store()
{
    settings_write_text(section, "PORT", g_port_settings.name);
    settings_write_int(section, "RS485ADR", static_cast<int32_t>(g_port_settings.address));
}

std::string port_settings_text()
{
    return format_text("%s / %" PRIu32, cut_chars(g_port_settings.name, 128).c_str(), g_port_settings.address);
}
