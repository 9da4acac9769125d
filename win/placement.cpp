#include "win/placement.h"

#include "base/settings.h"

namespace {

WindowPlacement g_placement;

constexpr const char* section = "SHOWCMD";

bool fits_on(const Rect& r, const Rect& desktop) {
    // Widths in 64 bits: stored values can be anything.
    int64_t width = int64_t{r.right} - r.left;
    int64_t height = int64_t{r.bottom} - r.top;
    return width > 0 && height > 0 && r.left >= desktop.left && r.top >= desktop.top &&
           r.right <= desktop.right && r.bottom <= desktop.bottom;
}

}  // namespace

const WindowPlacement& placement_get() { return g_placement; }

void placement_load(int system_show_command, const Rect& desktop) {
    WindowPlacement p;
    p.show_command =
        settings_read_int(section, "ZOOM", 0) != 0 ? PLACEMENT_SW_SHOWMAXIMIZED : system_show_command;
    p.use_stored = settings_read_int(section, "DEFAULT", 0) != 0;
    p.rect = Rect{settings_read_int(section, "LEFT", 0), settings_read_int(section, "TOP", 0),
                  settings_read_int(section, "RIGHT", 0), settings_read_int(section, "BOTTOM", 0)};
    if (!fits_on(p.rect, desktop))  // e.g. after a change of screen resolution
        p.use_stored = false;
    if (p.use_stored) {
        // Fits on the desktop, so the difference fits in 32 bits.
        p.width = static_cast<int32_t>(int64_t{p.rect.right} - p.rect.left);
        p.height = static_cast<int32_t>(int64_t{p.rect.bottom} - p.rect.top);
    } else {
        constexpr int32_t d = PLACEMENT_CW_USEDEFAULT;
        p.rect = Rect{d, d, d, d};
        p.width = d;
        p.height = d;
    }
    int tab = settings_read_int(section, "TAB", 0);
    p.start_tab = tab >= 0 && tab < PLACEMENT_TAB_COUNT ? tab : 0;
    g_placement = p;
}

void placement_set_snapshot(const Rect& normal) { g_placement.snapshot = normal; }

void placement_store(std::optional<int> tab_index, bool maximized, bool minimized, const Rect& normal) {
    WindowPlacement& p = g_placement;
    if (tab_index) {
        p.start_tab = *tab_index;
        settings_write_int(section, "TAB", *tab_index);
    }
    settings_write_int(section, "ZOOM", maximized ? 1 : 0);
    settings_write_int(section, "ICON", minimized ? 1 : 0);
    Rect r = normal;
    if (!p.use_stored) {
        if (r == p.snapshot)
            r = Rect{};  // never moved nor sized: keep opening at the default place
        else
            p.use_stored = true;
    }
    settings_write_int(section, "DEFAULT", p.use_stored ? 1 : 0);
    settings_write_int(section, "LEFT", r.left);
    settings_write_int(section, "TOP", r.top);
    settings_write_int(section, "RIGHT", r.right);
    settings_write_int(section, "BOTTOM", r.bottom);
}

void placement_reset() { g_placement = WindowPlacement{}; }

Rect fit_to_work_area(int32_t width, int32_t height, const Rect& work, int32_t bar_width,
                      int32_t bar_height) {
    const int64_t work_width = int64_t{work.right} - work.left;
    const int64_t work_height = int64_t{work.bottom} - work.top;
    int64_t w = width, h = height;
    if (w > work_width) h += bar_height;
    if (h > work_height) w += bar_width;
    if (w > work_width) w = work_width;
    if (h > work_height) h = work_height;
    const int64_t left = work.left + (work_width - w) / 2;
    const int64_t top = work.top + (work_height - h) / 2;
    return Rect{int32_t(left), int32_t(top), int32_t(left + w), int32_t(top + h)};
}
