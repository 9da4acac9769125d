#!/usr/bin/env bash
# Runs a command while virtual dimmers (kv310r-sim) serve Wine COM ports:
#   with-sim-com.sh SIM_EXE COMn [sim options...] [--and COMm [sim options...]]... -- command...
# Each COMn gets its own simulator whose pty is linked as $WINEPREFIX/dosdevices/comn.
# The sim option --dead makes COMn a link to nothing (a port that cannot be
# opened) instead. The command sees the first port in KV_TEST_COM and all of
# them, in order, in KV_TEST_COMS. The simulators are stopped afterwards.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
sim=$1; shift
export WINEPREFIX="${WINEPREFIX:-$here/build/win/wineprefix}"
"$here/scripts/wine-run.sh" cmd /c exit >/dev/null 2>&1 || true   # the prefix must exist

work=$(mktemp -d)
pids=()
links=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -f "${links[@]}"
  rm -rf "$work"
}
trap cleanup EXIT

ports=()
start_port() { # COMn options...
  local com=$1; shift
  local link="$WINEPREFIX/dosdevices/${com,,}"
  links+=("$link")
  ports+=("$com")
  if [ "${1:-}" = "--dead" ]; then
    ln -sfn "$work/nothing-${com,,}" "$link"
    return
  fi
  "$sim" --link "$link" --exit-after 600 "$@" >"$work/${com,,}.out" &
  pids+=($!)
  for _ in $(seq 100); do [ -L "$link" ] && break; sleep 0.05; done
  [ -L "$link" ] || { echo "kv310r-sim did not start on $com" >&2; exit 1; }
}

while [ $# -gt 0 ] && [ "$1" != "--" ]; do
  com=$1; shift
  opts=()
  while [ $# -gt 0 ] && [ "$1" != "--" ] && [ "$1" != "--and" ]; do opts+=("$1"); shift; done
  [ "${1:-}" = "--and" ] && shift
  start_port "$com" "${opts[@]}"
done
[ "${1:-}" = "--" ] && shift
export KV_TEST_COM="${ports[0]}"
export KV_TEST_COMS="${ports[*]}"
"$@"
