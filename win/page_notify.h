// How the main window's tab control tells a page that it is shown or hidden:
// WM_NOTIFY with a header whose sender window and id are 0 and one of these
// codes (the property-sheet page codes PSN_SETACTIVE and PSN_KILLACTIVE).
#pragma once

constexpr unsigned PAGE_SETACTIVE = static_cast<unsigned>(-200);   // shown, or show the record again
constexpr unsigned PAGE_KILLACTIVE = static_cast<unsigned>(-201);  // just hidden
