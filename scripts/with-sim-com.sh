#!/usr/bin/env bash
# Runs a command while kv310r-sim serves a Wine COM port:
#   with-sim-com.sh SIM_EXE COMn [sim options...] -- command...
# The simulator's pty is linked as $WINEPREFIX/dosdevices/comn, and the command
# sees the port name in KV_TEST_COM. The simulator is stopped afterwards.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
sim=$1; com=$2; shift 2
opts=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do opts+=("$1"); shift; done
[ "${1:-}" = "--" ] && shift
export WINEPREFIX="${WINEPREFIX:-$here/build/win/wineprefix}"
"$here/scripts/wine-run.sh" cmd /c exit >/dev/null 2>&1 || true   # the prefix must exist
link="$WINEPREFIX/dosdevices/${com,,}"
out=$(mktemp)
"$sim" --link "$link" --exit-after 600 "${opts[@]}" >"$out" &
sim_pid=$!
trap 'kill $sim_pid 2>/dev/null; wait $sim_pid 2>/dev/null; rm -f "$out"' EXIT
for _ in $(seq 100); do [ -L "$link" ] && break; sleep 0.05; done
[ -L "$link" ] || { echo "kv310r-sim did not start" >&2; exit 1; }
KV_TEST_COM=$com "$@"
