#!/usr/bin/env bash
# The checksum tool's command line, checking lists end to end: exit
# statuses, a list made by another tool (rhash where installed, else
# Python's zlib), damage, entries that are no regular files, hostile
# lists, and the forms coreutils, RHash and cksfv write.
source "$(dirname "$0")/common.sh"

"$fsum" >/dev/null 2>"$work/err"; status=$?
check "no arguments exit with 2" test $status -eq 2
check "no arguments print the usage" grep -q Usage "$work/err"
for asked in --help -h '/?'; do
  "$fsum" "$asked" >"$work/out" 2>&1
  check "$asked prints the usage on standard output, status 0" sh -c "[ $? -eq 0 ] && grep -q '^Usage: fsum' '$work/out'"
done
"$fsum" --version >"$work/out" 2>&1
check "--version names the tool's version and its libraries, status 0" \
  sh -c "[ $? -eq 0 ] && grep -qx 'fsum 1.41' '$work/out' && grep -q '^libraries: libdeflate-' '$work/out'"
"$fsum" -c -x "$work/a.sfv" >/dev/null 2>&1
check "an unknown option exits with 2" test $? -eq 2

make_set
"$fsum" -c "$work/set/list.sfv" >"$work/out"
check "an intact set exits with 0" test $? -eq 0
check "every file is verified" grep -q '^4 verified, 0 mismatched, 0 missing, 0 unreadable$' "$work/out"

damage "$work/set/sub dir/three.bin" 4500000
rm "$work/set/empty.bin"
"$fsum" -jf -c "$work/set/list.sfv" >"$work/out"
check "a damaged set exits with 1" test $? -eq 1
check "the damaged file is named" grep -q '^FAILED      sub dir\\three.bin' "$work/out"
check "the missing file is named" grep -q '^MISSING     empty.bin$' "$work/out"
check "-jf leaves out the verified files" test "$(grep -c '^OK' "$work/out")" -eq 0

# Hostile entries and lists, each with the status and the report line it
# must give. Run under a deadline that turns a hang into a failure; the
# deadline is generous, since no case here does more than a little work.
mkfifo "$work/fifo"
python3 -c 'import socket, sys; socket.socket(socket.AF_UNIX).bind(sys.argv[1])' "$work/socket"
good=$(crc_of "$work/set/one.bin")
printf '%s\n' "set/one.bin $good" >"$work/a.sfv"
printf '\xEF\xBB\xBF%s\n' "set/one.bin $good" >"$work/b.sfv"
cat "$work/a.sfv" "$work/b.sfv" >"$work/joined.sfv"
printf 'csi\xC2\x9B2J\x7F.bin 00000000\n' >"$work/c1.sfv"
printf 'fifo 00000000\n' >"$work/fifo.sfv"
printf 'socket 00000000\n/dev/null 00000000\n/dev/zero 00000000\n' >"$work/devices.sfv"
printf '/proc/version 00000000\n' >"$work/proc.sfv"
# What coreutils writes and reads: one blank or two, blanks before, a tab in a name.
one_md5=$(md5sum "$work/set/one.bin" | cut -c1-32)
cp "$work/set/one.bin" "$work/tab"$'\t'"name"
printf '%s\n' "$one_md5 set/one.bin" "  $one_md5  set/one.bin" "$one_md5"$'\t'"set/one.bin" \
  "$one_md5  tab"$'\t'"name" >"$work/coreutils.md5"
printf '%s\n' "set/one.bin $good" "what is this" "MD5 (x) = 12" >"$work/odd.txt"
printf '%s\n' "what is this" "MD5 (x) = 12" >"$work/none-good.txt"
{
  printf '%s\n' '-----BEGIN PGP SIGNED MESSAGE-----' 'Hash: SHA256' '' "$one_md5  set/one.bin" \
    "- $one_md5  tab"$'\t'"name" '-----BEGIN PGP SIGNATURE-----' '' 'iQEzBAEBCAAdFiEE' '=abcd' \
    '-----END PGP SIGNATURE-----' 'trailing words'
} >"$work/SUMS.asc"
head -n -1 "$work/SUMS.asc" >"$work/signed.asc"
cases=(
  # arguments after -c (in $work) | status | a line the report holds
  "coreutils.md5|0|4 verified, 0 mismatched, 0 missing, 0 unreadable (MD5)"
  "odd.txt|0|1 verified, 0 mismatched, 0 missing, 0 unreadable, 2 lines not understood"
  "-w none-good.txt|2|WARNING     line 2 is an improperly formatted"
  "none-good.txt|2|holds no checksum lines"
  "SUMS.asc|2|is a signed list with text outside its signed part, so no file was checked"
  "signed.asc|0|2 verified, 0 mismatched, 0 missing, 0 unreadable (MD5) (no trusted signature: these files match the list, but nobody you trust vouched for the list)"
  "fifo.sfv|1|UNREADABLE  fifo  (It is not a regular file"
  "devices.sfv|1|UNREADABLE  socket  (It is not a regular file"
  "devices.sfv|1|UNREADABLE  /dev/zero  (It is not a regular file"
  "proc.sfv|1|FAILED      /proc/version  (expected 00000000"
  "joined.sfv|0|2 verified, 0 mismatched"
  "c1.sfv|1|MISSING     csi\\u009B2J\\x7F.bin"
  "fifo|2|"
  "a.sfv b.sfv|2|Usage: fsum -c"
)
for row in "${cases[@]}"; do
  IFS='|' read -r args want line <<<"$row"
  # shellcheck disable=SC2086 # the options and the list are separate words
  (cd "$work" && timeout 120 "$fsum" -c $args >"$work/out" 2>&1)
  check "$args ends with status $want" test $? -eq "$want"
  [[ -z "$line" ]] || check "$args: [$line]" grep -qF "$line" "$work/out"
