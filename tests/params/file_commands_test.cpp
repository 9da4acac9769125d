#include "params/file_commands.h"

#include "params/recent.h"
#include "base/settings.h"
#include "base/text.h"
#include "params/param_file.h"
#include "tests/support/fake_ui.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

const char* const QUESTION = "KV-310-R-Parameterdatei wurde verändert, Änderungen abspeichern?";

std::string shown_file_name;
void remember_file_name(const std::string& text) { shown_file_name = text; }

// Everything a failed command must leave as it was.
struct Snapshot {
    ParameterRecord live, saved;
    std::string path, dir;
    bool open, named;

    static Snapshot take() {
        return {live_record(), saved_copy(), current_path(), last_directory(), set_open(), has_name()};
    }
    bool operator==(const Snapshot& o) const {
        return std::memcmp(&live, &o.live, sizeof live) == 0 &&
               std::memcmp(&saved, &o.saved, sizeof saved) == 0 && path == o.path && dir == o.dir &&
               open == o.open && named == o.named;
    }
};

class FileCommands : public ::testing::Test {
  protected:
    TempDir dir;

    void SetUp() override {
        settings_set_directory((dir.path / "").string());
        fake_ui_reset();
        reset_file_command_state();
        reset_parameter_records();
        set_file_name_hook(remember_file_name);
        shown_file_name = "<none>";
        recent_reset();
        recent_load();
    }
    void TearDown() override {
        set_file_name_hook(nullptr);
        recent_reset();
    }

    static std::vector<std::string> recent_paths() {
        std::vector<std::string> paths;
        for (const RecentEntry& e : recent_entries())
            if (!e.path.empty()) paths.push_back(e.path);
        return paths;
    }

    // A complete parameter file with minimum[0] of dimmer 1 set to marker.
    std::string make_file(const std::string& name, uint8_t marker) {
        ParameterRecord r;
        apply_defaults(r);
        r.dimmer[0].minimum[0] = marker;
        const std::string path = dir.file(name);
        EXPECT_TRUE(write_parameter_file(r, path));
        return path;
    }
    static void edit_live() { live_record().dimmer[1].preheat_time ^= 0x5A; }
};

TEST_F(FileCommands, StartsWithoutASet) {
    EXPECT_FALSE(set_open());
    EXPECT_FALSE(has_name());
    EXPECT_EQ(current_path(), "");
    edit_live();
    EXPECT_FALSE(is_modified()) << "without an open set nothing counts as changed";
    EXPECT_TRUE(ask_save_changes(nullptr));
    EXPECT_TRUE(fake_ui().messages.empty());
}

TEST_F(FileCommands, EachCommandLeavesTheSetInItsState) {
    const std::string first = make_file("first.ini", 11);
    const std::string second = dir.file("second.ini");

    // "&Neu"
    ASSERT_TRUE(new_parameter_set());
    EXPECT_TRUE(set_open());
    EXPECT_FALSE(has_name());
    EXPECT_EQ(current_path(), "Parameterdatei KV-310-R.ini");
    EXPECT_FALSE(is_modified());
    EXPECT_EQ(shown_file_name, "Parameterdatei KV-310-R.ini");
    edit_live();
    EXPECT_TRUE(is_modified());
    EXPECT_EQ(file_name_text(), "* Parameterdatei KV-310-R.ini");

    // "&Öffnen"
    fake_ui_choose_file(first, 2);
    ASSERT_TRUE(open_parameter_file(nullptr));
    EXPECT_TRUE(set_open());
    EXPECT_TRUE(has_name());
    EXPECT_EQ(current_path(), first);
    EXPECT_EQ(last_directory(), directory_part(first));
    EXPECT_EQ(live_record().dimmer[0].minimum[0], 11);
    EXPECT_EQ(file_version(live_record()), 101u);
    EXPECT_FALSE(is_modified());
    EXPECT_EQ(shown_file_name, file_name_part(first));
    EXPECT_EQ(open_filter_index(), 2);
    EXPECT_EQ(recent_paths(), std::vector<std::string>{first});

    // "&Speichern" writes to the open file without a dialog.
    live_record().dimmer[0].minimum[0] = 22;
    EXPECT_EQ(file_name_text(), "* " + file_name_part(first));
    ASSERT_TRUE(save_parameter_file(nullptr, false));
    EXPECT_FALSE(is_modified());
    EXPECT_EQ(shown_file_name, file_name_part(first));
    ParameterRecord on_disk;
    ASSERT_TRUE(read_parameter_file(on_disk, first));
    EXPECT_EQ(on_disk.dimmer[0].minimum[0], 22);

    // "Speichern unter.." moves the set to the new file.
    fake_ui_choose_file(second);
    ASSERT_TRUE(save_parameter_file(nullptr, true));
    EXPECT_EQ(current_path(), second);
    EXPECT_TRUE(has_name());
    ASSERT_TRUE(read_parameter_file(on_disk, second));
    EXPECT_EQ(on_disk.dimmer[0].minimum[0], 22);
    EXPECT_EQ(recent_paths(), (std::vector<std::string>{first, second}));

    // "Schließen"
    ASSERT_TRUE(close_parameter_set());
    EXPECT_FALSE(set_open());
    EXPECT_FALSE(has_name());
    EXPECT_EQ(current_path(), "");
    EXPECT_EQ(shown_file_name, "");
    ParameterRecord zeros;
    std::memset(&zeros, 0, sizeof zeros);
    validate_record(zeros);
    EXPECT_EQ(std::memcmp(&live_record(), &zeros, sizeof zeros), 0);
    EXPECT_EQ(std::memcmp(&saved_copy(), &zeros, sizeof zeros), 0);
    EXPECT_EQ(fake_ui().unscripted_calls, 0);
    EXPECT_TRUE(fake_ui().messages.empty());
}

