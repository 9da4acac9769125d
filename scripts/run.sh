#!/usr/bin/env bash
# Starts the KV-310-R PC-Testprogramm (kv310r.exe) under Wine, connected on
# COM1 to the virtual dimmer kv310r-sim, in the Wine prefix of window
# programs. Builds both first when needed.
#
#   scripts/run.sh
#
# The program keeps its settings file Kv310r.ini beside the exe
# (build/win/win/); the first run writes PORT=COM1 and RS485ADR=1 there.
# With a display the program runs until you close it. Without one it runs on
# a virtual display for a few seconds and leaves a screenshot of the screen in
# build/screenshot.png (KV_RUN_SECONDS sets how long). KV_SIM_OPTIONS passes
# options to the virtual dimmer, e.g. "--log traffic.txt" or "--pace".
set -euo pipefail
. "$(dirname "$0")/common.sh"
cd "$KV_ROOT"

echo "Building kv310r.exe and kv310r-sim ..."
build_tree win kv310r >/dev/null
build_tree native kv310r-sim >/dev/null
use_wine gui
exe="$KV_ROOT/build/win/win/kv310r.exe"
settings="$KV_ROOT/build/win/win/Kv310r.ini"
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
start_virtual_display
trap stop_virtual_display EXIT
export KV_RUN_SECONDS="${KV_RUN_SECONDS:-10}" KV_SCREENSHOT="$KV_ROOT/build/screenshot.png" KV_EXE="$exe"
with_dimmer bash -c '
  scripts/wine-run.sh "$KV_EXE" &
  program=$!
  sleep "$KV_RUN_SECONDS"
  import -window root "$KV_SCREENSHOT"
  kill $program 2>/dev/null; wineserver -k 2>/dev/null; wait
'
echo "Screenshot: build/screenshot.png"
