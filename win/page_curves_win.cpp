// The "Userkurve 1 und 2" page. For now it shows only its title; the controls and
// their handling come with the page itself.
#include "win/pages_win.h"

#include "base/settings.h"
#include "base/text.h"

#include <string>

namespace {
// The text file chosen for the last curve import, kept across runs.
std::string g_last_import_file;
}  // namespace

INT_PTR CALLBACK page_curves_proc(HWND dialog, UINT message, WPARAM, LPARAM) {
    return placeholder_page_proc(dialog, message);
}

void import_file_load() {
    std::string file;
    settings_read_text("CHARIMP", "FILE", file, 512);
    g_last_import_file = trim_blanks(file);
}

void import_file_store() { settings_write_text("CHARIMP", "FILE", g_last_import_file.c_str()); }
