// The fields of the parameter set that the pages "Grundeinstellung" and
// "Sonderfunktionen" edit: where each one lies in the record, how the page
// shows it (a number, one of several choices, a tick), the largest number the
// page stores, and the page's German labels. The page windows, their control
// map and "kv310r-cli diff" all read this one table.
#pragma once

#include "params/page.h"
#include "params/record.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class FieldKind {
    number,  // an edit; typed text limited to `limit`
    choice,  // a group of radio buttons, value = index of the button
    flag,    // a check box, ticked = 1
};

enum class FieldScope {
    device,  // once in the record
    dimmer,  // once per dimmer
    cd,      // per dimmer and CD configuration (the page's columns)
};

struct PageField {
    Page page;          // one of EDIT_PAGES
    const char* label;  // the page's label of the field or of its radio group
    FieldKind kind;
    FieldScope scope;
    size_t offset;                        // device: in the record; otherwise in the dimmer block
    int size;                             // bytes, little-endian
    uint32_t limit;                       // number: the largest value the page stores
    std::vector<const char*> choices;     // choice: the buttons' labels, by value
    const char* label_dimmer2 = nullptr;  // dimmer 2's label where it differs
};

// One field of one dimmer and CD column (-1 where the scope has none).
struct FieldSlot {
    const PageField* field;
    int dimmer;
    int column;
};

// The pages that edit the parameter set, in tab order.
constexpr Page EDIT_PAGES[] = {Page::base_settings, Page::special_functions};
extern const char* const CD_LABELS[CD_COUNT];          // the base page's column heads
extern const char* const DIMMER_LABELS[DIMMER_COUNT];  // "Dimmer 1", "Dimmer 2"

// Every field, in the order the pages show them (a page's fields together).
const std::vector<PageField>& page_fields();

// Every slot of every field, page by page; within a page dimmer 1 before
// dimmer 2, the device-wide fields first.
std::vector<FieldSlot> field_slots();

const char* field_label(const PageField& field, int dimmer);
size_t slot_offset(const FieldSlot& slot);  // in the record
uint32_t slot_value(const ParameterRecord& record, const FieldSlot& slot);
void set_slot_value(ParameterRecord& record, const FieldSlot& slot, uint32_t value);

// "Grundeinstellung, Dimmer 2, CD = 10, Minimum 0-100%" (the parts the slot has).
std::string slot_name(const FieldSlot& slot);
// A value as the page shows it: the number, the button's label, "ein"/"aus".
std::string slot_value_text(const FieldSlot& slot, uint32_t value);
