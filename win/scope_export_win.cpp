#include "win/scope_export_win.h"

#include "win/png_win.h"
#include "win/app_win.h"
#include "win/scope_plot_win.h"
#include "base/file_io.h"
#include "base/ui.h"
#include "measure/scope_csv.h"
#include "params/file_messages.h"
#include "res/resource.h"

#include <vector>

namespace {

constexpr int IMAGE_MARGIN = 6;  // pixels of page around the labels

// The controls the image shows (and the statics between them).
const int IMAGE_ITEMS[] = {IDC_SCOPE_VOLTAGE_KEY,
                           IDC_SCOPE_CURRENT_KEY,
                           IDC_SCOPE_DESCRIPTION,
                           IDC_SCOPE_PEAK,
                           IDC_SCOPE_PLOT,
                           IDC_SCOPE_VOLTAGE_LABEL_FIRST,
                           IDC_SCOPE_CURRENT_LABEL_FIRST + 8,
                           IDC_SCOPE_TIME_LABEL_FIRST,
                           IDC_SCOPE_TIME_LABEL_FIRST + 5,
                           IDC_SCOPE_TIME_UNIT,
                           IDC_SCOPE_ZERO_TIME_LABEL,
                           IDC_SCOPE_SWITCHING_TIME};

RECT rect_in(HWND page, HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

bool has_class(HWND window, const wchar_t* name) {
    wchar_t text[32] = {};
    GetClassNameW(window, text, 32);
    return lstrcmpiW(text, name) == 0;
}

std::wstring window_text(HWND window) {
    std::vector<wchar_t> text(size_t(GetWindowTextLengthW(window)) + 1, L'\0');
    GetWindowTextW(window, text.data(), int(text.size()));
    return text.data();
}

// A static or read-only edit as it looks on the page: its text in the page's
// font, aligned as the control aligns it.
void draw_text_control(HDC dc, HWND control, RECT r) {
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    UINT format = DT_NOPREFIX | DT_SINGLELINE;
    if (has_class(control, L"Edit")) {
        FillRect(dc, &r, GetSysColorBrush(COLOR_WINDOW));
        DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
        InflateRect(&r, -2, 0);
        format |= DT_VCENTER | ((style & ES_RIGHT) ? DT_RIGHT : (style & ES_CENTER) ? DT_CENTER : DT_LEFT);
    } else {
        const LONG type = style & SS_TYPEMASK;
        format |= type == SS_RIGHT ? DT_RIGHT : type == SS_CENTER ? DT_CENTER : DT_LEFT;
    }
    const std::wstring text = window_text(control);
    DrawTextW(dc, text.c_str(), -1, &r, format);
}

void draw_control(HDC dc, HWND control, const RECT& r) {
    switch (GetDlgCtrlID(control)) {
        case IDC_SCOPE_PLOT: {
            // Its border, then the plot in its client area.
            FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
            RECT inner = r;
            InflateRect(&inner, -1, -1);
            scope_plot_paint(dc, inner, program_state().scope_plot);
            return;
        }
        case IDC_SCOPE_VOLTAGE_KEY:
            scope_key_paint(dc, r, SCOPE_VOLTAGE_COLOUR);
            return;
        case IDC_SCOPE_CURRENT_KEY:
            scope_key_paint(dc, r, SCOPE_CURRENT_COLOUR);
            return;
    }
    if (has_class(control, L"Static") || has_class(control, L"Edit")) draw_text_control(dc, control, r);
}

bool copy_to_clipboard(HWND page) {
    HBITMAP image = scope_page_image(page);
    if (!image) return false;
    if (!OpenClipboard(page)) {
        DeleteObject(image);
        return false;
    }
    EmptyClipboard();
    const bool handed_over = SetClipboardData(CF_BITMAP, image) != nullptr;  // the clipboard owns it now
    CloseClipboard();
    if (!handed_over) DeleteObject(image);
    return handed_over;
}

bool save_png(HWND page, const std::string& path) {
    HBITMAP image = scope_page_image(page);
    const std::optional<std::string> png = png_from_bitmap(image);
    if (image) DeleteObject(image);
    return png && write_file_atomic(path, *png);
}

std::optional<std::string> ask_save_path(HWND page, const char* title, const char* filter_label,
                                         const char* pattern, const char* extension) {
    FileDialogRequest request;
    request.save = true;
    request.title = title;
    request.filters = {{filter_label, pattern}, {"Alle Dateien (*.*)", "*.*"}};
    request.initial_name = std::string("Oszilloskop.") + extension;
    request.default_ext = extension;
    const std::optional<FileDialogResult> chosen = ask_file_name(page, request);
    if (!chosen) return std::nullopt;
    return chosen->path;
}

}  // namespace

HMENU scope_export_popup(bool capture_shown, HMENU& menu) {
    menu = LoadMenuW(app_instance(), MAKEINTRESOURCEW(IDR_SCOPE_PLOT_MENU));
    if (!menu) return nullptr;
    HMENU popup = GetSubMenu(menu, 0);
    const UINT state = MF_BYCOMMAND | (capture_shown ? MF_ENABLED : MF_GRAYED);
    for (UINT command : {CMD_SCOPE_SAVE_CSV, CMD_SCOPE_SAVE_PNG, CMD_SCOPE_COPY})
        EnableMenuItem(popup, command, state);
    return popup;
}

void scope_export_menu(HWND page, POINT screen, bool capture_shown) {
    HMENU menu = nullptr;
    if (HMENU popup = scope_export_popup(capture_shown, menu))
        TrackPopupMenu(popup, TPM_RIGHTBUTTON, screen.x, screen.y, 0, page, nullptr);
    if (menu) DestroyMenu(menu);
}

void scope_export(HWND page, int command) {
    ProgramState& s = program_state();
    if (!s.scope_plot.shown) return;
    if (command == CMD_SCOPE_SAVE_CSV) {
        if (auto path =
                ask_save_path(page, "Messung als CSV speichern", "CSV-Dateien (*.csv)", "*.csv", "csv"))
            save_capture_csv(page, *path, s.scope.shown_capture, s.scope.displayed);
    } else if (command == CMD_SCOPE_SAVE_PNG) {
        if (auto path = ask_save_path(page, "Bild als PNG speichern", "PNG-Bilder (*.png)", "*.png", "png"))
            if (!save_png(page, *path)) report_file_not_saved(page, *path);
    } else if (command == CMD_SCOPE_COPY) {
        if (!copy_to_clipboard(page))
            message_box(page, KV_MB_ERROR,
                        "Fehler: Das Bild konnte nicht in die Zwischenablage kopiert werden");
    }
}

HBITMAP scope_page_image(HWND page) {
    RECT area{};
    for (int id : IMAGE_ITEMS) {
        const RECT r = rect_in(page, GetDlgItem(page, id));
        UnionRect(&area, &area, &r);
    }
    RECT client{};
    GetClientRect(page, &client);
    InflateRect(&area, IMAGE_MARGIN, IMAGE_MARGIN);
    IntersectRect(&area, &area, &client);
    const int width = area.right - area.left, height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return nullptr;

    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP image = dc ? CreateCompatibleBitmap(screen, width, height) : nullptr;
    ReleaseDC(nullptr, screen);
    if (!image) {
        if (dc) DeleteDC(dc);
        return nullptr;
    }
    HGDIOBJ old_bitmap = SelectObject(dc, image);
    HGDIOBJ old_font = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(page, WM_GETFONT, 0, 0)));
    RECT all{0, 0, width, height};
    FillRect(dc, &all, GetSysColorBrush(COLOR_BTNFACE));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT r = rect_in(page, child), overlap{};
        if (!IsWindowVisible(child) || !IntersectRect(&overlap, &r, &area)) continue;
        OffsetRect(&r, -area.left, -area.top);
        draw_control(dc, child, r);
    }
    SelectObject(dc, old_font);
    SelectObject(dc, old_bitmap);
    DeleteDC(dc);
    return image;
}
