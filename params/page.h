// The five tab pages of the main window, in tab order. The first two edit the
// parameter set through the field table (page_fields.h); the program, the
// field table and "kv310r-cli diff" name a page by this and by its title.
#pragma once

enum class Page : int {
    base_settings = 0,      // "Grundeinstellung"
    special_functions = 1,  // "Sonderfunktionen"
    user_curves = 2,        // "Userkurve 1 und 2"
    status = 3,             // "Dimmerstatus"
    scope = 4,              // "Oszilloskop"
};

constexpr int PAGE_COUNT = 5;

// The page's position among the tabs, and the page at a position (0..4).
constexpr int page_index(Page page) { return static_cast<int>(page); }
constexpr Page page_at(int index) { return static_cast<Page>(index); }

// The tab's title.
const char* page_title(Page page);
