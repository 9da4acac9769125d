#!/usr/bin/env bash
# A click on a tab until its page is completely painted, for each of the five
# pages, under Wine on a virtual display: the real main window in the
# benchmark's process (tests/bench/tab_switch_win.cpp) against a virtual
# dimmer on a line paced at 38400 baud 8N2, so the measuring pages poll as
# they would. KV_BENCH_ROUNDS switches to each page (default 20); the median
# and the slowest in milliseconds. Further builds of tab_switch.exe given as
# arguments (for instance the one before a change) run beside it, in turn.
#
#   scripts/bench-tab-switch.sh [OTHER_BUILD.exe...]
set -euo pipefail
. "$(dirname "$0")/common.sh"
cd "$KV_ROOT"
build_tree win tab_switch >/dev/null
build_tree native kv310r-sim >/dev/null
use_wine gui
for exe in "$KV_ROOT/build/win/tests/bench/tab_switch.exe" "$@"; do
  echo "$exe"
  scripts/with-sim-com.sh build/native/sim/kv310r-sim COM5 --pace -- \
    scripts/wine-gui-run.sh "$exe" "${KV_BENCH_ROUNDS:-20}" 2>/dev/null
done
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
