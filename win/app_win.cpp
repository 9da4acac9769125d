#include "win/app_win.h"

namespace {

struct App {
    HINSTANCE instance = nullptr;
    HWND main_window = nullptr;
    ProgramState state;
};
App g_app;

}  // namespace

HINSTANCE app_instance() { return g_app.instance; }
HWND main_window() { return g_app.main_window; }
ProgramState& program_state() { return g_app.state; }

void app_set_instance(HINSTANCE instance) { g_app.instance = instance; }
void app_set_main_window(HWND window) { g_app.main_window = window; }
