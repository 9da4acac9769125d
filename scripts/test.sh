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
cd "$(dirname "$0")/.."
root=$(pwd)

flavours=("$@")
[ ${#flavours[@]} -gt 0 ] || flavours=(native asan win fuzz)
for f in "${flavours[@]}"; do
  case "$f" in native|asan|win|fuzz) ;; *) echo "unknown flavour: $f (native, asan, win, fuzz)" >&2; exit 2 ;; esac
done
wants() { local f; for f in "${flavours[@]}"; do [ "$f" = "$1" ] && return 0; done; return 1; }

scripts/install-deps.sh

jobs=$(nproc)
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
  report="$root/$dir/junit.xml"
  rm -f "$report"
  ctest --test-dir "$dir" --output-on-failure -j "$jobs" --timeout 600 --output-junit "$report" || true
  totals=$(scripts/junit-totals.py "$report")
  count "$name" ${totals}
}

echo "== include layers"
if scripts/check-includes.py; then count includes 1 0; else count includes 0 1; fi

if wants native || wants win; then
  echo "== native build"
  cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Debug >/dev/null
  cmake --build build/native -j "$jobs"
  wants native && run_ctest native build/native
fi

if wants asan; then
  echo "== sanitizer build (ASan + UBSan)"
  cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug -DKV_SANITIZE=ON >/dev/null
  cmake --build build/asan -j "$jobs"
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 run_ctest sanitizers build/asan
fi

if wants win; then
  echo "== Windows build (mingw-w64), tests under Wine"
  export WINEPREFIX="$root/build/win/wineprefix"
  cmake -S . -B build/win -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
    -DKV_NATIVE_SIM="$root/build/native/sim/kv310r-sim" >/dev/null
  cmake --build build/win -j "$jobs"
  scripts/wine-run.sh cmd /c exit >/dev/null 2>&1 || true   # creates the prefix once
  run_ctest wine build/win
fi

if wants fuzz; then
  echo "== fuzz targets (${fuzz_seconds}s each)"
  CC=clang CXX=clang++ cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKV_FUZZ=ON >/dev/null
  cmake --build build/fuzz -j "$jobs"
  for target in $(find build/fuzz -maxdepth 3 -type f -name 'fuzz_*' -perm -u+x | sort); do
    name=$(basename "$target")
    corpus="build/fuzz/corpus/$name"
    mkdir -p "$corpus"
    seeds="tests/data/fuzz/$name"
    [ -d "$seeds" ] || seeds=""
    options=()
    [ -f "$seeds.options" ] && read -r -a options < "$seeds.options"
    if "$target" -max_total_time="$fuzz_seconds" -rss_limit_mb=2048 -print_final_stats=0 "${options[@]}" \
        "$corpus" $seeds >"build/fuzz/$name.log" 2>&1; then
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
