#!/usr/bin/env bash
# fsum -c -a: a folder audited against its list. One table of trees, each
# made fresh from the same start (a.txt, b.txt, sub/c.txt, an empty file and
# two identical files, listed by sha256sum), then changed by the row; the
# report's lines, the counts and the status are checked, and the same tree
# goes through hashdeep's audit where hashdeep agrees.
source "$(dirname "$0")/common.sh"

start() {  # a fresh tree in $work/tree, its list SHA256SUMS
  rm -rf "$work/tree" && mkdir -p "$work/tree/sub" && cd "$work/tree" || exit
  echo a >a.txt && echo b >b.txt && echo c >sub/c.txt && : >empty && echo dup >d1 && echo dup >d2
  sha256sum a.txt b.txt sub/c.txt empty d1 d2 >SHA256SUMS
}
audited() {  # fsum's options: the report in $work/out, the status in $status
  "$fsum" -c -a "$@" SHA256SUMS >"$work/out" 2>&1
  status=$?
}
rows=(
  # change | status | lines the report holds, ; between | the counts
  "true|0||6 verified, 0 mismatched, 0 missing, 0 unreadable, 0 new, 0 moved"
  "echo n >new.txt|1|NEW         new.txt|6 verified, 0 mismatched, 0 missing, 0 unreadable, 1 new, 0 moved"
  "rm b.txt|1|MISSING     b.txt|5 verified, 0 mismatched, 1 missing, 0 unreadable, 0 new, 0 moved"
  "mv b.txt b2.txt|1|MOVED       b.txt -> b2.txt|5 verified, 0 mismatched, 0 missing, 0 unreadable, 0 new, 1 moved"
  "mv sub/c.txt c.txt|1|MOVED       sub/c.txt -> c.txt|5 verified, 0 mismatched, 0 missing, 0 unreadable, 0 new, 1 moved"
  "mv d2 d3|1|MOVED       d2 -> d3|5 verified, 0 mismatched, 0 missing, 0 unreadable, 0 new, 1 moved"
  # Both copies gone, one back: one MOVED (the first in list order), one MISSING.
  "rm d1 d2 && echo dup >d9|1|MOVED       d1 -> d9;MISSING     d2|4 verified, 0 mismatched, 1 missing, 0 unreadable, 0 new, 1 moved"
  # Every empty file has one digest: an empty file renamed is not a move.
  "mv empty empty2|1|NEW         empty2;MISSING     empty|5 verified, 0 mismatched, 1 missing, 0 unreadable, 1 new, 0 moved"
  "echo x >>a.txt|1|FAILED      a.txt|5 verified, 1 mismatched, 0 missing, 0 unreadable, 0 new, 0 moved"
  "mkdir -p n/m && echo x >n/m/deep|1|NEW         n/m/deep|6 verified, 0 mismatched, 0 missing, 0 unreadable, 1 new, 0 moved"
  "echo n >new.txt && echo l >new.log|0 -x*.txt -x*.log||6 verified, 0 mismatched, 0 missing, 0 unreadable, 0 new, 0 moved"
  "echo s >SHA256SUMS.sig|0||6 verified, 0 mismatched, 0 missing, 0 unreadable, 0 new, 0 moved"
)
for row in "${rows[@]}"; do
  IFS='|' read -r change want lines counts <<<"$row"
  read -r want options <<<"$want"
  start && eval "$change"
  # shellcheck disable=SC2086 # the -x options are separate words
  audited $options
  check "$change: status $want" test "$status" -eq "$want"
  IFS=';' read -ra shown <<<"$lines"
  for line in "${shown[@]}"; do check "$change: [$line]" grep -qF -- "$line" "$work/out"; done
  check "$change: [$counts]" grep -qF -- "$counts (SHA-256)" "$work/out"
done
# hashdeep's audit agrees where it can judge: a tree as listed passes, a
# new, a deleted or a changed file fails it. (It calls every empty file
# moved, and misses a lost duplicate: those rows are ours alone.)
check "hashdeep is here to compare with (scripts/setup.sh installs it)" command -v hashdeep
if command -v hashdeep >/dev/null; then
  for change in true "echo n >new.txt" "rm b.txt" "echo x >>a.txt"; do
    start && hashdeep -c sha256 -l -r . >"$work/known" 2>/dev/null && eval "$change"
    hashdeep -c sha256 -l -r -a -k "$work/known" . >/dev/null 2>&1
    theirs=$?
    audited
    check "$change: hashdeep -a agrees" test $((theirs == 0)) -eq $((status == 0))
  done
