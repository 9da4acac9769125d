// The file and device commands as the user reaches them: dialogs, questions,
// messages and the file name in the status bar.
#include "tests/win/shell_fixture.h"

#include "params/recent.h"
#include "link/link.h"
#include "win/placement.h"
#include "base/settings.h"
#include "params/file_commands.h"
#include "base/cp1252.h"
#include "base/text.h"

#include <filesystem>

#include <cstdlib>
#include <cstring>

namespace {

const char* const QUESTION = "KV-310-R-Parameterdatei wurde verändert, Änderungen abspeichern?";

void change_a_value() {
    ParameterRecord& r = live_record();
    r.dimmer[0].minimum[0] = r.dimmer[0].minimum[0] == 10 ? 11 : 10;
}

void tick() { timer_tick(nullptr, WM_TIMER, 0, 0); }

}  // namespace

TEST_F(ShellTest, OpenShowsTheFileNameAndAStarWhileModified) {
    // Built as UTF-8 text: the program's paths are UTF-8.
    const std::string path = dir.path.string() + "\\Anlage Süd.ini";
    write_default_parameter_file(path);
    start();
    fake_ui_choose_file(path);
    dispatch_command(21002);  // toolbar "Öffnen"
    ASSERT_EQ(ui.file_requests.size(), 1u);
    EXPECT_FALSE(ui.file_requests[0].save);
    EXPECT_EQ(ui.file_requests[0].title, "KV-310-R-Parameterdatei öffnen");
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(status_field(1), "Anlage Süd.ini");
    EXPECT_EQ(recent_entries()[0].path, path);

    change_a_value();  // as a page edit does
    tick();
    EXPECT_EQ(status_field(1), "* Anlage Süd.ini");
    dispatch_command(21103);  // "&Speichern" to the same file
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(status_field(1), "Anlage Süd.ini");
}

TEST_F(ShellTest, ReplacingAChangedSetAsksFirst) {
    start();
    struct Case {
        const char* what;
        int command;
        std::vector<int> answers;
        bool replaced;
        std::string status_after;
    };
    const Case cases[] = {
        {"Neu, Abbrechen", 21101, {KV_IDCANCEL}, false, "* Parameterdatei KV-310-R.ini"},
        {"Schließen, Abbrechen", 21105, {KV_IDCANCEL}, false, "* Parameterdatei KV-310-R.ini"},
        // Yes on a set without a file goes to the save dialog; cancelling it cancels the command.
        {"Neu, Ja, Speichern abgebrochen", 21001, {KV_IDYES}, false, "* KV-310-R-Parameterdatei.ini"},
        {"Neu, Nein", 21101, {KV_IDNO}, true, "Parameterdatei KV-310-R.ini"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        new_parameter_set();
        change_a_value();
        const ParameterRecord changed = live_record();
        ui.messages.clear();
        ui.file_requests.clear();
        ui.message_answers.assign(c.answers.begin(), c.answers.end());
        dispatch_command(c.command);
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text, QUESTION);
        EXPECT_EQ(ui.messages[0].type, KV_MB_QUESTION_YNC);
        EXPECT_EQ(ui.messages[0].owner, main_window());
        EXPECT_EQ(memcmp(&live_record(), &changed, sizeof changed) != 0, c.replaced);
        EXPECT_EQ(status_field(1), c.status_after);
    }
    ASSERT_EQ(ui.file_requests.size(), 0u);  // the last case saves nothing
}

