#!/usr/bin/env bash
# Screenshot of the window "Verlauf" under Wine on a virtual 1280 x 1024
# display, at 96 dpi and 144 dpi: the program's main window polls a virtual
# dimmer on COM1 on the "Dimmerstatus" page, the window is open over a full
# kept hour (the benchmark's hour of moving quantities, program_cpu.exe
# trend) and shows 60 minutes. Written to docs/trend-window.png and
# docs/trend-window-150.png (or the folder given):
#
#   scripts/screenshot-trend.sh [FOLDER]
set -euo pipefail
. "$(dirname "$0")/common.sh"
cd "$KV_ROOT"
out=${1:-docs}
mkdir -p "$out"

build_tree win program_cpu >/dev/null
build_tree native kv310r-sim >/dev/null
use_wine shots
start_virtual_display
work=$(mktemp -d)
trap 'stop_virtual_display; wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
keep_windows_unmanaged program_cpu.exe

for dpi in ${KV_SHOT_DPIS:-96 144}; do
  wineserver -w 2>/dev/null || true
  scripts/wine-run.sh reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  wineserver -w 2>/dev/null || true
  suffix=""; [ "$dpi" = 96 ] || suffix="-$((dpi * 100 / 96))"
  rm -f "$work/shot.png"
  KV_SHOT="$work/shot.png" scripts/with-sim-com.sh build/native/sim/kv310r-sim COM1 -- bash -c '
    scripts/wine-run.sh build/win/tests/bench/program_cpu.exe trend 30 &
    program=$!
    sleep "${KV_SHOT_WAIT:-15}"
    id=$(xwininfo -root -tree | awk "/\"Verlauf\"/ {print \$1; exit}")
    [ -n "$id" ] && import -window "$id" "$KV_SHOT"
    kill $program 2>/dev/null; wineserver -k 2>/dev/null; wait' >/dev/null 2>&1 || true
  if [ -f "$work/shot.png" ]; then
    cp "$work/shot.png" "$out/trend-window$suffix.png"
    echo "$out/trend-window$suffix.png"
  else
    echo "$(basename "$0"): no picture of the window at $dpi dpi" >&2
  fi
done
