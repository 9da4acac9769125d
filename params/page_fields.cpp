#include "params/page_fields.h"

#include "base/text.h"

#include <cstring>

const char* const CD_LABELS[CD_COUNT] = {"CD = 00 und PC-Test", "CD = 10", "CD = 01",
                                         "CD = 11 (mit Vorheizen)"};
const char* const DIMMER_LABELS[DIMMER_COUNT] = {"Dimmer 1", "Dimmer 2"};

namespace {

constexpr uint32_t BYTE_LIMIT = 255;
constexpr uint32_t FADE_TIME_LIMIT = 60000;  // 600 s in 0.01 s

PageField number(Page page, const char* label, FieldScope scope, size_t offset, int size = 1,
                 uint32_t limit = BYTE_LIMIT) {
    return {page, label, FieldKind::number, scope, offset, size, limit, {}};
}

PageField choice(Page page, const char* label, FieldScope scope, size_t offset,
                 std::vector<const char*> labels) {
    return {page, label, FieldKind::choice, scope, offset, 1, 0, std::move(labels)};
}

PageField flag(Page page, const char* label, FieldScope scope, size_t offset) {
    return {page, label, FieldKind::flag, scope, offset, 1, 1, {}};
}

std::vector<PageField> make_fields() {
    using S = FieldScope;
    constexpr Page base = Page::base_settings, special = Page::special_functions;
    std::vector<PageField> f = {
        // "Grundeinstellung"
        number(base, "Minimum 0-100%", S::cd, offsetof(DimmerBlock, minimum)),
        choice(base, "Ausgangsspannung bei Ansteuerung = 0%", S::cd,
               offsetof(DimmerBlock, zero_control_output), {"0%", "Minimum"}),
        number(base, "Maximum 0-100%", S::cd, offsetof(DimmerBlock, maximum)),
        choice(base, "Dimmercharakteristik", S::cd, offsetof(DimmerBlock, characteristic),
               {"t-linear", "P-linear", "Ueff-linear", "User 1", "User 2"}),
        number(base, "Vorheizzeit von ESLs mit 100% [s]", S::dimmer, offsetof(DimmerBlock, preheat_time)),
        choice(base, "Ausschaltverhalten für Ansteuerung = 0%", S::dimmer,
               offsetof(DimmerBlock, off_with_fade), {"sofort, ohne Blendzeit", "mit Blendzeit"}),
        number(base, "Blendzeit [x 0,01s]", S::dimmer, offsetof(DimmerBlock, fade_time), 2, FADE_TIME_LIMIT),
        // The radio group under the fade time has no label on the page; it is
        // named after the fade time, yet apart from it.
        choice(base, "Blendzeit-Modus", S::dimmer, offsetof(DimmerBlock, fade_time_mode),
               {"Min-Max-Laufzeit", "Blendzeit = Zykluszeit", "Änderungszeit"}),
        choice(base, "Betriebsart-Voreinstellung", S::dimmer, offsetof(DimmerBlock, default_mode),
               {"ABschnitt", "ANschnitt"}),
        flag(base, "Automatische Betriebsart-Umschaltung beim PC-Test", S::dimmer,
             offsetof(DimmerBlock, auto_mode_switch)),
        choice(base, "U-Eingang bei DMX und PC-Test", S::dimmer, offsetof(DimmerBlock, voltage_input_range),
               {"0 - 10V", "1 - 10V"}),
        // "Sonderfunktionen"
        number(special, "Verzögerung der Busausfallerkennung 5 - 255s", S::device,
               offsetof(ParameterRecord, bus_failure_delay)),
        flag(special, "Master/Slave-Betrieb im PC-Testbetrieb", S::device,
             offsetof(ParameterRecord, master_slave_pc_test)),
        choice(special, "Aktion nach dem Busausfall", S::dimmer, offsetof(DimmerBlock, bus_failure_action),
               {"keine Änderung", "0%", "10%", "50%", "80%", "100%", "Potentiometer", "U-Eingang"}),
        choice(special, "Potentiometer-Aktivität im Normalbetrieb", S::dimmer,
               offsetof(DimmerBlock, pot_activity), {"Aus", "Bus = 0%", "Potentiometer > Bus"}),
        choice(special, "U-Eingang-Aktivität bei DMX und PC-Test", S::dimmer,
               offsetof(DimmerBlock, voltage_input_activity), {"Aus", "Bus = 0%", "U > Bus"}),
        number(special, "Nondim-Schwelle 0 - 100%", S::dimmer, offsetof(DimmerBlock, nondim_threshold)),
        number(special, "Nondim-Hysteresis 0 - 10%", S::dimmer, offsetof(DimmerBlock, nondim_hysteresis)),
        number(special, "Startwert bei Ein-Tasten-Bedienung", S::dimmer,
               offsetof(DimmerBlock, one_button_start)),
        number(special, "Ein-Tasten-Bedienung Blendzeit Dimmung [x 0,1s]", S::dimmer,
               offsetof(DimmerBlock, one_button_dim_fade)),
        number(special, "Ein-Tasten-Bedienung Blendzeit Ein/Aus [x 0,1s]", S::dimmer,
               offsetof(DimmerBlock, one_button_onoff_fade)),
    };
    // Dimmer 2's label has always had two blanks here.
    for (PageField& field : f)
        if (std::strcmp(field.label, "Nondim-Hysteresis 0 - 10%") == 0)
            field.label_dimmer2 = "Nondim-Hysteresis  0 - 10%";
    return f;
}

}  // namespace

