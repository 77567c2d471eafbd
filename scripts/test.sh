#!/usr/bin/env bash
# Every test: the native unit tests and the checksum tool's command line
# (CTest), then the Wine end-to-end suite against each Windows build this host
# can run: the 64-bit build always, the 32-bit build where the kernel runs
# 32-bit programs. Closes with one "N passed, M failed" line over everything.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/build.sh" || exit 1
source "$root/scripts/host.sh"

log=$(mktemp)
trap 'rm -f "$log"' EXIT
source "$root/tests/summary.sh"

ctest --test-dir "$root/build/native" --output-on-failure 2>&1 | tee "$log"
total=$(grep -oE 'tests failed out of [0-9]+' "$log" | grep -oE '[0-9]+$' || echo 0)
bad=$(grep -oE '[0-9]+ tests failed out of' "$log" | grep -oE '^[0-9]+' || echo 1)
echo "unit: $((total - bad)) passed, $bad failed" >"$log"
cat "$log"
add_summary unit "$log"

if [[ $HOST_RUNS_I386 == 1 ]]; then
  bash "$root/tests/wine/e2e.sh" 32 2>&1 | tee "$log"
  add_summary "e2e (32-bit)" "$log"
else
  echo "e2e (32-bit): built in build/win32, not run: $HOST_WHY_NOT_I386"
fi
bash "$root/tests/wine/e2e.sh" 64 2>&1 | tee "$log"
add_summary "e2e (64-bit)" "$log"

echo "$passed passed, $failed failed"
[[ $failed -eq 0 ]]