done
"$fsum" -c "$work/c1.sfv" >"$work/out" 2>&1
check "no control character of a name reaches the report" test "$(grep -c $'\xC2\x9B' "$work/out")" -eq 0

# A writer waiting on a FIFO that a list names stays waiting: the tool never
# opens it, so no data is taken from it.
(printf data >"$work/fifo") &
writer=$!
timeout 120 "$fsum" -c "$work/fifo.sfv" >/dev/null 2>&1
check "a writer blocked on a listed FIFO is not released" kill -0 $writer
kill $writer 2>/dev/null
wait $writer 2>/dev/null

# A reader that goes away is a report that cannot be written.
for _ in $(seq 20000); do printf 'set/one.bin %s\n' "$good"; done >"$work/long.sfv"
"$fsum" -c "$work/long.sfv" | head -n1 >/dev/null
check "a report cut off by its reader ends with status 2" test "${PIPESTATUS[0]}" -eq 2
"$fsum" -c "$work/set/list.sfv" >/dev/full 2>"$work/err"
check "a report that cannot be written ends with status 2" test $? -eq 2
check "and says why" grep -qx 'fsum: the report could not be written: No space left on device' "$work/err"

# MD5 and SHA lists as coreutils writes them, in GNU and BSD form, over
# files around the digests' block sizes and names that need the escape.
mkdir -p "$work/forms"
(
  cd "$work/forms" || exit
  for size in 0 1 63 64 65 3000000; do head -c $size /dev/urandom >"size $size.bin"; done
  printf 'x' >'back\slash'
  printf 'y' >$'new\nline'
  printf 'z' >' leading space'
  files=(*)
  md5sum -- "${files[@]}" >list.md5
  sha1sum -b -- "${files[@]}" >SHA1SUMS
  { echo '# made by sha256sum'; echo '; and a comment'; sha256sum -- "${files[@]}"; } >SHA256SUMS
  sha384sum -- "${files[@]}" >list.sha384
  sha512sum -- "${files[@]}" >list.sha512
  { md5sum --tag -- "${files[@]}"; sha256sum --tag -- "${files[@]}"; sha512sum --tag -- "${files[@]}"; } >tags.txt
  iconv -f UTF-8 -t UTF-16 <SHA256SUMS >utf16.sha256
)
count=$(ls "$work/forms" | grep -c '\.bin$\|slash\|line\|space')
lists_verify "$work/forms" "list.md5|$count|(MD5)" "SHA1SUMS|$count|(SHA-1)" "SHA256SUMS|$count|(SHA-256)" \
  "list.sha384|$count|(SHA-384)" "list.sha512|$count|(SHA-512)" "tags.txt|$((3 * count))|(MD5, SHA-256, SHA-512)" \
  "utf16.sha256|$count|(SHA-256) (list read as UTF-16 LE)"
printf 'z' >"$work/forms/size 1.bin"
"$fsum" -c "$work/forms/list.sha512" >"$work/out" 2>&1
check "a changed file fails its SHA-512 with status 1" test $? -eq 1
check "the report gives the expected and the found digest" \
  grep -qF "found $(sha512sum "$work/forms/size 1.bin" | cut -c1-128))" "$work/out"

