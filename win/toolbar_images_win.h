// The toolbar strip (bitmap 700) at the size the display's DPI setting asks
// for, so the icons grow with the text under them.
#pragma once

#include <windows.h>
#include <commctrl.h>

struct ToolbarImages {
    int width;
    int height;
    HIMAGELIST list;  // null: the toolbar takes the bitmap as it is
};

// At 96 dpi the bitmap itself (its greys follow the system colours). At any
// other setting the images scaled smoothly, once, into a 32-bit image list
// kept for the whole run; should that fail, the bitmap at its own size.
ToolbarImages toolbar_images(HINSTANCE instance);
