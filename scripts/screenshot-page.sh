#!/usr/bin/env bash
# A screenshot of kv310r.exe's main window on one of its pages, connected on
# COM1 to the virtual dimmer, on a virtual display at the given resolution:
#
#   scripts/screenshot-page.sh TAB DPI OUTPUT.png [POST...] [-- POST...]...
#
# TAB is the page (0..4), DPI the system's dots per inch (96, 120, 144, ...).
# Each POST is one kv_post_command call made once the page is up (for example
# "drive 1 60" moves dimmer 1's test-drive trackbar to 60 %). KV_SIM_OPTIONS
# passes options to the virtual dimmer, KV_SHOT_SECONDS (default 4) is how
# long the page runs before the picture. Each resolution gets a Wine prefix
# of its own inside the build folder (the resolution is a prefix setting).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
[ $# -ge 3 ] || { sed -n '2,12p' "$0" >&2; exit 2; }
tab=$1 dpi=$2 output=$(realpath -m "$3")
shift 3
build="$here/build/win"

cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64.cmake" >/dev/null
cmake --build "$build" -j 2 --target kv310r kv_post_command >/dev/null
cmake -S "$here" -B "$here/build/native" -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$here/build/native" -j 2 --target kv310r-sim >/dev/null

export WINEPREFIX="$build/wineprefix-shot-$dpi"
export WINEDEBUG="${WINEDEBUG:--all}"
work=$(mktemp -d)
xvfb=""
cleanup() {
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
cp "$build/win/kv310r.exe" "$work/"
printf '[PROP]\r\nPORT=COM1\r\nRS485ADR=1\r\n[SHOWCMD]\r\nTAB=%s\r\n' "$tab" >"$work/Kv310r.ini"
posts="$work/posts"
: >"$posts"
line=""
for arg in "$@"; do
  if [ "$arg" = "--" ]; then echo "$line" >>"$posts"; line=""; else line="$line $arg"; fi
done
[ -n "$line" ] && echo "$line" >>"$posts"

Xvfb -displayfd 3 -screen 0 1600x1200x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(tr -dc 0-9 <"$work/display")"
wineserver -w 2>/dev/null || true
"$here/scripts/wine-run.sh" cmd /c exit >/dev/null 2>&1 || true   # the prefix must exist
for key in 'HKCU\Control Panel\Desktop' 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts'; do
  "$here/scripts/wine-run.sh" reg add "$key" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
done
# No window manager on the virtual display: Wine keeps the windows to itself.
"$here/scripts/wine-run.sh" reg add 'HKCU\Software\Wine\AppDefaults\kv310r.exe\X11 Driver' /v Managed /d N /f \
  >/dev/null 2>&1
wineserver -w 2>/dev/null || true   # the resolution is read when a session starts

export KV_SHOT_WORK="$work" KV_SHOT_OUTPUT="$output" KV_SHOT_POSTER="$build/tests/win/kv_post_command.exe"
export KV_SHOT_SECONDS="${KV_SHOT_SECONDS:-4}" KV_HERE="$here"
# shellcheck disable=SC2086
"$here/scripts/with-sim-com.sh" "$here/build/native/sim/kv310r-sim" COM1 ${KV_SIM_OPTIONS:-} -- bash -c '
  set -eu
  cd "$KV_SHOT_WORK"
  "$KV_HERE/scripts/wine-run.sh" "$KV_SHOT_WORK/kv310r.exe" >/dev/null 2>&1 &
  program=$!
  "$KV_HERE/scripts/wine-run.sh" "$KV_SHOT_POSTER" main 0 >/dev/null 2>&1   # waits for the window
  while read -r post; do
    [ -n "$post" ] && "$KV_HERE/scripts/wine-run.sh" "$KV_SHOT_POSTER" $post >/dev/null 2>&1
  done <"$KV_SHOT_WORK/posts"
  sleep "$KV_SHOT_SECONDS"
  id=$(xwininfo -root -tree | grep "\"KV-310-R PC-Testprogramm\"" | head -n 1 | awk "{ print \$1 }")
  import -window "$id" "$KV_SHOT_OUTPUT"
  "$KV_HERE/scripts/wine-run.sh" "$KV_SHOT_POSTER" main 21010 >/dev/null 2>&1 || true   # "Programm beenden"
  wait "$program" 2>/dev/null || true
'
echo "Screenshot: $output"
