#!/usr/bin/env bash
# Runs each libFuzzer target of a tree for a bounded time, from the seeds in
# tests/fuzz/seeds/<target> (kept read-only: what a run finds goes to a
# scratch corpus). A crash, a leak, undefined behaviour or a slow input ends
# the target's run; its input is saved in build/fuzz-findings to be kept as a
# seed once mended.
#   tests/fuzz/run.sh TREE [SECONDS]   (a tree built with -DCORVANE_FUZZ=ON)
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
tree=${1:?usage: run.sh TREE [SECONDS]}
seconds=${2:-30}
findings="$root/build/fuzz-findings"
mkdir -p "$findings"
source "$root/tests/summary.sh"
for seeds in "$root"/tests/fuzz/seeds/*/; do
  target=$(basename "$seeds")
  corpus=$(mktemp -d)
  log="$findings/$target.log"
  "$tree/bin/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$findings/$target-" -print_final_stats=1 "$corpus" "$seeds" >"$log" 2>&1
  status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  coverage=$(grep -oE 'cov: [0-9]+' "$log" | tail -n1)
  if ((status == 0)); then
    passed=$((passed + 1))
    echo "ok   $target: ${runs:-?} runs, ${coverage:-cov: ?} in ${seconds} s"
  else
    failed=$((failed + 1)) failures+=("$target")
    echo "FAIL $target: status $status; see $log"
    grep -m3 -E 'ERROR|runtime error|SUMMARY' "$log"
  fi
  rm -rf "$corpus"
done
summary_line "fuzz: "
[[ $failed -eq 0 ]]
