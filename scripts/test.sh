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
passed=0
failed=0
count() {  # adds the "N passed, M failed" closing line of the log
  local line
  line=$(grep -E '[0-9]+ passed, [0-9]+ failed$' "$log" | tail -n1)
  if [[ -z "$line" ]]; then
    echo "FAIL $1 ended without a summary"
    failed=$((failed + 1))
    return
  fi
  passed=$((passed + $(echo "$line" | grep -oE '[0-9]+ passed' | cut -d' ' -f1)))
  failed=$((failed + $(echo "$line" | grep -oE '[0-9]+ failed' | cut -d' ' -f1)))
}

ctest --test-dir "$root/build/native" --output-on-failure 2>&1 | tee "$log"
total=$(grep -oE 'tests failed out of [0-9]+' "$log" | grep -oE '[0-9]+$' || echo 0)
bad=$(grep -oE '[0-9]+ tests failed out of' "$log" | grep -oE '^[0-9]+' || echo 1)
echo "unit: $((total - bad)) passed, $bad failed" >"$log"
cat "$log"
count unit

if [[ $HOST_RUNS_I386 == 1 ]]; then
  bash "$root/tests/wine/e2e.sh" 32 2>&1 | tee "$log"
  count "e2e (32-bit)"
else
  echo "e2e (32-bit): built in build/win32, not run: $HOST_WHY_NOT_I386"
fi
bash "$root/tests/wine/e2e.sh" 64 2>&1 | tee "$log"
count "e2e (64-bit)"

echo "$passed passed, $failed failed"
[[ $failed -eq 0 ]]
