// The main window as start-up builds it: pages, tabs, keys, menus, status bar.
#include "tests/win/shell_fixture.h"

#include "win/dialog_items_win.h"
#include "win/editing_page_win.h"
#include "win/message_box_win.h"
#include "win/page_curves_win.h"
#include "win/page_scope_win.h"
#include "win/page_status_win.h"
#include "win/placement.h"
#include "params/recent.h"
#include "port/utf16_win.h"
#include "res/resource.h"

#include <commctrl.h>

#include <cstring>

namespace {

using Notes = std::vector<std::pair<std::optional<Page>, UINT>>;

Notes as_pairs(const std::vector<PageNote>& notes) {
    Notes out;
    for (const PageNote& n : notes) out.emplace_back(n.page, n.code);
    return out;
}

}  // namespace

TEST_F(ShellTest, StartUpBuildsAllFivePagesAndShowsTheFirst) {
    start();
    ASSERT_NE(main_window(), nullptr);
    EXPECT_EQ(window_text(main_window()), "KV-310-R PC-Testprogramm");
    wchar_t class_name[64] = {};
    GetClassNameW(main_window(), class_name, 64);
    EXPECT_STREQ(class_name, L"Kv310rXPAppClass");

    const struct {
        const char* title;
        DLGPROC proc;
    } expected[] = {
        {"Grundeinstellung", page_base_proc},    {"Sonderfunktionen", page_special_proc},
        {"Userkurve 1 und 2", page_curves_proc}, {"Dimmerstatus", page_status_proc},
        {"Oszilloskop", page_scope_proc},
    };
    ASSERT_EQ(TabCtrl_GetItemCount(tab_control()), 5);
    RECT first_page{};
    GetClientRect(page_window(Page::base_settings), &first_page);
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(expected[i].title);
        wchar_t title[64] = {};
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = title;
        item.cchTextMax = 64;
        TabCtrl_GetItem(tab_control(), i, &item);
        EXPECT_EQ(narrow(title), expected[i].title);
        ASSERT_NE(pages[i], nullptr);
        EXPECT_EQ(GetParent(pages[i]), tab_control());
        EXPECT_EQ(reinterpret_cast<DLGPROC>(GetWindowLongPtrW(pages[i], DWLP_DLGPROC)), expected[i].proc);
        EXPECT_EQ(IsWindowVisible(pages[i]) != FALSE, page_at(i) == Page::base_settings);
        // Made from its own template: a control only that page has.
        const int own_control[] = {IDC_MINIMUM, IDC_BUS_FAILURE_DELAY, IDC_CURVE_PLOT1, IDC_STAT_DIAGNOSTICS,
                                   IDC_SCOPE_PLOT};
        EXPECT_NE(GetDlgItem(pages[i], own_control[i]), nullptr);
    }
    EXPECT_EQ(current_page(), page_window(Page::base_settings));
    EXPECT_EQ(selected_page(), Page::base_settings);

    // Each page's display area is exactly one page.
    RECT area{};
    GetWindowRect(tab_control(), &area);
    OffsetRect(&area, -area.left, -area.top);
    TabCtrl_AdjustRect(tab_control(), FALSE, &area);
    EXPECT_EQ(area.right - area.left, first_page.right);
    EXPECT_EQ(area.bottom - area.top, first_page.bottom);

    // The record as reopened is shown once more after start-up.
    ASSERT_FALSE(notes.empty());
    EXPECT_EQ(as_pairs(notes).back(), Notes::value_type(Page::base_settings, PAGE_SETACTIVE));

    EXPECT_EQ(status_field(0), "Parameterdatei");
    EXPECT_EQ(status_field(1), "Parameterdatei KV-310-R.ini");  // no last file: a new set
    EXPECT_EQ(status_field(2), "KV-310-R-Anschluss");
    EXPECT_EQ(status_field(3), " / 0");
    EXPECT_EQ(GetDlgCtrlID(tool_bar()), 500);
    EXPECT_EQ(GetDlgCtrlID(status_bar()), 501);
    EXPECT_EQ(GetDlgCtrlID(tab_control()), 502);
}

