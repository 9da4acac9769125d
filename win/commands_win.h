// The command dispatcher of the main window: menu, toolbar, context menu and
// accelerators. File and device commands first make the page shown store the
// value being typed, and afterwards show the record again.
#pragma once

#include <windows.h>

void dispatch_command(int id);
// WM_INITMENUPOPUP: recent files and the radio mark of the page entries.
void commands_init_menu_popup(HMENU popup);
// Closing the main window: commits the edit in progress, asks about unsaved
// changes and destroys the window unless the user cancels.
void close_main_window();
