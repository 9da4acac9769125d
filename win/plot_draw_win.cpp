#include "win/plot_draw_win.h"

#include "win/gdiplus_win.h"

#include <vector>

namespace {

PlotResources g_resources;

// GDI+ flat API values.
constexpr int SMOOTHING_ANTI_ALIAS = 4;
constexpr int UNIT_WORLD = 0;
constexpr int LINE_CAP_ROUND = 2;
constexpr int LINE_JOIN_ROUND = 2;
constexpr float POLYLINE_WIDTH = 3.0f;

HPEN geometric_pen(DWORD style, DWORD width, COLORREF colour) {
    LOGBRUSH brush{BS_SOLID, colour, 0};
    return ExtCreatePen(PS_GEOMETRIC | style, width, &brush, 0, nullptr);
}

bool draw_with_gdiplus(HDC dc, COLORREF colour, const POINT* points, int count) {
    GdiplusApi& g = g_gdiplus;
    void* graphics = nullptr;
    if (g.CreateFromHDC(dc, &graphics) != 0) return false;
    g.SetSmoothingMode(graphics, SMOOTHING_ANTI_ALIAS);
    const DWORD argb = 0xFF000000u | DWORD(GetRValue(colour)) << 16 | DWORD(GetGValue(colour)) << 8 |
                       DWORD(GetBValue(colour));
    void* pen = nullptr;
    if (g.CreatePen1(argb, POLYLINE_WIDTH, UNIT_WORLD, &pen) == 0) {
        g.SetPenStartCap(pen, LINE_CAP_ROUND);
        g.SetPenEndCap(pen, LINE_CAP_ROUND);
        g.SetPenLineJoin(pen, LINE_JOIN_ROUND);
        static_assert(sizeof(GpPoint) == sizeof(POINT));
        g.DrawLinesI(graphics, pen, reinterpret_cast<const GpPoint*>(points), count);
        g.DeletePen(pen);
    }
    g.DeleteGraphics(graphics);
    return true;
}

}  // namespace

void plot_create_resources() {
    PlotResources& r = g_resources;
    if (!r.background) r.background = CreateSolidBrush(RGB(0, 0, 0));
    if (!r.frame) r.frame = geometric_pen(PS_SOLID, 2, RGB(192, 192, 192));
    if (!r.grid) r.grid = geometric_pen(PS_DOT, 1, RGB(128, 128, 128));
    if (!r.major_grid) r.major_grid = geometric_pen(PS_SOLID, 2, RGB(128, 128, 128));
}

const PlotResources& plot_resources() { return g_resources; }

void plot_set_mapping(HDC dc) {
    SetMapMode(dc, MM_TEXT);
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowOrgEx(dc, 0, 0, nullptr);
    SetViewportOrgEx(dc, 0, 0, nullptr);
    SetWindowExtEx(dc, 1200, 1200, nullptr);
    SetViewportExtEx(dc, 1200, 1200, nullptr);
    SetROP2(dc, R2_COPYPEN);
}

void plot_draw_polyline(HDC dc, COLORREF colour, const POINT* points, int count) {
    if (count < 2) return;
    if (g_gdiplus_available && draw_with_gdiplus(dc, colour, points, count)) return;
    HPEN pen = geometric_pen(PS_SOLID, 3, colour);
    HGDIOBJ old = SelectObject(dc, pen);
    Polyline(dc, points, count);
    SelectObject(dc, old);
    DeleteObject(pen);
}

void plot_draw_thin_polyline(HDC dc, COLORREF colour, const POINT* points, int count) {
    if (count < 2) return;
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    HGDIOBJ old = SelectObject(dc, pen);
    Polyline(dc, points, count);
    SelectObject(dc, old);
    DeleteObject(pen);
}

void plot_paint_offscreen(HDC dc, const RECT& rect, const PlotDrawing& draw) {
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return;
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = memory ? CreateCompatibleBitmap(dc, width, height) : nullptr;
    if (!bitmap) {
        if (memory) DeleteDC(memory);
        const int saved = SaveDC(dc);
        plot_set_mapping(dc);
        SetViewportOrgEx(dc, rect.left, rect.top, nullptr);
        draw(dc, width, height);
        RestoreDC(dc, saved);
        return;
    }
    HGDIOBJ old = SelectObject(memory, bitmap);
    plot_set_mapping(memory);
    draw(memory, width, height);
    BitBlt(dc, rect.left, rect.top, width, height, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
}

namespace {

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

bool render_background(HDC like, int width, int height, PlotBackground& kept, const PlotDrawing& draw) {
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
    draw(dc, width, height);
    GdiFlush();
    const auto* first = static_cast<const uint32_t*>(bits);
    kept.pixels.assign(first, first + size_t(width) * size_t(height));
    kept.width = width;
    kept.height = height;
    SelectObject(dc, old);
    DeleteObject(dib);
    DeleteDC(dc);
    return true;
}

}  // namespace

void plot_paint_background(HDC dc, int width, int height, uint32_t key, PlotBackground& kept,
                           const PlotDrawing& draw) {
    if (width <= 0 || height <= 0) return;
    const bool fits = kept.width == width && kept.height == height && kept.key == key && !kept.pixels.empty();
    if (!fits) {
        kept.key = key;
        if (!render_background(dc, width, height, kept, draw)) {
            kept = PlotBackground{};
            draw(dc, width, height);
            return;
        }
    }
    const BITMAPINFO info = pixel_format(width, height);
    SetDIBitsToDevice(dc, 0, 0, DWORD(width), DWORD(height), 0, 0, 0, UINT(height), kept.pixels.data(), &info,
                      DIB_RGB_COLORS);
}
