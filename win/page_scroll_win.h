// A page larger than the tab control's display area (a high DPI setting on a
// small screen) gets scroll bars instead of losing its right or bottom part.
// The page's own procedure sees none of this.
#pragma once

#include <windows.h>

// Takes the page's size now as its full size. Scroll bars appear while the
// page is made smaller than that; the mouse wheel scrolls, and a control that
// the keyboard moves the focus to is scrolled into view.
void page_scroll_attach(HWND page);
