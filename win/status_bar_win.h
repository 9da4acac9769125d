// The main window's status bar: its four fields (laid out by
// status_fields.h), the texts in them, and the progress bar that may cover a
// field (the status page's heartbeat). Texts and progress do nothing while
// there is no status bar.
#pragma once

#include <windows.h>

#include <string>

// Creates the bar as a child of the main window unless it exists, lays out
// its fields and sizes it for the main window's creation size; false when it
// cannot be created.
bool status_bar_create(HWND main, LPARAM size);
// The main window was sized (WM_SIZE's type and size): the bar follows and
// lays out its fields again.
void status_bar_resize(WPARAM type, LPARAM size);
// The main window is gone, and the bar with it.
void status_bar_forget();
HWND status_bar();

// Sets a field's text (UTF-8, at most 511 characters) with style 0 or
// SBT_POPOUT.
void status_text(int field, unsigned style, const std::string& text);
// A progress bar (0..100) exactly over the field, replacing any other; false
// when the field has no rectangle or the bar cannot be made.
bool status_progress_create(int field);
// Above 100 counts as 100; an unchanged position is not sent again.
void status_progress_set(unsigned position);
void status_progress_remove();

// The port field: the port settings' text, followed while a recording of
// the status runs by " – Aufzeichnung läuft".
void show_port_in_status_bar(const std::string& text);
void show_recording_in_status_bar(bool recording);

// The file name field: the hook that shows the parameter file's name
// (params/file_commands.h), and the check each timer tick and command makes
// whether the text shown is still right.
void show_file_name_in_status_bar(const std::string& text);
void update_file_name_display();
