// The open parameter set: the live record with its load buffer and saved copy,
// the open file's path, and the commands of the menu "&Parameterdatei".
// Dialogs and messages go through the user-interface seam (base/ui.h); every
// command returns whether it was carried out and has told the user why not.
#pragma once

#include "base/ui.h"
#include "params/record.h"

#include <string>

// The name a new set gets and the one the save dialog proposes for it.
constexpr const char* NEW_SET_NAME = "Parameterdatei KV-310-R.ini";
constexpr const char* SAVE_PROPOSAL_BASE = "KV-310-R-Parameterdatei";

// The one live record that the pages edit and the device link transfers.
ParameterRecord& live_record();
// A file is read here first and replaces the live record only when complete.
const ParameterRecord& load_buffer();
// The live record as it was after the last New, Open, Save or Close.
const ParameterRecord& saved_copy();
const std::string& current_path();
const std::string& last_directory();
bool set_open();
bool has_name();
// The filter the user last chose in the open dialog this run (0 = none yet).
int open_filter_index();

// Start-up: defaults into the live record, copied to the load buffer and the
// saved copy. No set counts as open yet.
void reset_parameter_records();
// Back to the state at program start (zero records, no set, no paths).
void reset_file_command_state();

// A set is open and the live record differs from the saved copy.
bool is_modified();

// The status-bar text for the open file: its name, with "* " before it while
// there are unsaved changes.
std::string file_name_text();
// Where show_file_name puts the text (the main window's status bar). No hook:
// nothing is shown.
using FileNameHook = void (*)(const std::string& text);
void set_file_name_hook(FileNameHook hook);
void show_file_name();

bool new_parameter_set();
bool close_parameter_set();
bool open_parameter_file(WindowRef owner);
bool open_parameter_path(WindowRef owner, const std::string& path, bool report);
// Reads a parameter file into record with the checks of "Öffnen": false when
// the file is missing ("nicht lesbar") or does not hold every key ("nicht
// vollständig"), with that message owned by owner when report is set.
bool load_parameter_file(WindowRef owner, const std::string& path, ParameterRecord& record, bool report);
bool save_parameter_file(WindowRef owner, bool save_as);
// Before the set would be replaced: true to go on (nothing to save, saved, or
// "No"), false to stop.
bool ask_save_changes(WindowRef owner);

// Program settings "KVDLG"/"FILE" and "DIR": reopen the last file at start-up,
// remember it at exit.
void restore_last_file();
void store_last_file();
