#include "win/scope_plot_win.h"

#include "win/plot_draw_win.h"
#include "measure/scope_view.h"

#include <vector>

namespace {

// The grid and frame depend only on the plot's size; their pixels are kept
// and copied in for the paints that follow.
PlotBackground g_background;

POINT point(const PlotPoint& p) { return POINT{p.x, p.y}; }

void draw_background(HDC dc, int width, int height) {
    const PlotResources& r = plot_resources();
    RECT all{0, 0, width, height};
    FillRect(dc, &all, r.background);
    HGDIOBJ old_pen = SelectObject(dc, r.grid);
    // The dotted grid shows its gaps black.
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, RGB(0, 0, 0));
    for (const PlotLine& line : scope_grid(width, height)) {
        SelectObject(dc, line.major ? r.major_grid : r.grid);
        MoveToEx(dc, line.from.x, line.from.y, nullptr);
        LineTo(dc, line.to.x, line.to.y);
    }
    std::vector<POINT> frame;
    for (const PlotPoint& p : scope_frame(width, height)) frame.push_back(point(p));
    SelectObject(dc, r.frame);
    Polyline(dc, frame.data(), int(frame.size()));
    SelectObject(dc, old_pen);
}

void draw_trace(HDC dc, const int32_t values[SCOPE_SAMPLES], int width, int height, COLORREF colour) {
    std::vector<POINT> points;
    for (const PlotPoint& p : trace_polyline(values, width, height)) points.push_back(point(p));
    plot_draw_polyline(dc, colour, points.data(), int(points.size()));
}

}  // namespace

void scope_plot_create_resources() { plot_create_resources(); }

void scope_plot_draw(HDC dc, int width, int height, const ScopePlot& plot) {
    if (width <= 0 || height <= 0) return;
    plot_paint_background(dc, width, height, 0, g_background, draw_background);
    if (!plot.shown) return;
    draw_trace(dc, plot.voltage, width, height, SCOPE_VOLTAGE_COLOUR);
    draw_trace(dc, plot.current, width, height, SCOPE_CURRENT_COLOUR);
}

void scope_plot_paint(HDC dc, const RECT& rect, const ScopePlot& plot) {
    plot_paint_offscreen(dc, rect, [&plot](HDC target, int width, int height) {
        scope_plot_draw(target, width, height, plot);
    });
}

void scope_key_paint(HDC dc, const RECT& rect, COLORREF colour) {
    const int saved = SaveDC(dc);
    plot_set_mapping(dc);
    FillRect(dc, &rect, plot_resources().background);
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
    RestoreDC(dc, saved);
}