# What md5sum and RHash write, each list judged as the tool that wrote it
# judges the same bytes: a name of a blank (GNU and BSD), RHash's CRC-32
# lines (--simple, 8 digits) and its BSD tags, CRC32 and the padded "MD5   (".
mkdir -p "$work/peers"
(
  cd "$work/peers" || exit
  echo a >a && echo ' ' >' ' && head -c 1024 /dev/urandom >test1K.data
  md5sum a ' ' >gnu.md5 && md5sum --tag a ' ' >bsd.md5
  rhash -C --simple test1K.data >simple.txt && rhash --bsd -C -M --sha1 a test1K.data >rhash.txt
  echo corrupted >' '
)
for row in "gnu.md5|md5sum" "bsd.md5|md5sum" "simple.txt|rhash" "rhash.txt|rhash"; do
  IFS='|' read -r list peer <<<"$row"
  want=$(cd "$work/peers" && $peer -c "$list" >/dev/null 2>&1; echo $?)
  (cd "$work/peers" && "$fsum" -c "$list" >"$work/out" 2>&1)
  check "$list: status $?, as $peer -c says ($want)" test $? -eq "$want"
  check "$list: every line read" sh -c "! grep -q 'not understood' '$work/out'"
done
(cd "$work/peers" && "$fsum" -c gnu.md5 >"$work/out" 2>&1)
check "a name of a blank is checked: FAILED, as md5sum says" grep -qE '^FAILED {7} {2}\(expected' "$work/out"

# One download against a publisher's whole list (-i): the files not here are
# counted, not listed, and at least one must verify, as sha256sum
# --ignore-missing judges the same folder.
mkdir -p "$work/publisher"
(cd "$work/publisher" && printf x >one.iso && printf y >two.iso && printf z >three.iso &&
  sha256sum one.iso two.iso three.iso >SHA256SUMS && rm two.iso three.iso)
for gone in "" one.iso; do
  [[ -z $gone ]] || rm "$work/publisher/$gone"
  want=$(cd "$work/publisher" && sha256sum -c --ignore-missing SHA256SUMS >/dev/null 2>&1; echo $?)
  (cd "$work/publisher" && "$fsum" -c -i SHA256SUMS >"$work/out" 2>&1)
  check "-i with ${gone:-nothing else} gone: status $?, as sha256sum says ($want)" test $? -eq "$want"
  check "-i with ${gone:-nothing else} gone: no file listed MISSING" sh -c "! grep -q '^MISSING' '$work/out'"
done
check "-i with nothing here says so" grep -q '^NONE HERE   3 files the list names, none of them here' "$work/out"
(cd "$work/publisher" && printf x >one.iso && "$fsum" -c -i SHA256SUMS >"$work/out" 2>&1)
check "-i counts what is not here in one line" grep -q '^NOT HERE    2 files the list names, left out' "$work/out"
(cd "$work/publisher" && "$fsum" -c -i -n '*.iso' >"$work/out" 2>&1)
check "-i with -n is a usage error" sh -c "test $? -eq 2 && grep -q '^Usage' '$work/out'"

# BSD md5 -r lines, "digest name" with one blank: a name that begins with a
# blank or * is everything after the blank where the coreutils reading
# names no file, and a damaged file FAILS; where both files are there, the
# coreutils reading stands, as md5sum -c takes it.
mkdir -p "$work/md5r" && pushd "$work/md5r" >/dev/null || exit
printf a >' lead' && printf b >'*star' && printf c >both && printf d >' both'
for name in ' lead' '*star' ' both'; do printf '%s %s\n' "$(md5sum <"$name" | cut -c1-32)" "$name"; done >list.md5
"$fsum" -c list.md5 >"$work/out" 2>&1
check "md5 -r lines: ' lead' and '*star' verified, ' both' the coreutils way (both), FAILED" sh -c \
  "test $? -eq 1 && grep -q '^OK          \\*star' '$work/out' && grep -q '^OK           lead' '$work/out' &&
   grep -q '^FAILED      both' '$work/out'"
printf x >>' lead'
"$fsum" -c list.md5 >"$work/out" 2>&1
check "md5 -r lines: a damaged ' lead' FAILS" grep -q '^FAILED       lead' "$work/out"
popd >/dev/null || exit

# Lines of no form are warnings under -w, never a check.
md5=$(md5sum "$work/forms/size 0.bin" | cut -c1-32)
printf '%s\n' "$md5  forms/size 0.bin" "${md5}0  forms/size 0.bin" "SM3 (forms/size 0.bin) = $md5" \
  "\\$md5  broken\\t" "MD5 () = $md5" "MD5 (forms/size 0.bin) = ${md5:0:30}" >"$work/bad.md5"
"$fsum" -w -c "$work/bad.md5" >"$work/out" 2>&1
check "a list with malformed lines still checks the good one" grep -q '^1 verified, 0 mismatched' "$work/out"
check "every malformed line is a warning" test "$(grep -c '^WARNING     line [2-6] is an improperly' "$work/out")" -eq 4
check "a well-formed line of an algorithm the tool lacks is no warning: it is NOT CHECKED" \
  grep -q '^NOT CHECKED  forms/size 0.bin  (SM3 is not an algorithm this tool checks)' "$work/out"

