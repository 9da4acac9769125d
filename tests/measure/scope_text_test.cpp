// The oscilloscope page's texts about the capture shown.
#include <gtest/gtest.h>

#include <vector>

#include "measure/scope_text.h"

namespace {

TEST(ScopeTexts, Description) {
    struct Case {
        ScopeSettings settings;
        const char* text;
    };
    const std::vector<Case> cases = {
        {{0, SCOPE_KIND_SINGLE, SCOPE_SECTION_PERIOD, 6, 0}, "Dimmer 1, Einzelmessung, Volle Periode"},
        {{1, SCOPE_KIND_START_UP, SCOPE_SECTION_SWITCHING, 6, 7},
         "Dimmer 2, Messung bei Start, Schaltvorgang"},
        {{1, SCOPE_KIND_CONTINUOUS, SCOPE_SECTION_ZERO, 6, 0}, "Dimmer 2, Dauermessung, Nulldurchgang"},
        // The fault capture and the load test name no section, whatever is selected.
        {{0, SCOPE_KIND_FAULT, SCOPE_SECTION_SWITCHING, 6, 0}, "Dimmer 1, Messung bei/nach Fehler"},
        {{0, SCOPE_KIND_LOAD_TEST, SCOPE_SECTION_ZERO, 6, 0}, "Dimmer 1, Last-Test"},
    };
    for (const Case& c : cases) EXPECT_EQ(capture_description(c.settings), c.text);
}

TEST(ScopeTexts, PeakCurrentAndTimes) {
    EXPECT_EQ(peak_current_text(-3000), "Imax = -3.0 A");
    EXPECT_EQ(peak_current_text(15960), "Imax = 16.0 A");
    EXPECT_EQ(peak_current_text(0), "Imax = 0.0 A");
    EXPECT_EQ(capture_time_text(0), "0");
    EXPECT_EQ(capture_time_text(1), "0.001");
    EXPECT_EQ(capture_time_text(16321), "16.321");
    EXPECT_EQ(capture_time_text(0xFFFFFFFF), "4294967.295");
}

}  // namespace
