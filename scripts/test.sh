#!/usr/bin/env bash
# Every test of the project: native unit tests, the same under AddressSanitizer
# and UndefinedBehaviorSanitizer, the Windows build with its tests under Wine,
# and a bounded run of every fuzz target. Installs what it needs first.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
scripts/install-deps.sh

jobs=$(nproc)
fuzz_seconds=${KV_FUZZ_SECONDS:-20}
summary=()
total_pass=0
total_fail=0

run_ctest() { # name build-dir
  local name=$1 dir=$2 log
  log=$(mktemp)
  set +e
  ctest --test-dir "$dir" --output-on-failure -j "$jobs" --timeout 600 2>&1 | tee "$log"
  set -e
  local line pass fail total
  line=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1 || true)
  rm -f "$log"
  if [ -z "$line" ]; then
    summary+=("$name: no test summary"); total_fail=$((total_fail + 1)); return
  fi
  fail=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
  total=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\2/' <<<"$line")
  pass=$((total - fail))
  total_pass=$((total_pass + pass)); total_fail=$((total_fail + fail))
  summary+=("$name: $pass passed, $fail failed")
}

echo "== native build"
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build/native -j "$jobs"
run_ctest native build/native

echo "== sanitizer build (ASan + UBSan)"
cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug -DKV_SANITIZE=ON >/dev/null
cmake --build build/asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 run_ctest sanitizers build/asan

echo "== Windows build (mingw-w64), tests under Wine"
export WINEPREFIX="$root/build/win/wineprefix"
cmake -S . -B build/win -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
  -DKV_NATIVE_SIM="$root/build/native/sim/kv310r-sim" >/dev/null
cmake --build build/win -j "$jobs"
scripts/wine-run.sh cmd /c exit >/dev/null 2>&1 || true   # creates the prefix once
run_ctest wine build/win

echo "== fuzz targets (${fuzz_seconds}s each)"
CC=clang CXX=clang++ cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKV_FUZZ=ON >/dev/null
cmake --build build/fuzz -j "$jobs"
for target in $(find build/fuzz -maxdepth 3 -type f -name 'fuzz_*' -perm -u+x | sort); do
  name=$(basename "$target")
  corpus="build/fuzz/corpus/$name"
  mkdir -p "$corpus"
  seeds="tests/data/fuzz/$name"
  [ -d "$seeds" ] || seeds=""
  if "$target" -max_total_time="$fuzz_seconds" -rss_limit_mb=2048 -print_final_stats=0 "$corpus" $seeds \
      >"build/fuzz/$name.log" 2>&1; then
    summary+=("fuzz $name: 1 passed, 0 failed"); total_pass=$((total_pass + 1))
  else
    tail -n 40 "build/fuzz/$name.log"
    summary+=("fuzz $name: 0 passed, 1 failed"); total_fail=$((total_fail + 1))
  fi
done

echo
echo "== summary"
printf '%s\n' "${summary[@]}"
echo "$total_pass passed, $total_fail failed"
[ "$total_fail" -eq 0 ]
