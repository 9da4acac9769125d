#!/usr/bin/env bash
# CPU the Windows program uses while it waits, under Wine on a virtual display:
# idle on the first page, while "Dimmerparameter auslesen" waits for a virtual
# dimmer on a line paced at 38400 baud 8N2, and with the "Dimmerstatus" page
# polling that dimmer (with the status updates it displayed per second), the
# same with the window "Verlauf" open over a full kept hour, and
# beside it the yardstick display_floor.exe: a bare window doing no more than
# showing the same updates (heartbeat, three texts, a level bar now and then)
# from the same 1 ms timer, and once more from a 100 ms timer; at the end the
# status page at Windows' tick of 15.625 ms instead of Wine's 10 ms. The
# programs' own CPU time (GetProcessTimes); Wine's server process comes on top.
#
#   scripts/bench-program-cpu.sh
set -euo pipefail
. "$(dirname "$0")/common.sh"
cd "$KV_ROOT"
seconds=${KV_BENCH_SECONDS:-10}
build_tree win program_cpu display_floor >/dev/null
build_tree native kv310r-sim >/dev/null
use_wine gui
exe="$KV_ROOT/build/win/tests/bench/program_cpu.exe"

run() { # program, its args
  scripts/with-sim-com.sh build/native/sim/kv310r-sim COM5 --pace -- \
    scripts/wine-gui-run.sh "$@" 2>/dev/null | tail -n 1
}

run "$exe" idle "$seconds" 0
run "$exe" read "$seconds"
# Side by side, KV_BENCH_ROUNDS times (on a virtual machine single runs
# wander by several tenths of a per cent): the page, the yardstick, and the
# yardstick with a 100 ms timer (the same updates without the ticks between).
floor="$KV_ROOT/build/win/tests/bench/display_floor.exe"
for _ in $(seq "${KV_BENCH_ROUNDS:-1}"); do
  run "$exe" status "$seconds"
  run "$exe" trend "$seconds"
  run "$floor" "$seconds"
  run "$floor" "$seconds" 100 | sed 's/^floor /floor100/'
done
# The status page once more at Windows' default tick of 15.625 ms, emulated
# (tests/bench/bench_tick_win.h); Wine's own is 10 ms.
KV_BENCH_TICK_MS=15.625 run "$exe" status "$seconds" | sed 's/^status /status@15.625ms /'
