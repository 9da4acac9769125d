#!/usr/bin/env bash
# How long the Windows program takes to shut down under Wine on a virtual
# display: closing the main window and storing every setting, against a
# settings file with comments, a foreign section and ten recent files, on the
# disk of the Wine prefix. KV_BENCH_RUNS sets the number of runs (default 50).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
scripts/install-deps.sh
runs=${KV_BENCH_RUNS:-50}
export WINEPREFIX="$root/build/win/wineprefix-gui" KV_GUI_WINEPREFIX="$root/build/win/wineprefix-gui"
cmake -S . -B build/win -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake >/dev/null
cmake --build build/win -j "$(nproc)" --target shutdown_time >/dev/null
scripts/wine-gui-run.sh "$root/build/win/tests/bench/shutdown_time.exe" "$runs" 2>/dev/null | tail -n 1
