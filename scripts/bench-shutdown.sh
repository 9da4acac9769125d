#!/usr/bin/env bash
# How long the Windows program takes to shut down under Wine on a virtual
# display: closing the main window and storing every setting, against a
# settings file with comments, a foreign section and ten recent files, on the
# disk of the Wine prefix. KV_BENCH_RUNS sets the number of runs (default 50).
#
#   scripts/bench-shutdown.sh
set -euo pipefail
. "$(dirname "$0")/common.sh"
build_tree win shutdown_time >/dev/null
use_wine gui
"$KV_ROOT/scripts/wine-gui-run.sh" "$KV_ROOT/build/win/tests/bench/shutdown_time.exe" "${KV_BENCH_RUNS:-50}" \
  2>/dev/null | tail -n 1
