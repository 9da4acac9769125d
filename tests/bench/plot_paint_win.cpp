// How long painting one user-curve plot takes: the plot drawn into an
// off-screen bitmap and copied onto a window shown on the screen, as the
// "Userkurve 1 und 2" page does for every repaint. Both curve drawings: the
// anti-aliased GDI+ line and the plain-GDI fallback.
//
//   plot_paint.exe [REPEATS]
// Prints one line per drawing: milliseconds per paint (median of the runs).
#include "win/gdiplus_win.h"
#include "win/page_curves_win.h"
#include "win/plot_draw_win.h"
#include "params/record.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// The plot control's size at 96 dpi: 250 x 200 dialog units of "MS Shell Dlg" 8.
constexpr int WIDTH = 375, HEIGHT = 300;

double now_ms() {
    LARGE_INTEGER t, f;
    QueryPerformanceCounter(&t);
    QueryPerformanceFrequency(&f);
    return double(t.QuadPart) * 1000.0 / double(f.QuadPart);
}

double median_paint_ms(HWND window, const uint8_t* curve, int repeats) {
    HDC dc = GetDC(window);
    const RECT area{0, 0, WIDTH, HEIGHT};
    std::vector<double> times;
    for (int i = 0; i < repeats; ++i) {
        const double start = now_ms();
        plot_paint_offscreen(dc, area, [curve](HDC d, int w, int h) { draw_curve_plot(d, w, h, curve); });
        GdiFlush();
        times.push_back(now_ms() - start);
    }
    ReleaseDC(window, dc);
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    gdiplus_load();
    plot_create_resources();
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, WIDTH, HEIGHT, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!window) return 1;
    ParameterRecord record;
    apply_defaults(record);  // the power-linear curve bends almost everywhere: ~250 vertices
    const uint8_t* curve = record.user_curve[0];
    median_paint_ms(window, curve, 10);  // warm up
    if (g_gdiplus_available)
        std::printf("GDI+ anti-aliased: %.2f ms per paint\n", median_paint_ms(window, curve, repeats));
    const int saved = g_gdiplus_available;
    g_gdiplus_available = 0;
    std::printf("plain GDI: %.2f ms per paint\n", median_paint_ms(window, curve, repeats));
    g_gdiplus_available = saved;
    DestroyWindow(window);
    gdiplus_unload();
    return 0;
}