TEST_F(ShellTest, ToolbarHasSixButtonsAndASeparator) {
    start();
    const struct {
        int command;
        int image;
        const char* label;
    } expected[] = {
        {21001, 0, "Neu"},
        {21002, 1, "Öffnen"},
        {21003, 2, "Speichern"},
        {21004, 2, "Speichern unter..."},
        {0, -1, nullptr},
        {21111, 10, "Parameter auslesen"},
        {21112, 9, "Parameter schreiben"},
    };
    ASSERT_EQ(SendMessageW(tool_bar(), TB_BUTTONCOUNT, 0, 0), 7);
    for (int i = 0; i < 7; ++i) {
        SCOPED_TRACE(i);
        TBBUTTON b{};
        SendMessageW(tool_bar(), TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&b));
        if (!expected[i].label) {
            EXPECT_TRUE(b.fsStyle & BTNS_SEP);
            continue;
        }
        EXPECT_EQ(b.idCommand, expected[i].command);
        EXPECT_EQ(b.iBitmap, expected[i].image);
        EXPECT_TRUE(b.fsState & TBSTATE_ENABLED);
        wchar_t label[64] = {};
        SendMessageW(tool_bar(), TB_GETBUTTONTEXTW, b.idCommand, reinterpret_cast<LPARAM>(label));
        EXPECT_EQ(narrow(label), expected[i].label);
    }
}

namespace {

// A tool tip asks for its text in the ANSI or the wide form; each structure
// must be answered within its own size (the ANSI one is the smaller).
template <typename DispInfo, typename Text>
void expect_tip_answered(UINT code, Text expected_text) {
    struct {
        DispInfo info;
        unsigned char canary[256];
    } request;
    std::memset(&request, 0xA5, sizeof request);
    request.info.hdr = NMHDR{tool_bar(), 21111, code};
    SendMessageW(main_window(), WM_NOTIFY, 21111, reinterpret_cast<LPARAM>(&request.info));
    EXPECT_EQ(request.info.hinst, app_instance());
    EXPECT_EQ(request.info.lpszText, expected_text);
    for (unsigned char c : request.canary) ASSERT_EQ(c, 0xA5) << "written past the request";
}

}  // namespace

TEST_F(ShellTest, ToolTipTextsAreAskedForInTheRequestsOwnForm) {
    start();
    expect_tip_answered<NMTTDISPINFOA>(TTN_GETDISPINFOA, MAKEINTRESOURCEA(21111));
    expect_tip_answered<NMTTDISPINFOW>(TTN_GETDISPINFOW, MAKEINTRESOURCEW(21111));
}

TEST_F(ShellTest, StartTabComesFromTheSettings) {
    const struct {
        const char* tab;
        Page shown;
    } cases[] = {{"4", Page::scope},
                 {"7", Page::base_settings},
                 {"-1", Page::base_settings},
                 {"2", Page::user_curves}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tab);
        write_settings(std::string("[SHOWCMD]\r\nTAB=") + c.tab + "\r\n");
        start();
        EXPECT_EQ(selected_page(), c.shown);
        EXPECT_EQ(current_page(), page_window(c.shown));
        EXPECT_TRUE(IsWindowVisible(current_page()));
        destroy_window();
        placement_reset();
    }
}

