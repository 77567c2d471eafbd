#!/usr/bin/env bash
# The checksum tool's command line end to end: exit statuses, a list made by
# another tool (rhash where installed, else Python's zlib), damage, a file
# over 4 GiB, and entries that are no regular files.
set -uo pipefail
fsum=$1
work=$(mktemp -d)
export XDG_CONFIG_HOME=$work/config  # no key the user trusts
trap 'rm -rf "$work"' EXIT
source "$(dirname "$0")/../summary.sh"

crc_of() {  # the CRC-32 of a file, by another implementation
  if command -v rhash >/dev/null; then
    rhash --crc32 --printf '%C' "$1"
  else
    python3 -c 'import sys, zlib
c = 0
with open(sys.argv[1], "rb") as f:
    for block in iter(lambda: f.read(1 << 22), b""):
        c = zlib.crc32(block, c)
print("%08X" % c, end="")' "$1"
  fi
}

"$fsum" >/dev/null 2>"$work/err"; status=$?
check "no arguments exit with 2" test $status -eq 2
check "no arguments print the usage" grep -q Usage "$work/err"
"$fsum" -c -x "$work/a.sfv" >/dev/null 2>&1
check "an unknown option exits with 2" test $? -eq 2

mkdir -p "$work/set/sub dir"
head -c 3000000 /dev/urandom >"$work/set/one.bin"
head -c 1 /dev/urandom >"$work/set/sub dir/two bytes.bin"
: >"$work/set/empty.bin"
head -c 9000000 /dev/urandom >"$work/set/sub dir/three.bin"
(
  cd "$work/set" || exit
  printf '; made for the test\r\n'
  for f in one.bin "sub dir/two bytes.bin" empty.bin "sub dir/three.bin"; do
    printf '%s %s\r\n' "${f//\//\\}" "$(crc_of "$f")"
  done
) >"$work/set/list.sfv"

"$fsum" -c "$work/set/list.sfv" >"$work/out"
check "an intact set exits with 0" test $? -eq 0
check "every file is verified" grep -q '^4 verified, 0 mismatched, 0 missing, 0 unreadable$' "$work/out"

# Damage one byte: a byte different from the one there (writing a fixed one
# leaves the file intact once in 256 runs).
damage() {  # file, offset
  local byte
  byte=$(od -An -tu1 -j"$2" -N1 "$1" | tr -d ' ')
  printf "\\x$(printf %02x $(((byte + 1) % 256)))" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none
}
damage "$work/set/sub dir/three.bin" 4500000
rm "$work/set/empty.bin"
"$fsum" -jf -c "$work/set/list.sfv" >"$work/out"
check "a damaged set exits with 1" test $? -eq 1
check "the damaged file is named" grep -q '^FAILED      sub dir\\three.bin' "$work/out"
check "the missing file is named" grep -q '^MISSING     empty.bin$' "$work/out"
check "-jf leaves out the verified files" test "$(grep -c '^OK' "$work/out")" -eq 0

# On a terminal the verdicts are in colour (ANSI codes); never into a pipe
# or a file (the rows above read the bytes as ever), nor with NO_COLOR.
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

# Over 4 GiB: a sparse file, so it costs no disk.
truncate -s $((4 * 1024 * 1024 * 1024 + 3)) "$work/big.bin"
printf 'tail' >>"$work/big.bin"
printf 'big.bin %s\n' "$(crc_of "$work/big.bin")" >"$work/big.sfv"
"$fsum" -c "$work/big.sfv" >"$work/out"
check "a file over 4 GiB verifies" test $? -eq 0

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
  "signed.asc|0|2 verified, 0 mismatched, 0 missing, 0 unreadable (MD5) (no good signature by a trusted key)"
  "fifo.sfv|1|UNREADABLE  fifo  (It is not a regular file"
  "devices.sfv|1|UNREADABLE  socket  (It is not a regular file"
  "devices.sfv|1|UNREADABLE  /dev/zero  (It is not a regular file"
  "proc.sfv|1|FAILED      /proc/version  (expected 00000000"
  "joined.sfv|0|2 verified, 0 mismatched"
  "c1.sfv|1|MISSING     csi\\u009B2J\\x7F.bin"
  "fifo|2|"
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

