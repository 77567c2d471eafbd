#!/usr/bin/env bash
# Colour: on a terminal the verdicts and the summary are in ANSI colour;
# never into a pipe or a file, nor with NO_COLOR. Whether colour is used
# depends on standard output alone.
source "$(dirname "$0")/common.sh"

make_set
damage "$work/set/sub dir/three.bin" 4500000
rm "$work/set/empty.bin"
"$fsum" -c "$work/set/list.sfv" >"$work/out"
esc=$'\e'
on_terminal() {  # the report of fsum -c under a pseudo-terminal, in $work/tty
  script -qec "$(printf '%q ' "$fsum" -c "$work/set/list.sfv")" /dev/null >"$work/tty" 2>&1
}
on_terminal
check "on a terminal FAILED is red" grep -qF "${esc}[31mFAILED${esc}[0m      sub dir" "$work/tty"
check "on a terminal MISSING is yellow" grep -qF "${esc}[33mMISSING${esc}[0m     empty.bin" "$work/tty"
check "on a terminal OK is green" grep -qF "${esc}[32mOK${esc}[0m          one.bin" "$work/tty"
check "on a terminal a failed check's summary is red" grep -qF "${esc}[31m2 verified, 1 mismatched" "$work/tty"
NO_COLOR=1 on_terminal
check "NO_COLOR=1 turns colour off" test "$(grep -c "$esc" "$work/tty")" -eq 0
NO_COLOR= on_terminal
check "an empty NO_COLOR leaves it on" grep -qF "${esc}[31mFAILED" "$work/tty"
check "a pipe never gets colour" test "$(grep -c "$esc" "$work/out")" -eq 0
printf 'one.bin %s\n' "$(crc_of "$work/set/one.bin")" >"$work/set/good.sfv"
script -qec "$(printf '%q ' "$fsum" -c "$work/set/good.sfv")" /dev/null >"$work/tty" 2>&1
check "on a terminal the summary of a check that all verified is green" grep -qF "${esc}[32m1 verified, 0 mismatched" "$work/tty"
# Standard error does not decide: the report goes where standard output goes.
script -qec "$(printf '%q ' "$fsum" -c "$work/set/list.sfv")>$(printf %q "$work/file")" /dev/null >/dev/null 2>&1
check "a report into a file, standard error a terminal: no colour" \
  sh -c "grep -q '^FAILED  ' '$work/file' && ! grep -q '$esc' '$work/file'"
script -qec "$(printf '%q ' "$fsum" -c "$work/set/list.sfv")2>/dev/null" /dev/null >"$work/tty" 2>&1
check "a report to a terminal, standard error redirected: colour" grep -qF "${esc}[31mFAILED${esc}[0m" "$work/tty"

summary_line ""
[[ $failed -eq 0 ]]
