#!/usr/bin/env bash
# Starts the KV-310-R PC-Testprogramm (kv310r.exe) under Wine, connected on
# COM1 to the virtual dimmer kv310r-sim. Builds both first when needed.
#
# The program keeps its settings file Kv310r.ini beside the exe
# (build/win/win/); the first run writes PORT=COM1 and RS485ADR=1 there.
# With a display the program runs until you close it. Without one it runs on
# a virtual display for a few seconds and leaves a screenshot of the screen in
# build/screenshot.png (KV_RUN_SECONDS sets how long). KV_SIM_OPTIONS passes
# options to the virtual dimmer, e.g. "--log traffic.txt" or "--pace".
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
scripts/install-deps.sh
command -v import >/dev/null 2>&1 || { apt-get update -qq && apt-get install -y -qq imagemagick >/dev/null; }

# The prefix of the programs that open windows (see scripts/wine-gui-run.sh).
export WINEPREFIX="$root/build/win/wineprefix-gui"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

echo "Building kv310r.exe and kv310r-sim ..."
cmake -S . -B build/win -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake >/dev/null
cmake --build build/win -j 2 --target kv310r >/dev/null
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build/native -j 2 --target kv310r-sim >/dev/null
exe="$root/build/win/win/kv310r.exe"
settings="$root/build/win/win/Kv310r.ini"
if [ ! -f "$settings" ]; then
  printf '[PROP]\r\nPORT=COM1\r\nRS485ADR=1\r\n' >"$settings"
fi

# The virtual dimmer (RS485 address 1) on a pseudo-terminal that Wine sees as
# COM1, for as long as the program runs.
with_dimmer() { scripts/with-sim-com.sh build/native/sim/kv310r-sim COM1 ${KV_SIM_OPTIONS:-} -- "$@"; }

if [ -n "${DISPLAY:-}" ]; then
  with_dimmer scripts/wine-run.sh "$exe"
  exit 0
fi

# No display: a virtual one, a screenshot, then the program is stopped.
. scripts/virtual-display.sh
start_virtual_display
trap 'kill $XVFB_PID 2>/dev/null || true; wait 2>/dev/null || true' EXIT
export KV_RUN_SECONDS="${KV_RUN_SECONDS:-10}" KV_SCREENSHOT="$root/build/screenshot.png" KV_EXE="$exe"
with_dimmer bash -c '
  scripts/wine-run.sh "$KV_EXE" &
  program=$!
  sleep "$KV_RUN_SECONDS"
  import -window root "$KV_SCREENSHOT"
  kill $program 2>/dev/null; wineserver -k 2>/dev/null; wait
'
echo "Screenshot: build/screenshot.png"
