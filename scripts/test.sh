#!/usr/bin/env bash
# Every test: the native unit tests and the checksum tool's command line
# (CTest, two tests at a time; with g++, clang under ThreadSanitizer, clang
# under ASan and UBSan, and g++ -m32), the fuzz targets for half a minute
# each, two at a time, then for
# each Windows build the Wine end-to-end suite and the installer's; then the
# release: a second build compared with the first, signing, SHA256SUMS. The 32-bit parts run natively where the kernel runs
# 32-bit programs, and under qemu-i386 where it does not (scripts/host.sh).
# A part that cannot run here (no 32-bit Wine or -m32 libraries to be had)
# is said not run, with why, right above the closing line.
# Closes with one "N passed, M failed" line over everything.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh" || exit 1
export CORVANE_SETUP_DONE=1  # once is enough: the build and the release check skip it
bash "$root/scripts/build.sh" || exit 1
bash "$root/scripts/package.sh" || exit 1
source "$root/scripts/host.sh"

# Each part's output stays in build/logs/<part>.log after the run, to read
# when one fails (the README says how to run one part again).
logs=$root/build/logs
rm -rf "$logs" && mkdir -p "$logs"
source "$root/tests/summary.sh"

# Each part says how long it took, so that a slow one shows. What could not
# run is said where it is found ("<part>: ... not run: <why>") and again
# right above the closing line.
not_run=()
timed() {  # what, then the command; its summary line gains the time
  local what=$1 start=$SECONDS log
  log=$logs/$(tr -c 'A-Za-z0-9.+-' '-' <<<"$what" | tr -s '-' | sed 's/-$//').log
  shift
  "$@" 2>&1 | tee "$log"
  add_summary "$what" "$log"
  mapfile -t -O "${#not_run[@]}" not_run < <(grep -E '^[^ ].*: .*not run: ' "$log")
  echo "$what: took $((SECONDS - start)) s"
}
skipped() {  # the line of a part that cannot run here
  not_run+=("$1")
  echo "$1"
}
unit() {  # the native tree; the 32-bit one where its programs can run
  local out status run=()
  [[ $1 == native32 ]] && run=(i386_run)
  out=$("${run[@]}" ctest --test-dir "$root/build/$1" --output-on-failure -j"$(nproc)" 2>&1)
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
timed "unit (clang, ThreadSanitizer)" unit native-tsan "clang, ThreadSanitizer"
timed "unit (clang, ASan+UBSan)" unit native-asan "clang, ASan+UBSan"
timed "fuzz" bash "$root/tests/fuzz/run.sh" "$root/build/native-asan" 30
if [[ $HOST_M32 == 0 ]]; then
  skipped "unit (g++ -m32): not built, not run: $HOST_WHY_NO_M32"
else
  if [[ -n $HOST_I386_NOTE ]]; then
    echo "The 32-bit parts run $HOST_I386_NOTE."
    export CORVANE_MEMORY_NOT_MEASURED="qemu-i386's own memory would count" CORVANE_UNDER_EMULATOR=1
  fi
  timed "unit (g++ -m32)" unit native32 "g++ -m32"
  unset CORVANE_MEMORY_NOT_MEASURED CORVANE_UNDER_EMULATOR
fi

if [[ $HOST_WINE32 == 0 ]]; then
  skipped "e2e (32-bit): built in build/win32, not run: $HOST_WHY_NO_WINE32"
  skipped "installer (32-bit): built in build/packages, not run: $HOST_WHY_NO_WINE32"
fi
for bits in 32 64; do
  [[ $bits == 32 && $HOST_WINE32 == 0 ]] && continue
  for suite in e2e installer; do
    timed "$suite ($bits-bit)" bash "$root/tests/wine/$suite.sh" $bits
  done
done

# The release's promises, with the Wine build this host runs best: the
# 32-bit one where i386 code runs natively, else the 64-bit one (under the
# emulator the 32-bit programs have run already, in their own suites).
release_bits=$([[ $HOST_WINE32 == 1 && $HOST_I386 == native ]] && echo 32 || echo 64)
timed "release" bash "$root/tests/release.sh" "$release_bits"

# What failed, part by part; what did not run; then the plain closing line.
((${#failures[@]})) && printf 'failed: %s\n' "${failures[@]}"
((${#not_run[@]})) && printf '%s\n' "${not_run[@]}"
echo "$passed passed, $failed failed"
[[ $failed -eq 0 ]]
