#!/usr/bin/env bash
# Screenshot of the dialog "Bus durchsuchen" after a finished run, under Wine
# on a virtual 1280 x 1024 display at 96 dpi (and 144 dpi), against a virtual
# bus on COM1: dimmers at 1, 2, 3 (every reply garbled), 5 (answering late)
# and 8 (another firmware). The dialog scans 1-255, writes the open set to
# the dimmers ticked (all but the garbled one) and compares them:
#
#   scripts/screenshot-bus.sh [FOLDER]
#
# writes FOLDER/bus-dialog.png (96 dpi) and FOLDER/bus-dialog-150.png
# (144 dpi), default docs/. KV_SHOT_DPIS limits the resolutions.
set -euo pipefail
. "$(dirname "$0")/common.sh"
cd "$KV_ROOT"
out=${1:-docs}
mkdir -p "$out"

build_tree win kv310r kv_post_command >/dev/null
build_tree native kv310r-sim >/dev/null
use_wine shots
start_virtual_display
work=$(mktemp -d)
trap 'stop_virtual_display; wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
cp build/win/win/kv310r.exe "$work/"
keep_windows_unmanaged kv310r.exe

for dpi in ${KV_SHOT_DPIS:-96 144}; do
  wineserver -w 2>/dev/null || true
  scripts/wine-run.sh reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  wineserver -w 2>/dev/null || true
  suffix=""; [ "$dpi" = 96 ] || suffix="-$((dpi * 100 / 96))"
  printf '[PROP]\r\nPORT=COM1\r\nRS485ADR=1\r\n' >"$work/Kv310r.ini"
  rm -f "$work/shot.png"
  # 21530: "Bus durchsuchen…"; in the dialog 27502 "Suchen", 27504
  # "Parametersatz schreiben", 27506 "Vergleichen" (each waits until the
  # dialog takes input again).
  KV_EXE="$work/kv310r.exe" KV_SHOT="$work/shot.png" KV_POST="$KV_ROOT/build/win/tests/win/kv_post_command.exe" \
    scripts/with-sim-com.sh build/native/sim/kv310r-sim COM1 --address 1-3,5,8 --at 3:corrupt --at 5:late=80 \
      --at 8:version=3.0,2.1,0.0 -- bash -c '
      scripts/wine-run.sh "$KV_EXE" &
      program=$!
      scripts/wine-run.sh "$KV_POST" main 0
      scripts/wine-run.sh "$KV_POST" main 21530
      sleep 2
      scripts/wine-run.sh "$KV_POST" bus 27502
      sleep 20
      scripts/wine-run.sh "$KV_POST" bus 27504
      sleep 12
      scripts/wine-run.sh "$KV_POST" bus 27506
      sleep 12
      id=$(xwininfo -root -tree | grep "\"Bus durchsuchen\"" | head -1 | awk "{print \$1}")
      import -window "$id" "$KV_SHOT"
      kill $program 2>/dev/null; wineserver -k 2>/dev/null; wait' >/dev/null 2>&1 || true
  cp "$work/shot.png" "$out/bus-dialog$suffix.png"
  echo "$out/bus-dialog$suffix.png"
done