# Memory stays the same for any list: 30 million bad lines, and 3 million
# under -w, whose warnings wait for no entry.
# Under an emulator or a sanitizer, whose own memory would count, the caller
# says why in CORVANE_MEMORY_NOT_MEASURED, and memory is not measured.
under_16mb() {  # what, then the command
  if [[ -n "${CORVANE_MEMORY_NOT_MEASURED:-}" ]]; then
    echo "skip $1: $CORVANE_MEMORY_NOT_MEASURED"
    return
  fi
  local peak
  peak=$(/usr/bin/time -f %M "${@:2}" 2>&1 >/dev/null | tail -n1)
  check "$1" test "$peak" -lt 16384
}
yes x | head -n 30000000 >"$work/bad.sfv"
under_16mb "30 million bad lines take under 16 MB" "$fsum" -c "$work/bad.sfv"
head -n 3000000 "$work/bad.sfv" >"$work/bad-w.sfv"
cat "$work/a.sfv" >>"$work/bad-w.sfv"
under_16mb "3 million warnings take under 16 MB" "$fsum" -w -c "$work/bad-w.sfv"
rm "$work/bad.sfv" "$work/bad-w.sfv"

# A low limit on open files: every entry of a long list of one 9 MiB file
# verifies all the same.
nine=$(crc_of "$work/set/sub dir/three.bin")
for _ in $(seq 300); do printf 'set/sub dir/three.bin %s\n' "$nine"; done >"$work/many.sfv"
(ulimit -n 64 && "$fsum" -c "$work/many.sfv" >"$work/out" 2>&1)
check "under ulimit -n 64, 300 entries of a 9 MiB file all verify" grep -q '^300 verified, 0 mismatched' "$work/out"

# A reader that goes away is a report that cannot be written.
for _ in $(seq 20000); do printf 'set/one.bin %s\n' "$good"; done >"$work/long.sfv"
"$fsum" -c "$work/long.sfv" | head -n1 >/dev/null
check "a report cut off by its reader ends with status 2" test "${PIPESTATUS[0]}" -eq 2
"$fsum" -c "$work/set/list.sfv" >/dev/full 2>"$work/err"
check "a report that cannot be written ends with status 2" test $? -eq 2
check "and says why" grep -qx 'fsum: the report could not be written: No space left on device' "$work/err"
"$fsum" -c "$work/big.sfv" >"$work/out"
check "no progress line when the report is redirected" test "$(grep -c $'\r' "$work/out")" -eq 0

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
for row in "list.md5|$count|(MD5)" "SHA1SUMS|$count|(SHA-1)" "SHA256SUMS|$count|(SHA-256)" \
  "list.sha384|$count|(SHA-384)" "list.sha512|$count|(SHA-512)" "tags.txt|$((3 * count))|(MD5, SHA-256, SHA-512)" \
  "utf16.sha256|$count|(SHA-256) (list read as UTF-16 LE)"; do
  IFS='|' read -r list n names <<<"$row"
  "$fsum" -c "$work/forms/$list" >"$work/out" 2>&1
  check "$list verifies with status 0" test $? -eq 0
  check "$list: $n verified $names" grep -qF "$n verified, 0 mismatched, 0 missing, 0 unreadable $names" "$work/out"
done
printf 'z' >"$work/forms/size 1.bin"
"$fsum" -c "$work/forms/list.sha512" >"$work/out" 2>&1
check "a changed file fails its SHA-512 with status 1" test $? -eq 1
check "the report gives the expected and the found digest" \
  grep -qF "found $(sha512sum "$work/forms/size 1.bin" | cut -c1-128))" "$work/out"

# Lines of no form are warnings under -w, never a check.
md5=$(md5sum "$work/forms/size 0.bin" | cut -c1-32)
printf '%s\n' "$md5  forms/size 0.bin" "${md5}0  forms/size 0.bin" "SHA224 (forms/size 0.bin) = $md5" \
  "\\$md5  broken\\t" "MD5 () = $md5" "MD5 (forms/size 0.bin) = ${md5:0:30}" >"$work/bad.md5"
