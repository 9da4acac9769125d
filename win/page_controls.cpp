#include "win/page_controls.h"

#include "base/text.h"
#include "res/resource.h"

#include <cstddef>

namespace {

// The first control id of each field, found by page and offset.
struct FirstId {
    Page page;
    size_t offset;  // as in PageField
    int id;
};

const FirstId FIRST_IDS[] = {
    {Page::base_settings, offsetof(DimmerBlock, minimum), IDC_MINIMUM},
    {Page::base_settings, offsetof(DimmerBlock, zero_control_output), IDC_ZERO_OUTPUT},
    {Page::base_settings, offsetof(DimmerBlock, maximum), IDC_MAXIMUM},
    {Page::base_settings, offsetof(DimmerBlock, characteristic), IDC_CHARACTERISTIC},
    {Page::base_settings, offsetof(DimmerBlock, preheat_time), IDC_PREHEAT_TIME},
    {Page::base_settings, offsetof(DimmerBlock, off_with_fade), IDC_OFF_WITH_FADE},
    {Page::base_settings, offsetof(DimmerBlock, fade_time), IDC_FADE_TIME},
    {Page::base_settings, offsetof(DimmerBlock, fade_time_mode), IDC_FADE_TIME_MODE},
    {Page::base_settings, offsetof(DimmerBlock, default_mode), IDC_DEFAULT_MODE},
    {Page::base_settings, offsetof(DimmerBlock, auto_mode_switch), IDC_AUTO_MODE_SWITCH},
    {Page::base_settings, offsetof(DimmerBlock, voltage_input_range), IDC_VOLTAGE_INPUT_RANGE},
    {Page::special_functions, offsetof(ParameterRecord, bus_failure_delay), IDC_BUS_FAILURE_DELAY},
    {Page::special_functions, offsetof(ParameterRecord, master_slave_pc_test), IDC_MASTER_SLAVE},
    {Page::special_functions, offsetof(DimmerBlock, bus_failure_action), IDC_BUS_FAILURE_ACTION},
    {Page::special_functions, offsetof(DimmerBlock, pot_activity), IDC_POT_ACTIVITY},
    {Page::special_functions, offsetof(DimmerBlock, voltage_input_activity), IDC_VOLTAGE_INPUT_ACTIVITY},
    {Page::special_functions, offsetof(DimmerBlock, nondim_threshold), IDC_NONDIM_THRESHOLD},
    {Page::special_functions, offsetof(DimmerBlock, nondim_hysteresis), IDC_NONDIM_HYSTERESIS},
    {Page::special_functions, offsetof(DimmerBlock, one_button_start), IDC_ONE_BUTTON_START},
    {Page::special_functions, offsetof(DimmerBlock, one_button_dim_fade), IDC_ONE_BUTTON_DIM_FADE},
    {Page::special_functions, offsetof(DimmerBlock, one_button_onoff_fade), IDC_ONE_BUTTON_ONOFF_FADE},
};

int first_id(const PageField& field) {
    for (const FirstId& f : FIRST_IDS)
        if (f.page == field.page && f.offset == field.offset) return f.id;
    return 0;  // every field has one: the tests check it
}

uint32_t value_count(const PageField& field) {
    return field.kind == FieldKind::choice ? uint32_t(field.choices.size()) : 1;
}

// first + dimmer * (columns * values) + column * values + value
int control_id(const FieldSlot& slot, uint32_t value) {
    const PageField& f = *slot.field;
    const int values = int(value_count(f));
    const int columns = f.scope == FieldScope::cd ? CD_COUNT : 1;
    int id = first_id(f) + int(value);
    if (slot.dimmer > 0) id += slot.dimmer * columns * values;
    if (slot.column > 0) id += slot.column * values;
    return id;
}

}  // namespace

std::vector<PageControl> page_controls(Page page) {
    std::vector<PageControl> controls;
    for (const FieldSlot& slot : field_slots()) {
        if (slot.field->page != page) continue;
        for (uint32_t v = 0; v < value_count(*slot.field); ++v)
            controls.push_back({control_id(slot, v), slot, slot.field->kind == FieldKind::choice ? v : 0});
    }
    return controls;
}

std::optional<PageControl> find_page_control(Page page, int id) {
    static const std::vector<PageControl> base = page_controls(Page::base_settings);
    static const std::vector<PageControl> special = page_controls(Page::special_functions);
    if (page != Page::base_settings && page != Page::special_functions) return std::nullopt;
    for (const PageControl& c : page == Page::base_settings ? base : special)
        if (c.id == id) return c;
    return std::nullopt;
}

std::vector<ControlShown> page_fill(ParameterRecord& record, Page page) {
    validate_record(record);
    std::vector<ControlShown> shown;
    for (const PageControl& c : page_controls(page)) {
        const uint32_t v = slot_value(record, c.slot);
        const FieldKind kind = c.slot.field->kind;
        switch (kind) {
            case FieldKind::number:
                shown.push_back({c.id, kind, format_text("%lu", static_cast<unsigned long>(v)), false});
                break;
            case FieldKind::choice:
                shown.push_back({c.id, kind, std::string(), v == c.value});
                break;
            case FieldKind::flag:
                shown.push_back({c.id, kind, std::string(), v == 1});
                break;
        }
    }
    return shown;
}

bool page_take_text(ParameterRecord& record, Page page, int id, std::string_view text) {
    const auto c = find_page_control(page, id);
    if (!c || c->slot.field->kind != FieldKind::number) return false;
    uint32_t v = parse_dlg_int(text, nullptr);
    if (v > c->slot.field->limit) v = c->slot.field->limit;
    set_slot_value(record, c->slot, v);
    return true;
}

bool page_take_click(ParameterRecord& record, Page page, int id, bool shown_ticked) {
    const auto c = find_page_control(page, id);
    if (!c) return false;
    switch (c->slot.field->kind) {
        case FieldKind::choice:
            set_slot_value(record, c->slot, c->value);
            return true;
        case FieldKind::flag:
            set_slot_value(record, c->slot, shown_ticked ? 0 : 1);
            return true;
        case FieldKind::number:
            break;
    }
    return false;
}
