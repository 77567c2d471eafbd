#!/usr/bin/env bash
# The checksum tool's command line over large files and long lists: files
# over 4 and 5 GiB, memory that stays the same for any list, a low limit on
# open files. A suite of its own, the longest, so that the others run beside it.
source "$(dirname "$0")/common.sh"

make_set
good=$(crc_of "$work/set/one.bin")
printf '%s\n' "set/one.bin $good" >"$work/a.sfv"

# Over 4 GiB: a sparse file, so it costs no disk.
truncate -s $((4 * 1024 * 1024 * 1024 + 3)) "$work/big.bin"
printf 'tail' >>"$work/big.bin"
printf 'big.bin %s\n' "$(crc_of "$work/big.bin")" >"$work/big.sfv"
"$fsum" -c "$work/big.sfv" >"$work/out"
check "a file over 4 GiB verifies" test $? -eq 0
"$fsum" -c "$work/big.sfv" >"$work/out"
check "no progress line when the report is redirected" test "$(grep -c $'\r' "$work/out")" -eq 0

# Memory stays the same for any list: 30 million bad lines, and 3 million
# under -w, whose warnings wait for no entry.
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

# A digest of a large file, against coreutils.
truncate -s 5G "$work/five.bin"
printf 'end' >>"$work/five.bin"
(cd "$work" && sha256sum five.bin >five.sha256)
# A limit of its own, far above any machine's time, so that a hang fails here.
timeout 600 "$fsum" -c "$work/five.sha256" >"$work/out" 2>&1
check "a 5 GiB file's SHA-256 equals sha256sum's" test $? -eq 0
rm "$work/five.bin"

same_with_one_reader "-c big.sfv"

summary_line ""
[[ $failed -eq 0 ]]