"$fsum" -w -c "$work/bad.md5" >"$work/out" 2>&1
check "a list with malformed lines still checks the good one" grep -q '^1 verified, 0 mismatched' "$work/out"
check "every malformed line is a warning" test "$(grep -c '^WARNING     line [2-6] is an improperly' "$work/out")" -eq 5

# A digest of a large file, against coreutils.
truncate -s 5G "$work/five.bin"
printf 'end' >>"$work/five.bin"
(cd "$work" && sha256sum five.bin >five.sha256)
# A limit of its own, far above any machine's time, so that a hang fails here.
timeout 600 "$fsum" -c "$work/five.sha256" >"$work/out" 2>&1
check "a 5 GiB file's SHA-256 equals sha256sum's" test $? -eq 0
rm "$work/five.bin"

# The algorithms people use now, against the tools that write their lists:
# sizes around their blocks, and for the fast ones a 5 GiB sparse file.
mkdir -p "$work/algos"
(
  cd "$work/algos" || exit
  for size in 0 1 63 64 65 1048577; do head -c $size /dev/urandom >"s$size.bin"; done
  # Under the emulator 5 GiB of BLAKE3 would take most of an hour.
  big=()
  if [[ -z "${CORVANE_UNDER_EMULATOR:-}" ]]; then truncate -s 5G big.iso && printf end >>big.iso && big=(big.iso); fi
  b3sum --no-mmap -- *.bin "${big[@]}" >B3SUMS
  b3sum --no-mmap -- *.bin >CHECKSUMS  # says no algorithm: 64 digits fit three
  b2sum -- *.bin >B2SUMS
  b2sum -l 256 --tag -- *.bin >b2-256.txt
  xxhsum -H128 -- *.bin "${big[@]}" >list.txt  # 32 digits: MD5 or XXH128
  xxhsum -H64 -- *.bin >SUMS
  xxhsum -H32 -- *.bin >list.xxh32
  xxhsum -H3 -- *.bin >xxh3-tags.txt
  openssl dgst -sha3-256 -- *.bin | sed 's/^SHA3-256(\(.*\))= /SHA3-256 (\1) = /' >sha3.txt
  openssl dgst -sha256 -- *.bin >openssl.txt
  b2sum -l 256 -- *.bin >b2-256-gnu.txt  # no hint: 64 digits
  b3sum --no-mmap -- *.bin >SHA256SUMS    # a name that says another algorithm
  sha256sum -- *.bin >sha256.md5
) 2>"$work/err"  # xxhsum's progress
big=$([[ -f "$work/algos/big.iso" ]] && echo 7 || echo 6)
[[ $big == 7 ]] || echo "skip the 5 GiB file: it is hashed natively only, not under the emulator"
for row in "B3SUMS|$big|BLAKE3" "CHECKSUMS|6|BLAKE3" "B2SUMS|6|BLAKE2b" "b2-256.txt|6|BLAKE2b-256" "list.txt|$big|XXH128" \
  "SUMS|6|XXH64" "list.xxh32|6|XXH32" "xxh3-tags.txt|6|XXH3" "sha3.txt|6|SHA3-256" "openssl.txt|6|SHA-256" \
  "b2-256-gnu.txt|6|BLAKE2b-256"; do
  IFS='|' read -r list n name <<<"$row"
  "$fsum" -c "$work/algos/$list" >"$work/out" 2>&1
  check "$list verifies with status 0" test $? -eq 0
  check "$list: $n verified ($name)" grep -qF "$n verified, 0 mismatched, 0 missing, 0 unreadable ($name)" "$work/out"
done
"$fsum" -c "$work/algos/SHA256SUMS" >"$work/out" 2>&1
check "BLAKE3 lines in SHA256SUMS fail, saying which algorithm gives them" \
  test $? -eq 1 -a "$(grep -c "the file's BLAKE3 is the digest expected, but the line is SHA-256's" "$work/out")" -eq 6