TEST_F(ShellTest, FilesThatCannotBeReadOrWrittenAreReported) {
    const std::string missing = dir.file("fehlt.ini");
    const std::string partial = dir.file("halb.ini");
    write_bytes(partial, "[KV310R]\r\nw32_ver=101\r\nd_A_5=3\r\n");
    const std::string unwritable = dir.file("kein Ordner") + "\\neu.ini";
    start();
    struct Case {
        int command;
        std::string chosen;
        std::string message;
        std::string status_after;
    };
    const Case cases[] = {
        {21102, missing, "Fehler: Datei \"" + missing + "\" ist nicht lesbar", "Parameterdatei KV-310-R.ini"},
        {21102, partial, "Fehler: Datei \"" + partial + "\" ist nicht vollständig",
         "Parameterdatei KV-310-R.ini"},
        // A set without a file keeps the name the save dialog proposed.
        {21104, unwritable, "Fehler: Datei \"" + unwritable + "\" konnte nicht abgespeichert werden",
         "KV-310-R-Parameterdatei.ini"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        ui.messages.clear();
        fake_ui_choose_file(c.chosen);
        dispatch_command(c.command);
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].type, KV_MB_ERROR);
        EXPECT_EQ(ui.messages[0].owner, main_window());
        EXPECT_EQ(ui.messages[0].text, c.message);
        EXPECT_EQ(status_field(1), c.status_after);  // the open set stays
    }
}

TEST_F(ShellTest, LastFileIsReopenedAtStartAndRememberedAtExit) {
    const std::string path = dir.file("zuletzt.ini");
    write_default_parameter_file(path);
    write_settings("[KVDLG]\r\nFILE= " + path + " \r\n");
    start();
    EXPECT_EQ(current_path(), path);
    EXPECT_EQ(status_field(1), "zuletzt.ini");
    destroy_window();
    shell_store_settings();
    EXPECT_EQ(settings_int("SHOWCMD", "TAB"), 0);
    std::string stored;
    settings_read_text("KVDLG", "FILE", stored, 512);
    EXPECT_EQ(stored, path);
}

TEST_F(ShellTest, UmlautPathsOfACodePage1252SettingsFileReopenAndShowInTheRecentMenu) {
    // The folder and the names carry umlauts; one name needs UTF-8.
    std::filesystem::create_directories(dir.path / TempDir::as_u8("Müller"));
    const std::string last = dir.file("Müller\\anlage.ini");
    const std::string recent = dir.file("Müller\\Größe.ini");
    const std::string beyond = dir.file("Müller\\Łódź.ini");
    for (const std::string& path : {last, recent, beyond}) write_default_parameter_file(path);
    const std::string last_ansi = *utf8_to_cp1252(last);
    const std::string recent_ansi = *utf8_to_cp1252(recent);
    // The last file in code page 1252, the recent files in 1252 and in UTF-8.
    write_settings("; vom Techniker\r\n[KVDLG]\r\nFILE=" + last_ansi + "\r\n[FOP]\r\nFOP1=" + recent_ansi +
                   "\r\nTOP1=1\r\nCOP1=1\r\nFOP2=" + beyond + "\r\nTOP2=1\r\nCOP2=0\r\n");
    start();
    EXPECT_EQ(current_path(), last);
    EXPECT_EQ(status_field(1), "anlage.ini");

    HMENU file_menu = GetSubMenu(GetMenu(main_window()), 0);
    SendMessageW(main_window(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file_menu), 0);
    // The reopened file joined the list, which is sorted by path.
    ASSERT_EQ(GetMenuItemCount(file_menu), 7 + 1 + 3);
    EXPECT_EQ(menu_item_text(file_menu, 8), recent_menu_label(0, recent));
    EXPECT_NE(menu_item_text(file_menu, 8).find("Größe.ini"), std::string::npos);
    EXPECT_NE(menu_item_text(file_menu, 10).find("Łódź.ini"), std::string::npos);
    dispatch_command(21020);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(status_field(1), "Größe.ini");
    dispatch_command(21022);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(status_field(1), "Łódź.ini");

    // At exit the paths go back in code page 1252 where they can.
    DestroyWindow(main_window());
    pump();
    shell_store_settings();
    const std::string text = settings_text();
    EXPECT_EQ(text.rfind("; vom Techniker\r\n[KVDLG]\r\n", 0), 0u);
    std::string stored;
    settings_read_text("KVDLG", "FILE", stored, 512);
    EXPECT_EQ(stored, beyond);
    EXPECT_NE(text.find("FILE=" + beyond + "\r\n"), std::string::npos);  // outside 1252: UTF-8
    EXPECT_NE(text.find("=" + recent_ansi + "\r\n"), std::string::npos);
    EXPECT_NE(text.find("DIR=" + *utf8_to_cp1252(directory_part(last)) + "\r\n"), std::string::npos);
}

