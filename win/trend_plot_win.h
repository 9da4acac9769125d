// The plot of the "Verlauf" window: the chosen quantities of the kept hour
// over the last span, each in its own colour and scaled to its own range
// (named with its unit in the legend), on the plots' black with a time grid.
// Each quantity is first reduced to a minimum and maximum per pixel column
// (measure/trend.h), so a paint costs the same for a minute as for an hour.
#pragma once

#include <windows.h>

#include <vector>

#include "measure/status_history.h"
#include "measure/trend.h"

// Room below the plot area for the time labels, pixels.
constexpr int TREND_LABEL_HEIGHT = 16;

struct TrendView {
    std::vector<TrendQuantity> quantities;
    uint32_t span_ms;
    uint32_t now;  // tick the right edge stands for
};

COLORREF trend_colour(TrendQuantity quantity);

// What a paint showed at the right edge: the slot of its newest column and
// that column per quantity (in the view's order). A new status in that slot
// within those extremes leaves the picture as it is.
struct TrendPainted {
    uint64_t slot = 0;
    std::vector<TrendColumn> newest;
};

// Draws the whole plot into dc (pixel mapping set) of the given size.
TrendPainted trend_plot_draw(HDC dc, int width, int height, const StatusHistory& history,
                             const TrendView& view);

// How the status just kept would change a plot that showed `painted` of
// view in a plot this wide: not at all, only by widening the newest column,
// or the picture moves on (a new column, other quantities).
enum class TrendChange {
    none,
    widens,
    moves
};
TrendChange trend_plot_change(const TrendPainted& painted, const TrendView& view, int width,
                              const StatusRecord& status);

// The column of the plot under x (a client coordinate of the plot) and the
// number of columns, for the readout; false outside the plot area.
bool trend_plot_column(int width, int x, int& column, int& columns);
