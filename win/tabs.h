// Which tab the keys and commands of the main window move to.
#pragma once

#include <cstdint>
#include <optional>

// Passed as delta or index: the last tab.
constexpr int TAB_LAST = INT32_MAX;

// The tab that step_tab(delta, wrap) selects, with `count` tabs and `current`
// selected. Nothing when there are no tabs or the selection is invalid.
// TAB_LAST goes to the last tab and 0 to the first; otherwise the tab `delta`
// places away, wrapping round or stopping at the ends.
std::optional<int> step_tab_target(int count, int current, int delta, bool wrap);

// The tab that select_page selects for `index`: `index` itself, TAB_LAST the last
// one. Nothing when there are no tabs.
std::optional<int> select_tab_target(int count, int index);
