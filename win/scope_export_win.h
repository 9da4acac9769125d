// The context menu of the oscilloscope plot and what it does with the shown
// capture: save it as CSV, save the plot with its labels as a PNG image, or
// copy that image to the clipboard.
#pragma once

#include <windows.h>

// The menu's popup with its entries enabled only while a capture is shown;
// the caller destroys the menu it came from (returned in menu).
HMENU scope_export_popup(bool capture_shown, HMENU& menu);
// Shows the menu at a screen point; the chosen entry comes back to the page
// as WM_COMMAND.
void scope_export_menu(HWND page, POINT screen, bool capture_shown);
// CMD_SCOPE_SAVE_CSV, CMD_SCOPE_SAVE_PNG or CMD_SCOPE_COPY; nothing while no
// capture is shown. A save that fails says so and leaves an existing file as
// it was.
void scope_export(HWND page, int command);

// The plot with its labels, description, peak current and times as they are
// on the page, in a new bitmap (null when it cannot be made).
HBITMAP scope_page_image(HWND page);
