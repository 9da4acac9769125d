#!/usr/bin/env bash
# CPU benchmark of kv310r.exe under Wine on a virtual display, connected on
# COM7 to the virtual dimmer on a line paced at 38400 baud 8N2. The program
# starts on the status page, which polls the dimmer at full rate and shows
# every reply; the script reports the CPU share (of one core) of the program,
# of wineserver and of the X server over a window of KV_BENCH_SECONDS
# (default 10) in three phases:
#   1. status page polling, monitor closed
#   2. status page polling, communication monitor open
#   3. first page, monitor closed (the idle program)
# and the status requests per second the monitor logged in phase 2.
# The program runs from a copy in a temporary folder with its own settings
# file and traffic log.
#
#   scripts/bench-monitor-cpu.sh
set -euo pipefail
. "$(dirname "$0")/common.sh"
seconds=${KV_BENCH_SECONDS:-10}

if [ "${1:-}" = "--inner" ]; then
  # Runs inside with-sim-com.sh, with DISPLAY and WINEPREFIX set.
  work=$2 poster=$3
  cd "$work"
  "$KV_ROOT/scripts/wine-run.sh" "$work/kv310r.exe" >/dev/null 2>&1 &
  launcher=$!
  post() { "$KV_ROOT/scripts/wine-run.sh" "$poster" "$@" >/dev/null 2>&1; }

  # The Wine processes of this prefix, found by name and environment.
  pids_of() { # process name
    local pid
    for pid in $(pgrep -x "$1" || true); do
      if tr '\0' '\n' 2>/dev/null <"/proc/$pid/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX"; then
        echo "$pid"
      fi
    done
  }
  ticks() { # pids: their user + system clock ticks together
    local pid sum=0
    for pid in "$@"; do
      [ -r "/proc/$pid/stat" ] && sum=$((sum + $(awk '{ print $14 + $15 }' "/proc/$pid/stat")))
    done
    echo "$sum"
  }
  program=""
  for _ in $(seq 100); do program=$(pids_of kv310r.exe); [ -n "$program" ] && break; sleep 0.1; done
  [ -n "$program" ] || { echo "kv310r.exe did not start" >&2; exit 1; }
  trap 'kill $program 2>/dev/null || true' EXIT   # whatever goes wrong, the program ends
  server=$(pids_of wineserver64; pids_of wineserver)
  devices=$(pids_of winedevice.exe)   # Wine's driver hosts
  xserver=$KV_BENCH_XVFB
  hz=$(getconf CLK_TCK)

  measure() { # label
    local p0 s0 d0 x0 p1 s1 d1 x1
    # shellcheck disable=SC2086
    p0=$(ticks $program); s0=$(ticks $server); d0=$(ticks $devices); x0=$(ticks $xserver)
    sleep "$seconds"
    # shellcheck disable=SC2086
    p1=$(ticks $program); s1=$(ticks $server); d1=$(ticks $devices); x1=$(ticks $xserver)
    awk -v l="$1" -v p=$((p1 - p0)) -v s=$((s1 - s0)) -v d=$((d1 - d0)) -v x=$((x1 - x0)) -v t="$seconds" -v hz="$hz" \
      'BEGIN { f = 100 / hz / t
               printf "%-38s program %5.1f %%  wineserver %5.1f %%  winedevice %5.1f %%  Xvfb %5.1f %%\n",
                      l, p * f, s * f, d * f, x * f }'
  }

  post main 0          # waits until the main window is up
  sleep 3              # start-up settles
  measure "status page polling, monitor closed:"
  post main 21540
  sleep 1
  before=$(grep -c "Tx 7f 01 10" ComMon.txt || true)
  measure "status page polling, monitor open:"
  after=$(grep -c "Tx 7f 01 10" ComMon.txt || true)
  awk -v n=$((after - before)) -v t="$seconds" \
    'BEGIN { printf "status requests logged by the monitor: %.1f per second\n", n / t }'
  post monitor 2       # "Abbruch"
  post main 21401      # first page: the port is closed, nothing polls
  sleep 1
  measure "first page, idle:"
  post main 21010      # "Programm beenden"
  wait "$launcher" || true
  exit 0
fi

build_tree win kv310r kv_post_command >/dev/null
build_tree native kv310r-sim >/dev/null
use_wine gui

work=$(mktemp -d)
trap 'stop_virtual_display; rm -rf "$work"' EXIT
cp "$KV_ROOT/build/win/win/kv310r.exe" "$work/"
printf '[PROP]\r\nPORT=COM7\r\nRS485ADR=1\r\n[SHOWCMD]\r\nTAB=3\r\n' >"$work/Kv310r.ini"

# A virtual display even beside a real one: its server's CPU is measured.
start_virtual_display
export KV_BENCH_XVFB=$XVFB_PID
wineserver -w 2>/dev/null || true
keep_windows_unmanaged kv310r.exe

echo "kv310r.exe on the status page, paced virtual dimmer on COM7, ${seconds} s per phase (CPU share of one core):"
"$KV_ROOT/scripts/with-sim-com.sh" "$KV_ROOT/build/native/sim/kv310r-sim" COM7 --pace -- \
  "$0" --inner "$work" "$KV_ROOT/build/win/tests/win/kv_post_command.exe"
