// The control map of "Grundeinstellung" and "Sonderfunktionen": every control
// id against the record byte it edits, what the page shows, and the limits a
// typed value meets.
#include "win/page_controls.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

enum class Kind {
    edit,
    radio,
    check
};
using enum Kind;

// One control group as the pages number it: id = first + dimmer * per_dimmer
// + column * per_column + value, editing record byte offset + 36 * dimmer +
// column. Written out from the pages' id ranges, independent of the code.
struct Group {
    Page page;
    Kind kind;
    int first, per_dimmer, per_column, columns, values;
    size_t offset;  // record offset for dimmer 1, column 0
    const char* label;
    bool device_wide = false;
};

constexpr size_t D = 524;  // dimmer 1's block in the record

const std::vector<Group>& groups() {
    using enum Page;
    static const std::vector<Group> g = {
        {base_settings, edit, 22010, 4, 1, 4, 1, D + 2, "Minimum 0-100%"},
        {base_settings, radio, 22020, 8, 2, 4, 2, D + 6, "Ausgangsspannung bei Ansteuerung = 0%"},
        {base_settings, edit, 22040, 4, 1, 4, 1, D + 10, "Maximum 0-100%"},
        {base_settings, radio, 22050, 20, 5, 4, 5, D + 14, "Dimmercharakteristik"},
        {base_settings, radio, 22135, 2, 0, 1, 2, D + 21, "Ausschaltverhalten für Ansteuerung = 0%"},
        {base_settings, edit, 22115, 1, 0, 1, 1, D + 20, "Vorheizzeit von ESLs mit 100% [s]"},
        {base_settings, edit, 22310, 1, 0, 1, 1, D + 0, "Blendzeit [x 0,01s]"},
        {base_settings, radio, 22312, 3, 0, 1, 3, D + 27, "Blendzeit-Modus"},
        {base_settings, radio, 22302, 2, 0, 1, 2, D + 28, "Betriebsart-Voreinstellung"},
        {base_settings, check, 22306, 1, 0, 1, 1, D + 29,
         "Automatische Betriebsart-Umschaltung beim PC-Test"},
        {base_settings, radio, 12002, 2, 0, 1, 2, D + 30, "U-Eingang bei DMX und PC-Test"},
        {special_functions, edit, 12010, 0, 0, 1, 1, 520, "Verzögerung der Busausfallerkennung 5 - 255s",
         true},
        {special_functions, check, 12013, 0, 0, 1, 1, 521, "Master/Slave-Betrieb im PC-Testbetrieb", true},
        {special_functions, radio, 22340, 8, 0, 1, 8, D + 22, "Aktion nach dem Busausfall"},
        {special_functions, radio, 22360, 3, 0, 1, 3, D + 23, "Potentiometer-Aktivität im Normalbetrieb"},
        {special_functions, radio, 22370, 3, 0, 1, 3, D + 24, "U-Eingang-Aktivität bei DMX und PC-Test"},
        {special_functions, edit, 22105, 1, 0, 1, 1, D + 18, "Nondim-Schwelle 0 - 100%"},
        {special_functions, edit, 22110, 1, 0, 1, 1, D + 19, "Nondim-Hysteresis 0 - 10%"},
        {special_functions, edit, 22180, 1, 0, 1, 1, D + 25, "Startwert bei Ein-Tasten-Bedienung"},
        {special_functions, edit, 22182, 1, 0, 1, 1, D + 26,
         "Ein-Tasten-Bedienung Blendzeit Dimmung [x 0,1s]"},
        {special_functions, edit, 22186, 1, 0, 1, 1, D + 31,
         "Ein-Tasten-Bedienung Blendzeit Ein/Aus [x 0,1s]"},
    };
    return g;
}

struct Expected {
    Page page;
    int id;
    Kind kind;
    size_t offset;
    int value, dimmer;
    std::string label;
};

std::vector<Expected> expected_controls() {
    std::vector<Expected> all;
    for (const Group& g : groups())
        for (int d = 0; d < (g.device_wide ? 1 : 2); ++d)
            for (int k = 0; k < g.columns; ++k)
                for (int v = 0; v < g.values; ++v) {
                    std::string label = g.label;
                    if (d == 1 && label == "Nondim-Hysteresis 0 - 10%") label = "Nondim-Hysteresis  0 - 10%";
                    all.push_back({g.page, g.first + d * g.per_dimmer + k * g.per_column + v, g.kind,
                                   g.offset + 36 * size_t(d) + size_t(k), v, g.device_wide ? -1 : d, label});
                }
    return all;
}

ParameterRecord default_record() {
    ParameterRecord r;
    apply_defaults(r);
    return r;
}

const uint8_t* bytes(const ParameterRecord& r) { return reinterpret_cast<const uint8_t*>(&r); }

