// "Userkurve 1 und 2": the import through the open-file dialog with good,
// short, long and odd files, the texts and plots it refreshes, the last file
// kept across runs, and the plot as it is drawn.
#include "tests/win/pages_ui_test.h"

#include "win/dialog_items_win.h"
#include "win/gdiplus_win.h"
#include "win/page_curves_win.h"
#include "win/plot_draw_win.h"
#include "base/settings.h"
#include "measure/plot_math.h"
#include "params/file_commands.h"
#include "params/param_file.h"
#include "res/resource.h"

#include <cstring>

namespace {

std::string numbers(int count, int (*f)(int)) {
    std::string s;
    for (int i = 0; i < count; ++i) s += std::to_string(f(i)) + "\r\n";
    return s;
}

std::string data_text(HWND page, int curve) { return dlg_get_text(page, IDC_CURVE_DATA1 + curve, 4000); }

void press_import(ShellTest& t, HWND page, int curve) { click(t, page, IDC_CURVE_IMPORT1 + curve); }

bool same_curve(const uint8_t* a, const uint8_t* b) { return std::memcmp(a, b, CURVE_POINTS) == 0; }

TEST_F(ShellTest, ImportAsksForATextFileStartingAtTheLastOne) {
    write_settings("[CHARIMP]\r\nFILE=  C:\\Kurven\\alt.txt \r\n");
    start();
    select_page(Page::user_curves);
    HWND page = current_page();
    press_import(*this, page, 0);  // cancelled: nothing changes
    ASSERT_EQ(ui.file_requests.size(), 1u);
    const FileDialogRequest& r = ui.file_requests[0];
    EXPECT_FALSE(r.save);  // file and path must exist
    EXPECT_EQ(r.title, "Import einer Textdatei");
    ASSERT_EQ(r.filters.size(), 2u);
    EXPECT_EQ(r.filters[0], std::make_pair(std::string("Textdateien (*.txt)"), std::string("*.txt")));
    EXPECT_EQ(r.filters[1], std::make_pair(std::string("Alle Dateien (*.*)"), std::string("*.*")));
    EXPECT_EQ(r.filter_index, 1);
    EXPECT_EQ(r.initial_name, "C:\\Kurven\\alt.txt");
    EXPECT_EQ(r.initial_dir, "");
    EXPECT_EQ(r.default_ext, "txt");
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_FALSE(is_modified());

    // A file chosen becomes the last one at once, even when it fails.
    const std::string missing = dir.file("fehlt.txt");
    ui.file_answers.push_back(FileDialogResult{missing, 1});
    press_import(*this, page, 1);
    press_import(*this, page, 0);
    EXPECT_EQ(ui.file_requests.back().initial_name, missing);
    destroy_window();
    shell_store_settings();
    std::string stored;
    settings_read_text("CHARIMP", "FILE", stored, 512);
    EXPECT_EQ(stored, missing);
}

TEST_F(ShellTest, ImportReplacesACurveOnlyWhenTheFileHolds256Numbers) {
    const std::string identity = dir.file("identitaet.txt"), many = dir.file("300.txt"),
                      short_file = dir.file("255.txt"), odd = dir.file("ungerade.txt"),
                      missing = dir.file("fehlt.txt");
    write_bytes(identity, numbers(256, [](int i) { return i; }));
    write_bytes(many, numbers(300, [](int i) { return 299 - i; }));
    write_bytes(short_file, numbers(255, [](int) { return 9; }));
    write_bytes(odd, "1.5 -7 1000\r\n" + numbers(252, [](int) { return 3; }));
    start();
    select_page(Page::user_curves);
    HWND page = current_page();
    const uint8_t* curve1 = live_record().user_curve[0];
    const uint8_t* curve2 = live_record().user_curve[1];

    struct Case {
        std::string path;
        int curve;
        std::string message;  // empty: none
        int first, last;      // points 0 and 255 afterwards
    };
    const Case cases[] = {
        {short_file, 0, "Fehler: Datei \"" + short_file + "\" ist fehlerhaft", 0, 255},
        {missing, 1, "Fehler: Datei \"" + missing + "\" kann nicht importiert werden", 0, 255},
        {identity, 0, "", 0, 255},
        {many, 1, "", 255, 44},  // the first 256 of 300 numbers, 299 stored as 255
        {short_file, 1, "Fehler: Datei \"" + short_file + "\" ist fehlerhaft", 255, 44},
        {odd, 0, "", 1, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const ParameterRecord before = live_record();
        const bool modified_before = is_modified();
        ui.messages.clear();
        ui.file_answers.push_back(FileDialogResult{c.path, 1});
        press_import(*this, page, c.curve);
        if (c.message.empty()) {
            EXPECT_TRUE(ui.messages.empty());
            EXPECT_TRUE(is_modified());
        } else {
            ASSERT_EQ(ui.messages.size(), 1u);
            EXPECT_EQ(ui.messages[0].type, KV_MB_ERROR);
            EXPECT_EQ(ui.messages[0].text, c.message);
            // Nothing lost: the curve byte for byte, and no change to save.
            EXPECT_TRUE(changed_bytes(before, live_record()).empty());
            EXPECT_EQ(is_modified(), modified_before);
        }
        const uint8_t* curve = c.curve == 0 ? curve1 : curve2;
        EXPECT_EQ(curve[0], c.first);
        EXPECT_EQ(curve[255], c.last);
        const int other = 1 - c.curve;
        EXPECT_TRUE(same_curve(live_record().user_curve[other], before.user_curve[other]));
    }
    // "1.5 -7 1000": the numbers 1, 5, 7 and 255.
    EXPECT_EQ(curve1[1], 5);
    EXPECT_EQ(curve1[2], 7);
    EXPECT_EQ(curve1[3], 255);
    EXPECT_EQ(data_text(page, 0).rfind("1(control 0) 5(1) 7(2) 255(3) 3(4)", 0), 0u);
    EXPECT_EQ(data_text(page, 1).rfind("255(control 0) 255(1)", 0), 0u);
}

TEST_F(ShellTest, IdentityCurvePlotsAsOneStraightLine) {
    const std::string identity = dir.file("identitaet.txt");
    write_bytes(identity, numbers(256, [](int i) { return i; }));
    start();
    select_page(Page::user_curves);
    ui.file_answers.push_back(FileDialogResult{identity, 1});
    press_import(*this, current_page(), 0);
    EXPECT_EQ(curve_vertices(live_record().user_curve[0]), (std::vector<int>{0, 255}));
    EXPECT_EQ(data_text(current_page(), 0).rfind("0(control 0) 1(1) 2(2) 3(3)", 0), 0u);
}

TEST_F(ShellTest, ImportIntoCurve2RedrawsOnlyItsPlotAndRefillsBothTexts) {
    const std::string flat = dir.file("flach.txt");
    write_bytes(flat, numbers(256, [](int) { return 200; }));
    start();
    select_page(Page::user_curves);
    HWND page = current_page();
    SetDlgItemTextW(page, IDC_CURVE_DATA1, L"");
    UpdateWindow(page);
    RedrawWindow(page, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    ui.file_answers.push_back(FileDialogResult{flat, 1});
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_CURVE_IMPORT2, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(page, IDC_CURVE_IMPORT2)));
    EXPECT_FALSE(GetUpdateRect(GetDlgItem(page, IDC_CURVE_PLOT1), nullptr, FALSE));
    EXPECT_TRUE(GetUpdateRect(GetDlgItem(page, IDC_CURVE_PLOT2), nullptr, FALSE));
    EXPECT_EQ(data_text(page, 0).rfind("0(control 0) 22(1) 27(2) 31(3)", 0), 0u);  // the default curve 1
    EXPECT_EQ(data_text(page, 1).rfind("200(control 0) 200(1)", 0), 0u);
    pump();
}

TEST_F(ShellTest, CurvesPageShowsTheCurvesOfAFileOpenedWhileItIsShown) {
    ParameterRecord record;
    apply_defaults(record);
    for (int x = 0; x < CURVE_POINTS; ++x) record.user_curve[1][x] = uint8_t(255 - x);
    const std::string path = dir.file("Kurven.ini");
    ASSERT_TRUE(write_parameter_file(record, path));
    start();
    select_page(Page::user_curves);
    HWND page = current_page();
    UpdateWindow(page);
    RedrawWindow(page, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    ui.file_answers.push_back(FileDialogResult{path, 1});
    dispatch_command(CMD_OPEN);
    EXPECT_EQ(data_text(page, 1).rfind("255(control 0) 254(1) 253(2)", 0), 0u);
    EXPECT_TRUE(GetUpdateRect(GetDlgItem(page, IDC_CURVE_PLOT1), nullptr, FALSE));
    EXPECT_TRUE(GetUpdateRect(GetDlgItem(page, IDC_CURVE_PLOT2), nullptr, FALSE));
}

// The plot drawn off-screen into a bitmap of our own, then read pixel by pixel.
struct Canvas {
    static constexpr int W = 400, H = 300;
    HDC dc = CreateCompatibleDC(nullptr);
    uint32_t* bits = nullptr;
    HBITMAP bitmap;
    HGDIOBJ old;
    Canvas() {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), W, -H, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
        old = SelectObject(dc, bitmap);
    }
    ~Canvas() {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    void draw(const uint8_t* curve) {
        GdiFlush();
        const RECT all{0, 0, W, H};
        plot_paint_offscreen(dc, all, [curve](HDC d, int w, int h) { draw_curve_plot(d, w, h, curve); });
        GdiFlush();
    }
    uint32_t at(int x, int y) const { return bits[y * W + x] & 0xFFFFFF; }
};

constexpr uint32_t BLACK = 0, SILVER = 0xC0C0C0, GREY = 0x808080, CYAN = 0x00FFFF;

TEST_F(ShellTest, CurvePlotHasGridFrameAndCyanLineWithAndWithoutGdiPlus) {
    start();
    uint8_t identity[CURVE_POINTS];
    for (int x = 0; x < CURVE_POINTS; ++x) identity[x] = uint8_t(x);
    plot_create_resources();
    const int saved = g_gdiplus_available;
    for (int with_gdiplus = 1; with_gdiplus >= 0; --with_gdiplus) {
        SCOPED_TRACE(with_gdiplus ? "GDI+" : "plain GDI");
        g_gdiplus_available = with_gdiplus && saved;
        Canvas c;
        c.draw(identity);
        EXPECT_EQ(c.at(1, 1), BLACK);
        EXPECT_EQ(c.at(Canvas::W - 2, Canvas::H - 2), BLACK);
        EXPECT_EQ(c.at(plot_x(0, 0, 255, Canvas::W), 40), SILVER);   // the frame's left side
        EXPECT_EQ(c.at(200, plot_y(0, 0, 255, Canvas::H)), SILVER);  // its bottom
        // The middle grid line is dotted: grey and black by turns.
        const int grid_y = plot_y(192, 0, 255, Canvas::H);
        int grey = 0;
        for (int x = 20; x < 120; ++x) grey += c.at(x, grid_y) == GREY;
        EXPECT_GT(grey, 20);
        EXPECT_LT(grey, 80);
        // The curve passes through the middle, three pixels wide.
        const int x = plot_x(64, 0, 255, Canvas::W), y = plot_y(64, 0, 255, Canvas::H);
        int cyan = 0;
        for (int dy = -3; dy <= 3; ++dy) cyan += c.at(x, y + dy) == CYAN;
        EXPECT_GE(cyan, 2);
        EXPECT_LE(cyan, 4);
    }
    g_gdiplus_available = saved;
}

}  // namespace
