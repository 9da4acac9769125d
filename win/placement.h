// Main-window placement and start tab, kept in section "SHOWCMD" of the
// settings file. These are the decisions only; the Windows side passes in
// what it reads from the system and applies the result.
#pragma once

#include <cstdint>
#include <optional>

// Window rectangle in screen pixels, as Windows' RECT.
struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    bool operator==(const Rect&) const = default;
};

// The Windows values (named apart from the <windows.h> macros).
constexpr int PLACEMENT_SW_SHOWMAXIMIZED = 3;
constexpr int32_t PLACEMENT_CW_USEDEFAULT = static_cast<int32_t>(0x80000000u);
constexpr int PLACEMENT_TAB_COUNT = 5;

struct WindowPlacement {
    bool use_stored = false;  // the stored rectangle is used for the window
    int show_command = 0;     // for the first showing of the main window
    Rect rect;                // all PLACEMENT_CW_USEDEFAULT when not used
    int32_t width = 0;        // PLACEMENT_CW_USEDEFAULT when not used
    int32_t height = 0;
    Rect snapshot;      // normal rectangle right after the first showing
    int start_tab = 0;  // 0..4
};

const WindowPlacement& placement_get();

// Start-up, before the main window exists: reads the settings. A stored
// rectangle counts only when it is not empty and lies fully on the desktop.
void placement_load(int system_show_command, const Rect& desktop);

// The window's normal rectangle right after it was first shown.
void placement_set_snapshot(const Rect& normal);

// The main window is being destroyed: writes the settings. tab_index is
// nothing when there is no tab control; normal is the restored rectangle
// (also while maximized or minimized). A window that opened at the default
// place and was never moved or sized stores no rectangle, so the next start
// centres it again.
void placement_store(std::optional<int> tab_index, bool maximized, bool minimized, const Rect& normal);

// Without a stored placement the window is sized to fit the pages. It gets
// that size, but never more than the monitor's work area, centred in the work
// area. A page cut short scrolls: the other side grows by the scroll bar's
// breadth (bar_width for a vertical bar, bar_height for a horizontal one)
// where the work area has room for it.
Rect fit_to_work_area(int32_t width, int32_t height, const Rect& work, int32_t bar_width = 0,
                      int32_t bar_height = 0);

// Back to the cleared record (for tests).
void placement_reset();
