#!/usr/bin/env bash
# Time to paint one user-curve plot under Wine on a virtual display: drawn
# off-screen and copied onto a shown window in one block transfer, with the
# anti-aliased GDI+ line and with the plain-GDI fallback (median of
# KV_BENCH_REPEATS paints, default 200).
#
#   scripts/bench-plot-paint.sh
set -euo pipefail
. "$(dirname "$0")/common.sh"
build_tree win plot_paint >/dev/null
use_wine gui
"$KV_ROOT/scripts/wine-gui-run.sh" "$KV_ROOT/build/win/tests/bench/plot_paint.exe" "${KV_BENCH_REPEATS:-200}" \
  2>/dev/null | grep "per paint"