TEST_F(FileCommands, DialogsAskWhatTheUserExpects) {
    fake_ui_cancel_file_dialog();
    EXPECT_FALSE(open_parameter_file(nullptr));
    ASSERT_EQ(fake_ui().file_requests.size(), 1u);
    const FileDialogRequest& open = fake_ui().file_requests[0];
    EXPECT_FALSE(open.save);
    EXPECT_EQ(open.title, "KV-310-R-Parameterdatei öffnen");
    ASSERT_EQ(open.filters.size(), 2u);
    EXPECT_EQ(open.filters[0],
              (std::pair<std::string, std::string>{"KV-310-R-Parameterdatei (*.ini)", "*.ini"}));
    EXPECT_EQ(open.filters[1], (std::pair<std::string, std::string>{"Alle Dateien (*.*)", "*.*"}));
    EXPECT_EQ(open.filter_index, 1);
    EXPECT_EQ(open.initial_dir, "");

    // A plain name with a remembered folder starts the open dialog there.
    const std::string file = make_file("in-folder.ini", 5);
    fake_ui_choose_file(file);
    ASSERT_TRUE(open_parameter_file(nullptr));
    ASSERT_TRUE(new_parameter_set());
    fake_ui_cancel_file_dialog();
    EXPECT_FALSE(open_parameter_file(nullptr));
    EXPECT_EQ(fake_ui().file_requests.back().initial_name, "Parameterdatei KV-310-R.ini");
    EXPECT_EQ(fake_ui().file_requests.back().initial_dir, last_directory());

    // Saving a new set proposes a name and stays a new set when cancelled.
    edit_live();
    fake_ui_cancel_file_dialog();
    EXPECT_FALSE(save_parameter_file(nullptr, false));
    const FileDialogRequest& save = fake_ui().file_requests.back();
    EXPECT_TRUE(save.save);
    EXPECT_EQ(save.title, "Neue KV-310-R-Parameterdatei erzeugen");
    ASSERT_EQ(save.filters.size(), 1u);
    EXPECT_EQ(save.filters[0].second, "*.ini");
    EXPECT_EQ(save.default_ext, "ini");
    EXPECT_EQ(save.initial_name, "KV-310-R-Parameterdatei.ini");
    EXPECT_EQ(current_path(), "KV-310-R-Parameterdatei.ini");
    EXPECT_FALSE(has_name());
    EXPECT_TRUE(is_modified());
}

struct AskCase {
    std::string name;
    bool has_file;
    std::vector<int> answers;  // to the question
    bool choose_file;          // answer to a save dialog, if one comes
    bool proceed;
    bool saved;  // changes now on disk
};

TEST_F(FileCommands, AskSaveChangesFollowsTheAnswer) {
    const std::vector<AskCase> cases = {
        {"cancel keeps the change", true, {KV_IDCANCEL}, false, false, false},
        {"no discards it", true, {KV_IDNO}, false, true, false},
        {"yes saves to the open file", true, {KV_IDYES}, false, true, true},
        {"yes on a new set asks for a name", false, {KV_IDYES}, true, true, true},
        {"cancelled save dialog cancels", false, {KV_IDYES}, false, false, false},
    };
    for (const AskCase& c : cases) {
        SCOPED_TRACE(c.name);
        fake_ui_reset();
        const std::string file = make_file("ask.ini", 1);
        const std::string target = dir.file("ask-new.ini");
        std::filesystem::remove(target);
        if (c.has_file)
            ASSERT_TRUE(open_parameter_path(nullptr, file, true));
        else
            ASSERT_TRUE(new_parameter_set());
        live_record().dimmer[0].minimum[0] = 77;

        for (int a : c.answers) fake_ui_answer(a);
        if (c.choose_file)
            fake_ui_choose_file(target);
        else if (!c.has_file)
            fake_ui_cancel_file_dialog();

        EXPECT_EQ(ask_save_changes(nullptr), c.proceed);
        ASSERT_EQ(fake_ui().messages.size(), 1u);
        EXPECT_EQ(fake_ui().messages[0].type, KV_MB_QUESTION_YNC);
        EXPECT_EQ(fake_ui().messages[0].text, QUESTION);
        EXPECT_EQ(fake_ui().file_requests.size(), c.has_file ? 0u : 1u);
        EXPECT_EQ(fake_ui().unscripted_calls, 0);
        EXPECT_EQ(live_record().dimmer[0].minimum[0], 77) << "the live record is never discarded here";
        EXPECT_EQ(is_modified(), !c.saved);

        ParameterRecord on_disk;
        const std::string written = c.has_file ? file : target;
        const bool readable = read_parameter_file(on_disk, written);
        EXPECT_EQ(readable && on_disk.dimmer[0].minimum[0] == 77, c.saved);
    }
}

