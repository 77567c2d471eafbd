#!/usr/bin/env bash
# The algorithms people use now, checked against the tools that write their
# lists (b3sum, b2sum, xxhsum, openssl), and the tool's own lists of them
# checked by those tools.
source "$(dirname "$0")/common.sh"

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
  sha224sum -- *.bin >sha224.txt  # 56 digits: SHA-224 or SHA3-224
  cksum -a sha224 --tag -- *.bin >SHA224SUMS
  python3 -c 'import hashlib, sys
for name in sys.argv[1:]: print(hashlib.sha3_224(open(name, "rb").read()).hexdigest() + "  " + name)' *.bin >sha3-224.txt
) 2>"$work/err"  # xxhsum's progress
big=$([[ -f "$work/algos/big.iso" ]] && echo 7 || echo 6)
[[ $big == 7 ]] || echo "skip the 5 GiB file: it is hashed natively only, not under the emulator"
lists_verify "$work/algos" "B3SUMS|$big|(BLAKE3)" "CHECKSUMS|6|(BLAKE3)" "B2SUMS|6|(BLAKE2b)" \
  "b2-256.txt|6|(BLAKE2b-256)" "list.txt|$big|(XXH128)" "SUMS|6|(XXH64)" "list.xxh32|6|(XXH32)" \
  "xxh3-tags.txt|6|(XXH3)" "sha3.txt|6|(SHA3-256)" "openssl.txt|6|(SHA-256)" "b2-256-gnu.txt|6|(BLAKE2b-256)" \
  "sha224.txt|6|(SHA-224)" "SHA224SUMS|6|(SHA-224)" "sha3-224.txt|6|(SHA3-224)"
"$fsum" -c "$work/algos/SHA256SUMS" >"$work/out" 2>&1
check "BLAKE3 lines in SHA256SUMS fail, saying which algorithm gives them" \
  test $? -eq 1 -a "$(grep -c "the file's BLAKE3 is the digest expected, but the line is SHA-256's" "$work/out")" -eq 6
"$fsum" -c "$work/algos/sha256.md5" >"$work/out" 2>&1
check "SHA-256 lines in a list named .md5 are said to be of another length" test $? -eq 2 -a \
  "$(grep -c 'holds no checksum lines (6 lines of 64 hexadecimal digits, not the 32 of the MD5' "$work/out")" -eq 1
damage "$work/algos/s65.bin" 7
for list in CHECKSUMS list.txt SUMS b2-256-gnu.txt openssl.txt sha224.txt sha3-224.txt; do
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
for algorithm in sha224 sha3-224 sha3-256 sha3-384 sha3-512; do
  "$fsum" -$algorithm -bsd s1048577.bin >made.txt
  check "fsum -$algorithm gives openssl's digest" \
    grep -qF "$(openssl dgst -$algorithm -r s1048577.bin | cut -d' ' -f1)" made.txt
done
cd "$work" || exit
for args in "-c algos/CHECKSUMS" "-c algos/list.txt" "-b2 -bsd -dalgos *.bin"; do
  same_with_one_reader "$args"
done

summary_line ""
[[ $failed -eq 0 ]]
