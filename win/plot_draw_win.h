// The drawing primitives the plots share (the user curves and the
// oscilloscope): two pens, a dotted pen and a brush made once for the whole
// run, the pixel mapping of a plot context, the wide coloured polyline
// (anti-aliased through GDI+ when it was loaded, plain GDI otherwise), and
// painting a plot off-screen so it reaches the screen in one block copy and
// never flickers. The value-to-pixel arithmetic is measure/plot_math.h.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

struct PlotResources {
    HBRUSH background = nullptr;  // solid black
    HPEN frame = nullptr;         // solid, 2 pixels, light grey (192)
    HPEN grid = nullptr;          // dotted, 1 pixel, grey (128)
    HPEN major_grid = nullptr;    // solid, 2 pixels, grey (128)
};

// Creates whichever of the four is still missing; they live until the end.
void plot_create_resources();
const PlotResources& plot_resources();

// Pixel units: one logical unit per pixel, origins at the top left, pens
// drawn as they are.
void plot_set_mapping(HDC dc);

// A polyline 3 pixels wide in colour, with round caps and joins.
void plot_draw_polyline(HDC dc, COLORREF colour, const POINT* points, int count);

// A polyline 1 pixel wide in colour, for dense traces (a point or two in
// every pixel column) where the wide line would smear neighbouring columns
// together and, drawn as a wide path, cost a hundredfold.
void plot_draw_thin_polyline(HDC dc, COLORREF colour, const POINT* points, int count);

// Runs draw on an off-screen bitmap the size of rect (pixel mapping set, all
// of it to be painted by draw), then copies it onto dc at rect in one block
// transfer. Without memory for the bitmap it draws straight onto dc.
using PlotDrawing = std::function<void(HDC dc, int width, int height)>;
void plot_paint_offscreen(HDC dc, const RECT& rect, const PlotDrawing& draw);

// What of a plot depends only on its size and settings (grid, frame, axis
// labels), kept as plain memory pixels: drawing it with the dotted and wide
// pens costs most of a paint under Wine, copying it in next to nothing. No
// GDI object outlives the drawing call.
struct PlotBackground {
    int width = 0, height = 0;
    uint32_t key = 0;              // the settings it was drawn for
    std::vector<uint32_t> pixels;  // top-down rows, 32 bits a pixel
};
// Puts the background for this size and key onto dc (pixel mapping set),
// drawing it with draw only when kept holds another one. Without memory for
// the pixels it draws straight onto dc.
void plot_paint_background(HDC dc, int width, int height, uint32_t key, PlotBackground& kept,
                           const PlotDrawing& draw);