fi
# A list in a subfolder naming ../ files: they are its entries, and the
# walk covers its own folder only.
start && mkdir -p lists && (cd lists && sha256sum ../a.txt >SHA256SUMS && echo n >here.txt)
"$fsum" -c -a lists/SHA256SUMS >"$work/out" 2>&1
check "a list naming ../a.txt: its entry verifies, its own folder's new file is NEW" \
  sh -c "[ $? -eq 1 ] && grep -qx 'OK          ../a.txt' '$work/out' && grep -qx 'NEW         here.txt' '$work/out' && ! grep -q 'b.txt' '$work/out'"
# An .sfv list's move is only as sure as a CRC-32.
start && "$fsum" a.txt b.txt >files.sfv && mv b.txt moved.txt
"$fsum" -c -a files.sfv >"$work/out" 2>&1
check "an .sfv move says what a CRC-32 cannot prove" grep -qF "MOVED       b.txt -> moved.txt  (same CRC-32, which cannot prove it is the same file)" "$work/out"
"$fsum" -c -a -r '*.sfv' >/dev/null 2>&1
check "-a with -r is a usage error" test $? -eq 2

# fsum -u: each form brought up to date, compared byte for byte with the
# list as it should read: its comment, its order, its line ends and
# encoding kept; b.txt renamed in place, new.txt and sub/c.txt appended in
# the order of names; the damaged a.txt kept as it was.
updated() {  # the list, then the lines of its form for a, b, b2, c, new (tab between)
  local list=$1 crlf=$2 utf16=$3
  rm -rf "$work/up" && mkdir -p "$work/up/sub" && cd "$work/up" || exit
  echo a >a.txt && echo b >b.txt && echo c >sub/c.txt
  local -a l
  IFS=$'\t' read -ra l <<<"$4"
  local end=$'\n'
  [[ $crlf == crlf ]] && end=$'\r\n'
  printf '%s' "# kept${end}${l[0]}${end}${l[1]}${end}" >"$work/list.txt"
  printf '%s' "# kept${end}${l[0]}${end}${l[2]}${end}${l[4]}${end}${l[3]}${end}" >"$work/want.txt"
  for f in list want; do
    if [[ $utf16 == utf16 ]]; then
      { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE "$work/$f.txt"; } >"$work/$f.out"
    else
      mv "$work/$f.txt" "$work/$f.out"
    fi
  done
  mv "$work/list.out" "$list" && mv b.txt b2.txt && echo new >new.txt && echo x >>a.txt
  "$fsum" -u "$list" >"$work/out" 2>&1
  status=$?
}
sha() { sha256sum "$1" | cut -c1-64; }
b3() { b3sum --no-names "$1"; }
b2() { b2sum -l 256 "$1" | cut -c1-64; }  # BLAKE2b of a length of its own
echo new >"$work/n.tmp" && new_sha=$(sha "$work/n.tmp") && new_b3=$(b3 "$work/n.tmp")
echo a >"$work/a.tmp" && a_crc=$(crc_of "$work/a.tmp") && a_b3=$(b3 "$work/a.tmp")
echo b >"$work/b.tmp" && b_crc=$(crc_of "$work/b.tmp") && b_b3=$(b3 "$work/b.tmp")
echo c >"$work/c.tmp" && c_crc=$(crc_of "$work/c.tmp") && c_b3=$(b3 "$work/c.tmp") && n_crc=$(crc_of "$work/n.tmp")
a_sha=$(sha "$work/a.tmp") && b_sha=$(sha "$work/b.tmp") && c_sha=$(sha "$work/c.tmp")
a_b2=$(b2 "$work/a.tmp") && b_b2=$(b2 "$work/b.tmp") && c_b2=$(b2 "$work/c.tmp") && new_b2=$(b2 "$work/n.tmp")
forms=(
  "SHA256SUMS|lf|utf8|$a_sha  a.txt	$b_sha  b.txt	$b_sha  b2.txt	$c_sha  sub/c.txt	$new_sha  new.txt"
  "SHA256SUMS|crlf|utf8|$a_sha  a.txt	$b_sha *b.txt	$b_sha *b2.txt	$c_sha  sub/c.txt	$new_sha  new.txt"
  "files.sfv|lf|utf8|a.txt $a_crc	b.txt $b_crc	b2.txt $b_crc	sub/c.txt $c_crc	new.txt $n_crc"
  "CHECKSUM|lf|utf8|SHA256 (a.txt) = $a_sha	SHA256 (b.txt) = $b_sha	SHA256 (b2.txt) = $b_sha	SHA256 (sub/c.txt) = $c_sha	SHA256 (new.txt) = $new_sha"
  "B3SUMS|lf|utf8|$a_b3  a.txt	$b_b3  b.txt	$b_b3  b2.txt	$c_b3  sub/c.txt	$new_b3  new.txt"
  "B2SUMS|lf|utf8|$a_b2  a.txt	$b_b2  b.txt	$b_b2  b2.txt	$c_b2  sub/c.txt	$new_b2  new.txt"
  "SHA256SUMS|crlf|utf16|$a_sha  a.txt	$b_sha  b.txt	$b_sha  b2.txt	$c_sha  sub/c.txt	$new_sha  new.txt"
)
for row in "${forms[@]}"; do
  IFS='|' read -r list ends encoding lines <<<"$row"
  updated "$list" "$ends" "$encoding" "$lines"
  check "-u $list ($ends, $encoding): the damaged entry kept, status 1" test "$status" -eq 1
  check "-u $list ($ends, $encoding): byte for byte as it should read" cmp "$list" "$work/want.out"
  check "-u $list ($ends, $encoding): the old list kept beside it" test -f "$list.bak"
  cd "$work" || exit
