#include "measure/trend.h"

#include <cstdlib>
#include <utility>

#include "base/bytes.h"

namespace {

// Rows in the order of TrendQuantity. Colours stand out on the plots' black.
const TrendQuantityInfo QUANTITIES[TREND_QUANTITIES] = {
    {"Temperatur Frontplatte", "°C", 0.1, 1, 255, 255, 0},
    {"Temperatur Dimmer 1", "°C", 0.1, 1, 255, 128, 0},
    {"Temperatur Dimmer 2", "°C", 0.1, 1, 255, 80, 160},
    {"Ausgangsstrom Dimmer 1", "A", 0.001, 2, 0, 255, 0},
    {"Ausgangsstrom Dimmer 2", "A", 0.001, 2, 0, 200, 120},
    {"Ausgangsleistung Dimmer 1", "W", 1.0, 0, 0, 200, 255},
    {"Ausgangsleistung Dimmer 2", "W", 1.0, 0, 80, 120, 255},
    {"Verlustleistung Dimmer 1", "W", 0.001, 1, 255, 0, 0},
    {"Verlustleistung Dimmer 2", "W", 0.001, 1, 200, 0, 200},
    {"Eingangsspannung", "V", 0.1, 1, 255, 255, 255},
    {"Netzfrequenz", "Hz", 0.01, 2, 160, 160, 255},
    {"+UB Kommunikationsprozessor", "V", 6.6 / 4095, 2, 192, 192, 0},
    {"UE1", "%", 100.0 / 65535, 0, 128, 255, 255},
    {"UE2", "%", 100.0 / 65535, 0, 255, 192, 128},
};

std::optional<int32_t> measured(const StatusRecord& s, int d, const uint8_t (&field)[2]) {
    if (s.measurement[d].present == 0) return std::nullopt;
    return int32_t(get_u16le(field));
}

// How long before now the statuses came: the newest's age plus its distance
// to each older one (the kept hour is never more than an hour long, so no
// distance wraps).
struct Ages {
    uint32_t now;
    uint32_t newest_tick;
    uint32_t newest_age;
    uint64_t of(uint32_t tick) const { return uint64_t(newest_age) + uint32_t(newest_tick - tick); }
};

// The index of the oldest status younger than span; size when there is none.
size_t first_within(const StatusHistory& h, const Ages& ages, uint32_t span) {
    size_t low = 0, high = ring_size(h.statuses);
    while (low < high) {
        const size_t mid = (low + high) / 2;
        if (ages.of(ring_at(h.statuses, mid).tick_ms) >= span)
            low = mid + 1;
        else
            high = mid;
    }
    return low;
}

bool ages_of(const StatusHistory& h, uint32_t now, uint32_t span, Ages& ages) {
    if (ring_size(h.statuses) == 0) return false;
    const uint32_t newest = ring_newest(h.statuses).tick_ms;
    ages = {now, newest, uint32_t(now - newest)};
    return ages.newest_age < span;
}

}  // namespace

const TrendQuantityInfo& trend_quantity_info(TrendQuantity quantity) { return QUANTITIES[int(quantity)]; }

uint64_t trend_slot(uint64_t tick, uint32_t span, int columns) { return tick * uint64_t(columns) / span; }

int trend_column_of(uint32_t now, uint64_t age, uint32_t span, int columns) {
    if (age > now) age = now;  // before the counter's start: the oldest slot
    const uint64_t back = trend_slot(now, span, columns) - trend_slot(now - age, span, columns);
    return back >= uint64_t(columns) ? -1 : columns - 1 - int(back);
}

int64_t trend_column_middle_age(uint32_t now, uint32_t span, int columns, int column) {
    const uint64_t slot = trend_slot(now, span, columns) - uint64_t(columns - 1 - column);
    const int64_t middle = int64_t((2 * slot + 1) * span / (2 * uint64_t(columns)));
    return int64_t(now) - middle;
}

std::optional<int32_t> trend_value(const StatusRecord& s, TrendQuantity quantity) {
    switch (quantity) {
        case TrendQuantity::front_temperature:
            return int32_t(get_u16le(s.front_temperature));
        case TrendQuantity::temperature1:
            return measured(s, 0, s.measurement[0].temperature);
        case TrendQuantity::temperature2:
            return measured(s, 1, s.measurement[1].temperature);
        case TrendQuantity::current1:
            return measured(s, 0, s.measurement[0].peak_current);
        case TrendQuantity::current2:
            return measured(s, 1, s.measurement[1].peak_current);
        case TrendQuantity::power1:
            return measured(s, 0, s.measurement[0].effective_power);
        case TrendQuantity::power2:
            return measured(s, 1, s.measurement[1].effective_power);
        case TrendQuantity::power_loss1:
            return measured(s, 0, s.measurement[0].power_loss);
        case TrendQuantity::power_loss2:
            return measured(s, 1, s.measurement[1].power_loss);
        case TrendQuantity::input_voltage:
            return measured(s, 0, s.measurement[0].input_voltage);
        case TrendQuantity::mains_frequency:
            // Both dimmers hang on the same mains; either one that measures tells it.
            if (auto f = measured(s, 0, s.measurement[0].mains_frequency)) return f;
            return measured(s, 1, s.measurement[1].mains_frequency);
        case TrendQuantity::supply:
            return int32_t(get_u16le(s.supply_voltage));
        case TrendQuantity::ue1:
            return int32_t(get_u16le(s.control_level[0]));
        case TrendQuantity::ue2:
            return int32_t(get_u16le(s.control_level[1]));
    }
    return std::nullopt;
}

