// How long one repaint of the "Verlauf" plot takes over a full kept hour
// (36,000 statuses at 10 Hz): each quantity reduced to its pixel columns,
// drawn into an off-screen bitmap and copied onto a window on the screen, as
// the window does for every status while the status page polls. Also says
// how much memory the kept hour holds.
//
//   trend_paint.exe [REPEATS]
// Prints one line per case: milliseconds per paint (median of the runs). The
// trend is drawn in thin lines, the same with and without GDI+.
#include "win/plot_draw_win.h"
#include "win/trend_plot_win.h"
#include "measure/status_history.h"
#include "tests/bench/kept_hour.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// The plot field at 96 dpi: 384 x 206 dialog units of "MS Shell Dlg" 8.
constexpr int WIDTH = 576, HEIGHT = 335;
constexpr uint32_t NOW = 10'000'000;

double now_ms() {
    LARGE_INTEGER t, f;
    QueryPerformanceCounter(&t);
    QueryPerformanceFrequency(&f);
    return double(t.QuadPart) * 1000.0 / double(f.QuadPart);
}

double median_paint_ms(HWND window, const StatusHistory& h, const TrendView& view, int repeats) {
    HDC dc = GetDC(window);
    const RECT area{0, 0, WIDTH, HEIGHT};
    std::vector<double> times;
    for (int i = 0; i < repeats; ++i) {
        const double start = now_ms();
        plot_paint_offscreen(dc, area, [&](HDC d, int w, int ht) { trend_plot_draw(d, w, ht, h, view); });
        GdiFlush();
        times.push_back(now_ms() - start);
    }
    ReleaseDC(window, dc);
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100;
    plot_create_resources();
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, WIDTH, HEIGHT, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!window) return 1;
    static StatusHistory history;
    fill_hour(history, NOW, 1'700'000'000'000);
    std::printf("kept hour: %zu statuses, %zu bytes of statuses (%zu a status), room for %zu events\n",
                ring_size(history.statuses), history.statuses.storage.capacity() * sizeof(StatusSample),
                sizeof(StatusSample), HISTORY_EVENTS);
    const std::vector<TrendQuantity> three = {TrendQuantity::front_temperature, TrendQuantity::temperature1,
                                              TrendQuantity::temperature2};
    std::vector<TrendQuantity> all;
    for (int q = 0; q < TREND_QUANTITIES; ++q) all.push_back(TrendQuantity(q));
    struct Case {
        const char* name;
        const std::vector<TrendQuantity>* quantities;
        uint32_t span;
    };
    const Case cases[] = {
        {"3 quantities, 60 min", &three, TREND_SPANS_MS[2]},
        {"3 quantities, 1 min", &three, TREND_SPANS_MS[0]},
        {"all 14 quantities, 60 min", &all, TREND_SPANS_MS[2]},
    };
    for (const Case& c : cases) {
        const TrendView view{*c.quantities, c.span, NOW};
        median_paint_ms(window, history, view, 5);  // warm up
        std::printf("%s: %.2f ms per paint\n", c.name, median_paint_ms(window, history, view, repeats));
    }
    DestroyWindow(window);
    return 0;
}