done

# -m drops what is missing, and names each entry dropped.
start && rm b.txt && "$fsum" -u -m SHA256SUMS >"$work/out" 2>&1
check "-u -m: the missing entry dropped and named, status 0" \
  sh -c "[ $? -eq 0 ] && grep -q '^DROPPED     b.txt' '$work/out' && ! grep -q ' b.txt$' SHA256SUMS"
# Moves to names that take the coreutils escape (\, a line end): each line
# renamed as coreutils spells it, GNU and BSD, escaped before or not, and
# read back by sha256sum. Where every entry moved, the list is brought up
# to date all the same.
start && sha256sum --tag a.txt >CHECKSUM && printf 'x\\y' >'x\y' && sha256sum 'x\y' >>SHA256SUMS
mv a.txt 'a\1' && mv b.txt "$(printf 'b\n2')" && mv 'x\y' 'x\z'
"$fsum" -u SHA256SUMS >"$work/out" 2>&1
check "-u: moves to names that take the escape, GNU lines: status 0" test $? -eq 0
check "and sha256sum reads every line back" sh -c "sha256sum -c SHA256SUMS | grep -c ': OK$' | grep -qx 8"
"$fsum" -u CHECKSUM >"$work/out" 2>&1
check "-u: the one entry moved, a BSD line: status 0" test $? -eq 0
check "and its line spells the escape" grep -qxF "\\SHA256 (a\\\\1) = $(sha256sum <'a\1' | cut -c1-64)" CHECKSUM
# An .sfv line has no escape: a move to a name with \ stays unrenamed.
start && "$fsum" a.txt b.txt >files.sfv && mv b.txt 'b\2'
"$fsum" -u files.sfv >"$work/out" 2>&1
check "-u: an .sfv move to a name no line can hold: NOT RENAMED, status 1" \
  sh -c "[ $? -eq 1 ] && grep -q '^NOT RENAMED  b.txt -> b.2' '$work/out' && grep -q '^b.txt ' files.sfv"
# A signed list is never rewritten: its update goes to SHA256SUMS.new.
start && minisign -G -W -p "$work/m.pub" -s "$work/m.key" >/dev/null 2>&1 &&
  minisign -S -s "$work/m.key" -m SHA256SUMS </dev/null >/dev/null 2>&1 && cp SHA256SUMS "$work/before" && echo n >new.txt
"$fsum" -u SHA256SUMS >"$work/out" 2>&1
check "-u on a signed list: the list and its signature untouched, the update in .new" \
  sh -c "cmp -s SHA256SUMS '$work/before' && grep -q '  new.txt$' SHA256SUMS.new && grep -q 'its signature' '$work/out'"
# A write that fails midway (the file size limit, far under the new list's)
# leaves the old list whole, and no half-written file beside it.
start && cp SHA256SUMS "$work/before" && for i in $(seq 300); do echo "$i" >"f$i"; done
(trap '' XFSZ && ulimit -f 4 && "$fsum" -u SHA256SUMS) 2>&1 | cat >"$work/out"
check "a write failing midway: status 2, NOT UPDATED" sh -c "[ ${PIPESTATUS[0]} -eq 2 ] && grep -q '^NOT UPDATED' '$work/out'"
check "and the old list whole, nothing beside it" \
  sh -c "cmp -s SHA256SUMS '$work/before' && [ ! -e SHA256SUMS.fsum-update ] && [ ! -e SHA256SUMS.bak ]"

summary_line ""
[[ $failed -eq 0 ]]