TEST_F(ShellTest, OscilloscopeSettingsAreLoadedCorrectedAndStoredAgain) {
    write_settings("[SCOPE]\r\nDM=3\r\nTYPE=9\r\nSPEC=5\r\nI=0\r\nHPER=7\r\n");
    start();
    destroy_window();
    shell_store_settings();
    // Dimmer 1, single measurement, full period, the 16 A range.
    EXPECT_EQ(settings_int("SCOPE", "DM"), 0);
    EXPECT_EQ(settings_int("SCOPE", "TYPE"), 0);
    EXPECT_EQ(settings_int("SCOPE", "SPEC"), 0);
    EXPECT_EQ(settings_int("SCOPE", "I"), 6);
    EXPECT_EQ(settings_int("SCOPE", "HPER"), 7);
}

TEST_F(ShellTest, EndingTheProgramWithUnsavedChangesAsksFirst) {
    struct Case {
        const char* what;
        bool by_menu;  // "&Programm beenden", else closing the window
        int answer;
        bool ends;
    };
    const Case cases[] = {
        {"menu, Abbrechen", true, KV_IDCANCEL, false},
        {"menu, Nein", true, KV_IDNO, true},
        {"window, Abbrechen", false, KV_IDCANCEL, false},
        {"window, Nein", false, KV_IDNO, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        write_settings("");
        start();
        select_page(Page::user_curves);
        change_a_value();
        ui.messages.clear();
        ui.message_answers = {c.answer};
        if (c.by_menu)
            dispatch_command(21010);
        else
            SendMessageW(main_window(), WM_CLOSE, 0, 0);
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text, QUESTION);
        EXPECT_EQ(main_window() == nullptr, c.ends);
        MSG quit;
        EXPECT_EQ(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE, c.ends);
        // The window placement and the start tab are kept only when the window went.
        EXPECT_EQ(settings_int("SHOWCMD", "TAB"), c.ends ? 2 : -12345);
        destroy_window();
        placement_reset();
        reset_file_command_state();
    }
}

TEST_F(ShellTest, ChangedSetIsSavedOnYesBeforeTheWindowCloses) {
    const std::string path = dir.file("sichern.ini");
    write_default_parameter_file(path);
    write_settings("[KVDLG]\r\nFILE=" + path + "\r\n");
    start();
    change_a_value();
    const uint8_t minimum = live_record().dimmer[0].minimum[0];
    ui.message_answers = {KV_IDYES};
    dispatch_command(21010);
    EXPECT_EQ(main_window(), nullptr);
    EXPECT_NE(read_bytes(path).find("d1_K_3_a=" + std::to_string(minimum) + "\r\n"), std::string::npos);
}

TEST_F(ShellTest, ReadingFromTheDimmerLeavesTheStatusPageFirst) {
    write_settings("[SHOWCMD]\r\nTAB=3\r\n");
    start();
    ASSERT_EQ(selected_page(), Page::status);
    const ParameterRecord before = live_record();
    dispatch_command(21111);  // no port configured: the link says so
    EXPECT_EQ(selected_page(), Page::base_settings);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].type, KV_MB_ERROR);
    EXPECT_EQ(ui.messages[0].text, link_status_message(LINK_ERR_NO_PORT));
    EXPECT_EQ(memcmp(&live_record(), &before, sizeof before), 0);
    EXPECT_TRUE(IsWindowEnabled(main_window()));  // the busy window is gone

    select_page(Page::scope);
    ui.messages.clear();
    dispatch_command(21112);
    EXPECT_EQ(selected_page(), Page::base_settings);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, link_status_message(LINK_ERR_NO_PORT));
}
