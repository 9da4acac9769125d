// Drawing the oscilloscope plot: black ground, grid and frame, then the
// voltage trace in cyan and the current trace in yellow, each reduced to the
// samples where it bends; and the two colour keys beside the axis units.
#pragma once

#include <windows.h>

#include "measure/plot_math.h"

constexpr COLORREF SCOPE_VOLTAGE_COLOUR = RGB(0, 255, 255);
constexpr COLORREF SCOPE_CURRENT_COLOUR = RGB(255, 255, 0);

// The shared pens and brush of the plots, made once.
void scope_plot_create_resources();
// Draws the whole plot area of the given size with its origin at the DC's origin.
void scope_plot_draw(HDC dc, int width, int height, const ScopePlot& plot);
// Paints the plot into rect of dc through an off-screen bitmap (one block copy).
void scope_plot_paint(HDC dc, const RECT& rect, const ScopePlot& plot);
// A colour key: the rectangle filled with the trace colour.
void scope_key_paint(HDC dc, const RECT& rect, COLORREF colour);
