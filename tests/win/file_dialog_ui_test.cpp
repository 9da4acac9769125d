// The real open dialogs of "&Öffnen" and of the curve import, read while they
// are shown: the filter in effect and the files listed, and that each dialog
// keeps a custom filter of its own.
#include "tests/win/shell_fixture.h"

#include "win/message_box_win.h"
#include "win/page_curves_win.h"
#include "base/settings.h"
#include "params/file_commands.h"
#include "port/utf16_win.h"
#include "res/resource.h"

#include <commctrl.h>
#include <dlgs.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

// What an open dialog shows.
struct DialogShown {
    bool seen = false;
    std::vector<std::string> filters;  // the file-type list, top to bottom
    std::string filter_in_effect;
    std::vector<std::string> files;  // sorted
};

struct Watch {
    HWND dialog = nullptr;
    int ticks = 0;
    DialogShown shown;
};
Watch g_watch;

BOOL CALLBACK find_file_dialog(HWND window, LPARAM) {
    if (!IsWindowVisible(window) || !GetDlgItem(window, cmb1)) return TRUE;
    g_watch.dialog = window;
    return FALSE;
}

BOOL CALLBACK find_file_list(HWND window, LPARAM found) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (std::wstring(name) != WC_LISTVIEWW) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

std::string combo_text(HWND combo, int index) {
    const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, WPARAM(index), 0);
    if (length < 0) return std::string();
    std::wstring text(size_t(length) + 1, L'\0');
    SendMessageW(combo, CB_GETLBTEXT, WPARAM(index), reinterpret_cast<LPARAM>(text.data()));
    return narrow(text.c_str());
}

// A thread timer that runs inside the dialog's own message loop: it waits for
// the dialog and its file list, notes what they show and cancels the dialog.
void CALLBACK watch_dialog(HWND, UINT, UINT_PTR timer, DWORD) {
    Watch& w = g_watch;
    if (!w.dialog) EnumThreadWindows(GetCurrentThreadId(), find_file_dialog, 0);
    if (!w.dialog) return;
    HWND list = nullptr;
    EnumChildWindows(w.dialog, find_file_list, reinterpret_cast<LPARAM>(&list));
    const int items = list ? int(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)) : 0;
    if (items == 0 && ++w.ticks < 60) return;  // the folder may still be read

    HWND combo = GetDlgItem(w.dialog, cmb1);
    const int count = int(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) w.shown.filters.push_back(combo_text(combo, i));
    const int selected = int(SendMessageW(combo, CB_GETCURSEL, 0, 0));
    if (selected >= 0) w.shown.filter_in_effect = combo_text(combo, selected);
    for (int i = 0; i < items; ++i) {
        wchar_t text[MAX_PATH] = {};
        LVITEMW item{};
        item.pszText = text;
        item.cchTextMax = MAX_PATH;
        SendMessageW(list, LVM_GETITEMTEXTW, WPARAM(i), reinterpret_cast<LPARAM>(&item));
        w.shown.files.push_back(narrow(text));
    }
    std::sort(w.shown.files.begin(), w.shown.files.end());
    w.shown.seen = true;
    KillTimer(nullptr, timer);
    PostMessageW(w.dialog, WM_COMMAND, IDCANCEL, 0);
}

// What the open dialog that `open` shows lists, read from the real dialog.
DialogShown shown_by(const std::function<void()>& open) {
    g_watch = Watch{};
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, watch_dialog);
    open();
    KillTimer(nullptr, timer);
    return g_watch.shown;
}

const std::string PARAMETER_FILTER = "KV-310-R-Parameterdatei (*.ini)";
const std::string TEXT_FILTER = "Textdateien (*.txt)";
const std::string ALL_FILTER = "Alle Dateien (*.*)";

}  // namespace

TEST_F(ShellTest, OpenDialogsShowTheirFirstFilterAndKeepTheirOwnCustomFilter) {
    // A folder of its own, away from the settings file.
    std::filesystem::create_directory(dir.path / "Daten");
    const std::string parameter_file = dir.file("Daten\\Anlage.ini"),
                      curve_file = dir.file("Daten\\Kurve.txt");
    write_default_parameter_file(parameter_file);
    write_bytes(curve_file, "0\r\n");
    write_bytes(dir.file("Daten\\kv310r.exe"), "MZ");
    write_settings("[CHARIMP]\r\nFILE=" + curve_file + "\r\n");
    import_file_load();
    start();
    ASSERT_TRUE(open_parameter_path(main_window(), parameter_file, true));  // the open dialog starts there

    // The open dialog's custom filter, as the program hands it over.
    fake_ui_cancel_file_dialog();
    dispatch_command(21102);
    ASSERT_EQ(ui.file_requests.size(), 1u);
    CustomFilter* open_custom = ui.file_requests[0].custom_filter;
    ASSERT_NE(open_custom, nullptr);
    EXPECT_EQ(open_custom->pattern, "");

    set_file_dialog_hook(nullptr);  // the real dialogs from here on
    auto open_dialog = [] { dispatch_command(21102); };
    auto import_dialog = [this] {
        SendMessageW(page_window(Page::user_curves), WM_COMMAND, MAKEWPARAM(IDC_CURVE_IMPORT1, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(page_window(Page::user_curves), IDC_CURVE_IMPORT1)));
    };

    // At first use: the first filter, and the files it matches.
    DialogShown open = shown_by(open_dialog);
    ASSERT_TRUE(open.seen) << "no open dialog";
    EXPECT_EQ(open.filters, (std::vector<std::string>{PARAMETER_FILTER, ALL_FILTER}));
    EXPECT_EQ(open.filter_in_effect, PARAMETER_FILTER);
    EXPECT_EQ(open.files, std::vector<std::string>{"Anlage.ini"});

    DialogShown import = shown_by(import_dialog);
    ASSERT_TRUE(import.seen) << "no import dialog";
    EXPECT_EQ(import.filters, (std::vector<std::string>{TEXT_FILTER, ALL_FILTER}));
    EXPECT_EQ(import.filter_in_effect, TEXT_FILTER);
    EXPECT_EQ(import.files, std::vector<std::string>{"Kurve.txt"});

    // A custom filter of the open dialog shows there, first in its list, and
    // not in the import dialog.
    *open_custom = CustomFilter{"Programme", "*.exe"};
    open = shown_by(open_dialog);
    EXPECT_EQ(open.filters, (std::vector<std::string>{"Programme", PARAMETER_FILTER, ALL_FILTER}));
    EXPECT_EQ(open.filter_in_effect, PARAMETER_FILTER);
    EXPECT_EQ(open.files, std::vector<std::string>{"Anlage.ini"});

    import = shown_by(import_dialog);
    EXPECT_EQ(import.filters, (std::vector<std::string>{TEXT_FILTER, ALL_FILTER}));
    EXPECT_EQ(import.filter_in_effect, TEXT_FILTER);
    EXPECT_EQ(import.files, std::vector<std::string>{"Kurve.txt"});
    EXPECT_TRUE(ui.messages.empty());
}
