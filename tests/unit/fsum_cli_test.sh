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
cases=(
  # list | status | a line the report holds
  "fifo.sfv|1|UNREADABLE  fifo  (It is not a regular file"
  "devices.sfv|1|UNREADABLE  socket  (It is not a regular file"
  "devices.sfv|1|UNREADABLE  /dev/zero  (It is not a regular file"
  "proc.sfv|1|FAILED      /proc/version  (expected 00000000"
  "joined.sfv|0|2 verified, 0 mismatched"
  "c1.sfv|1|MISSING     csi\\u009B2J\\x7F.bin"
  "fifo|2|"
)
for row in "${cases[@]}"; do
  IFS='|' read -r list want line <<<"$row"
  timeout 120 "$fsum" -c "$work/$list" >"$work/out" 2>&1
  check "$list ends with status $want" test $? -eq "$want"
  [[ -z "$line" ]] || check "$list: [$line]" grep -qF "$line" "$work/out"
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
peak_kb() { /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -n1; }
yes x | head -n 30000000 >"$work/bad.sfv"
check "30 million bad lines take under 16 MB" test "$(peak_kb "$fsum" -c "$work/bad.sfv")" -lt 16384
head -n 3000000 "$work/bad.sfv" >"$work/bad-w.sfv"
cat "$work/a.sfv" >>"$work/bad-w.sfv"
check "3 million warnings take under 16 MB" test "$(peak_kb "$fsum" -w -c "$work/bad-w.sfv")" -lt 16384
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
"$fsum" -c "$work/set/list.sfv" >/dev/full 2>/dev/null
check "a report that cannot be written ends with status 2" test $? -eq 2
"$fsum" -c "$work/big.sfv" >"$work/out"
check "no progress line when the report is redirected" test "$(grep -c $'\r' "$work/out")" -eq 0

echo "$passed passed, $failed failed"
[[ $failed -eq 0 ]]