TEST_F(ShellTest, TabCommandsAndKeysSendHideThenShow) {
    start();
    const UINT S = PAGE_SETACTIVE, K = PAGE_KILLACTIVE;
    using enum Page;
    struct Step {
        const char* what;
        void (*act)(ShellTest&);
        Page page_after;
        Notes sent;
    };
    const Step steps[] = {
        {"menu Sonderfunktionen",
         [](ShellTest&) { dispatch_command(21402); },
         special_functions,
         {{base_settings, K}, {special_functions, S}}},
        {"menu entry of the tab shown",
         [](ShellTest&) { dispatch_command(21402); },
         special_functions,
         {{special_functions, K}, {special_functions, S}}},
        {"Ctrl+End",
         [](ShellTest& t) { t.press(VK_END, true, false); },
         scope,
         {{special_functions, K}, {scope, S}}},
        {"Ctrl+Right on the last tab", [](ShellTest& t) { t.press(VK_RIGHT, true, false); }, scope, {}},
        {"Ctrl+Tab on the last tab wraps",
         [](ShellTest& t) { t.press(VK_TAB, true, false); },
         base_settings,
         {{scope, K}, {base_settings, S}}},
        {"Ctrl+Left on the first tab", [](ShellTest& t) { t.press(VK_LEFT, true, true); }, base_settings, {}},
        {"Ctrl+Shift+Tab on the first wraps",
         [](ShellTest& t) { t.press(VK_TAB, true, true); },
         scope,
         {{base_settings, K}, {scope, S}}},
        {"Ctrl+Page Down wraps",
         [](ShellTest& t) { t.press(VK_NEXT, true, false); },
         base_settings,
         {{scope, K}, {base_settings, S}}},
        {"Ctrl+Page Up wraps",
         [](ShellTest& t) { t.press(VK_PRIOR, true, false); },
         scope,
         {{base_settings, K}, {scope, S}}},
        {"Ctrl+Home",
         [](ShellTest& t) { t.press(VK_HOME, true, true); },
         base_settings,
         {{scope, K}, {base_settings, S}}},
        {"Ctrl+Right",
         [](ShellTest& t) { t.press(VK_RIGHT, true, false); },
         special_functions,
         {{base_settings, K}, {special_functions, S}}},
        {"Ctrl+Shift+Left",
         [](ShellTest& t) { t.press(VK_LEFT, true, true); },
         base_settings,
         {{special_functions, K}, {base_settings, S}}},
        {"menu Dimmerstatus",
         [](ShellTest&) { dispatch_command(21404); },
         status,
         {{base_settings, K}, {status, S}}},
        {"tab strip: Page Down",
         [](ShellTest& t) { t.press(VK_NEXT, false, false, tab_control()); },
         scope,
         {{status, K}, {scope, S}}},
        {"tab strip: Tab wraps",
         [](ShellTest& t) { t.press(VK_TAB, false, false, tab_control()); },
         base_settings,
         {{scope, K}, {base_settings, S}}},
        {"tab strip: Shift+Tab wraps",
         [](ShellTest& t) { t.press(VK_TAB, false, true, tab_control()); },
         scope,
         {{base_settings, K}, {scope, S}}},
        {"tab strip: Page Up",
         [](ShellTest& t) { t.press(VK_PRIOR, false, false, tab_control()); },
         status,
         {{scope, K}, {status, S}}},
        {"command 21405", [](ShellTest&) { dispatch_command(21405); }, scope, {{status, K}, {scope, S}}},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        notes.clear();
        s.act(*this);
        EXPECT_EQ(selected_page(), s.page_after);
        EXPECT_EQ(current_page(), page_window(s.page_after));
        EXPECT_EQ(as_pairs(notes), s.sent);
        for (int i = 0; i < PAGE_COUNT; ++i)
            EXPECT_EQ(IsWindowVisible(pages[i]) != FALSE, page_at(i) == s.page_after)
                << page_title(page_at(i));
    }
}

TEST_F(ShellTest, TabSwitchLeavesTheDisplayAreaToTheNewPage) {
    // The page left is hidden without the tab control beneath being redrawn:
    // the new page covers the same area and paints all of it. Only the tab
    // strip is the tab control's to repaint.
    start();
    stop_watching();
    HWND tab = tab_control();
    RECT area{};
    GetClientRect(tab, &area);
    TabCtrl_AdjustRect(tab, FALSE, &area);
    for (Page page : {Page::special_functions, Page::status, Page::status, Page::base_settings}) {
        SCOPED_TRACE(page_title(page));
        pump();
        HWND old = current_page();
        show_page(page);
        EXPECT_FALSE(old != pages[page_index(page)] && IsWindowVisible(old));
        HRGN update = CreateRectRgn(0, 0, 0, 0);
        GetUpdateRgn(tab, update, FALSE);
        EXPECT_FALSE(RectInRegion(update, &area)) << "the tab control redraws its display area";
        DeleteObject(update);
        RECT client{}, invalid{};
        GetClientRect(current_page(), &client);
        GetUpdateRect(current_page(), &invalid, FALSE);
        EXPECT_TRUE(EqualRect(&client, &invalid)) << "the new page does not paint all of itself";
    }
}