"$fsum" -c "$work/algos/sha256.md5" >"$work/out" 2>&1
check "SHA-256 lines in a list named .md5 are said to be of another length" test $? -eq 2 -a \
  "$(grep -c 'holds no checksum lines (6 lines of 64 hexadecimal digits, not the 32 of the MD5' "$work/out")" -eq 1
damage "$work/algos/s65.bin" 7
for list in CHECKSUMS list.txt SUMS b2-256-gnu.txt openssl.txt; do
  "$fsum" -c "$work/algos/$list" >"$work/out" 2>&1
  check "$list: a damaged file FAILS, never OK" test $? -eq 1 -a "$(grep -c '^FAILED      s65.bin' "$work/out")" -eq 1
done
rm -f "$work/algos/big.iso"
# And the lists the tool makes of them, checked by those tools.
cd "$work/algos" || exit
for row in "-blake3|b3sum -c" "-b2|b2sum -c" "-xxh128|xxhsum -c" "-xxh64|xxhsum -c" "-xxh32|xxhsum -c" \
  "-xxh3 -bsd|xxhsum -c" "-b2 -bsd|b2sum -c"; do
  IFS='|' read -r switches checker <<<"$row"
  # shellcheck disable=SC2086 # separate words
  "$fsum" $switches '*.bin' >made.txt && $checker made.txt >/dev/null 2>&1
  check "fsum $switches: $checker verifies its list" test $? -eq 0
  "$fsum" -c made.txt >/dev/null 2>&1
  check "fsum $switches: fsum -c verifies it" test $? -eq 0
done
for bits in 256 384 512; do
  "$fsum" -sha3-$bits -bsd s1048577.bin >made.txt
  check "fsum -sha3-$bits gives openssl's digest" \
    grep -qF "$(openssl dgst -sha3-$bits -r s1048577.bin | cut -d' ' -f1)" made.txt
done
cd "$work" || exit

# Lists made by the tool, read back by it and by the tools a user would
# check them with, over names with spaces, accents, CJK, a leading space, a
# ;, a #, a tab, a backslash, a line break, and bytes that are not UTF-8
# beside the UTF-8 name they read as in Latin-1.
mkdir -p "$work/make/sub/deeper" && cd "$work/make" || exit
for name in a.bin B.txt 'with space.bin' café.txt 日本.bin ' leading.bin' ';semi.bin' sub/c.bin \
  'sub/deeper/back\slash.bin' $'sub/new\nline.txt' '#hash.txt' $'tab\tname.txt' $'caf\xE9.txt'; do
  printf '%s' "$name" >"$name"
done
mkfifo sub/pipe
for row in "-sha256|sha256sum" "-md5|md5sum" "-sha1 -bsd|sha1sum" "-sha384|sha384sum" "-sha512 -bsd|sha512sum"; do
  IFS='|' read -r switches checker <<<"$row"
  "$fsum" $switches -r '*' >list.txt 2>"$work/err"
  check "fsum $switches -r makes a list with status 0" test $? -eq 0
  check "fsum $switches: fsum -c verifies all 13" grep -q '^13 verified, 0 mismatched' <("$fsum" -c list.txt)
  check "fsum $switches: $checker -c --strict verifies it" $checker -c --strict --quiet list.txt
  check "fsum $switches: the list does not name itself" test "$(grep -c list.txt list.txt)" -eq 0
done
check "the list names no FIFO" test "$(grep -c pipe list.txt)" -eq 0
rm list.txt
# An .sfv line has no escape: POSIX names with \ or a line break are left out;
# a name that begins with ; is written after ./ so that it is no comment.
"$fsum" -r '*' >list.sfv 2>"$work/err"
check "an .sfv name that cannot be written exits with 1" test $? -eq 1
check "and each is named" test "$(grep -c 'has a name no line' "$work/err")" -eq 3
check "fsum -c verifies the other 10" grep -q '^10 verified, 0 mismatched, 0 missing' <("$fsum" -c list.sfv)
cp list.sfv CHECKSUMS
check "so it does under any name" grep -q '^10 verified, 0 mismatched, 0 missing' <("$fsum" -c CHECKSUMS)
check "cksfv verifies them" cksfv -q -f list.sfv
# rhash 1.4.3 drops the leading space of a name in an .sfv list.
check "rhash verifies them, the leading space aside" \
  test "$(rhash --crc32 -c list.sfv 2>&1 | grep -c 'OK *$')" -eq 9
