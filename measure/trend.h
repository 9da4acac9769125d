// The arithmetic of the "Verlauf" window: the quantities it can draw, each
// taken from a kept status in the dimmer's fixed units, and the reduction of
// a quantity's statuses within the time shown to one minimum and maximum per
// pixel column, so a repaint draws a few hundred points however many
// statuses the hour holds, and a spike of a single status still shows.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "link/status_record.h"
#include "measure/status_history.h"

enum class TrendQuantity {
    front_temperature,
    temperature1,
    temperature2,
    current1,
    current2,
    power1,
    power2,
    power_loss1,
    power_loss2,
    input_voltage,
    mains_frequency,
    supply,
    ue1,
    ue2,
};
constexpr int TREND_QUANTITIES = 14;

struct TrendQuantityInfo {
    const char* name;  // the legend's text
    const char* unit;  // "°C", "A", "W", "V", "Hz", "%"
    double scale;      // raw value × scale = value in unit
    int decimals;      // of the readout
    uint8_t red, green, blue;
};

const TrendQuantityInfo& trend_quantity_info(TrendQuantity quantity);

// The quantity's raw value in a status; nothing when the status has none (the
// dimmer it belongs to does not measure).
std::optional<int32_t> trend_value(const StatusRecord& status, TrendQuantity quantity);

// The time axis shows the last 1, 10 or 60 minutes.
constexpr uint32_t TREND_SPANS_MS[] = {60 * 1000, 10 * 60 * 1000, 60 * 60 * 1000};

// Statuses further apart than this are not joined by the line: the dimmer
// was silent or the page was not polling between them.
constexpr uint32_t TREND_GAP_MS = 1500;

// One pixel column: the smallest and largest value of its statuses, which of
// them came first (the line runs from the previous column to it), and whether
// the line breaks before the column.
struct TrendColumn {
    bool filled;
    bool break_before;
    bool low_first;
    int32_t low, high;
};

// The columns stand still on the time axis: column boundaries lie at whole
// multiples of span / columns of the tick counter, so a status stays in its
// column from one paint to the next, the picture moves on by whole pixels,
// and a status that neither starts a column nor widens the newest one leaves
// the picture as it was. The slot of a tick is tick × columns / span; the
// newest slot (that of now) is the last column.
uint64_t trend_slot(uint64_t tick, uint32_t span_ms, int columns);
// The column of a status of the given age at now; -1 when it lies before the
// first column.
int trend_column_of(uint32_t now, uint64_t age, uint32_t span_ms, int columns);
// The age at now of a column's middle, for the readout (negative for the part
// of the newest column still to come).
int64_t trend_column_middle_age(uint32_t now, uint32_t span_ms, int columns, int column);

// The statuses younger than span_ms at now (a tick not before the newest
// status) in `columns` columns, oldest at the left, by their slots.
std::vector<TrendColumn> trend_columns(const StatusHistory& history, TrendQuantity quantity, uint32_t now,
                                       uint32_t span_ms, int columns);
// The same for several quantities in one pass over the statuses.
std::vector<std::vector<TrendColumn>> trend_columns_of(const StatusHistory& history,
                                                       const std::vector<TrendQuantity>& quantities,
                                                       uint32_t now, uint32_t span_ms, int columns);

// The smallest and largest value of the filled columns; nothing when none is.
struct TrendRange {
    int32_t low, high;
};
std::optional<TrendRange> trend_range(const std::vector<TrendColumn>& columns);

// The value under the mouse: the quantity in the status nearest in time to
// the middle of column; nothing when that status has none or lies more than
// TREND_GAP_MS away.
std::optional<int32_t> trend_value_at(const StatusHistory& history, TrendQuantity quantity, uint32_t now,
                                      uint32_t span_ms, int columns, int column);
