#!/usr/bin/env bash
# The checksum tool's command line end to end: exit statuses, a list made by
# another tool (rhash where installed, else Python's zlib), damage, a file
# over 4 GiB, and entries that are no regular files.
set -uo pipefail
fsum=$1
work=$(mktemp -d)
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
byte=$(od -An -tu1 -j4500000 -N1 "$work/set/sub dir/three.bin" | tr -d ' ')
printf "\\x$(printf %02x $(((byte + 1) % 256)))" |
  dd of="$work/set/sub dir/three.bin" bs=1 seek=4500000 conv=notrunc status=none
rm "$work/set/empty.bin"
"$fsum" -jf -c "$work/set/list.sfv" >"$work/out"
check "a damaged set exits with 1" test $? -eq 1
check "the damaged file is named" grep -q '^FAILED      sub dir\\three.bin' "$work/out"
check "the missing file is named" grep -q '^MISSING     empty.bin$' "$work/out"
check "-jf leaves out the verified files" test "$(grep -c '^OK' "$work/out")" -eq 0

# Over 4 GiB: a sparse file, so it costs no disk.
truncate -s $((4 * 1024 * 1024 * 1024 + 3)) "$work/big.bin"
printf 'tail' >>"$work/big.bin"
printf 'big.bin %s\n' "$(crc_of "$work/big.bin")" >"$work/big.sfv"
"$fsum" -c "$work/big.sfv" >"$work/out"
check "a file over 4 GiB verifies" test $? -eq 0

# Entries and lists that are no regular files: each is reported, never waited
# for (the deadline turns a hang into a failure), and the run goes on.
mkfifo "$work/fifo"
printf 'fifo 00000000\n/dev/null 00000000\n/dev/zero 00000000\n/proc/version 00000000\n' >"$work/odd.sfv"
timeout 20 "$fsum" -c "$work/odd.sfv" >"$work/out" 2>&1
check "odd entries end the run with status 1" test $? -eq 1
for entry in fifo /dev/null /dev/zero; do
  check "$entry is unreadable, with a reason" grep -q "^UNREADABLE  $entry  (It is not a regular file" "$work/out"
done
check "a file that says it is empty is read to its end" grep -q '^FAILED      /proc/version  (expected 00000000' "$work/out"
timeout 20 "$fsum" -c "$work/fifo" >"$work/out" 2>&1
check "a list that is a pipe cannot be checked, at once" test $? -eq 2
"$fsum" -c "$work/set/list.sfv" >/dev/full 2>/dev/null
check "a report that cannot be written ends with status 2" test $? -eq 2
"$fsum" -c "$work/big.sfv" >"$work/out"
check "no progress line when the report is redirected" test "$(grep -c $'\r' "$work/out")" -eq 0

echo "$passed passed, $failed failed"
[[ $failed -eq 0 ]]
