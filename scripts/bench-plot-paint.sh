#!/usr/bin/env bash
# Time to paint one user-curve plot under Wine on a virtual display: drawn
# off-screen and copied onto a shown window in one block transfer, with the
# anti-aliased GDI+ line and with the plain-GDI fallback (median of
# KV_BENCH_REPEATS paints, default 200).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
scripts/install-deps.sh
export WINEPREFIX="$root/build/win/wineprefix-gui" KV_GUI_WINEPREFIX="$root/build/win/wineprefix-gui"
cmake -S . -B build/win -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake >/dev/null
cmake --build build/win -j "$(nproc)" --target plot_paint >/dev/null
scripts/wine-gui-run.sh "$root/build/win/tests/bench/plot_paint.exe" "${KV_BENCH_REPEATS:-200}" 2>/dev/null |
  grep "per paint"
