// Moving texts and numbers between dialog controls and the program. Texts are
// UTF-8 in the program and UTF-16 in the controls.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

std::string dlg_get_text(HWND dialog, int item, size_t max_chars = 127);
void dlg_set_text(HWND dialog, int item, const std::string& text);
// The same for a control already at hand (no look-up by id).
void set_control_text(HWND control, const std::string& text);
// 0 empties the field; other values show as unsigned decimal.
void dlg_set_uint(HWND dialog, int item, uint32_t value);
// The number typed: see parse_dlg_int.
uint32_t dlg_get_int(HWND dialog, int item, bool* valid = nullptr);
// The word typed: see take_word.
std::string dlg_get_word(HWND dialog, int item, bool keep_inner_blanks, size_t size = 128);

// Tab stops at the ticked button of each radio group only: a radio button
// reports a click whenever the focus reaches it unticked, so Tab must land on
// the ticked one, or walking through a page would change what it shows.
void set_tab_stop(HWND control, bool stop);
// A radio button showing no tick: on Windows the focus arriving at one other
// than by a mouse press on it clicks it (Wine's button does not).
bool is_unticked_radio(HWND control);
// Where the focus may go to reach control: control itself, or for an unticked
// radio button the ticked button of its group. Null when no button of the
// group is ticked.
HWND focus_target_in_group(HWND dialog, HWND control);
// An edit control: the pages take what was typed into one when it loses the
// focus.
bool is_edit(HWND control);

// Whether a trackbar's WM_HSCROLL code is one a page takes the position on:
// arrows, page keys and clicks, dragging, and the end of any move (Home and
// End are taken with the TB_ENDTRACK that follows them).
bool trackbar_moved(int code);

// The program's folder, ending with a backslash (empty: the current folder).
std::string program_directory();
// Asks the help viewer to close the program's help file "Kv310r.hlp". The
// viewer knows its callers by their window, so this needs the main window
// while it still exists.
void help_quit(HWND window);
