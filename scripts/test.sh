#!/usr/bin/env bash
# Every test: the native unit tests and the checksum tool's command line
# (CTest; with g++, clang, clang under ThreadSanitizer, clang under ASan and
# UBSan, and g++ -m32), the fuzz targets for half a minute each, then for
# each Windows build the Wine
# end-to-end suite and the installer's; then the release: two builds compared,
# signing, SHA256SUMS. The 32-bit parts run natively where the kernel runs
# 32-bit programs, and under qemu-i386 where it does not (scripts/host.sh).
# Closes with one "N passed, M failed" line over everything.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/build.sh" || exit 1
bash "$root/scripts/package.sh" || exit 1
source "$root/scripts/host.sh"

log=$(mktemp)
trap 'rm -f "$log"' EXIT
source "$root/tests/summary.sh"

# Each part says how long it took, so that a slow one shows.
timed() {  # what, then the command; its summary line gains the time
  local what=$1 start=$SECONDS
  shift
  "$@" 2>&1 | tee "$log"
  add_summary "$what" "$log"
  echo "$what: took $((SECONDS - start)) s"
}
unit() {  # the native tree; the 32-bit one where its programs can run
  local out status run=()
  [[ $1 == native32 ]] && run=(i386_run)
  out=$("${run[@]}" ctest --test-dir "$root/build/$1" --output-on-failure 2>&1)
  status=$?
  echo "$out"
  local total bad
  total=$(grep -oE 'tests failed out of [0-9]+' <<<"$out" | grep -oE '[0-9]+$' || echo 0)
  bad=$(grep -oE '[0-9]+ tests failed out of' <<<"$out" | grep -oE '^[0-9]+' || echo 1)
  ((status == 0 || bad > 0)) || bad=1
  # ctest names each failed test in a line "  N - name (Failed)".
  local names
  names=$(sed -nE 's/^[[:space:]]*[0-9]+ - (.*) \((Failed|Timeout|SEGFAULT|Subprocess aborted|Exception)\)$/\1/p' <<<"$out" | paste -sd, | sed 's/,/, /g')
  echo "unit ($2): $((total - bad)) passed, $bad failed${names:+: $names}"
}
timed "unit (g++)" unit native g++
timed "unit (clang)" unit native-clang clang
timed "unit (clang, ThreadSanitizer)" unit native-tsan "clang, ThreadSanitizer"
timed "unit (clang, ASan+UBSan)" unit native-asan "clang, ASan+UBSan"
timed "fuzz" bash "$root/tests/fuzz/run.sh" "$root/build/native-asan" 30
if [[ $HOST_RUNS_I386 == 0 ]]; then
  echo "unit (g++ -m32): not built, not run: $HOST_WHY_NOT_I386"
  echo "e2e (32-bit): built in build/win32, not run: $HOST_WHY_NOT_I386"
  echo "installer (32-bit): built in build/packages, not run: $HOST_WHY_NOT_I386"
else
  if [[ -n $HOST_I386_NOTE ]]; then
    echo "The 32-bit parts run $HOST_I386_NOTE."
    export CORVANE_MEMORY_NOT_MEASURED="qemu-i386's own memory would count" CORVANE_UNDER_EMULATOR=1
  fi
  timed "unit (g++ -m32)" unit native32 "g++ -m32"
  unset CORVANE_MEMORY_NOT_MEASURED CORVANE_UNDER_EMULATOR
fi

for bits in 32 64; do
  [[ $bits == 32 && $HOST_RUNS_I386 == 0 ]] && continue
  for suite in e2e installer; do
    timed "$suite ($bits-bit)" bash "$root/tests/wine/$suite.sh" $bits
  done
done

# The release's promises, with the Wine build this host runs best.
timed "release" bash "$root/tests/release.sh" "$([[ $HOST_RUNS_I386 == 1 ]] && echo 32 || echo 64)"

# What failed, part by part, then the plain closing line.
((${#failures[@]})) && printf 'failed: %s\n' "${failures[@]}"
echo "$passed passed, $failed failed"
[[ $failed -eq 0 ]]
