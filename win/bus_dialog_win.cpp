// The dialog hosts the bus list of link/bus_run.h: a scan or a run happens in
// the busy window like every other device operation (its "Abbruch" ends it),
// and each line is shown again as soon as its dimmer is done, so the list
// fills while the scan runs. The dialog itself is disabled meanwhile, so no
// second run can start inside one.
#include "win/bus_dialog_win.h"

#include "win/app_win.h"
#include "win/dialog_items_win.h"
#include "win/page_status_win.h"
#include "win/status_bar_win.h"
#include "win/status_fields.h"
#include "port/utf16_win.h"
#include "base/file_io.h"
#include "base/settings.h"
#include "base/text.h"
#include "base/ui.h"
#include "link/address_list.h"
#include "link/bus_run.h"
#include "link/bus_scan.h"
#include "link/busy.h"
#include "link/link.h"
#include "link/port_settings.h"
#include "measure/bus_protocol.h"
#include "measure/bus_text.h"
#include "params/file_commands.h"
#include "params/file_messages.h"
#include "res/resource.h"

#include <commctrl.h>

#include <vector>

namespace {

struct Column {
    const char* title;
    int width;  // dialog units
};
// Wide enough at 96 dpi for a status line and a result of the runs.
const Column COLUMNS[] = {{"Adresse", 40}, {"Firmware", 42},  {"Dimmer 1", 40}, {"Dimmer 2", 40},
                          {"Status", 150}, {"Schreiben", 80}, {"Auslesen", 56}, {"Vergleichen", 56}};

struct BusDialog {
    HWND window = nullptr;  // while it is open
    HWND list = nullptr;
    std::string addresses = "1-255";  // as last typed
    std::vector<BusEntry> entries;    // in address order, kept between openings
    std::string port;                 // of the last scan
};
BusDialog g_bus;

std::string now_text() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return format_text("%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                       t.wSecond);
}

std::string cell_text(const BusEntry& e, int column) {
    switch (column) {
        case 0:
            return std::to_string(e.dimmer.address);
        case 1:
            return bus_controller_version_text(e.dimmer);
        case 2:
        case 3:
            return bus_dimmer_version_text(e.dimmer, column - 2);
        case 4:
            return bus_status_text(e.dimmer);
        case 5:
            return e.write.text;
        case 6:
            return e.read.text;
        default:
            return e.compare.text;
    }
}

void set_cell(int row, int column, const std::string& text) {
    std::wstring wide = widen(text);
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = wide.data();
    SendMessageW(g_bus.list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void show_row(size_t index) {
    for (int c = 0; c < int(std::size(COLUMNS)); ++c)
        set_cell(int(index), c, cell_text(g_bus.entries[index], c));
}

bool is_ticked(int row) {
    const LRESULT state =
        SendMessageW(g_bus.list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK);
    return ((state & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

void set_ticked(int row, bool ticked) {
    LVITEMW item{};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(ticked ? 2 : 1);
    SendMessageW(g_bus.list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

int selected_row() {
    return int(SendMessageW(g_bus.list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void show_differences() {
    const int row = selected_row();
    std::string text;
    if (row >= 0 && size_t(row) < g_bus.entries.size())
        for (const std::string& d : g_bus.entries[size_t(row)].differences) text += d + "\r\n";
    dlg_set_text(g_bus.window, IDC_BUS_DIFFERENCES, text);
}

void insert_row(size_t index) {
    std::wstring text = widen(std::to_string(g_bus.entries[index].dimmer.address));
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = int(index);
    item.pszText = text.data();
    SendMessageW(g_bus.list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

// A dimmer the scan has just found: a new line (ticked unless its answer was
// garbled) or its line again. The busy window's message pump paints it.
void show_found(const BusDimmer& dimmer) {
    const size_t before = g_bus.entries.size();
    const size_t index = bus_entry_found(g_bus.entries, dimmer, now_text());
    if (g_bus.entries.size() > before) {
        insert_row(index);
        set_ticked(int(index), dimmer.answer != BusAnswer::garbled);
    }
    show_row(index);
}

// The whole list anew, the ticks of the addresses listed before kept (a new
// dimmer comes ticked).
void fill_list(const std::vector<uint32_t>& ticked_before, const std::vector<uint32_t>& listed_before) {
    SendMessageW(g_bus.list, LVM_DELETEALLITEMS, 0, 0);
    for (size_t i = 0; i < g_bus.entries.size(); ++i) {
        const uint32_t address = g_bus.entries[i].dimmer.address;
        insert_row(i);
        show_row(i);
        const bool known =
            std::find(listed_before.begin(), listed_before.end(), address) != listed_before.end();
        const bool ticked =
            std::find(ticked_before.begin(), ticked_before.end(), address) != ticked_before.end();
        set_ticked(int(i), known ? ticked : g_bus.entries[i].dimmer.answer != BusAnswer::garbled);
    }
    show_differences();
}

// The addresses listed, and those of them ticked.
void current_ticks(std::vector<uint32_t>& listed, std::vector<uint32_t>& ticked) {
    for (size_t i = 0; i < g_bus.entries.size(); ++i) {
        listed.push_back(g_bus.entries[i].dimmer.address);
        if (is_ticked(int(i))) ticked.push_back(g_bus.entries[i].dimmer.address);
    }
}

// A scan or a run in the busy window, the dialog disabled meanwhile. The busy
// window gives the main window back when it closes, but the dialog still
// owns it modally.
void begin_run(BusyKind kind) {
    EnableWindow(g_bus.window, FALSE);
    busy_open(kind);
}

void end_run(LinkStatus status) {
    if (status != LINK_OK) link_close();
    busy_close();
    if (HWND main = main_window()) EnableWindow(main, FALSE);
    EnableWindow(g_bus.window, TRUE);
    SetActiveWindow(g_bus.window);
    if (link_is_error(status)) link_report_error(g_bus.window, status);
}

void scan() {
    const std::string typed = dlg_get_text(g_bus.window, IDC_BUS_ADDRESSES, 1023);
    std::string bad;
    const auto addresses = parse_address_list(typed, bad);
    if (!addresses) {
        message_box(g_bus.window, KV_MB_ERROR, bad_address_text(typed, bad));
        return;
    }
    g_bus.addresses = typed;
    const uint32_t timeout_ms =
        scan_version_timeout_ms(settings_read_int(SCAN_SETTINGS_SECTION, SCAN_TIMEOUT_KEY, 0));

    BusScanHooks hooks;
    hooks.asking = [&](size_t asked, size_t total, uint32_t address) {
        busy_set_text(
            format_text("Adresse %u (%u von %u)", unsigned(address), unsigned(asked + 1), unsigned(total)));
    };
    hooks.found = show_found;
    begin_run(BusyKind::test);
    const BusScanResult result = bus_scan(*addresses, timeout_ms, hooks);
    g_bus.port = g_port_settings.name;
    // Only the addresses asked say who is gone.
    const std::vector<uint32_t> asked(addresses->begin(), addresses->begin() + long(result.asked));
    std::vector<uint32_t> listed, ticked;
    current_ticks(listed, ticked);  // the rows still match the entries here
    bus_drop_missing(g_bus.entries, asked, result.dimmers);
    if (g_bus.entries.size() != listed.size()) fill_list(ticked, listed);
    end_run(result.status);
}

// A save dialog of its own title and one filter; the path chosen, or nothing.
std::optional<std::string> ask_save_path(const char* title, const char* filter_name, const char* pattern,
                                         const char* initial_name) {
    FileDialogRequest request;
    request.save = true;
    request.title = title;
    request.filters = {{filter_name, pattern}};
    request.initial_name = initial_name;
    request.default_ext = pattern + 2;  // "*.ini" -> "ini"
    const auto chosen = ask_file_name(g_bus.window, request);
    if (!chosen) return std::nullopt;
    return chosen->path;
}

// Asks where "Auslesen" saves: the name given is the pattern of each file.
std::optional<std::string> ask_read_pattern() {
    return ask_save_path("Parametersätze auslesen nach", "KV-310-R Parameterdatei (*.ini)", "*.ini",
                         "Anlage.ini");
}

void run(BusAction action) {
    std::vector<size_t> chosen;
    for (size_t i = 0; i < g_bus.entries.size(); ++i)
        if (is_ticked(int(i))) chosen.push_back(i);
    if (chosen.empty()) return;
    BusRunInput input;
    input.record = &live_record();
    if (action == BusAction::read) {
        const auto pattern = ask_read_pattern();
        if (!pattern) return;
        input.file_pattern = *pattern;
    }
    BusRunHooks hooks;
    hooks.starting = [&](size_t done, size_t total, uint32_t address) {
        busy_set_text(
            format_text("Adresse %u (%u von %u)", unsigned(address), unsigned(done + 1), unsigned(total)));
    };
    hooks.finished = show_row;
    hooks.now = now_text;
    begin_run(BusyKind::config);
    const BusRunOutcome outcome = bus_run(action, g_bus.entries, chosen, input, hooks);
    show_differences();
    end_run(outcome.status);
}

void take_address() {
    const int row = selected_row();
    if (row < 0 || size_t(row) >= g_bus.entries.size()) return;
    const PortSettings before = g_port_settings;
    link_close();  // the settings change only while the port is closed
    g_port_settings.address = g_bus.entries[size_t(row)].dimmer.address;
    status_text(STATUS_FIELD_PORT, 0, port_settings_status_text(g_port_settings));
    status_page_follow_port(before);
}

std::optional<std::string> ask_protocol_name() {
    return ask_save_path("Protokoll speichern", "Protokoll (*.csv)", "*.csv", "Protokoll.csv");
}

// The CSV file under the name chosen, and the page to print beside it with
// ".html" in place of its extension.
void save_protocol() {
    const auto csv = ask_protocol_name();
    if (!csv) return;
    BusProtocol protocol;
    protocol.port = g_bus.port.empty() ? std::string(g_port_settings.name) : g_bus.port;
    protocol.parameter_file = file_name_text();
    protocol.created = now_text();
    protocol.entries = g_bus.entries;
    const size_t dot = csv->find_last_of('.');
    const size_t separator = csv->find_last_of("/\\");
    const bool has_extension =
        dot != std::string::npos && (separator == std::string::npos || dot > separator);
    const std::string html = (has_extension ? csv->substr(0, dot) : *csv) + ".html";
    if (!write_file_atomic(*csv, bus_protocol_csv(protocol)))
        report_file_not_saved(g_bus.window, *csv);
    else if (!write_file_atomic(html, bus_protocol_html(protocol)))
        report_file_not_saved(g_bus.window, html);
}

void init_dialog(HWND dialog) {
    g_bus.window = dialog;
    g_bus.list = GetDlgItem(dialog, IDC_BUS_LIST);
    SendMessageW(g_bus.list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    for (int c = 0; c < int(std::size(COLUMNS)); ++c) {
        RECT units{0, 0, COLUMNS[c].width, 0};
        MapDialogRect(dialog, &units);
        std::wstring title = widen(COLUMNS[c].title);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = title.data();
        column.cx = units.right;
        column.iSubItem = c;
        SendMessageW(g_bus.list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(c),
                     reinterpret_cast<LPARAM>(&column));
    }
    dlg_set_text(dialog, IDC_BUS_ADDRESSES, g_bus.addresses);
    std::vector<uint32_t> all;
    for (const BusEntry& e : g_bus.entries) all.push_back(e.dimmer.address);
    fill_list(all, all);
}

INT_PTR CALLBACK bus_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_INITDIALOG:
            init_dialog(dialog);
            return TRUE;
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lparam);
            if (header->idFrom == IDC_BUS_LIST && header->code == LVN_ITEMCHANGED) {
                const auto* change = reinterpret_cast<const NMLISTVIEW*>(lparam);
                if ((change->uChanged & LVIF_STATE) &&
                    ((change->uNewState ^ change->uOldState) & LVIS_SELECTED))
                    show_differences();
            }
            return FALSE;
        }
        case WM_COMMAND:
            switch (LOWORD(wparam)) {
                case IDC_BUS_SCAN:
                    scan();
                    return TRUE;
                case IDC_BUS_WRITE:
                    run(BusAction::write);
                    return TRUE;
                case IDC_BUS_READ:
                    run(BusAction::read);
                    return TRUE;
                case IDC_BUS_COMPARE:
                    run(BusAction::compare);
                    return TRUE;
                case IDC_BUS_TAKE:
                    take_address();
                    return TRUE;
                case IDC_BUS_PROTOCOL:
                    save_protocol();
                    return TRUE;
                case IDCANCEL:
                    g_bus.addresses = dlg_get_text(dialog, IDC_BUS_ADDRESSES, 1023);
                    g_bus.window = nullptr;
                    g_bus.list = nullptr;
                    EndDialog(dialog, IDCANCEL);
                    return TRUE;
            }
            break;
    }
    return FALSE;
}

}  // namespace

void bus_dialog(HWND owner) {
    DialogBoxParamW(app_instance(), MAKEINTRESOURCEW(IDD_BUS), owner, bus_dialog_proc, 0);
}

HWND bus_dialog_window() { return g_bus.window; }