TEST_F(ShellTest, LeavingAPageLetsTheControlBeingEditedStoreItsValueFirst) {
    start();
    HWND edit = CreateWindowExW(0, L"EDIT", L"12", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, 40, 80, 20,
                                page_window(Page::base_settings), reinterpret_cast<HMENU>(4711),
                                GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(edit, nullptr);
    SetFocus(edit);
    ASSERT_EQ(GetFocus(), edit);
    watched_control = edit;

    notes.clear();
    dispatch_command(21103);  // Speichern: the typed value must be in the record first
    ASSERT_FALSE(notes.empty());
    EXPECT_EQ(notes.front().code, static_cast<UINT>(WM_KILLFOCUS));
    EXPECT_EQ(GetFocus(), edit);  // and the focus is back where it was

    notes.clear();
    press(VK_TAB, true, false);
    EXPECT_EQ(as_pairs(notes), (Notes{{std::nullopt, WM_KILLFOCUS},
                                      {Page::base_settings, PAGE_KILLACTIVE},
                                      {Page::special_functions, PAGE_SETACTIVE}}));
}

TEST_F(ShellTest, MenusHoldTheGermanTexts) {
    start();
    HMENU menu = GetMenu(main_window());
    ASSERT_NE(menu, nullptr);
    const std::vector<std::string> titles = {"&Parameterdatei", "KV-310-R-Parametersatz", "&Bearbeiten",
                                             "&Extras", "&?"};
    ASSERT_EQ(GetMenuItemCount(menu), 5);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(menu_item_text(menu, i), titles[i]);
    const std::vector<std::pair<std::string, UINT>> file_menu = {{"&Neu", 21101},
                                                                 {"&Öffnen", 21102},
                                                                 {"&Speichern", 21103},
                                                                 {"Speichern unter..", 21104},
                                                                 {"Schließen", 21105},
                                                                 {"", 0},
                                                                 {"&Programm beenden", 21010}};
    HMENU menus[] = {GetSubMenu(menu, 0), nullptr};
    HMENU context = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_CONTEXT_MENU));
    ASSERT_NE(context, nullptr);
    menus[1] = GetSubMenu(context, 0);
    for (HMENU popup : menus) {
        ASSERT_EQ(GetMenuItemCount(popup), 7);
        for (int i = 0; i < 7; ++i) {
            EXPECT_EQ(menu_item_text(popup, i), file_menu[i].first);
            EXPECT_EQ(GetMenuItemID(popup, i), file_menu[i].second);
        }
    }
    DestroyMenu(context);
    const std::vector<std::pair<int, std::vector<std::string>>> others = {
        {1, {"Dimmerparameter auslesen", "Dimmerparameter schreiben"}},
        {2, {"Grundeinstellung", "Sonderfunktionen", "Userkurve", "Dimmerstatus"}},
        {3, {"&Hardwareanschluss", "&Bus durchsuchen…", "", "&Kommunikationsmonitor", "&Verlauf…"}},
        {4, {"&Version PC-Testprogramm", "&Firmware-Version"}},
    };
    for (const auto& [index, texts] : others) {
        HMENU popup = GetSubMenu(menu, index);
        ASSERT_EQ(GetMenuItemCount(popup), static_cast<int>(texts.size()));
        for (size_t i = 0; i < texts.size(); ++i)
            EXPECT_EQ(menu_item_text(popup, static_cast<int>(i)), texts[i]);
    }
}