// The offsets where a and b differ.
std::vector<size_t> changed(const ParameterRecord& a, const ParameterRecord& b) {
    std::vector<size_t> out;
    for (size_t i = 0; i < sizeof a; ++i)
        if (bytes(a)[i] != bytes(b)[i]) out.push_back(i);
    return out;
}

const ControlShown* shown(const std::vector<ControlShown>& all, int id) {
    for (const ControlShown& c : all)
        if (c.id == id) return &c;
    return nullptr;
}

TEST(PageControls, EveryControlIdEditsItsOwnRecordByte) {
    const std::vector<Expected> expected = expected_controls();
    EXPECT_EQ(expected.size(), 96u + 40u);
    for (Page page : EDIT_PAGES) {
        std::set<int> want, got;
        for (const Expected& e : expected)
            if (e.page == page) want.insert(e.id);
        for (const PageControl& c : page_controls(page)) EXPECT_TRUE(got.insert(c.id).second) << c.id;
        EXPECT_EQ(got, want) << page_title(page);
    }
    for (const Expected& e : expected) {
        SCOPED_TRACE(testing::Message() << "control " << e.id << " " << e.label);
        const auto c = find_page_control(e.page, e.id);
        ASSERT_TRUE(c);
        EXPECT_EQ(field_label(*c->slot.field, c->slot.dimmer), e.label);
        EXPECT_EQ(c->slot.dimmer, e.dimmer);
        const Page other = e.page == Page::base_settings ? Page::special_functions : Page::base_settings;
        EXPECT_FALSE(find_page_control(other, e.id)) << "also on the other page";

        ParameterRecord r = default_record();
        ParameterRecord before = r;
        if (e.kind == edit) {
            EXPECT_FALSE(page_take_click(r, e.page, e.id, false));
            ASSERT_TRUE(page_take_text(r, e.page, e.id, "7"));
            EXPECT_EQ(changed(before, r), std::vector<size_t>{e.offset});
            EXPECT_EQ(bytes(r)[e.offset], 7);
        } else {
            // Start from a value no button stands for, so every click shows.
            reinterpret_cast<uint8_t*>(&r)[e.offset] = 0xEE;
            before = r;
            EXPECT_FALSE(page_take_text(r, e.page, e.id, "1"));
            ASSERT_TRUE(page_take_click(r, e.page, e.id, false));
            EXPECT_EQ(changed(before, r), std::vector<size_t>{e.offset});
            EXPECT_EQ(bytes(r)[e.offset], e.kind == check ? 1 : e.value);
        }
    }
}

TEST(PageControls, FillShowsTheValidatedRecordInEveryControl) {
    ParameterRecord r = default_record();
    // Out of range values that validation corrects before the page shows them.
    r.dimmer[0].minimum[1] = 150;        // 100, and the maximum with it
    r.dimmer[1].characteristic[3] = 9;   // "t-linear"
    r.dimmer[1].bus_failure_action = 9;  // "Potentiometer"
    r.dimmer[0].auto_mode_switch = 5;    // not ticked
    r.dimmer[1].nondim_hysteresis = 30;  // 10
    set_fade_time(r.dimmer[1], 65535);   // 60000
    r.dimmer[0].minimum[0] = 0;          // shown as "0", not emptied
    const std::vector<ControlShown> base = page_fill(r, Page::base_settings);
    const std::vector<ControlShown> special = page_fill(r, Page::special_functions);

    ParameterRecord validated = r;
    validate_record(validated);
    EXPECT_TRUE(changed(r, validated).empty()) << "the fill validated the record itself";
    EXPECT_EQ(r.dimmer[0].maximum[1], 100);

    for (const Expected& e : expected_controls()) {
        SCOPED_TRACE(testing::Message() << "control " << e.id);
        const ControlShown* c = shown(e.page == Page::base_settings ? base : special, e.id);
        ASSERT_TRUE(c);
        unsigned value = bytes(r)[e.offset];
        if (e.offset == D || e.offset == D + 36) value |= unsigned(bytes(r)[e.offset + 1]) << 8;  // fade time
        switch (e.kind) {
            case edit:
                EXPECT_EQ(c->text, std::to_string(value));
                break;
            case radio:
                EXPECT_EQ(c->ticked, int(value) == e.value);
                break;
            case check:
                EXPECT_EQ(c->ticked, value == 1);
                break;
        }
    }
    EXPECT_EQ(shown(base, 22010)->text, "0");
    EXPECT_EQ(shown(base, 22011)->text, "100");
    EXPECT_EQ(shown(base, 22041)->text, "100");
    EXPECT_EQ(shown(special, 22311), nullptr);  // the fade time is on the first page
    EXPECT_EQ(shown(base, 22311)->text, "60000");
    EXPECT_TRUE(shown(base, 22070 + 15)->ticked);    // dimmer 2, column 3, "t-linear"
    EXPECT_TRUE(shown(special, 22348 + 6)->ticked);  // dimmer 2, "Potentiometer"
    EXPECT_FALSE(shown(base, 22306)->ticked);
    EXPECT_EQ(shown(special, 22111)->text, "10");
}