TEST_F(FileCommands, FailuresLeaveTheSetAsItWas) {
    const std::string good = make_file("good.ini", 9);
    const std::string incomplete = dir.file("incomplete.ini");
    write_bytes(incomplete, "[KV310R]\r\nw32_ver=101\r\nd_A_5=3\r\n");
    const std::string missing = dir.file("missing.ini");
    const std::string folder = dir.file("folder.ini");
    std::filesystem::create_directory(folder);

    ASSERT_TRUE(open_parameter_path(nullptr, good, true));
    edit_live();
    const Snapshot before = Snapshot::take();
    fake_ui_reset();

    EXPECT_FALSE(open_parameter_path(nullptr, missing, true));
    EXPECT_FALSE(open_parameter_path(nullptr, "", true));
    EXPECT_FALSE(open_parameter_path(nullptr, incomplete, true));
    EXPECT_FALSE(open_parameter_path(nullptr, incomplete, false));  // silent
    fake_ui_choose_file(incomplete);
    EXPECT_FALSE(open_parameter_file(nullptr));
    fake_ui_cancel_file_dialog();
    EXPECT_FALSE(open_parameter_file(nullptr));
    EXPECT_TRUE(Snapshot::take() == before);

    fake_ui_choose_file(folder);
    EXPECT_FALSE(save_parameter_file(nullptr, true));
    EXPECT_TRUE(Snapshot::take() == before);

    const std::vector<std::string> expected = {
        "Fehler: Datei \"" + missing + "\" ist nicht lesbar",
        "Fehler: Datei \"\" ist nicht lesbar",
        "Fehler: Datei \"" + incomplete + "\" ist nicht vollständig",
        "Fehler: Datei \"" + incomplete + "\" ist nicht vollständig",
        "Fehler: Datei \"" + folder + "\" konnte nicht abgespeichert werden",
    };
    ASSERT_EQ(fake_ui().messages.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(fake_ui().messages[i].type, KV_MB_ERROR);
        EXPECT_EQ(fake_ui().messages[i].text, expected[i]);
    }
    EXPECT_EQ(read_bytes(good).find("d1_K_3_a=9\r\n") != std::string::npos, true)
        << "the open file was touched";
    EXPECT_EQ(recent_paths(), std::vector<std::string>{good}) << "only files really opened are listed";
}

TEST_F(FileCommands, AHugeFileIsRefusedWithoutEndingTheProgram) {
    // Picked under "Alle Dateien (*.*)": 64 GiB, sparse, so the test costs no disk.
    const std::string huge = dir.file("riesig.ini");
    write_bytes(huge, "[KV310R]\r\nw32_ver=101\r\n");
    std::error_code ec;
    std::filesystem::resize_file(std::filesystem::path(TempDir::as_u8(huge)), uint64_t(64) << 30, ec);
    if (ec) GTEST_SKIP() << "no sparse file here: " << ec.message();
    ASSERT_TRUE(open_parameter_path(nullptr, make_file("good.ini", 9), true));
    edit_live();
    const Snapshot before = Snapshot::take();
    fake_ui_reset();

    EXPECT_FALSE(open_parameter_path(nullptr, huge, true));
    fake_ui_choose_file(huge);
    EXPECT_FALSE(save_parameter_file(nullptr, true));  // its other sections cannot be kept
    EXPECT_TRUE(Snapshot::take() == before);
    ASSERT_EQ(fake_ui().messages.size(), 2u);
    EXPECT_EQ(fake_ui().messages[0].text, "Fehler: Datei \"" + huge + "\" ist nicht vollständig");
    EXPECT_EQ(fake_ui().messages[1].text, "Fehler: Datei \"" + huge + "\" konnte nicht abgespeichert werden");
}

