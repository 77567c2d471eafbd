#!/usr/bin/env bash
# Every test: the native unit tests and the checksum tool's command line
# (CTest), then, for each Windows build this host can run (the 64-bit build
# always, the 32-bit build where the kernel runs 32-bit programs), the Wine
# end-to-end suite and the installer's. Closes with one "N passed, M failed"
# line over everything.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/build.sh" || exit 1
bash "$root/scripts/package.sh" || exit 1
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

for bits in 32 64; do
  if [[ $bits == 32 && $HOST_RUNS_I386 == 0 ]]; then
    echo "e2e (32-bit): built in build/win32, not run: $HOST_WHY_NOT_I386"
    echo "installer (32-bit): built in build/packages, not run: $HOST_WHY_NOT_I386"
    continue
  fi
  for suite in e2e installer; do
    bash "$root/tests/wine/$suite.sh" $bits 2>&1 | tee "$log"
    add_summary "$suite ($bits-bit)" "$log"
  done
done

echo "$passed passed, $failed failed"
[[ $failed -eq 0 ]]
