// Differences between two sets, named as the pages name the fields.
#include "params/set_diff.h"

#include <gtest/gtest.h>

namespace {

ParameterRecord defaults() {
    ParameterRecord r;
    apply_defaults(r);
    return r;
}

TEST(SetDiff, EqualSetsHaveNoDifferencesWhateverTheReservedBytes) {
    ParameterRecord a = defaults(), b = defaults();
    EXPECT_TRUE(parameter_set_differences(a, b).empty());
    b.reserved[0] = 7;
    b.dimmer[1].reserved[3] = 9;
    EXPECT_TRUE(parameter_set_differences(a, b).empty());
}

TEST(SetDiff, OneLinePerFieldInPageOrderThenTheCurves) {
    ParameterRecord a = defaults(), b = defaults();
    b.user_curve[1][12] = 0;
    b.user_curve[1][200] = 1;
    b.user_curve[0][255] = 3;
    b.dimmer[1].minimum[1] = 20;
    b.dimmer[0].characteristic[3] = 3;
    b.dimmer[1].nondim_hysteresis = 1;
    b.dimmer[0].auto_mode_switch = 0;
    b.dimmer[0].fade_time_mode = 2;
    set_fade_time(b.dimmer[0], 6000);
    b.bus_failure_delay = 5;
    b.master_slave_pc_test = 1;
    const std::vector<std::string> expected = {
        "Grundeinstellung, Dimmer 1, CD = 11 (mit Vorheizen), Dimmercharakteristik: P-linear -> User 1",
        "Grundeinstellung, Dimmer 1, Blendzeit [x 0,01s]: 10 -> 6000",
        "Grundeinstellung, Dimmer 1, Blendzeit-Modus: Min-Max-Laufzeit -> Änderungszeit",
        "Grundeinstellung, Dimmer 1, Automatische Betriebsart-Umschaltung beim PC-Test: ein -> aus",
        "Grundeinstellung, Dimmer 2, CD = 10, Minimum 0-100%: 0 -> 20",
        "Sonderfunktionen, Verzögerung der Busausfallerkennung 5 - 255s: 20 -> 5",
        "Sonderfunktionen, Master/Slave-Betrieb im PC-Testbetrieb: aus -> ein",
        "Sonderfunktionen, Dimmer 2, Nondim-Hysteresis  0 - 10%: 2 -> 1",
        "Userkurve 1: 1 Punkt verschieden (erste: 255)",
        "Userkurve 2: 2 Punkte verschieden (erste: 12)",
    };
    EXPECT_EQ(parameter_set_differences(a, b), expected);
    // The other way round: the same lines with the values swapped.
    EXPECT_EQ(parameter_set_differences(b, a)[4],
              "Grundeinstellung, Dimmer 2, CD = 10, Minimum 0-100%: 20 -> 0");
}

}  // namespace