TEST_F(ShellTest, PageEntryOfTheTabShownIsMarked) {
    start();
    HMENU menu = GetMenu(main_window());
    HMENU edit_menu = GetSubMenu(menu, 2);
    for (Page page : {Page::user_curves, Page::base_settings, Page::status, Page::scope}) {
        SCOPED_TRACE(page_title(page));
        select_page(page);
        SendMessageW(main_window(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(edit_menu), 2);
        for (int id = 21401; id <= 21404; ++id) {
            bool checked = (GetMenuState(menu, id, MF_BYCOMMAND) & MF_CHECKED) != 0;
            EXPECT_EQ(checked, id == 21401 + page_index(page)) << id;
        }
    }
}

TEST_F(ShellTest, RecentFilesAreListedAlphabeticallyAtTheEndOfTheFileMenu) {
    const std::string long_name = std::string(70, 'n') + ".ini";
    write_settings(
        "[FOP]\r\nFOP1=C:\\b\\zweite.ini\r\nTOP1=1\r\nCOP1=3\r\n"
        "FOP2=C:\\a\\erste.ini\r\nTOP2=1\r\nCOP2=1\r\n"
        "FOP3=C:\\x\\andere.ini\r\nTOP3=2\r\nCOP3=0\r\n"
        "FOP4=C:\\y\\" +
        long_name + "\r\nTOP4=1\r\nCOP4=0\r\n");
    start();
    HMENU file_menu = GetSubMenu(GetMenu(main_window()), 0);
    SendMessageW(main_window(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file_menu), 0);
    ASSERT_EQ(GetMenuItemCount(file_menu), 7 + 1 + 3);
    EXPECT_EQ(GetMenuItemID(file_menu, 7), 0u);  // separator
    EXPECT_EQ(menu_item_text(file_menu, 8), "&1 C:\\a\\erste.ini");
    EXPECT_EQ(menu_item_text(file_menu, 9), "&2 C:\\b\\zweite.ini");
    EXPECT_EQ(menu_item_text(file_menu, 10), "&3 \\" + long_name.substr(0, 63) + "...");
    for (int i = 0; i < 3; ++i) EXPECT_EQ(GetMenuItemID(file_menu, 8 + i), static_cast<UINT>(21020 + i));

    // A file opened since goes into the list; the menu follows the next time it opens.
    const std::string path = dir.file("mitte.ini");
    write_default_parameter_file(path);
    fake_ui_choose_file(path);
    dispatch_command(21102);
    SendMessageW(main_window(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file_menu), 0);
    ASSERT_EQ(GetMenuItemCount(file_menu), 7 + 1 + 4);
    // A path longer than 64 characters shows from its last backslash.
    EXPECT_EQ(menu_item_text(file_menu, 10), path.size() > 64 ? "&3 \\mitte.ini" : "&3 " + path);
}

TEST_F(ShellTest, RecentFileThatOpensIsShownAndOneThatDoesNotIsDropped) {
    const std::string good = dir.file("gut.ini");
    const std::string gone = dir.file("weg.ini");
    write_default_parameter_file(good);
    write_settings("[FOP]\r\nFOP1=" + good + "\r\nTOP1=1\r\nFOP2=" + gone +
                   "\r\nTOP2=1\r\n[SHOWCMD]\r\nTAB=3\r\n");
    start();
    ASSERT_EQ(recent_entries()[0].path, good);
    ASSERT_EQ(recent_entries()[1].path, gone);

    dispatch_command(21020);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(status_field(1), "gut.ini");
    EXPECT_EQ(selected_page(), Page::base_settings);  // a measurement page does not show the set

    dispatch_command(21021);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].type, KV_MB_ERROR);
    EXPECT_EQ(ui.messages[0].owner, main_window());
    EXPECT_EQ(ui.messages[0].text, "Fehler: Datei \"" + gone + "\" ist nicht lesbar");
    EXPECT_TRUE(recent_entries()[1].path.empty());
    EXPECT_EQ(status_field(1), "gut.ini");
}

namespace {

struct AboutSeen {
    bool found = false;
    std::string caption, lines[3];
} g_about;

void CALLBACK close_about(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = FindWindowW(L"#32770", L"KV-310-R PC-Testprogramm");
    if (!dialog) return;
    KillTimer(nullptr, timer);
    g_about.found = true;
    for (int i = 0; i < 3; ++i) g_about.lines[i] = item_text(dialog, IDC_ABOUT_LINE1 + i);
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
}

}  // namespace

TEST_F(ShellTest, AboutDialogShowsTheProgramVersion) {
    start();
    SetTimer(nullptr, 0, 50, close_about);
    dispatch_command(21601);  // modal; the timer closes it
    ASSERT_TRUE(g_about.found);
    EXPECT_EQ(g_about.lines[0], "KV-310-R PC-Testprogramm");
    EXPECT_EQ(g_about.lines[2], "PC-Programmversion 2.3 15.2.2017");
    EXPECT_NE(main_window(), nullptr);
}

