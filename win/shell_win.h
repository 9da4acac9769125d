// The application shell of kv310r.exe: start-up and shut-down, the message
// loop and periodic timer, the main window with its tab pages, toolbar and
// status bar, and the command dispatcher.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "params/page.h"

// Start-up and shut-down (main_win.cpp) -----------------------------------

HINSTANCE app_instance();
// The whole program: start-up, message loop, shut-down. Returns the exit code.
int kv310r_main(HINSTANCE instance, HINSTANCE previous, int show_command);

// Start-up from the thread locale to the common controls and GDI+.
void shell_init_platform();
// Registers the window class, loads the settings, creates and shows the main
// window, reopens the last parameter file and shows the page. False when the
// window cannot be created. Tests call this without the message loop.
bool shell_create_main_window(HINSTANCE instance, int show_command);
// The stores at exit, in order, after the loop has ended (from store_last_file
// to the oscilloscope settings). The window placement is stored and the help
// viewer told to close when the main window is destroyed.
void shell_store_settings();

// The device link's wait loops sleep here between empty polls of the port,
// waking at once for a window message.
void wait_for_messages(unsigned max_ms);

// One message of the loop: accelerators first, then the page shown, then the
// window itself.
void shell_process_message(MSG& msg);

// The periodic timer: does the polling of the status page and the oscilloscope
// when no other tick is running and no busy window is open.
void CALLBACK timer_tick(HWND, UINT, UINT_PTR, DWORD);
using TimerStep = void (*)();
// Runs a step of the timer's work now, unless a tick or another such step is
// already running further up the stack. Every call of a step outside the
// timer goes through here.
void run_timer_step(TimerStep step);
// The two steps a timer tick runs; null restores the pages' own steps.
void set_timer_steps(TimerStep status_step, TimerStep scope_step);

// Main window (main_window_win.cpp) -----------------------------------------

constexpr wchar_t MAIN_CLASS_NAME[] = L"Kv310rXPAppClass";
// The codes of the notifications a page receives (sender window and id 0).
constexpr UINT PAGE_SETACTIVE = static_cast<UINT>(-200);   // shown, or show the record again
constexpr UINT PAGE_KILLACTIVE = static_cast<UINT>(-201);  // just hidden

LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

HWND main_window();
HWND tab_control();
HWND tool_bar();
HWND status_bar();
HWND current_page();  // the page shown, or null
HWND page_window(Page page);
// The page of the selected tab; nothing before the tabs exist.
std::optional<Page> selected_page();

// Sets a status-bar field's text (UTF-8) with style 0 or SBT_POPOUT.
void status_text(int field, unsigned style, const std::string& text);
bool status_progress_create(int field);
void status_progress_set(unsigned position);
void status_progress_remove();

// Sends the page shown PAGE_SETACTIVE; false when no page is shown.
bool refresh_current_page();
// When an edit of the page shown has the focus: takes the focus away and
// gives it back, so the edit stores what was typed into the record.
void commit_pending_edit();
bool step_tab(int delta, bool wrap);
bool select_page(Page page);
// Hides the page shown and shows the one of the selected tab.
void page_switch();

// The file name in the status bar: the hook that shows it, and the check each
// timer tick and command makes whether the shown text is still right.
void show_file_name_in_status_bar(const std::string& text);
void update_file_name_display();

// Commands (commands_win.cpp) -------------------------------------------------

void dispatch_command(int id);
// WM_INITMENUPOPUP: recent files and the radio mark of the page entries.
void commands_init_menu_popup(HMENU popup);
// Closing the main window: commits the edit in progress, asks about unsaved
// changes and destroys the window unless the user cancels.
void close_main_window();