TEST_F(FileCommands, SaveToAFileThatCannotBeWrittenFails) {
    // The open file turned into a folder behind the program's back.
    const std::string path = make_file("vanishing.ini", 4);
    ASSERT_TRUE(open_parameter_path(nullptr, path, true));
    edit_live();
    std::filesystem::remove(path);
    std::filesystem::create_directory(path);
    const Snapshot before = Snapshot::take();
    fake_ui_reset();

    EXPECT_FALSE(save_parameter_file(nullptr, false));
    EXPECT_TRUE(Snapshot::take() == before);
    ASSERT_EQ(fake_ui().messages.size(), 1u);
    EXPECT_EQ(fake_ui().messages[0].text, "Fehler: Datei \"" + path + "\" konnte nicht abgespeichert werden");
    EXPECT_TRUE(fake_ui().file_requests.empty());
}

TEST_F(FileCommands, MessagesCutLongPathsTo128Characters) {
    const std::string long_path = std::string(150, 'a') + "ä.ini";
    EXPECT_FALSE(open_parameter_path(nullptr, long_path, true));
    ASSERT_EQ(fake_ui().messages.size(), 1u);
    EXPECT_EQ(fake_ui().messages[0].text, "Fehler: Datei \"" + std::string(128, 'a') + "\" ist nicht lesbar");

    fake_ui_reset();
    const std::string umlauts = std::string(127, 'b') + "äöü";
    EXPECT_FALSE(open_parameter_path(nullptr, umlauts, true));
    EXPECT_EQ(fake_ui().messages.at(0).text,
              "Fehler: Datei \"" + std::string(127, 'b') + "ä\" ist nicht lesbar");
}

TEST_F(FileCommands, LastFileIsRememberedAcrossRuns) {
    const std::string file = make_file("last.ini", 33);
    ASSERT_TRUE(open_parameter_path(nullptr, file, true));
    store_last_file();

    reset_file_command_state();
    reset_parameter_records();
    restore_last_file();
    EXPECT_TRUE(has_name());
    EXPECT_EQ(current_path(), file);
    EXPECT_EQ(live_record().dimmer[0].minimum[0], 33);
    EXPECT_FALSE(is_modified());

    // The file is gone: the next start begins a new set in the same folder.
    std::filesystem::remove(file);
    store_last_file();
    reset_file_command_state();
    reset_parameter_records();
    fake_ui_reset();
    restore_last_file();
    EXPECT_TRUE(set_open());
    EXPECT_FALSE(has_name());
    EXPECT_EQ(current_path(), "Parameterdatei KV-310-R.ini");
    EXPECT_EQ(last_directory(), directory_part(file));
    EXPECT_TRUE(fake_ui().messages.empty()) << "start-up reports nothing";

    // A new set's default name is stored as it is and simply falls back again.
    store_last_file();
    reset_file_command_state();
    restore_last_file();
    EXPECT_EQ(current_path(), "Parameterdatei KV-310-R.ini");
    EXPECT_FALSE(has_name());
}

TEST_F(FileCommands, LastFileWithUmlautsReopensFromEitherEncoding) {
    struct Case {
        const char* what;
        std::string folder;          // UTF-8, as the program spells paths
        std::string stored_folder;   // as "FILE" holds it
        std::string written_folder;  // as the exit writes it back
    };
    const std::vector<Case> cases = {
        {"code page 1252", "Müller", "M\xFCller", "M\xFCller"},
        {"UTF-8", "Müller", "Müller", "M\xFCller"},
        {"outside code page 1252", "Łódź Müller", "Łódź Müller", "Łódź Müller"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::create_directories(dir.path / TempDir::as_u8(c.folder));
        const std::string file = make_file(c.folder + "/anlage.ini", 44);
        // The path as the settings file holds it, with the folder in the given form.
        auto stored = [&](const std::string& path, const std::string& folder) {
            std::string s = path;
            return s.replace(s.find(c.folder), c.folder.size(), folder);
        };
        const std::string folder_path = directory_part(file);
        write_bytes(settings_path(), "; Einstellungen\r\n[KVDLG]\r\nFILE=" + stored(file, c.stored_folder) +
                                         "\r\nDIR=" + stored(folder_path, c.stored_folder) + "\r\n");
        reset_file_command_state();
        reset_parameter_records();
        restore_last_file();
        EXPECT_TRUE(has_name());
        EXPECT_EQ(current_path(), file);
        EXPECT_EQ(live_record().dimmer[0].minimum[0], 44);
        EXPECT_EQ(last_directory(), folder_path);

        store_last_file();
        EXPECT_EQ(read_bytes(settings_path()),
                  "; Einstellungen\r\n[KVDLG]\r\nFILE=" + stored(file, c.written_folder) +
                      "\r\nDIR=" + stored(folder_path, c.written_folder) + "\r\n");
    }
}

}  // namespace
