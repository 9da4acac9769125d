#!/usr/bin/env bash
# Runs a command while virtual dimmers (kv310r-sim) serve Wine COM ports:
#
#   scripts/with-sim-com.sh SIM_EXE COMn [sim options...] [--and COMm [sim options...]]... -- command...
#
# The ports are those of the caller's WINEPREFIX, else of the prefix of console
# programs (see scripts/common.sh). Each COMn gets its own simulator whose pty
# is linked as $WINEPREFIX/dosdevices/comn.
# The sim option --dead makes COMn a port that cannot be opened instead. The
# command sees the first port in KV_TEST_COM and all of them, in order, in
# KV_TEST_COMS. The simulators are stopped afterwards.
#
# Wine's mount manager maps the serial devices it finds (/dev/ttyS0 and up) to
# the lowest free COM numbers at every session start, replacing links made by
# hand. Ports named in HKLM\Software\Wine\Ports are not free, so each
# simulator's port is also registered there for the run. A dead port is an
# empty folder: Wine cannot open it as a file, and the mount manager can
# neither replace it with a link nor set up a device of its own for it (a
# dangling link would not do: the device it sets up opens).
set -euo pipefail
. "$(dirname "$0")/common.sh"
sim=$1; shift
use_wine_default console
# A session still bound to the display of an earlier run ends first; the
# registry changes below go to a session of this run.
wineserver -w 2>/dev/null || true
"$KV_ROOT/scripts/wine-run.sh" cmd /c exit >/dev/null 2>&1 || true   # the prefix must exist

work=$(mktemp -d)
pids=()
links=()
ports=()
sim_ports=()
sim_ttys=()
register_ports() { # add | delete
  local i
  for i in "${!sim_ports[@]}"; do
    if [ "$1" = add ]; then
      "$KV_ROOT/scripts/wine-run.sh" reg add 'HKLM\Software\Wine\Ports' /v "${sim_ports[$i]}" /d "${sim_ttys[$i]}" /f
    else
      "$KV_ROOT/scripts/wine-run.sh" reg delete 'HKLM\Software\Wine\Ports' /v "${sim_ports[$i]}" /f
    fi
  done >/dev/null 2>&1 || true
}
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  wineserver -w 2>/dev/null || true  # the command's session, bound to its display, ends first
  register_ports delete
  for link in "${links[@]}"; do
    if [ -L "$link" ]; then rm -f "$link"; elif [ -d "$link" ]; then rmdir "$link"; fi
  done
  rm -rf "$work"
}
trap cleanup EXIT

start_port() { # COMn options...
  local com=$1; shift
  local link="$WINEPREFIX/dosdevices/${com,,}"
  links+=("$link")
  ports+=("$com")
  if [ "${1:-}" = "--dead" ]; then
    rm -rf "$link"
    mkdir "$link"
    return
  fi
  "$sim" --link "$link" --exit-after 600 "$@" >"$work/${com,,}.out" &
  pids+=($!)
  for _ in $(seq 100); do [ -L "$link" ] && break; sleep 0.05; done
  [ -L "$link" ] || { echo "kv310r-sim did not start on $com" >&2; exit 1; }
  sim_ports+=("$com")
  sim_ttys+=("$(readlink "$link")")
}

while [ $# -gt 0 ] && [ "$1" != "--" ]; do
  com=$1; shift
  opts=()
  while [ $# -gt 0 ] && [ "$1" != "--" ] && [ "$1" != "--and" ]; do opts+=("$1"); shift; done
  [ "${1:-}" = "--and" ] && shift
  start_port "$com" "${opts[@]}"
done
[ "${1:-}" = "--" ] && shift
register_ports add
export KV_TEST_COM="${ports[0]}"
export KV_TEST_COMS="${ports[*]}"
"$@"
