#include "win/status_bar_win.h"

#include "win/app_win.h"
#include "win/status_fields.h"
#include "base/text.h"
#include "params/file_commands.h"
#include "port/utf16_win.h"
#include "res/resource.h"

#include <commctrl.h>

namespace {

constexpr wchar_t FILE_LABEL[] = L"Parameterdatei";
constexpr wchar_t PORT_LABEL[] = L"KV-310-R-Anschluss";

struct StatusBar {
    HWND window = nullptr;
    HWND progress = nullptr;         // the progress bar over a field, while there is one
    unsigned progress_position = 0;  // as last set, 0..100
    // What the file name field shows: the file, and whether it was modified.
    bool shown_modified = false;
    std::string shown_file_name;
    // What the port field shows: the port, and whether a recording runs.
    std::string port_text;
    bool recording = false;
};
StatusBar g_bar;

int label_width() {
    HDC dc = GetDC(g_bar.window);
    if (!dc) return 0;
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(g_bar.window, WM_GETFONT, 0, 0));
    HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    SIZE a{}, b{};
    GetTextExtentPoint32W(dc, FILE_LABEL, lstrlenW(FILE_LABEL), &a);
    GetTextExtentPoint32W(dc, PORT_LABEL, lstrlenW(PORT_LABEL), &b);
    if (old) SelectObject(dc, old);
    ReleaseDC(g_bar.window, dc);
    // Room for the raised border around the label.
    return (a.cx > b.cx ? a.cx : b.cx) + 2 * GetSystemMetrics(SM_CXEDGE) + 6;
}

// The fields for the main window's width, each half starting with its label.
void layout_fields() {
    if (!g_bar.window) return;
    RECT client{};
    GetClientRect(GetParent(g_bar.window), &client);
    auto edges = status_field_edges(label_width(), client.right - client.left);
    int parts[4] = {edges[0], edges[1], edges[2], edges[3]};
    SendMessageW(g_bar.window, SB_SETPARTS, 4, reinterpret_cast<LPARAM>(parts));
    SendMessageW(g_bar.window, SB_SETTEXTW, STATUS_FIELD_FILE_LABEL | SBT_POPOUT,
                 reinterpret_cast<LPARAM>(FILE_LABEL));
    SendMessageW(g_bar.window, SB_SETTEXTW, STATUS_FIELD_PORT_LABEL | SBT_POPOUT,
                 reinterpret_cast<LPARAM>(PORT_LABEL));
}

}  // namespace

bool status_bar_create(HWND main, LPARAM size) {
    if (!g_bar.window)
        g_bar.window =
            CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_BORDER, 0,
                            0, 0, 0, main, reinterpret_cast<HMENU>(IDC_STATUSBAR), app_instance(), nullptr);
    if (!g_bar.window) return false;
    layout_fields();
    SendMessageW(g_bar.window, WM_SIZE, SIZE_RESTORED, size);
    return true;
}

void status_bar_resize(WPARAM type, LPARAM size) {
    if (g_bar.window) SendMessageW(g_bar.window, WM_SIZE, type, size);
    layout_fields();
}

void status_bar_forget() { g_bar = StatusBar{}; }

HWND status_bar() { return g_bar.window; }

void status_text(int field, unsigned style, const std::string& text) {
    if (!g_bar.window) return;
    std::wstring w = widen(cut_chars(text, 511));
    SendMessageW(g_bar.window, SB_SETTEXTW, static_cast<WPARAM>(field) | style,
                 reinterpret_cast<LPARAM>(w.c_str()));
}

bool status_progress_create(int field) {
    status_progress_remove();
    RECT r{};
    if (!g_bar.window || !SendMessageW(g_bar.window, SB_GETRECT, field, reinterpret_cast<LPARAM>(&r)))
        return false;
    g_bar.progress =
        CreateWindowExW(0, PROGRESS_CLASSW, nullptr, WS_CHILD | WS_VISIBLE, r.left, r.top, r.right - r.left,
                        r.bottom - r.top, g_bar.window, nullptr, app_instance(), nullptr);
    if (!g_bar.progress) return false;
    SendMessageW(g_bar.progress, PBM_SETRANGE32, 0, 100);
    SendMessageW(g_bar.progress, PBM_SETSTEP, 1, 0);
    g_bar.progress_position = 0;
    return true;
}

void status_progress_set(unsigned position) {
    if (!g_bar.progress) return;
    if (position > 100) position = 100;
    if (position == g_bar.progress_position) return;
    g_bar.progress_position = position;
    SendMessageW(g_bar.progress, PBM_SETPOS, position, 0);
}

void status_progress_remove() {
    if (g_bar.progress) DestroyWindow(g_bar.progress);
    g_bar.progress = nullptr;
}

namespace {

void show_port_field() {
    status_text(STATUS_FIELD_PORT, 0, g_bar.port_text + (g_bar.recording ? " – Aufzeichnung läuft" : ""));
}

}  // namespace

void show_port_in_status_bar(const std::string& text) {
    g_bar.port_text = text;
    show_port_field();
}

void show_recording_in_status_bar(bool recording) {
    g_bar.recording = recording;
    show_port_field();
}

void update_file_name_display() {
    // Called from every timer tick: touch the status bar only on a change.
    const bool modified = is_modified();
    if (modified == g_bar.shown_modified && g_bar.shown_file_name == current_path()) return;
    show_file_name();
}

void show_file_name_in_status_bar(const std::string& text) {
    g_bar.shown_modified = is_modified();
    g_bar.shown_file_name = current_path();
    status_text(STATUS_FIELD_FILE_NAME, 0, text);
}
