#include "win/scope_plot_win.h"

#include "win/plot_draw_win.h"
#include "measure/scope_view.h"

#include <vector>

namespace {

// The grid and frame depend only on the plot's size, and drawing them with
// the dotted and wide pens takes most of a paint. Their pixels are kept as
// plain memory (no GDI object outlives the drawing call) and copied in for
// the paints that follow.
struct Background {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;  // top-down rows, 32 bits a pixel
};
Background g_background;

POINT point(const PlotPoint& p) { return POINT{p.x, p.y}; }

BITMAPINFO pixel_format(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

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

// Draws the background into memory pixels of this size; false when there
// is no memory for them.
bool render_background(HDC like, int width, int height) {
    const BITMAPINFO info = pixel_format(width, height);
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(like);
    HBITMAP dib = dc ? CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
    if (!dib) {
        if (dc) DeleteDC(dc);
        return false;
    }
    HGDIOBJ old = SelectObject(dc, dib);
    plot_set_mapping(dc);
    draw_background(dc, width, height);
    GdiFlush();
    const auto* first = static_cast<const uint32_t*>(bits);
    g_background = {width, height, std::vector<uint32_t>(first, first + size_t(width) * size_t(height))};
    SelectObject(dc, old);
    DeleteObject(dib);
    DeleteDC(dc);
    return true;
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
    const bool kept = g_background.width == width && g_background.height == height;
    if (kept || render_background(dc, width, height)) {
        const BITMAPINFO info = pixel_format(width, height);
        SetDIBitsToDevice(dc, 0, 0, DWORD(width), DWORD(height), 0, 0, 0, UINT(height),
                          g_background.pixels.data(), &info, DIB_RGB_COLORS);
    } else {
        draw_background(dc, width, height);
    }
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