const std::vector<PageField>& page_fields() {
    static const std::vector<PageField> fields = make_fields();
    return fields;
}

std::vector<FieldSlot> field_slots() {
    std::vector<FieldSlot> slots;
    for (Page page : EDIT_PAGES) {
        for (const PageField& f : page_fields())
            if (f.page == page && f.scope == FieldScope::device) slots.push_back({&f, -1, -1});
        for (int d = 0; d < DIMMER_COUNT; ++d)
            for (const PageField& f : page_fields()) {
                if (f.page != page || f.scope == FieldScope::device) continue;
                if (f.scope == FieldScope::dimmer)
                    slots.push_back({&f, d, -1});
                else
                    for (int k = 0; k < CD_COUNT; ++k) slots.push_back({&f, d, k});
            }
    }
    return slots;
}

const char* field_label(const PageField& field, int dimmer) {
    return dimmer == 1 && field.label_dimmer2 ? field.label_dimmer2 : field.label;
}

size_t slot_offset(const FieldSlot& slot) {
    const PageField& f = *slot.field;
    if (f.scope == FieldScope::device) return f.offset;
    size_t offset = offsetof(ParameterRecord, dimmer) + size_t(slot.dimmer) * sizeof(DimmerBlock) + f.offset;
    if (f.scope == FieldScope::cd) offset += size_t(slot.column);
    return offset;
}

uint32_t slot_value(const ParameterRecord& record, const FieldSlot& slot) {
    const uint8_t* p = reinterpret_cast<const uint8_t*>(&record) + slot_offset(slot);
    return slot.field->size == 2 ? get_u16le(p) : p[0];
}

void set_slot_value(ParameterRecord& record, const FieldSlot& slot, uint32_t value) {
    uint8_t* p = reinterpret_cast<uint8_t*>(&record) + slot_offset(slot);
    if (slot.field->size == 2)
        put_u16le(p, uint16_t(value));
    else
        p[0] = uint8_t(value);
}

std::string slot_name(const FieldSlot& slot) {
    std::string name = page_title(slot.field->page);
    if (slot.dimmer >= 0) name += std::string(", ") + DIMMER_LABELS[slot.dimmer];
    if (slot.column >= 0) name += std::string(", ") + CD_LABELS[slot.column];
    return name + ", " + field_label(*slot.field, slot.dimmer);
}

std::string slot_value_text(const FieldSlot& slot, uint32_t value) {
    const PageField& f = *slot.field;
    if (f.kind == FieldKind::flag) return value == 1 ? "ein" : "aus";
    if (f.kind == FieldKind::choice && value < f.choices.size()) return f.choices[value];
    return format_text("%lu", static_cast<unsigned long>(value));
}