rm list.sfv
check "two runs give the same lines" cmp -s <("$fsum" -sha1 -r '*') <("$fsum" -sha1 -r '*')
check "names are in byte order, subfolders where they fall" \
  test "$("$fsum" -md5 -r '*.bin' | sed 's/^\\\?[^ ]*  //' | tr '\n' '|')" = \
  ' leading.bin|;semi.bin|a.bin|sub/c.bin|sub/deeper/back\\slash.bin|with space.bin|日本.bin|'
check "a folder named outright is walked" test "$("$fsum" -md5 sub | wc -l)" -eq 3
check "and with -r" test "$("$fsum" -md5 -r sub | wc -l)" -eq 3
check "a mask with a folder part keeps it in the names" grep -q '  sub/c.bin$' <("$fsum" -md5 sub/c.bin)
check "-d names files from that folder" grep -q '  c.bin$' <("$fsum" -sha1 -d"$work/make/sub" '*.bin')
"$fsum" -md5 '*.zip' '*.bin' >"$work/out" 2>"$work/err"
check "a mask that matches nothing exits with 2" test $? -eq 2
check "and says so" grep -qF 'nothing matches "*.zip"' "$work/err"
check "the other masks are still listed" grep -q 'a.bin$' "$work/out"
"$fsum" -md5 '*.bin' '*.zip' >/dev/null 2>"$work/err"
check "so does a later mask that matches nothing" grep -qF 'nothing matches "*.zip"' "$work/err"
check "without -r, no subfolder is walked" test "$("$fsum" -md5 '*' | grep -c 'sub/')" -eq 0
"$fsum" -d/proc/self mem >"$work/out" 2>"$work/err"
check "a file that cannot be read exits with 1" test $? -eq 1
check "and is named with the reason" grep -q '"mem" could not be read: ' "$work/err"
"$fsum" -sha256 '*' >/dev/full 2>"$work/err"
check "a list that cannot be written exits with 2" test $? -eq 2
check "and says why" grep -qx 'fsum: the list could not be written: No space left on device.' "$work/err"
# Checks without a list: a file against a digest as pasted, files against the
# CRC in their names, and a tree of lists.
mkdir -p bare/tree/good bare/tree/bad bare/tree/worse
head -c 100000 /dev/urandom >bare/file.iso
sha=$(sha256sum bare/file.iso | cut -c1-64) md5=$(md5sum bare/file.iso | cut -c1-32) crc=$(crc_of bare/file.iso)
spaced=$(echo "${md5^^}" | sed 's/../& /g; s/ $//')
while IFS='|' read -r digest status line; do
  "$fsum" -c "-e$digest" bare/file.iso >"$work/out" 2>&1
  check "-e '$digest' exits with $status" test $? -eq "$status"
  check "-e '$digest' says '$line'" grep -q "$line" "$work/out"
