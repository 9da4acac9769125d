#!/usr/bin/env bash
# Screenshots of the pages of kv310r.exe under Wine on a virtual
# 1280 x 1024 display, at 96 dpi (100 %) and 144 dpi (150 %), with the virtual
# dimmer on COM1. Each one shows the whole main window (the screen around it
# trimmed off) and is written to docs/ (or the folder given):
#
#   scripts/screenshot-pages.sh [FOLDER]
#
# docs/page-<name>.png at 96 dpi, docs/page-<name>-150.png at 144 dpi, and
# docs/main-window-150.png: the first page at 144 dpi with the screen around
# it, to show the window staying on the screen. On "Dimmerstatus" (tab 3) both
# outputs are driven first, so the page shows a dimmer at work; "Oszilloskop"
# (tab 4) is taken with a capture: dimmer 1 driven at 70 %, one
# "Einzelmessung" of the full period at ±4 A. KV_SHOT_PAGES limits the pages
# (tab indices, e.g. "0 2 4"), KV_SHOT_DPIS the resolutions. The Wine prefix
# is one of its own (shots in scripts/common.sh): the resolution is a setting
# of the prefix.
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

# The program in a folder of its own, so its settings file starts afresh.
cp build/win/win/kv310r.exe "$work/"
names=(grundeinstellung sonderfunktionen userkurven dimmerstatus oszilloskop)
# What is done on a page before its picture: kv_post_command calls or "wait S",
# ";" between. 22246/22247: the drive trackbars; 25302: "Messen".
setups=("" "" "" "page 22246 60;page 22247 35" "wait 6;page 22246 70;wait 1;page 25302;wait 4")
keep_windows_unmanaged kv310r.exe

for dpi in ${KV_SHOT_DPIS:-96 144}; do
  wineserver -w 2>/dev/null || true
  scripts/wine-run.sh reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  wineserver -w 2>/dev/null || true
  suffix=""; [ "$dpi" = 96 ] || suffix="-$((dpi * 100 / 96))"
  for tab in ${KV_SHOT_PAGES:-0 1 2 3 4}; do
    printf '[PROP]\r\nPORT=COM1\r\nRS485ADR=1\r\n[SHOWCMD]\r\nTAB=%s\r\n[SCOPE]\r\nI=4\r\n' "$tab" \
      >"$work/Kv310r.ini"
    rm -f "$work/shot.png"
    KV_EXE="$work/kv310r.exe" KV_SHOT="$work/shot.png" KV_SETUP="${setups[$tab]}" \
      KV_POST="$KV_ROOT/build/win/tests/win/kv_post_command.exe" \
      scripts/with-sim-com.sh build/native/sim/kv310r-sim COM1 -- bash -c '
        scripts/wine-run.sh "$KV_EXE" &
        program=$!
        if [ -n "$KV_SETUP" ]; then
          scripts/wine-run.sh "$KV_POST" main 0   # waits for the main window
          IFS=";" read -ra steps <<<"$KV_SETUP"
          for step in "${steps[@]}"; do
            case $step in
              wait\ *) sleep "${step#wait }" ;;
              *) scripts/wine-run.sh "$KV_POST" $step ;;
            esac
          done
        fi
        sleep "${KV_SHOT_WAIT:-6}"
        import -window root "$KV_SHOT"
        kill $program 2>/dev/null; wineserver -k 2>/dev/null; wait' >/dev/null 2>&1 || true
    name="page-${names[$tab]}$suffix"
    convert "$work/shot.png" -trim +repage "$out/$name.png"
    if [ "$tab" = 0 ] && [ "$dpi" != 96 ]; then cp "$work/shot.png" "$out/main-window$suffix.png"; fi
    echo "$out/$name.png"
  done
done
