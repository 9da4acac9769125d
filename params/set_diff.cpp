#include "params/set_diff.h"

#include "base/text.h"
#include "params/page_fields.h"

std::vector<std::string> parameter_set_differences(const ParameterRecord& a, const ParameterRecord& b) {
    std::vector<std::string> lines;
    for (const FieldSlot& slot : field_slots()) {
        const uint32_t va = slot_value(a, slot), vb = slot_value(b, slot);
        if (va != vb)
            lines.push_back(slot_name(slot) + ": " + slot_value_text(slot, va) + " -> " +
                            slot_value_text(slot, vb));
    }
    for (int curve = 0; curve < 2; ++curve) {
        int count = 0, first = -1;
        for (int x = 0; x < CURVE_POINTS; ++x) {
            if (a.user_curve[curve][x] == b.user_curve[curve][x]) continue;
            if (first < 0) first = x;
            ++count;
        }
        if (count > 0)
            lines.push_back(format_text("Userkurve %d: %d %s verschieden (erste: %d)", curve + 1, count,
                                        count == 1 ? "Punkt" : "Punkte", first));
    }
    return lines;
}