done <<EOF
$sha|0|^OK          bare/file.iso  (SHA-256)$
sha256:${sha^^}|0|^OK          bare/file.iso  (SHA-256)$
$spaced|0|^OK          bare/file.iso  (MD5)$
$sha  file.iso|0|^OK          bare/file.iso  (SHA-256)$
$sha  other.iso|0|^OK          bare/file.iso  (SHA-256; the digest given is for "other.iso")$
$crc|0|^OK          bare/file.iso  (CRC-32)$
${sha:1}0|1|none of SHA-256, SHA3-256, BLAKE3, BLAKE2b-256 gives it
12345|2|the digest given is 5 hexadecimal digits long
md5:$sha|2|is 64 hexadecimal digits long, and MD5's digest is 32
$sha $sha|2|the digest given holds 2 digests
$(xxhsum -H128 bare/file.iso 2>/dev/null | cut -d' ' -f1)|0|^OK          bare/file.iso  (XXH128)$
$(xxhsum -H3 bare/file.iso 2>/dev/null | grep -oE '[0-9a-f]{16}' | tail -n1)|0|^OK          bare/file.iso  (XXH3)$
$(xxhsum -H32 bare/file.iso 2>/dev/null | cut -d' ' -f1)|0|^OK          bare/file.iso  (XXH32)$
EOF
# As Windows users copy digests (certutil, Get-FileHash, Subresource
# Integrity, OpenSSL, names before the digest, text off a web page): each
# verifies the file and FAILS a damaged copy of it.
cp bare/file.iso bare/damaged.iso && damage bare/damaged.iso 50000
up=${sha^^}
forms=(
  "$(printf 'SHA256 hash of file.iso:\r\n%s\r\nCertUtil: -hashfile command completed successfully.\r\n' "$(sed 's/../& /g; s/ $//' <<<"$sha")")"
  "$(printf '\r\nAlgorithm       Hash%60sPath\r\n---------       ----%60s----\r\nSHA256          %s       C:\\me\\file.iso\r\n\r\n' '' '' "$up")"
  "$(printf 'Algorithm : SHA256\r\nHash      : %s\r\nPath      : C:\\me\\file.iso\r\n' "$up")"
  "SHA256          $up       C:\Downloads\file.iso"
  "sha256-$(openssl dgst -sha256 -binary bare/file.iso | base64)"
  "sha512-$(openssl dgst -sha512 -binary bare/file.iso | base64 -w0)"
  "$(openssl dgst -sha256 bare/file.iso)" "$(openssl dgst -sha3-256 bare/file.iso)"
  "$(openssl dgst -blake2b512 bare/file.iso)" "SHA256=$sha" "SHA256 $sha" "0x$md5" "$(sed 's/../&:/g' <<<"$sha")"
  "blake3:$(b3sum --no-mmap bare/file.iso | cut -c1-64)" "b2:$(b2sum -l 256 bare/file.iso | cut -c1-64)"
  "$(printf '\xef\xbb\xbf\xe2\x80\x9cSHA\xe2\x80\x93256:\xc2\xa0%s\xe2\x80\x8b\xe2\x80\x9d' "$sha")"
  "$crc" "$(xxhsum -H32 bare/file.iso 2>/dev/null | sed 's| .*|  file.iso|')"
)
for form in "${forms[@]}"; do
  for row in file.iso:0:OK damaged.iso:1:FAILED; do
    IFS=: read -r target status word <<<"$row"
    "$fsum" -c "-e$form" "bare/$target" >"$work/out" 2>&1
    check "-e '${form:0:40}...' on $target: $word, status $status" \
      sh -c "test $? -eq $status && grep -q '^$word  ' '$work/out'"
  done
done
rm bare/damaged.iso
for extra in -r -w -dbare; do
  "$fsum" -c "$extra" "-e$sha" bare/file.iso >"$work/out" 2>&1
  check "-e with $extra is a usage error" sh -c "test $? -eq 2 && grep -q Usage '$work/out'"
done
"$fsum" -c -e bare/file.iso >"$work/out" 2>&1
check "-e alone off Windows says the clipboard is Windows's" grep -q 'only the Windows build reads the clipboard' "$work/out"
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
  grep -q '^3 lists, 1 all verified; with failed, missing or unreadable files: "bad/b.sfv"; not checked: "worse/w.sfv"$' "$work/out"
check "a list of the tree that holds none is said" grep -q 'worse/w.sfv" holds no checksum lines' "$work/err"
"$fsum" -sha256 -r -dbare/tree -obare/tree/SHA256SUMS '*' 2>"$work/err"
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
  grep -q '^4 lists, 1 all verified; not checked: "d.sfv", "l.sfv", "p.sfv"$' "$work/out"
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
# cksfv's CHECKSUMS.txt, names whose first word is hexadecimal among them.
mkdir -p bare/hexnames
for f in "01 Track.flac" "Beef Stew.mkv" "Other.mkv"; do head -c 3000 /dev/urandom >"bare/hexnames/$f"; done
(cd bare/hexnames && cksfv -b -- * | grep -v '^;' >CHECKSUMS.txt)
damage "bare/hexnames/01 Track.flac" 5 && damage "bare/hexnames/Beef Stew.mkv" 5
"$fsum" -c bare/hexnames/CHECKSUMS.txt >"$work/out" 2>&1
check "cksfv's names with a hex first word, in a list named .txt: 2 FAILED, status 1" \
  test $? -eq 1 -a "$(grep -c '^FAILED ' "$work/out")" -eq 2

