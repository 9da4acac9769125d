#!/usr/bin/env bash
# Time to repaint the "Verlauf" plot over a full kept hour (36,000 statuses)
# under Wine on a virtual display: each quantity reduced to its pixel
# columns, drawn off-screen and copied onto a shown window (median of
# KV_BENCH_REPEATS paints, default 100). Also prints the kept hour's memory.
#
#   scripts/bench-trend-paint.sh
set -euo pipefail
. "$(dirname "$0")/common.sh"
build_tree win trend_paint >/dev/null
use_wine gui
"$KV_ROOT/scripts/wine-gui-run.sh" "$KV_ROOT/build/win/tests/bench/trend_paint.exe" "${KV_BENCH_REPEATS:-100}" \
  2>/dev/null | grep -E "per paint|kept hour"
