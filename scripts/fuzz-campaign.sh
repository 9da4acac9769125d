#!/usr/bin/env bash
# A fuzz campaign: every fuzz target for N executions (default 10 million),
# one after the other, each on its corpus in build/fuzz/corpus/<target> (kept
# between runs and shared with the test command's short runs; not tracked by
# git), started from the seeds in tests/data/fuzz/<target>/ and with the
# libFuzzer flags in tests/data/fuzz/<target>.options. Crash inputs land in
# build/fuzz/campaign/. Prints a Markdown table of the figures; the exit status
# is 1 when a target crashed.
#
#   scripts/fuzz-campaign.sh [N] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-10000000}
shift || true
scripts/install-deps.sh
CC=clang CXX=clang++ cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKV_FUZZ=ON >/dev/null
cmake --build build/fuzz -j "$(nproc)" >/dev/null
out=build/fuzz/campaign
mkdir -p "$out"

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  while read -r t; do targets+=("$(basename "$t")"); done \
    < <(find build/fuzz -maxdepth 3 -type f -name 'fuzz_*' -perm -u+x | sort)
fi

echo "| target | executions | wall s | exec/s | CPU s | exec per CPU s | corpus files | crashes |"
echo "|---|---|---|---|---|---|---|---|"
failed=0
for name in "${targets[@]}"; do
  target=$(find build/fuzz -maxdepth 3 -type f -name "$name" -perm -u+x | head -n 1)
  corpus="build/fuzz/corpus/$name"
  mkdir -p "$corpus"
  seeds="tests/data/fuzz/$name"
  [ -d "$seeds" ] || seeds=""
  options=()
  [ -f "tests/data/fuzz/$name.options" ] && read -r -a options < "tests/data/fuzz/$name.options"
  log="$out/$name.log"
  status=0
  # One process per corpus: no need to reread the corpus folder for units
  # found by others (-reload=0).
  /usr/bin/time -f '%e %U %S' -o "$out/$name.time" \
    "$target" -runs="$runs" -rss_limit_mb=2048 -reload=0 -print_final_stats=1 -artifact_prefix="$out/$name-" \
    "${options[@]}" "$corpus" $seeds >"$log" 2>&1 || status=$?
  executed=$(awk '/stat::number_of_executed_units/ {print $2}' "$log")
  # The last line holds the times (a failed run has a line about it first).
  read -r wall user system < <(tail -n 1 "$out/$name.time")
  figures() { awk -v n="${executed:-0}" -v w="$wall" -v u="$user" -v s="$system" "BEGIN {$1}"; }
  cpu=$(figures 'printf "%.0f", u + s')
  rate=$(figures 'if (w > 0) printf "%.0f", n / w; else print "?"')
  per_cpu=$(figures 'if (u + s > 0) printf "%.0f", n / (u + s); else print "?"')
  wall=$(figures 'printf "%.0f", w')
  files=$(find "$corpus" -type f | wc -l)
  crashes=$(find "$out" -maxdepth 1 -name "$name-*" -type f | wc -l)
  if [ "$status" -ne 0 ]; then failed=1; [ "$crashes" -gt 0 ] || crashes="exit $status"; fi
  echo "| $name | ${executed:-?} | $wall | ${rate:-?} | $cpu | $per_cpu | $files | $crashes |"
done
echo
echo "Load average at the end: $(cut -d' ' -f1-3 /proc/loadavg) ($(nproc) cores)"
exit "$failed"
