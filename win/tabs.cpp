#include "win/tabs.h"

#include <algorithm>

std::optional<int> step_tab_target(int count, int current, int delta, bool wrap) {
    if (count <= 0 || current < 0 || current >= count) return std::nullopt;
    if (delta == TAB_LAST) return count - 1;
    if (delta == 0) return 0;
    if (wrap) return (current + count + delta % count) % count;  // % keeps the sign of delta
    // In 64 bits: delta can be anything from the commands.
    int64_t target = int64_t{current} + delta;
    return static_cast<int>(std::clamp<int64_t>(target, 0, count - 1));
}

std::optional<int> select_tab_target(int count, int index) {
    if (count <= 0) return std::nullopt;
    return index == TAB_LAST ? count - 1 : index;
}
