// The "Verlauf" window's arithmetic: the quantities read from a status, and
// the reduction of the kept statuses to one minimum and maximum per pixel
// column, extremes kept and gaps left open.
#include <gtest/gtest.h>

#include <vector>

#include "base/bytes.h"
#include "measure/trend.h"

namespace {

StatusRecord with_temperature(int32_t tenths) {
    StatusRecord s = {};
    s.measurement[0].present = 1;
    put_u16le(s.measurement[0].temperature, uint16_t(tenths));
    return s;
}

// Statuses every 100 ms up to tick `end`, values from f(i).
template <typename F>
StatusHistory ramp(int count, uint32_t end, F value) {
    StatusHistory h;
    for (int i = 0; i < count; ++i)
        history_add_status(h, end - uint32_t(count - 1 - i) * 100, 0, with_temperature(value(i)));
    return h;
}

TEST(TrendValue, EachQuantityFromItsFieldAndNothingFromAnAbsentDimmer) {
    StatusRecord s = {};
    put_u16le(s.front_temperature, 312);
    put_u16le(s.supply_voltage, 2048);
    put_u16le(s.control_level[1], 65535);
    s.measurement[1].present = 1;
    put_u16le(s.measurement[1].peak_current, 1500);
    put_u16le(s.measurement[1].mains_frequency, 4998);
    put_u16le(s.measurement[0].temperature, 999);  // dimmer 1 does not measure
    struct Case {
        TrendQuantity quantity;
        std::optional<int32_t> raw;
        double value;  // raw × scale
    };
    for (const Case& c : std::vector<Case>{
             {TrendQuantity::front_temperature, 312, 31.2},
             {TrendQuantity::supply, 2048, 3.3008},
             {TrendQuantity::ue2, 65535, 100.0},
             {TrendQuantity::current2, 1500, 1.5},
             {TrendQuantity::mains_frequency, 4998, 49.98},  // from dimmer 2 when dimmer 1 has none
             {TrendQuantity::temperature1, std::nullopt, 0},
             {TrendQuantity::input_voltage, std::nullopt, 0},
         }) {
        SCOPED_TRACE(trend_quantity_info(c.quantity).name);
        EXPECT_EQ(trend_value(s, c.quantity), c.raw);
        if (c.raw) {
            EXPECT_NEAR(*c.raw * trend_quantity_info(c.quantity).scale, c.value, 0.001);
        }
    }
    // Every quantity has its own colour.
    for (int a = 0; a < TREND_QUANTITIES; ++a)
        for (int b = a + 1; b < TREND_QUANTITIES; ++b) {
            const TrendQuantityInfo &x = trend_quantity_info(TrendQuantity(a)),
                                    &y = trend_quantity_info(TrendQuantity(b));
            EXPECT_FALSE(x.red == y.red && x.green == y.green && x.blue == y.blue) << x.name << " " << y.name;
        }
}

TEST(TrendColumns, OneSampleSpikeSurvivesTheReductionOfAnHour) {
    // An hour at 10 Hz into 500 columns (72 statuses each): flat at 20.0 °C
    // with one status at 85.0 °C and one at 1.0 °C.
    const uint32_t now = 50'000'000;
    const StatusHistory h = ramp(36000, now, [](int i) { return i == 20000 ? 850 : i == 30001 ? 10 : 200; });
    const std::vector<TrendColumn> columns =
        trend_columns(h, TrendQuantity::temperature1, now, TREND_SPANS_MS[2], 500);
    ASSERT_EQ(columns.size(), 500u);
    int spikes = 0, dips = 0;
    for (size_t c = 0; c < columns.size(); ++c) {
        ASSERT_TRUE(columns[c].filled) << c;
        EXPECT_EQ(columns[c].break_before, c == 0) << c;
        spikes += columns[c].high == 850;
        dips += columns[c].low == 10;
        if (columns[c].high != 850) {
            EXPECT_EQ(columns[c].high, columns[c].low == 10 ? 200 : columns[c].low);
        }
    }
    EXPECT_EQ(spikes, 1);
    EXPECT_EQ(dips, 1);
    // Columns of 7.2 s standing still on the tick counter: now is in slot
    // 50000000 × 500 / 3600000 = 6944, status 20000 (tick 48400100) in slot
    // 6722, 222 columns before the last: column 277.
    EXPECT_EQ(columns[277].high, 850);
    EXPECT_EQ(trend_range(columns)->low, 10);
    EXPECT_EQ(trend_range(columns)->high, 850);
}

TEST(TrendColumns, TheSpanShownAndTheOrderWithinAColumn) {
    // A ramp up and back down over 10 minutes, seen over the last minute
    // in 6 columns of 10 s (100 statuses) each; the newest status comes just
    // before a column boundary, so each column holds 100 of them.
    const uint32_t now = 1'999'950;
    const StatusHistory h = ramp(6000, now, [](int i) { return i < 5950 ? i / 10 : 595 - (i - 5950); });
    const std::vector<TrendColumn> columns =
        trend_columns(h, TrendQuantity::temperature1, now, TREND_SPANS_MS[0], 6);
    ASSERT_EQ(columns.size(), 6u);
    // The last minute holds statuses 5400..5999, the newest in the last column.
    EXPECT_EQ(columns[0].low, 540);
    EXPECT_EQ(columns[0].high, 549);
    EXPECT_TRUE(columns[0].low_first);  // rising
    EXPECT_EQ(columns[5].low, 546);
    EXPECT_EQ(columns[5].high, 595);
    EXPECT_FALSE(columns[5].low_first);  // the top came first, then down
    // The 10-minute span starts at status 0.
    EXPECT_EQ(trend_columns(h, TrendQuantity::temperature1, now, TREND_SPANS_MS[1], 6)[0].low, 0);

    // A paint 50 ms later, still in the same slot: the same picture.
    const std::vector<TrendColumn> later =
        trend_columns(h, TrendQuantity::temperature1, now + 49, TREND_SPANS_MS[0], 6);
    for (size_t c = 0; c < 6; ++c) EXPECT_EQ(later[c].low, columns[c].low) << c;
    // One slot on, the picture has moved by a column.
    EXPECT_EQ(trend_columns(h, TrendQuantity::temperature1, now + 10'000, TREND_SPANS_MS[0], 6)[0].low, 550);

    // Nothing newer than the span before now: nothing to draw.
    for (const TrendColumn& c :
         trend_columns(h, TrendQuantity::temperature1, now + 61'000, TREND_SPANS_MS[0], 6))
        EXPECT_FALSE(c.filled);
    // Every column filled with a single status, 600 columns in a minute.
    int filled = 0;
    for (const TrendColumn& c : trend_columns(h, TrendQuantity::temperature1, now, TREND_SPANS_MS[0], 600))
        filled += c.filled && c.low == c.high;
    EXPECT_EQ(filled, 600);
}

TEST(TrendColumns, TheLineBreaksWhereTheStatusStoppedOrTheDimmerDidNotMeasure) {
    StatusHistory h;
    const uint32_t now = 99'999;
    // Statuses a second apart at first (within the gap), then a 3 s
    // silence, then one from which dimmer 1 is absent between two that are
    // close enough to join.
    const uint32_t ticks[] = {90'500, 91'500, 92'500, 95'500, 96'500, 97'000, 97'500};
    for (uint32_t t : ticks) {
        StatusRecord s = with_temperature(int32_t(t / 1000));
        if (t == 97'000) s.measurement[0].present = 0;
        history_add_status(h, t, 0, s);
    }
    const std::vector<TrendColumn> columns =
        trend_columns(h, TrendQuantity::temperature1, now, TREND_SPANS_MS[0], 60);
    std::vector<int> starts;
    for (int c = 0; c < 60; ++c)
        if (columns[size_t(c)].filled && columns[size_t(c)].break_before) starts.push_back(c);
    // A second a column, now in column 59: columns 50,
    // 51, 52 joined; 55, 56 after the silence; 57 after the absent status.
    EXPECT_EQ(starts, (std::vector<int>{50, 55, 57}));
    EXPECT_FALSE(columns[53].filled);
    EXPECT_FALSE(columns[58].filled);

    // The readout: the status nearest the column's middle, none further
    // than the gap.
    auto readout = [&](int column) {
        return trend_value_at(h, TrendQuantity::temperature1, now, TREND_SPANS_MS[0], 60, column);
    };
    EXPECT_EQ(readout(51), 91);
    EXPECT_EQ(readout(54), 95);  // 1 s from 95.5 s, 2 s from 92.5 s
    EXPECT_EQ(readout(57), 97);
    EXPECT_EQ(readout(59), std::nullopt);  // 2 s after the newest
    EXPECT_EQ(readout(30), std::nullopt);
    EXPECT_EQ(readout(60), std::nullopt);
}

}  // namespace
