#!/usr/bin/env bash
# CPU the Windows program uses while it waits, under Wine on a virtual display:
# idle on the first page, while "Dimmerparameter auslesen" waits for a virtual
# dimmer on a line paced at 38400 baud 8N2, and with the "Dimmerstatus" page
# polling that dimmer (with the status updates it displayed per second). The
# program's own CPU time (GetProcessTimes); Wine's server process comes on top.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
scripts/install-deps.sh
seconds=${KV_BENCH_SECONDS:-10}
export WINEPREFIX="$root/build/win/wineprefix-gui" KV_GUI_WINEPREFIX="$root/build/win/wineprefix-gui"
cmake -S . -B build/win -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake >/dev/null
cmake --build build/win -j "$(nproc)" --target program_cpu >/dev/null
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build/native -j "$(nproc)" --target kv310r-sim >/dev/null
exe="$root/build/win/tests/bench/program_cpu.exe"

run() { # args of program_cpu.exe
  scripts/with-sim-com.sh build/native/sim/kv310r-sim COM5 --pace -- \
    scripts/wine-gui-run.sh "$exe" "$@" 2>/dev/null | tail -n 1
}

run idle "$seconds" 0
run read "$seconds"
run status "$seconds"
