// The control map of the pages "Grundeinstellung" and "Sonderfunktionen":
// which control shows which field of the record, what every control shows,
// and what a typed text or a click does to the record. Portable, so the
// native tests check every pairing; the Win32 pages only carry texts and
// ticks between these results and their controls.
#pragma once

#include "params/page_fields.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct PageControl {
    int id;
    FieldSlot slot;
    uint32_t value;  // choice: the value the button stands for; otherwise 0
};

// Every control of the page, slot by slot (a radio group's buttons by value).
std::vector<PageControl> page_controls(Page page);
std::optional<PageControl> find_page_control(Page page, int id);

// What one control shows: an edit its text, a button whether it is ticked.
struct ControlShown {
    int id;
    FieldKind kind;
    std::string text;  // number: the value in decimal ("0" too)
    bool ticked;       // choice, flag
};

// Validates the record, so the page shows corrected values, then what each
// control of the page shows.
std::vector<ControlShown> page_fill(ParameterRecord& record, Page page);

// An edit lost the focus holding text: the number typed (dialog integer
// reader: not a number gives 0, a negative one the largest integer) limited
// to the field's limit is stored. The page is filled again afterwards, which
// applies the record's own limits. False when id is no edit of the page.
bool page_take_text(ParameterRecord& record, Page page, int id, std::string_view text);

// A button was clicked. A radio button stores its value; a check box stores
// 0 when it shows a tick now, else 1 (it never ticks itself). False when id is
// no button of the page.
bool page_take_click(ParameterRecord& record, Page page, int id, bool shown_ticked);