TEST_F(ShellTest, AltMnemonicMovesToThePageControlAndClicksOnlyWhenUnique) {
    start();
    HINSTANCE instance = GetModuleHandleW(nullptr);
    auto add = [&](const wchar_t* cls, const wchar_t* text, DWORD style, int id, int y) {
        return CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, 10, y, 120, 20,
                               page_window(Page::base_settings),
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    };
    HWND label = add(L"STATIC", L"&Wert", 0, 100, 40);
    HWND value = add(L"EDIT", L"", WS_TABSTOP, 101, 60);
    HWND alpha = add(L"BUTTON", L"&Alpha", BS_PUSHBUTTON | WS_TABSTOP, 102, 80);
    HWND beta1 = add(L"BUTTON", L"&Beta", BS_PUSHBUTTON | WS_TABSTOP, 103, 100);
    HWND beta2 = add(L"BUTTON", L"Zweite &b", BS_PUSHBUTTON | WS_TABSTOP, 104, 120);
    HWND group_label = add(L"STATIC", L"&Kennlinie", 0, 105, 140);
    HWND linear = add(L"BUTTON", L"linear", BS_AUTORADIOBUTTON | WS_GROUP, 106, 160);
    HWND square = add(L"BUTTON", L"quadratisch", BS_AUTORADIOBUTTON, 107, 180);
    SendMessageW(square, BM_SETCHECK, BST_CHECKED, 0);
    (void)label;
    (void)beta2;
    (void)group_label;

    auto menu_char = [&](wchar_t ch) {
        notes.clear();
        LRESULT r = SendMessageW(main_window(), WM_MENUCHAR, MAKEWPARAM(ch, MF_POPUP), 0);
        pump();
        return r;
    };
    EXPECT_EQ(menu_char(L'q'), 0);  // nobody's mnemonic
    EXPECT_EQ(menu_char(L'w'), MAKELRESULT(0, MNC_CLOSE));
    EXPECT_EQ(GetFocus(), value);  // a label leads to the control after it
    EXPECT_TRUE(notes.empty());
    EXPECT_EQ(menu_char(L'A'), MAKELRESULT(0, MNC_CLOSE));
    EXPECT_EQ(GetFocus(), alpha);
    ASSERT_EQ(notes.size(), 1u);  // clicked
    EXPECT_EQ(notes[0].code, static_cast<UINT>(WM_COMMAND));
    EXPECT_EQ(notes[0].item, 102);
    EXPECT_EQ(menu_char(L'b'), MAKELRESULT(0, MNC_CLOSE));
    EXPECT_EQ(GetFocus(), beta1);  // ambiguous: the first one, not clicked
    EXPECT_TRUE(notes.empty());
    // A label before a radio group: the ticked button, not the first one, which
    // the focus would click on Windows and so change the setting.
    EXPECT_EQ(menu_char(L'k'), MAKELRESULT(0, MNC_CLOSE));
    EXPECT_EQ(GetFocus(), square);
    EXPECT_TRUE(notes.empty());
    EXPECT_EQ(SendMessageW(linear, BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST_F(ShellTest, DialogItemHelpersMoveTextsAndNumbers) {
    start();
    HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 10, 40, 200, 20,
                                page_window(Page::base_settings), reinterpret_cast<HMENU>(4712),
                                GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(edit, nullptr);
    dlg_set_uint(page_window(Page::base_settings), 4712, 0);
    EXPECT_EQ(dlg_get_text(page_window(Page::base_settings), 4712), "");  // 0 shows as an empty field
    dlg_set_uint(page_window(Page::base_settings), 4712, 4294967295u);
    EXPECT_EQ(dlg_get_text(page_window(Page::base_settings), 4712), "4294967295");
    dlg_set_text(page_window(Page::base_settings), 4712, "Größe µ");
    EXPECT_EQ(dlg_get_text(page_window(Page::base_settings), 4712), "Größe µ");

    const struct {
        const wchar_t* typed;
        uint32_t value;
        bool valid;
    } numbers[] = {{L"  12abc", 12, true}, {L"abc", 0, false}, {L"-5", 0x7FFFFFFF, false}, {L"", 0, true}};
    for (const auto& n : numbers) {
        SetWindowTextW(edit, n.typed);
        bool valid = !n.valid;
        EXPECT_EQ(dlg_get_int(page_window(Page::base_settings), 4712, &valid), n.value);
        EXPECT_EQ(valid, n.valid);
    }
    SetWindowTextW(edit, L"  COM3 und mehr ");
    EXPECT_EQ(dlg_get_word(page_window(Page::base_settings), 4712, false), "COM3");
    EXPECT_EQ(dlg_get_word(page_window(Page::base_settings), 4712, true), "COM3 und mehr");
}

namespace {

std::string g_box_caption, g_box_text;

BOOL CALLBACK collect_text(HWND child, LPARAM) {
    std::string t = window_text(child);
    if (t.find("Datei") != std::string::npos) g_box_text = t;
    return TRUE;
}

void CALLBACK close_message_box(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND box = FindWindowW(L"#32770", nullptr);
    if (!box) return;
    KillTimer(nullptr, timer);
    g_box_caption = window_text(box);
    EnumChildWindows(box, collect_text, 0);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
}

}  // namespace

TEST_F(ShellTest, MessageBoxShowsUmlautsAndTheProgramCaption) {
    start();
    set_message_box_hook(nullptr);  // the real one, closed by the timer
    SetTimer(nullptr, 0, 50, close_message_box);
    const std::string text = "Fehler: Datei \"Maße für Ölheizung.ini\" ist nicht lesbar";
    EXPECT_EQ(message_box(main_window(), KV_MB_ERROR, text), KV_IDOK);
    EXPECT_EQ(g_box_caption, "KV-310-R PC-Testprogramm");
    EXPECT_EQ(g_box_text, text);
}
