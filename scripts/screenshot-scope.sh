#!/usr/bin/env bash
# Screenshots of the "Oszilloskop" page with a capture, at 96 and 144 dpi:
# kv310r.exe under Wine on a virtual display, the virtual dimmer on COM1 with
# output 1 driven at 70 %, one "Einzelmessung" of the full period at ±4 A.
# Writes OUT_DIR/screenshot-scope-96.png and -144.png (default docs/).
# Usage: scripts/screenshot-scope.sh [OUT_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)

if [ "${1:-}" = "--inner" ]; then
  # Runs inside with-sim-com.sh, with DISPLAY and WINEPREFIX set.
  work=$2 poster=$3 out=$4
  cd "$work"
  "$here/scripts/wine-run.sh" "$work/kv310r.exe" >/dev/null 2>&1 &
  launcher=$!
  post() { "$here/scripts/wine-run.sh" "$poster" "$@" >/dev/null 2>&1; }
  post main 0           # waits until the main window is up
  sleep 2
  post page 22246 70    # test drive of dimmer 1: 70 %
  sleep 1
  post page 25302       # "Messen"
  sleep 4
  import -window "KV-310-R PC-Testprogramm" "$out"
  post main 21010       # "Programm beenden"
  wait "$launcher" || true
  exit 0
fi

out_dir=$(cd "${1:-$here/docs}" && pwd)
cd "$here"
scripts/install-deps.sh
command -v import >/dev/null 2>&1 || { apt-get update -qq && apt-get install -y -qq imagemagick >/dev/null; }
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cmake -S . -B build/win -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake >/dev/null
cmake --build build/win -j 2 --target kv310r kv_post_command >/dev/null
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build/native -j 2 --target kv310r-sim >/dev/null

work=$(mktemp -d)
xvfb=""
trap '[ -n "$xvfb" ] && kill $xvfb 2>/dev/null; wait 2>/dev/null || true; rm -rf "$work"' EXIT
for dpi in 96 144; do
  # A prefix per resolution: the dpi is a setting of the Wine session.
  export WINEPREFIX="$here/build/win/wineprefix-shot-$dpi"
  Xvfb -displayfd 3 -screen 0 1920x1200x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  export DISPLAY=":$(tr -dc 0-9 <"$work/display")"
  rm -f "$work/display"
  wineserver -w 2>/dev/null || true
  scripts/wine-run.sh reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  scripts/wine-run.sh reg add 'HKCU\Software\Wine\AppDefaults\kv310r.exe\X11 Driver' /v Managed /d N /f \
    >/dev/null 2>&1
  cp build/win/win/kv310r.exe "$work/"
  printf '[PROP]\r\nPORT=COM1\r\nRS485ADR=1\r\n[SHOWCMD]\r\nTAB=4\r\n[SCOPE]\r\nDM=0\r\nTYPE=0\r\nSPEC=0\r\nI=4\r\nHPER=0\r\n' \
    >"$work/Kv310r.ini"
  scripts/with-sim-com.sh build/native/sim/kv310r-sim COM1 -- \
    "$0" --inner "$work" "$here/build/win/tests/win/kv_post_command.exe" "$out_dir/screenshot-scope-$dpi.png"
  wineserver -k 2>/dev/null || true
  kill $xvfb 2>/dev/null || true
  wait $xvfb 2>/dev/null || true
  xvfb=""
  echo "Screenshot: $out_dir/screenshot-scope-$dpi.png"
done
