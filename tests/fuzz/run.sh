#!/usr/bin/env bash
# Runs each libFuzzer target of a tree for a bounded time, from the seeds in
# tests/fuzz/seeds/<target> (kept read-only: what a run finds goes to a
# scratch corpus), as many at once as there are cores. A crash, a leak,
# undefined behaviour or a slow input ends the target's run; its input is
# saved in build/fuzz-findings to be kept as a seed once mended. Beside them
# runs a differential trial of the tree's fsum against the tools that write
# each list form (differential.py: a fixed seed, a few hundred lists).
#   tests/fuzz/run.sh TREE [SECONDS]   (a tree built with -DCORVANE_FUZZ=ON)
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
tree=${1:?usage: run.sh TREE [SECONDS]}
seconds=${2:-30}
findings="$root/build/fuzz-findings"
mkdir -p "$findings"
source "$root/tests/summary.sh"

fuzz() {  # target: runs it; its status goes into its log's last line
  local target=$1 corpus log="$findings/$1.log"
  if [[ $target == differential ]]; then
    python3 "$root/tests/fuzz/differential.py" "$tree/bin/fsum" 300 >"$log" 2>&1
    echo "status $?" >>"$log"
    return
  fi
  corpus=$(mktemp -d)
  "$tree/bin/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$findings/$target-" -print_final_stats=1 "$corpus" "$root/tests/fuzz/seeds/$target/" \
    >"$log" 2>&1
  echo "status $?" >>"$log"
  rm -rf "$corpus"
}
report() {  # target: its line, from its log
  local target=$1 log="$findings/$1.log" status runs coverage
  status=$(tail -n1 "$log" | sed -n 's/^status //p')
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  coverage=$(grep -oE 'cov: [0-9]+' "$log" | tail -n1)
  if [[ $status == 0 && $target == differential ]]; then
    passed=$((passed + 1))
    echo "ok   $target: $(sed -n 's/^differential: //p' "$log") lists, against the tools that wrote them"
  elif [[ $status == 0 ]]; then
    passed=$((passed + 1))
    echo "ok   $target: ${runs:-?} runs, ${coverage:-cov: ?} in ${seconds} s"
  else
    failed=$((failed + 1)) failures+=("$target")
    echo "FAIL $target: status $status; see $log"
    grep -m3 -E 'ERROR|runtime error|SUMMARY|^FAIL' "$log"
  fi
}

targets=()
for seeds in "$root"/tests/fuzz/seeds/*/; do targets+=("$(basename "$seeds")"); done
targets+=(differential)
at_once=$(nproc)
for ((i = 0; i < ${#targets[@]}; i += at_once)); do
  for target in "${targets[@]:i:at_once}"; do fuzz "$target" & done
  wait
done
for target in "${targets[@]}"; do report "$target"; done
summary_line "fuzz: "
[[ $failed -eq 0 ]]
