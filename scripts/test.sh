#!/usr/bin/env bash
# Every test of the project: the layer check of the includes, native unit
# tests, the same under AddressSanitizer and UndefinedBehaviorSanitizer, the
# Windows build with its tests under Wine, and a bounded run of every fuzz
# target (libFuzzer flags from tests/data/fuzz/<target>.options; the long
# campaign is scripts/fuzz-campaign.sh). Installs what it needs first.
#
#   scripts/test.sh [native|asan|win|fuzz ...]   (all flavours by default)
#
# The Windows tests need the native build's virtual dimmer, so "win" builds
# the native tree too. KV_FUZZ_SECONDS sets the time per fuzz target.
set -euo pipefail
. "$(dirname "$0")/common.sh"
cd "$KV_ROOT"

flavours=("$@")
[ ${#flavours[@]} -gt 0 ] || flavours=(native asan win fuzz)
for f in "${flavours[@]}"; do
  case "$f" in native|asan|win|fuzz) ;; *) echo "unknown flavour: $f (native, asan, win, fuzz)" >&2; exit 2 ;; esac
done
wants() { local f; for f in "${flavours[@]}"; do [ "$f" = "$1" ] && return 0; done; return 1; }

scripts/install-deps.sh   # python3 for the include check, before any build

fuzz_seconds=${KV_FUZZ_SECONDS:-20}
summary=()
total_pass=0
total_fail=0

count() { # name passed failed
  total_pass=$((total_pass + $2)); total_fail=$((total_fail + $3))
  summary+=("$1: $2 passed, $3 failed")
}

run_ctest() { # name build-dir
  local name=$1 dir=$2 report totals
  report="$KV_ROOT/$dir/junit.xml"
  rm -f "$report"
  ctest --test-dir "$dir" --output-on-failure -j "$(nproc)" --timeout 600 --output-junit "$report" || true
  totals=$(scripts/junit-totals.py "$report")
  count "$name" ${totals}
}

echo "== include layers"
if scripts/check-includes.py; then count includes 1 0; else count includes 0 1; fi

if wants native || wants win; then
  echo "== native build"
  build_tree native
  wants native && run_ctest native build/native
fi

if wants asan; then
  echo "== sanitizer build (ASan + UBSan)"
  build_tree asan
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 run_ctest sanitizers build/asan
fi

if wants win; then
  echo "== Windows build (mingw-w64), tests under Wine"
  build_tree win
  scripts/wine-run.sh cmd /c exit >/dev/null 2>&1 || true   # makes the console prefix once, before tests run in parallel
  run_ctest wine build/win
fi

if wants fuzz; then
  echo "== fuzz targets (${fuzz_seconds}s each, $(nproc) at a time)"
  build_tree fuzz
  # Each target runs on one core; as many run side by side as there are cores.
  names=($(fuzz_targets))
  pids=()
  for name in "${names[@]}"; do
    while [ "$(jobs -rp | wc -l)" -ge "$(nproc)" ]; do wait -n || true; done
    run_fuzz_target "$name" -max_total_time="$fuzz_seconds" -print_final_stats=0 >"build/fuzz/$name.log" 2>&1 &
    pids+=($!)
  done
  for i in "${!names[@]}"; do
    name=${names[$i]}
    if wait "${pids[$i]}"; then
      count "fuzz $name" 1 0
    else
      tail -n 40 "build/fuzz/$name.log"
      count "fuzz $name" 0 1
    fi
  done
fi

echo
echo "== summary"
printf '%s\n' "${summary[@]}"
echo "$total_pass passed, $total_fail failed"
[ "$total_fail" -eq 0 ]
