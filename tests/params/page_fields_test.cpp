// The fields the editing pages show: together they cover every byte of the
// record a page can change, once; names and values read as the pages show them.
#include "params/page_fields.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

TEST(PageFields, SlotsCoverEveryEditableByteExactlyOnce) {
    std::vector<int> owners(RECORD_SIZE, 0);
    const std::vector<FieldSlot> slots = field_slots();
    EXPECT_EQ(slots.size(), 2u * (4 * 4 + 7) + 2 + 2 * 8);
    for (const FieldSlot& s : slots)
        for (int i = 0; i < s.field->size; ++i) ++owners[slot_offset(s) + size_t(i)];
    for (size_t offset = 0; offset < RECORD_SIZE; ++offset) {
        const bool device = offset == 520 || offset == 521;
        const bool in_block = offset >= 524 && offset < 596 && (offset - 524) % 36 < 32;
        EXPECT_EQ(owners[offset], device || in_block ? 1 : 0) << "record byte " << offset;
    }
}

TEST(PageFields, ValuesReadAndWriteLittleEndianInPlace) {
    ParameterRecord r;
    apply_defaults(r);
    for (const FieldSlot& s : field_slots()) {
        if (s.field->size != 2) continue;
        set_slot_value(r, s, 0x1234);
        EXPECT_EQ(slot_value(r, s), 0x1234u);
        EXPECT_EQ(fade_time(r.dimmer[s.dimmer]), 0x1234);
    }
    const FieldSlot minimum{&page_fields()[0], 1, 3};
    set_slot_value(r, minimum, 77);
    EXPECT_EQ(r.dimmer[1].minimum[3], 77);
    EXPECT_EQ(slot_value(r, minimum), 77u);
}

TEST(PageFields, NamesAndValuesAsThePagesShowThem) {
    const std::vector<FieldSlot> slots = field_slots();
    auto find = [&](const char* label, int dimmer, int column) -> const FieldSlot* {
        for (const FieldSlot& s : slots)
            if (std::string(s.field->label) == label && s.dimmer == dimmer && s.column == column) return &s;
        return nullptr;
    };
    const FieldSlot* minimum = find("Minimum 0-100%", 1, 1);
    ASSERT_TRUE(minimum);
    EXPECT_EQ(slot_name(*minimum), "Grundeinstellung, Dimmer 2, CD = 10, Minimum 0-100%");
    EXPECT_EQ(slot_value_text(*minimum, 40), "40");

    const FieldSlot* delay = find("Verzögerung der Busausfallerkennung 5 - 255s", -1, -1);
    ASSERT_TRUE(delay);
    EXPECT_EQ(slot_name(*delay), "Sonderfunktionen, Verzögerung der Busausfallerkennung 5 - 255s");

    const FieldSlot* hysteresis = find("Nondim-Hysteresis 0 - 10%", 1, -1);
    ASSERT_TRUE(hysteresis);
    EXPECT_EQ(slot_name(*hysteresis), "Sonderfunktionen, Dimmer 2, Nondim-Hysteresis  0 - 10%");

    const FieldSlot* characteristic = find("Dimmercharakteristik", 0, 3);
    ASSERT_TRUE(characteristic);
    EXPECT_EQ(slot_value_text(*characteristic, 3), "User 1");
    EXPECT_EQ(slot_value_text(*characteristic, 9), "9");  // not validated: the number itself

    const FieldSlot* automatic = find("Automatische Betriebsart-Umschaltung beim PC-Test", 0, -1);
    ASSERT_TRUE(automatic);
    EXPECT_EQ(slot_value_text(*automatic, 1), "ein");
    EXPECT_EQ(slot_value_text(*automatic, 0), "aus");

    // The fade-time mode has no label on the page: named apart from the fade time.
    const FieldSlot* mode = find("Blendzeit-Modus", 0, -1);
    ASSERT_TRUE(mode);
    EXPECT_EQ(slot_name(*mode), "Grundeinstellung, Dimmer 1, Blendzeit-Modus");
    EXPECT_EQ(slot_value_text(*mode, 2), "Änderungszeit");
    const FieldSlot* fade = find("Blendzeit [x 0,01s]", 0, -1);
    ASSERT_TRUE(fade);
    EXPECT_EQ(fade->field->kind, FieldKind::number);
}

TEST(PageFields, EverySlotHasANameOfItsOwn) {
    // "kv310r-cli diff" names each differing field by this name alone.
    std::map<std::string, size_t> offset_of;
    for (const FieldSlot& s : field_slots()) {
        const auto [it, added] = offset_of.emplace(slot_name(s), slot_offset(s));
        EXPECT_TRUE(added) << "\"" << it->first << "\" names record bytes " << it->second << " and "
                           << slot_offset(s);
    }
}

}  // namespace
