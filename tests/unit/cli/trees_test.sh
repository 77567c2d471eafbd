#!/usr/bin/env bash
# Files against the CRC in their names (-n), and trees of lists (-r): their
# totals, the masks that name what is no list, and folders that cannot be read.
source "$(dirname "$0")/common.sh"

mkdir -p bare/tree/good bare/tree/bad bare/tree/worse
head -c 100000 /dev/urandom >bare/file.iso
crc=$(crc_of bare/file.iso)
cp bare/file.iso "bare/Show - 01 [$crc].mkv"
cp bare/file.iso "bare/tree/Show - 02 (${crc,,}).mkv"
cp bare/file.iso "bare/Show (2019) [20220806].mkv"
cp bare/file.iso "bare/clip_20220806_.mkv"
"$fsum" -c -n -r -dbare '*.mkv' >"$work/out"
check "-n: one damaged name and two intact exit with 1" test $? -eq 1
check "-n: both CRCs in names verify" grep -q '^2 verified, 1 mismatched, 0 missing, 0 unreadable, 1 without a CRC' "$work/out"
check "-n: the last bracket group is the CRC" grep -q '^FAILED      Show (2019) \[20220806\].mkv' "$work/out"
printf x >bare/tree/good/f && printf y >bare/tree/bad/f
(cd bare/tree/good && printf 'f %s\n' "$(crc_of f)" >g.sfv)
(cd bare/tree/bad && printf 'f %s\n' "$(crc_of f)" >b.sfv && printf z >f)
printf '\0\377 not a list' >bare/tree/worse/w.sfv
"$fsum" -c -r -dbare/tree '*.sfv' >"$work/out" 2>"$work/err"
check "a tree of lists exits with its worst status" test $? -eq 2
check "each list of the tree has its summary" test "$(grep -c ' verified, ' "$work/out")" -eq 2
check "the tree's total names the lists that failed" \
  grep -q '^3 lists, 1 all verified; with failed, missing or unreadable files: "bare/tree/bad/b.sfv"; not checked: "bare/tree/worse/w.sfv"$' "$work/out"
check "and names each as its heading does" grep -qF 'Checking "bare/tree/bad/b.sfv"' "$work/out"
check "a list of the tree that holds none is said" grep -q 'worse/w.sfv" holds no checksum lines' "$work/err"
"$fsum" -sha256 -r -dbare/tree -obare/tree/SHA256SUMS '*' 2>"$work/err"
"$fsum" -sha256 -r -dbare/tree -o bare/tree/spaced.sums '*' 2>"$work/err"
check "-o FILE, with a blank, writes the list to the file, status 0" \
  sh -c "[ $? -eq 0 ] && grep -q '  good/f$' bare/tree/spaced.sums"
rm bare/tree/spaced.sums
"$fsum" -sha256 -o 2>"$work/err"
check "-o with no file says why, status 2" sh -c "[ $? -eq 2 ] && grep -q '^fsum: -o needs the name of the file' '$work/err'"
check "-o writes the list, which leaves itself out" \
  sh -c "cd bare/tree && ! grep -q SHA256SUMS SHA256SUMS && sha256sum -c --quiet SHA256SUMS"
"$fsum" -md5 -obare/none/x.md5 '*' 2>"$work/err"
check "-o into a folder that is not there exits with 2, saying why" \
  sh -c "test $? -eq 2 && grep -q 'could not be made' '$work/err'"
"$fsum" -c -r -dbare/tree g.sfv >"$work/out" 2>&1
check "with -r a plain name is found in every subfolder" grep -q '^1 list, 1 all verified$' "$work/out"
"$fsum" -c -r -dbare/tree/good '*.sfv' '*.md5' >"$work/out" 2>"$work/err"
check "a mask that matches no list: status 2, the others checked" \
  sh -c "test $? -eq 2 && grep -q '^1 list, 1 all verified$' '$work/out' && grep -qF 'no list matches \"*.md5\"' '$work/err'"
# What a mask names that is no list is said and counted, never passed over;
# a list or a file that two masks name counts once.
mkdir -p bare/odd/d.sfv bare/odd/sub && mkfifo bare/odd/p.sfv && ln -s nowhere bare/odd/l.sfv
cp bare/tree/good/f bare/tree/good/g.sfv bare/odd/
"$fsum" -c -r -dbare/odd '*.sfv' 'g.*' >"$work/out" 2>"$work/err"
check "a pipe, a folder and a dangling link named like lists: status 2" test $? -eq 2
check "each is in the total, the list named twice once" \
  grep -q '^4 lists, 1 all verified; not checked: "bare/odd/d.sfv", "bare/odd/l.sfv", "bare/odd/p.sfv"$' "$work/out"
check "and each is said" test "$(grep -c 'so it was not checked as a list' "$work/err")" -eq 3
cp bare/file.iso "bare/odd/sub/Show [$crc].mkv" && mkfifo "bare/odd/sub/Pipe [$crc].mkv"
"$fsum" -c -n -r -dbare/odd '*.mkv' 'Show*' >"$work/out" 2>&1
check "-n: a pipe with a CRC in its name is unreadable, a file two masks name counted once" \
  grep -q '^1 verified, 0 mismatched, 0 missing, 1 unreadable, 0 without a CRC' "$work/out"
# A folder that cannot be read is said once, whatever the masks, and counted.
# Root reads every folder: the tool runs as nobody, where there is one (a
# user namespace that maps root alone, as the emulator's, has none).
as_nobody() { setpriv --reuid=65534 --regid=65534 --clear-groups "$@"; }
if as_nobody true 2>/dev/null; then
  shared=$(mktemp -d) && chmod 755 "$shared" && mkdir -p "$shared/t/locked" "$shared/t/ok"
  cp bare/tree/good/f bare/tree/good/g.sfv "bare/odd/sub/Show [$crc].mkv" "$shared/t/ok/" && chmod 000 "$shared/t/locked"
  as_nobody "$fsum" -c -r -d"$shared/t" '*.sfv' 'g.*' >"$work/out" 2>"$work/err"
  check "an unreadable folder: status 1, said once" test $? -eq 1 -a "$(grep -c 'locked' "$work/err")" -eq 1
  check "and in the total" grep -q '^1 list, 1 all verified; 1 folder could not be read$' "$work/out"
  as_nobody "$fsum" -c -n -r -d"$shared/t" '*' >"$work/out" 2>&1
  check "-c -n -r with an unreadable subfolder: status 1" test $? -eq 1
  rm -rf "$shared"
else
  echo "skip the unreadable folder: no user but root to run as here"
fi
for args in "-c -n -r -dbare *.mkv" "-c -r -dbare/tree *.sfv"; do
  same_with_one_reader "$args"
done

summary_line ""
[[ $failed -eq 0 ]]
