// The "Oszilloskop" page. For now it shows only its title; the controls and
// their handling come with the page itself.
#include "win/pages_win.h"

#include "win/program_state_win.h"
#include "win/shell_win.h"
#include "port/port.h"

namespace {

constexpr int SCOPE_PAGE = 4;  // the fifth tab; its window owns the start command's messages

}  // namespace

INT_PTR CALLBACK page_scope_proc(HWND dialog, UINT message, WPARAM, LPARAM) {
    return placeholder_page_proc(dialog, message);
}

void scope_timer_step() {
    ProgramState& state = program_state();
    scope_step(state.scope, state.status.slots, state.drive, page_window(SCOPE_PAGE), tick_count_ms());
}
