#include "win/trend_plot_win.h"

#include <string>

#include "base/text.h"
#include "measure/plot_math.h"
#include "port/utf16_win.h"
#include "win/plot_draw_win.h"

namespace {

constexpr int MARGIN = 4;  // as every plot keeps inside its rectangle
constexpr int TIME_DIVISIONS = 4;

// The grid, frame and time labels for the last size and span.
PlotBackground g_background;

// The value range a quantity is drawn in: its extremes, a tenth wider on
// either side so the line never sits on the frame, at least 2 raw units.
TrendRange padded(TrendRange r) {
    const int32_t pad = (r.high - r.low) / 10 + 1;
    return {r.low - pad, r.high + pad};
}

std::string value_text(TrendQuantity q, int32_t raw) {
    const TrendQuantityInfo& info = trend_quantity_info(q);
    return format_text("%.*f", info.decimals, raw * info.scale);
}

void draw_text(HDC dc, int x, int y, COLORREF colour, const std::string& text, UINT align = TA_LEFT) {
    const std::wstring w = widen(text);
    SetTextColor(dc, colour);
    SetTextAlign(dc, align | TA_TOP);
    TextOutW(dc, x, y, w.c_str(), int(w.size()));
}

void draw_grid(HDC dc, int width, int plot_height, uint32_t span_ms) {
    const PlotResources& r = plot_resources();
    HGDIOBJ old = SelectObject(dc, r.grid);
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, RGB(0, 0, 0));
    const bool minutes = span_ms >= 10 * 60 * 1000;
    for (int i = 0; i <= TIME_DIVISIONS; ++i) {
        const int x = MARGIN + (width - 2 * MARGIN - 1) * i / TIME_DIVISIONS;
        if (i > 0 && i < TIME_DIVISIONS) {
            MoveToEx(dc, x, MARGIN, nullptr);
            LineTo(dc, x, plot_height - MARGIN);
        }
        const uint32_t before = span_ms / 1000 * uint32_t(TIME_DIVISIONS - i) / TIME_DIVISIONS;  // seconds
        const std::string label = i == TIME_DIVISIONS ? std::string("jetzt")
                                  : minutes           ? format_text("-%u min", before / 60)
                                                      : format_text("-%u s", before);
        SetBkMode(dc, TRANSPARENT);
        draw_text(dc, x, plot_height, RGB(192, 192, 192), label,
                  i == 0                ? TA_LEFT
                  : i == TIME_DIVISIONS ? TA_RIGHT
                                        : TA_CENTER);
        SetBkMode(dc, OPAQUE);
    }
    SelectObject(dc, r.frame);
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, 1, 1, width, plot_height);
    SelectObject(dc, old);
}

// The columns as thin polylines, one per run without a break: each column
// adds its extremes in the order they came, so a single-status spike is a
// vertical stroke.
void draw_columns(HDC dc, const std::vector<TrendColumn>& columns, TrendRange range, int plot_height,
                  COLORREF colour) {
    std::vector<POINT> run;
    auto flush = [&] {
        if (run.size() == 1) run.push_back(POINT{run[0].x + 1, run[0].y});  // a lone status: a dot
        plot_draw_thin_polyline(dc, colour, run.data(), int(run.size()));
        run.clear();
    };
    for (size_t c = 0; c < columns.size(); ++c) {
        const TrendColumn& column = columns[c];
        if (!column.filled) continue;
        if (column.break_before && !run.empty()) flush();
        const int x = MARGIN + int(c);
        const int y_low = plot_y(column.low, range.low, range.high, plot_height);
        const int y_high = plot_y(column.high, range.low, range.high, plot_height);
        run.push_back(POINT{x, column.low_first ? y_low : y_high});
        if (column.low != column.high) run.push_back(POINT{x, column.low_first ? y_high : y_low});
    }
    if (!run.empty()) flush();
}

}  // namespace

COLORREF trend_colour(TrendQuantity quantity) {
    const TrendQuantityInfo& info = trend_quantity_info(quantity);
    return RGB(info.red, info.green, info.blue);
}

bool trend_plot_column(int width, int x, int& column, int& columns) {
    columns = width - 2 * MARGIN;
    column = x - MARGIN;
    return columns > 0 && column >= 0 && column < columns;
}

TrendChange trend_plot_change(const TrendPainted& painted, const TrendView& view, int width,
                              const StatusRecord& status) {
    const int columns = width - 2 * MARGIN;
    if (columns <= 0 || painted.newest.size() != view.quantities.size()) return TrendChange::moves;
    if (trend_slot(view.now, view.span_ms, columns) != painted.slot) return TrendChange::moves;
    for (size_t i = 0; i < view.quantities.size(); ++i) {
        const std::optional<int32_t> value = trend_value(status, view.quantities[i]);
        const TrendColumn& c = painted.newest[i];
        if (value && (!c.filled || *value < c.low || *value > c.high)) return TrendChange::widens;
    }
    return TrendChange::none;
}

TrendPainted trend_plot_draw(HDC dc, int width, int height, const StatusHistory& history,
                             const TrendView& view) {
    TrendPainted painted;
    const int plot_height = height - TREND_LABEL_HEIGHT;
    plot_paint_background(dc, width, height, view.span_ms, g_background, [&](HDC target, int w, int h) {
        RECT all{0, 0, w, h};
        FillRect(target, &all, plot_resources().background);
        if (w <= 2 * MARGIN || plot_height <= 2 * MARGIN) return;
        HGDIOBJ old = SelectObject(target, GetStockObject(DEFAULT_GUI_FONT));
        draw_grid(target, w, plot_height, view.span_ms);
        SelectObject(target, old);
    });
    if (width <= 2 * MARGIN || plot_height <= 2 * MARGIN) return painted;
    painted.slot = trend_slot(view.now, view.span_ms, width - 2 * MARGIN);
    HGDIOBJ old_font = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    // The lines first, the legend over them: the name, and the range the
    // line spans in its unit.
    std::vector<std::optional<TrendRange>> ranges;
    const auto all = trend_columns_of(history, view.quantities, view.now, view.span_ms, width - 2 * MARGIN);
    for (size_t i = 0; i < all.size(); ++i) {
        ranges.push_back(trend_range(all[i]));
        painted.newest.push_back(all[i].back());
        if (ranges.back())
            draw_columns(dc, all[i], padded(*ranges.back()), plot_height, trend_colour(view.quantities[i]));
    }
    // On black, so a line passing under it leaves the text readable.
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, RGB(0, 0, 0));
    int legend_y = MARGIN + 2;
    for (size_t i = 0; i < view.quantities.size(); ++i) {
        const TrendQuantity q = view.quantities[i];
        const TrendQuantityInfo& info = trend_quantity_info(q);
        std::string legend = format_text("%s [%s]", info.name, info.unit);
        if (ranges[i])
            legend += "  " + value_text(q, ranges[i]->low) + " … " + value_text(q, ranges[i]->high);
        draw_text(dc, MARGIN + 4, legend_y, trend_colour(q), legend);
        legend_y += metrics.tmHeight;
    }
    SelectObject(dc, old_font);
    return painted;
}
