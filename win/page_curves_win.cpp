// Both curves are drawn from the live record at every paint; the import is the
// only change this page makes to them.
#include "win/page_curves_win.h"

#include "win/app_win.h"
#include "win/page_notify.h"
#include "win/plot_draw_win.h"
#include "base/settings.h"
#include "base/text.h"
#include "base/ui.h"
#include "measure/plot_math.h"
#include "params/curve_text.h"
#include "params/file_commands.h"
#include "params/file_messages.h"
#include "port/utf16_win.h"
#include "res/resource.h"

#include <string>
#include <vector>

namespace {

// What the page keeps between imports; the curves themselves are the live
// record's.
struct CurvesPage {
    std::string last_import_file;  // chosen for the last import, kept across runs
    CustomFilter import_filter;    // the import dialog's own custom filter, kept for the run
};
CurvesPage g_page;

constexpr COLORREF CURVE_COLOUR = RGB(0, 255, 255);
constexpr int GRID_LINES[] = {64, 128, 192};  // 25, 50 and 75 % of 256

void fill_texts(HWND dialog) {
    ParameterRecord& record = live_record();
    validate_record(record);
    for (int curve = 0; curve < 2; ++curve) {
        HWND box = GetDlgItem(dialog, IDC_CURVE_DATA1 + curve);
        const std::wstring text = widen(curve_data_text(record.user_curve[curve]));
        // An unchanged text stays, and keeps where it was scrolled to.
        std::wstring shown(size_t(GetWindowTextLengthW(box)) + 1, L'\0');
        shown.resize(size_t(GetWindowTextW(box, shown.data(), int(shown.size()))));
        if (shown != text) SetWindowTextW(box, text.c_str());
    }
}

void redraw_plot(HWND dialog, int curve) {
    InvalidateRect(GetDlgItem(dialog, IDC_CURVE_PLOT1 + curve), nullptr, FALSE);
}

}  // namespace

void draw_curve_plot(HDC dc, int width, int height, const uint8_t* curve) {
    const PlotResources& r = plot_resources();
    const RECT all{0, 0, width, height};
    FillRect(dc, &all, r.background);
    auto x = [&](int v) { return plot_x(v, 0, 255, width); };
    auto y = [&](int v) { return plot_y(v, 0, 255, height); };

    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ old = SelectObject(dc, r.grid);
    for (int v : GRID_LINES) {
        MoveToEx(dc, x(0), y(v), nullptr);
        LineTo(dc, x(255), y(v));
    }
    for (int v : GRID_LINES) {
        MoveToEx(dc, x(v), y(0), nullptr);
        LineTo(dc, x(v), y(255));
    }
    SelectObject(dc, r.frame);
    const POINT frame[] = {{x(0), y(0)}, {x(255), y(0)}, {x(255), y(255)}, {x(0), y(255)}, {x(0), y(0)}};
    Polyline(dc, frame, 5);
    SelectObject(dc, old);

    std::vector<POINT> line;
    for (const PlotPoint& p : curve_polyline(curve, width, height)) line.push_back({p.x, p.y});
    plot_draw_polyline(dc, CURVE_COLOUR, line.data(), int(line.size()));
}

void import_curve_text(int curve) {
    FileDialogRequest request;
    request.title = "Import einer Textdatei";
    request.filters = {{"Textdateien (*.txt)", "*.txt"}, {"Alle Dateien (*.*)", "*.*"}};
    request.filter_index = 1;
    request.custom_filter = &g_page.import_filter;
    request.initial_name = g_page.last_import_file;
    request.default_ext = "txt";
    const auto chosen = ask_file_name(main_window(), request);
    if (!chosen) return;
    g_page.last_import_file = chosen->path;
    // A file that fails leaves the curve as it was, byte for byte.
    const CurveImport result = import_curve_file(chosen->path);
    if (!apply_curve_import(live_record(), curve, result))
        report_curve_import_error(main_window(), result, chosen->path);
}

INT_PTR CALLBACK page_curves_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_INITDIALOG:
            plot_create_resources();
            fill_texts(dialog);
            return TRUE;
        case WM_NOTIFY:
            if (reinterpret_cast<const NMHDR*>(lparam)->code == PAGE_SETACTIVE) {
                fill_texts(dialog);
                redraw_plot(dialog, 0);
                redraw_plot(dialog, 1);
            }
            SetWindowLongPtrW(dialog, DWLP_MSGRESULT, 0);
            return TRUE;
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
            if (item->CtlID != IDC_CURVE_PLOT1 && item->CtlID != IDC_CURVE_PLOT2) return FALSE;
            const uint8_t* curve = live_record().user_curve[item->CtlID - IDC_CURVE_PLOT1];
            plot_paint_offscreen(item->hDC, item->rcItem,
                                 [curve](HDC dc, int w, int h) { draw_curve_plot(dc, w, h, curve); });
            return TRUE;
        }
        case WM_COMMAND: {
            const int id = LOWORD(wparam);
            if ((id == IDC_CURVE_IMPORT1 || id == IDC_CURVE_IMPORT2) && HIWORD(wparam) == BN_CLICKED) {
                const int curve = id - IDC_CURVE_IMPORT1;
                import_curve_text(curve);
                redraw_plot(dialog, curve);
                fill_texts(dialog);
            } else if (id == IDOK) {
                PostMessageW(dialog, WM_NEXTDLGCTL, 0, FALSE);
            }
            return TRUE;
        }
    }
    return FALSE;
}

void import_file_load() {
    std::string file;
    settings_read_text("CHARIMP", "FILE", file, 512);
    g_page.last_import_file = trim_blanks(file);
}

void import_file_store() { settings_write_text("CHARIMP", "FILE", g_page.last_import_file.c_str()); }