# A folder the masks or -d name that is not there makes no list; nor does a
# mask whose one file is the list being written.
cases=(
  "-md5 -d/nonexistent *|the folder \"/nonexistent\" could not be read: No such file"
  "-md5 nodir/*|the folder \"nodir/\" could not be read: No such file"
  "-md5 -d/nonexistent a.bin|the folder \"/nonexistent\" could not be read: No such file"
  "-md5 self.md5|nothing to list: \"self.md5\" names only the list being written"
)
for row in "${cases[@]}"; do
  IFS='|' read -r args says <<<"$row"
  # shellcheck disable=SC2086 # separate words, and no shell expands the masks
  (set -f && "$fsum" $args >self.md5 2>"$work/err")
  check "fsum $args exits with 2" test $? -eq 2
  check "fsum $args: [$says]" grep -qF "$says" "$work/err"
done
rm self.md5
# Where a file system does not give entry types, a link to a folder is still
# not walked: a shim makes readdir say DT_UNKNOWN for every entry.
mkdir -p loop && ln -s . loop/self && touch loop/file
printf '%s\n' '#define _GNU_SOURCE' '#include <dirent.h>' '#include <dlfcn.h>' \
  'struct dirent *readdir(DIR *d) { struct dirent *(*next)(DIR *) = dlsym(RTLD_NEXT, "readdir");' \
  '  struct dirent *e = next(d); if (e) e->d_type = DT_UNKNOWN; return e; }' \
  'struct dirent64 *readdir64(DIR *d) { struct dirent64 *(*next)(DIR *) = dlsym(RTLD_NEXT, "readdir64");' \
  '  struct dirent64 *e = next(d); if (e) e->d_type = DT_UNKNOWN; return e; }' >"$work/unknown.c"
bits=$(file -bL "$fsum" | grep -q '32-bit' && echo -m32)
cc $bits -shared -fPIC -o "$work/unknown.so" "$work/unknown.c" -ldl
timeout 60 env LD_PRELOAD="$work/unknown.so" "$fsum" -md5 -r -dloop '*' >"$work/out" 2>&1
check "with no entry types, a link loop is not walked" test "$(wc -l <"$work/out")" -eq 1
"$fsum" -bsd '*' >/dev/null 2>&1
check "-bsd with CRC-32 is a usage error" test $? -eq 2
mkdir many && (cd many && seq 20000 | xargs touch)
under_16mb "a list of 20,000 files takes under 16 MB" "$fsum" -sha1 -dmany '*'
cd "$work" || exit

# One reader per disk (-t1), as a spinning disk is read: the same report and
# status as reading side by side, for every kind of outcome and check.
printf 'self.sfv 00000000\nset/one.bin %s\n' "$good" >self.sfv
for args in "-c set/list.sfv" "-c devices.sfv" "-c fifo.sfv" "-c self.sfv" "-c forms/tags.txt" \
  "-c algos/CHECKSUMS" "-c algos/list.txt" "-c big.sfv" "-c -n -r -dalgos/bare *.mkv" \
  "-c -r -dalgos/bare/tree *.sfv" "-sha256 -r -dmake *" "-b2 -bsd -dalgos *.bin"; do
  # shellcheck disable=SC2086 # separate words, and no shell expands the masks
  side=$(set -f && timeout 300 "$fsum" $args 2>&1; echo "status $?")
  # shellcheck disable=SC2086
  one=$(set -f && timeout 300 "$fsum" -t1 $args 2>&1; echo "status $?")
  check "-t1 $args: the same report and status" test "$one" = "$side"
done

summary_line ""
[[ $failed -eq 0 ]]
