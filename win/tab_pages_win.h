// The main window's tab control and its five pages: modeless child dialogs
// of the tab control, created once and shown one at a time. A page learns
// that it is shown or hidden through the notifications of page_notify.h.
#pragma once

#include <windows.h>

#include <optional>

#include "params/page.h"

// Creates the tab control as a child of main with a tab and a page for each
// page in tab order, makes its display area exactly one page, selects the
// start tab and shows its page. False when the control, a tab or a page
// cannot be created.
bool tab_pages_create(HWND main, HFONT font);
// Moves the tab control to area (client coordinates of the main window) and
// the page shown into its display area.
void tab_pages_place(const RECT& area);
// A notification from the tab control: its keys and a change of the tab.
void tab_pages_notify(const NMHDR& header);
// The main window is gone, and the tab control and pages with it.
void tab_pages_forget();

HWND tab_control();
HWND current_page();  // the page shown, or null
HWND page_window(Page page);
// The page of the selected tab; nothing before the tabs exist.
std::optional<Page> selected_page();

// Sends the page shown PAGE_SETACTIVE; false when no page is shown.
bool refresh_current_page();
// When an edit of the page shown has the focus: takes the focus away and
// gives it back, so the edit stores what was typed into the record.
void commit_pending_edit();
// The tab delta places away (TAB_LAST: the last, 0: the first), wrapping
// round or stopping at the ends; the tab of page. Each runs the page switch
// when the tab changes.
bool step_tab(int delta, bool wrap);
bool select_page(Page page);
// Selects the page's tab and runs the page switch even when it is shown
// already: the page is hidden and shown again.
void show_page(Page page);
// Hides the page shown and shows the one of the selected tab.
void page_switch();
