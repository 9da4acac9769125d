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
. "$(dirname "$0")/common.sh"
cd "$KV_ROOT"
runs=${1:-10000000}
shift || true
build_tree fuzz >/dev/null
out=build/fuzz/campaign
mkdir -p "$out"

targets=("$@")
[ ${#targets[@]} -gt 0 ] || mapfile -t targets < <(fuzz_targets)

echo "| target | executions | wall s | exec/s | CPU s | exec per CPU s | corpus files | crashes |"
echo "|---|---|---|---|---|---|---|---|"
failed=0
TIMEFORMAT='%R %U %S'   # what bash's time prints: wall, user and system seconds
for name in "${targets[@]}"; do
  log="$out/$name.log"
  status=0
  # One process per corpus: no need to reread the corpus folder for units
  # found by others (-reload=0).
  { time run_fuzz_target "$name" -runs="$runs" -reload=0 -print_final_stats=1 -artifact_prefix="$out/$name-" \
      >"$log" 2>&1 || status=$?; } 2>"$out/$name.time"
  executed=$(awk '/stat::number_of_executed_units/ {print $2}' "$log")
  read -r wall user system <"$out/$name.time"
  figures() { awk -v n="${executed:-0}" -v w="$wall" -v u="$user" -v s="$system" "BEGIN {$1}"; }
  cpu=$(figures 'printf "%.0f", u + s')
  rate=$(figures 'if (w > 0) printf "%.0f", n / w; else print "?"')
  per_cpu=$(figures 'if (u + s > 0) printf "%.0f", n / (u + s); else print "?"')
  wall=$(figures 'printf "%.0f", w')
  files=$(find "build/fuzz/corpus/$name" -type f 2>/dev/null | wc -l || true)
  crashes=$(find "$out" -maxdepth 1 -name "$name-*" -type f | wc -l)
  if [ "$status" -ne 0 ]; then failed=1; [ "$crashes" -gt 0 ] || crashes="exit $status"; fi
  echo "| $name | ${executed:-?} | $wall | ${rate:-?} | $cpu | $per_cpu | $files | $crashes |"
done
echo
echo "Load average at the end: $(cut -d' ' -f1-3 /proc/loadavg) ($(nproc) cores)"
exit "$failed"