# A line the tool cannot check names a file all the same: as cksum -c judges
# coreutils' own SM3 list, the check does not pass.
(cd "$work/forms" && cksum -a sm3 "size 1.bin" "size 0.bin" >sm3.txt && printf 'x' >"size 1.bin")
want=$(cd "$work/forms" && cksum -c sm3.txt >/dev/null 2>&1; echo $?)
(cd "$work/forms" && "$fsum" -c sm3.txt >"$work/out" 2>&1)
check "an SM3 list: status $?, as cksum -c says ($want)" test $? -eq "$want"
check "each SM3 line said, and counted" sh -c "test \$(grep -c '^NOT CHECKED  size [01].bin  (SM3 is' '$work/out') -eq 2 &&
  grep -q '^0 verified, 0 mismatched, 0 missing, 0 unreadable, 2 not checked' '$work/out'"

# cksfv's CHECKSUMS.txt, names whose first word is hexadecimal among them.
mkdir -p bare/hexnames
for f in "01 Track.flac" "Beef Stew.mkv" "Other.mkv"; do head -c 3000 /dev/urandom >"bare/hexnames/$f"; done
(cd bare/hexnames && cksfv -b -- * | grep -v '^;' >CHECKSUMS.txt)
damage "bare/hexnames/01 Track.flac" 5 && damage "bare/hexnames/Beef Stew.mkv" 5
"$fsum" -c bare/hexnames/CHECKSUMS.txt >"$work/out" 2>&1
check "cksfv's names with a hex first word, in a list named .txt: 2 FAILED, status 1" \
  test $? -eq 1 -a "$(grep -c '^FAILED ' "$work/out")" -eq 2

# "#" names in .sfv lines of a list whose name says nothing: entries, as
# cksfv checks them; "#" lines before GNU lines stay comments.
mkdir -p "$work/hashnames"
(
  cd "$work/hashnames" || exit
  printf a >'#a.bin' && printf b >ok.bin && cksfv -b -- '#a.bin' ok.bin | grep -v '^;' >CHECKSUMS.txt
  tac CHECKSUMS.txt >LATER.txt  # the "#" line after the first entry
  grep '^#' CHECKSUMS.txt >ALONE.txt
  printf x >'#a.bin'
  { echo '# made 20240101'; sha256sum ok.bin; echo '# checked 20240102'; } >SUMS.txt
)
want=$(cd "$work/hashnames" && cksfv -q -f CHECKSUMS.txt >/dev/null 2>&1; echo $?)
(cd "$work/hashnames" && "$fsum" -c CHECKSUMS.txt >"$work/out" 2>&1)
check "#a.bin in a CHECKSUMS.txt of .sfv lines: status $?, as cksfv says ($want)" test $? -eq "$want"
check "#a.bin is checked, and FAILED" grep -q '^FAILED      #a.bin  (expected' "$work/out"
(cd "$work/hashnames" && "$fsum" -c LATER.txt >"$work/out" 2>&1)
check "#a.bin after the first entry is checked too" grep -q '^FAILED      #a.bin  (expected' "$work/out"
(cd "$work/hashnames" && "$fsum" -c ALONE.txt >"$work/out" 2>&1)
check "#a.bin alone in its list is checked" grep -q '^FAILED      #a.bin  (expected' "$work/out"
# More "#" lines than are held before an entry tells: every one still checked.
mkdir -p "$work/hashnames/many"
(
  cd "$work/hashnames/many" || exit
  x=$(printf x | tee x | rhash --crc32 --printf '%C' -)
  for i in $(seq 4100); do ln x "#f$i" && echo "#f$i $x"; done >CHECKSUMS.txt
  rm '#f4100' && printf y >'#f4100'
)
(cd "$work/hashnames/many" && "$fsum" -c CHECKSUMS.txt >"$work/out" 2>&1)
check "4100 '#' lines before any other: all checked, the last FAILED" \
  grep -q '^4099 verified, 1 mismatched, 0 missing, 0 unreadable$' "$work/out"
(cd "$work/hashnames" && "$fsum" -c SUMS.txt >"$work/out" 2>&1)
check "# lines before and after GNU lines are comments" grep -q '^1 verified, 0 mismatched, 0 missing, 0 unreadable (SHA-256)$' "$work/out"

# One reader per disk (-t1), for every kind of outcome.
printf 'self.sfv 00000000\nset/one.bin %s\n' "$good" >self.sfv
for args in "-c set/list.sfv" "-c devices.sfv" "-c fifo.sfv" "-c self.sfv" "-c forms/tags.txt"; do
  same_with_one_reader "$args"
done

summary_line ""
[[ $failed -eq 0 ]]