namespace {

// One quantity's columns being filled, status by status.
struct Reduction {
    TrendQuantity quantity;
    std::vector<TrendColumn> out;
    int current = -1;            // the column being filled
    bool pending_break = true;   // the line breaks before the next value
    uint32_t previous_tick = 0;  // of the previous status with a value
    uint32_t low_at = 0, high_at = 0, order = 0;
};

void finish_column(Reduction& r) {
    if (r.current >= 0) r.out[size_t(r.current)].low_first = r.low_at <= r.high_at;
}

// The status at tick, in column (-1: before the first), into r.
void reduce(Reduction& r, const StatusRecord& status, uint32_t tick, int column) {
    const std::optional<int32_t> value = trend_value(status, r.quantity);
    if (!value) {
        r.pending_break = true;
        return;
    }
    if (r.current >= 0 && uint32_t(tick - r.previous_tick) > TREND_GAP_MS) r.pending_break = true;
    r.previous_tick = tick;
    if (column < 0) return;  // in the part of the oldest slot that is already gone
    ++r.order;
    if (column != r.current) {
        finish_column(r);
        r.current = column;
        r.out[size_t(column)] = {true, r.pending_break, true, *value, *value};
        r.low_at = r.high_at = r.order;
        r.pending_break = false;
        return;
    }
    // A gap inside a column is narrower than a pixel: its extremes join.
    r.pending_break = false;
    TrendColumn& c = r.out[size_t(column)];
    if (*value < c.low) c.low = *value, r.low_at = r.order;
    if (*value > c.high) c.high = *value, r.high_at = r.order;
}

}  // namespace

std::vector<std::vector<TrendColumn>> trend_columns_of(const StatusHistory& h,
                                                       const std::vector<TrendQuantity>& quantities,
                                                       uint32_t now, uint32_t span, int columns) {
    std::vector<Reduction> reductions;
    for (TrendQuantity q : quantities)
        reductions.push_back(Reduction{q, std::vector<TrendColumn>(size_t(columns > 0 ? columns : 0))});
    Ages ages{};
    if (columns > 0 && span > 0 && ages_of(h, now, span, ages)) {
        // One pass over the statuses for all quantities: the hour is
        // megabytes, read once rather than once per quantity.
        for (size_t i = first_within(h, ages, span); i < ring_size(h.statuses); ++i) {
            const StatusSample& sample = ring_at(h.statuses, i);
            const int column = trend_column_of(now, ages.of(sample.tick_ms), span, columns);
            for (Reduction& r : reductions) reduce(r, sample.status, sample.tick_ms, column);
        }
    }
    std::vector<std::vector<TrendColumn>> out;
    for (Reduction& r : reductions) {
        finish_column(r);
        out.push_back(std::move(r.out));
    }
    return out;
}

std::vector<TrendColumn> trend_columns(const StatusHistory& h, TrendQuantity quantity, uint32_t now,
                                       uint32_t span, int columns) {
    return std::move(trend_columns_of(h, {quantity}, now, span, columns)[0]);
}

std::optional<TrendRange> trend_range(const std::vector<TrendColumn>& columns) {
    std::optional<TrendRange> range;
    for (const TrendColumn& c : columns) {
        if (!c.filled) continue;
        if (!range) range = TrendRange{c.low, c.high};
        if (c.low < range->low) range->low = c.low;
        if (c.high > range->high) range->high = c.high;
    }
    return range;
}

std::optional<int32_t> trend_value_at(const StatusHistory& h, TrendQuantity quantity, uint32_t now,
                                      uint32_t span, int columns, int column) {
    Ages ages{};
    if (columns <= 0 || column < 0 || column >= columns || !ages_of(h, now, span, ages)) return std::nullopt;
    const int64_t wanted = trend_column_middle_age(now, span, columns, column);
    const StatusSample* nearest = nullptr;
    int64_t distance = 0;
    for (size_t i = first_within(h, ages, span); i < ring_size(h.statuses); ++i) {
        const StatusSample& s = ring_at(h.statuses, i);
        const int64_t d = std::llabs(int64_t(ages.of(s.tick_ms)) - wanted);
        if (nearest && d >= distance) break;  // ages fall along the ring: past the nearest
        nearest = &s;
        distance = d;
    }
    if (!nearest || distance > TREND_GAP_MS) return std::nullopt;
    return trend_value(nearest->status, quantity);
}