// Typed text, taken when the edit loses the focus, then the page filled again.
TEST(PageControls, TypedValuesMeetTheLimitsAndTheRecordsOwnRules) {
    using enum Page;
    struct Case {
        Page page;
        int id;
        const char* text;
        std::vector<std::pair<int, std::string>> shows;  // control, text after the refill
        void (*prepare)(ParameterRecord&) = nullptr;
    };
    const Case cases[] = {
        {base_settings,
         22010,
         "150",
         {{22010, "100"}, {22040, "100"}}},              // the maximum may not be below the minimum
        {base_settings, 22010, "-5", {{22010, "100"}}},  // largest integer, 255, then 100
        {base_settings, 22010, "abc", {{22010, "0"}}},
        {base_settings, 22010, "", {{22010, "0"}}},
        {base_settings, 22010, "  12abc", {{22010, "12"}}},
        {base_settings, 22017, "55", {{22017, "55"}, {22013, "0"}}},  // dimmer 2, last column only
        {base_settings, 22310, "70000", {{22310, "60000"}}},
        {base_settings, 22310, "-1", {{22310, "60000"}}},
        {base_settings, 22311, "60000", {{22311, "60000"}, {22310, "10"}}},
        {base_settings, 22115, "300", {{22115, "255"}}},
        {base_settings,
         22040,
         "20",
         {{22040, "40"}},
         [](ParameterRecord& r) { r.dimmer[0].minimum[0] = 40; }},
        {special_functions, 12010, "3", {{12010, "3"}}},  // the label says 5 - 255 s, but nothing raises it
        {special_functions, 12010, "300", {{12010, "255"}}},
        {special_functions, 12010, "-1", {{12010, "255"}}},
        {special_functions,
         22110,
         "8",
         {{22110, "5"}},
         [](ParameterRecord& r) { r.dimmer[0].nondim_threshold = 5; }},
        {special_functions, 22105, "150", {{22105, "100"}}},
        {special_functions, 22180, "120", {{22180, "100"}}},
        {special_functions, 22182, "300", {{22182, "255"}}},
        {special_functions, 22187, "300", {{22187, "255"}, {22186, "0"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "control " << c.id << " typed \"" << c.text << "\"");
        ParameterRecord r = default_record();
        if (c.prepare) c.prepare(r);
        ASSERT_TRUE(page_take_text(r, c.page, c.id, c.text));
        const std::vector<ControlShown> all = page_fill(r, c.page);
        for (const auto& [id, text] : c.shows) EXPECT_EQ(shown(all, id)->text, text) << "control " << id;
    }
}

TEST(PageControls, CheckBoxesToggleFromWhatTheyShowAndRadiosNeverClear) {
    ParameterRecord r = default_record();
    const ParameterRecord start = r;
    for (int twice = 0; twice < 2; ++twice) {
        const bool ticked = shown(page_fill(r, Page::base_settings), 22307)->ticked;
        ASSERT_TRUE(page_take_click(r, Page::base_settings, 22307, ticked));
    }
    EXPECT_TRUE(changed(start, r).empty());
    ASSERT_TRUE(page_take_click(r, Page::special_functions, 12013, false));
    EXPECT_EQ(r.master_slave_pc_test, 1);
    ASSERT_TRUE(page_take_click(r, Page::special_functions, 12013, true));
    EXPECT_EQ(r.master_slave_pc_test, 0);

    // Clicking the button already ticked keeps the value.
    ASSERT_TRUE(page_take_click(r, Page::base_settings, 22305, true));  // dimmer 2, "ANschnitt"
    ASSERT_TRUE(page_take_click(r, Page::base_settings, 22305, true));
    EXPECT_EQ(r.dimmer[1].default_mode, 1);
    EXPECT_EQ(r.dimmer[0].default_mode, 0);
}

TEST(PageControls, IdsOutsideThePagesAreNotTheirs) {
    ParameterRecord r = default_record();
    const ParameterRecord start = r;
    for (int id : {0, 1, 2, 12000, 22009, 22018, 22090, 22318, 23112, 22356}) {
        EXPECT_FALSE(page_take_text(r, Page::base_settings, id, "5")) << id;
        EXPECT_FALSE(page_take_click(r, Page::base_settings, id, false)) << id;
    }
    EXPECT_FALSE(page_take_text(r, Page::user_curves, 22010, "5"));
    EXPECT_FALSE(page_take_text(r, static_cast<Page>(-1), 22010, "5"));  // no page at all
    EXPECT_TRUE(changed(start, r).empty());
}

}  // namespace
