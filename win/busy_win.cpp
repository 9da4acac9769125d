// The busy window: a small modeless dialog with a text and "Abbruch", shown
// while a device operation runs. Its owner is disabled meanwhile; the
// operation's wait loops keep the program alive through the message pump
// below, one message per query.
#include "link/busy.h"

#include "win/shell_win.h"
#include "port/utf16_win.h"
#include "res/resource.h"

#include <windows.h>

#include <optional>

// The resource script cannot read the link's constants: its template ids are
// kept equal here.
static_assert(BUSY_TEMPLATE_CONNECTION == IDD_BUSY_CONNECTION);
static_assert(BUSY_TEMPLATE_STATUS == IDD_BUSY_STATUS);
static_assert(BUSY_TEMPLATE_TEST == IDD_BUSY_TEST);
static_assert(BUSY_TEMPLATE_CONFIG == IDD_BUSY_CONFIG);

namespace {

HWND g_busy = nullptr;
HWND g_owner = nullptr;
bool g_cancelled = false;
// A quit message taken from the queue while an operation waits, held until
// the busy window closes. Posted back at once, it would stay in the queue and
// wake every idle wait of the operation at once: the rest of the wait would
// spin a core.
std::optional<int> g_held_quit;

INT_PTR CALLBACK busy_proc(HWND dialog, UINT message, WPARAM, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            g_cancelled = false;
            SetDlgItemTextW(dialog, IDC_BUSY_TEXT, L"");
            return TRUE;
        case WM_COMMAND:  // "Abbruch", Enter and Esc; the operation closes the window
            g_cancelled = true;
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
        g_held_quit = static_cast<int>(msg.wParam);  // for the main loop, once the operation is done
        return;
    }
    if (g_busy && IsDialogMessageW(g_busy, &msg)) return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

}  // namespace

void busy_open(WindowRef owner, int template_id) {
    if (g_busy) return;
    g_cancelled = false;
    g_owner = static_cast<HWND>(owner);
    if (g_owner) EnableWindow(g_owner, FALSE);
    if (template_id == 0) template_id = BUSY_TEMPLATE_CONNECTION;
    g_busy = CreateDialogParamW(app_instance(), MAKEINTRESOURCEW(template_id), g_owner, busy_proc, 0);
    if (!g_busy) {
        busy_close();
        return;
    }
    ShowWindow(g_busy, SW_SHOW);
    UpdateWindow(g_busy);
}

void busy_set_text(const std::string& text) {
    if (!g_busy) return;
    SetDlgItemTextW(g_busy, IDC_BUSY_TEXT, widen(text).c_str());
    pump_one_message();
}

bool busy_cancelled() {
    if (!g_busy) return true;
    pump_one_message();
    return g_cancelled;
}

void busy_close() {
    // The owner first, so that it gets the activation back when the busy
    // window goes.
    if (g_owner) EnableWindow(g_owner, TRUE);
    if (g_busy) {
        HWND busy = g_busy;
        g_busy = nullptr;
        DestroyWindow(busy);
    }
    if (g_held_quit) {
        PostQuitMessage(*g_held_quit);
        g_held_quit.reset();
    }
}

WindowRef busy_window() { return g_busy; }
