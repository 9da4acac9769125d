// The busy window: a small modeless dialog with a text and "Abbruch", shown
// while a device operation runs. The main window is disabled meanwhile; the
// operation's wait loops keep the program alive through the message pump
// below, one message per query.
#include "link/busy.h"

#include "win/app_win.h"
#include "port/utf16_win.h"
#include "res/resource.h"

#include <windows.h>

#include <optional>

namespace {

// The dialog template of each kind, in the order of BusyKind.
constexpr int TEMPLATES[] = {IDD_BUSY_CONNECTION, IDD_BUSY_STATUS, IDD_BUSY_TEST, IDD_BUSY_CONFIG};

struct BusyWindow {
    HWND window = nullptr;  // while one is open
    HWND owner = nullptr;   // the window disabled while it is open: the main window
    bool cancelled = false;
    bool deferred = false;  // "Abbruch" asks for a stop instead (busy_defer_cancel)
    bool stop_asked = false;
    // A quit message taken from the queue while an operation waits, held
    // until the busy window closes. Posted back at once, it would stay in the
    // queue and wake every idle wait of the operation at once: the rest of
    // the wait would spin a core.
    std::optional<int> held_quit;
};
BusyWindow g_busy;

INT_PTR CALLBACK busy_proc(HWND dialog, UINT message, WPARAM, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            g_busy.cancelled = false;
            SetDlgItemTextW(dialog, IDC_BUSY_TEXT, L"");
            return TRUE;
        case WM_COMMAND:  // "Abbruch", Enter and Esc; the operation closes the window
            if (g_busy.deferred)
                g_busy.stop_asked = true;
            else
                g_busy.cancelled = true;
            return TRUE;
    }
    return FALSE;
}

// Handles at most one waiting message of the thread, so a wait loop stays
// responsive without running ahead of its own polling.
void pump_one_message() {
    MSG msg;
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return;
    if (msg.message == WM_QUIT) {
        g_busy.held_quit = static_cast<int>(msg.wParam);  // for the main loop, once the operation is done
        return;
    }
    if (g_busy.window && IsDialogMessageW(g_busy.window, &msg)) return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

}  // namespace

void busy_open(BusyKind kind) {
    if (g_busy.window) return;
    g_busy.cancelled = false;
    g_busy.deferred = false;
    g_busy.stop_asked = false;
    g_busy.owner = main_window();
    if (g_busy.owner) EnableWindow(g_busy.owner, FALSE);
    const int template_id = TEMPLATES[static_cast<int>(kind)];
    g_busy.window =
        CreateDialogParamW(app_instance(), MAKEINTRESOURCEW(template_id), g_busy.owner, busy_proc, 0);
    if (!g_busy.window) {
        busy_close();
        return;
    }
    ShowWindow(g_busy.window, SW_SHOW);
    UpdateWindow(g_busy.window);
}

void busy_set_text(const std::string& text) {
    if (!g_busy.window) return;
    SetDlgItemTextW(g_busy.window, IDC_BUSY_TEXT, widen(text).c_str());
    pump_one_message();
}

bool busy_cancelled() {
    if (!g_busy.window) return true;
    pump_one_message();
    return g_busy.cancelled;
}

void busy_defer_cancel() { g_busy.deferred = true; }

bool busy_stop_asked() {
    if (!g_busy.window) return true;
    pump_one_message();
    return g_busy.stop_asked;
}

void busy_close() {
    // The owner first, so that it gets the activation back when the busy
    // window goes.
    if (g_busy.owner) EnableWindow(g_busy.owner, TRUE);
    if (g_busy.window) {
        HWND busy = g_busy.window;
        g_busy.window = nullptr;
        DestroyWindow(busy);
    }
    if (g_busy.held_quit) {
        PostQuitMessage(*g_busy.held_quit);
        g_busy.held_quit.reset();
    }
}

WindowRef busy_window() { return g_busy.window; }
