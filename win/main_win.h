// Start-up and shut-down of kv310r.exe, and its message loop: what WinMain
// runs, and what the UI tests run of it without the loop.
#pragma once

#include <windows.h>

// The whole program: start-up, message loop, shut-down. Returns the exit code.
int kv310r_main(HINSTANCE instance, HINSTANCE previous, int show_command);

// Start-up from the thread locale to the common controls and GDI+.
void shell_init_platform();
// Registers the window class, loads the settings, creates and shows the main
// window, wires the periodic timer's steps to the measurement pages, reopens
// the last parameter file and shows the page. False when the window cannot be
// created. Tests call this without the message loop.
bool shell_create_main_window(HINSTANCE instance, int show_command);
// The stores at exit, in order, after the loop has ended (from store_last_file
// to the oscilloscope settings). The window placement is stored and the help
// viewer told to close when the main window is destroyed.
void shell_store_settings();

// The device link's wait loops sleep here between empty polls of the port,
// waking at once for a window message; true when one is waiting.
bool wait_for_messages(unsigned max_ms);

// One message of the loop: accelerators first, then the monitor and the page
// shown (their keyboard input), then the window itself.
void shell_process_message(MSG& msg);
